// The checks of a job's inputs before it starts, shared by the pages and the
// command line: the inputs in, the first problem out, in the words the user sees.
#pragma once

#include "join/join_engine.h"
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

// The same for a join: the segment (given, existing, named like a segment),
// the output directory (given, existing), the output name (given).
std::string CheckJoinInput(const JoinRequest& request);

// Shown when the source looks like a segment itself, before a split starts.
extern const char* const TEXT_SOURCE_IS_SEGMENT;
