// The check of a split's inputs before it starts, shared by the Split page and
// the command line: the inputs in, the first problem out, in the words the
// user sees.
#pragma once

#include "split/split_engine.h"

#include <cstdint>
#include <optional>
#include <string>

// The Split inputs as the user gave them.
struct SplitInput {
    std::string sourcePath;
    std::string outputDir;
    SplitMode mode = SplitMode::FileCount;
    std::optional<std::uint32_t> fileCount; // FileCount: empty when the text is no number of files
    std::string sizeText;                   // CustomSize: the number as typed, without its unit
    SizeUnit sizeUnit = SizeUnit::Bytes;
};

// The first problem, checked in this order: the source (given, an existing
// file), the output directory (given, existing), then the count or the size.
// "" when there is none; `request` is then filled.
std::string CheckSplitInput(const SplitInput& input, SplitRequest& request);

// Shown when the source looks like a segment itself, before a split starts.
extern const char* const TEXT_SOURCE_IS_SEGMENT;
