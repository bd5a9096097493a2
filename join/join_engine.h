// Joining: the worker that checks a discovered set (members, numbers, free
// space) and copies its members, in segment-number order, into one file.
#pragma once

#include "core/job_control.h"
#include "core/user_prompt.h"

#include <cstdint>
#include <string>

// The Join page's inputs after validation.
struct JoinRequest {
    std::string sourcePath;     // any member of the set
    std::string outputDir;      // receives the joined file
    std::string outputFileName; // without directory
};

// What a join worker borrows from its page; the page owns all of it.
struct JoinThreadArgs {
    JoinRequest& request;
    JobControl& control;
    JobProgress& progress;
    UserPrompt& prompt;
};

constexpr std::uint32_t JOIN_BLOCK_SIZE = 16384;

// The worker: discovers the set of request.sourcePath, refuses a set that
// would not give the original file back, checks the free space, asks before
// replacing an existing output, then copies. Shows its own failures and the
// completion message; never changes, renames or deletes a segment.
void JoinWorker(JoinThreadArgs& args);

// The path the joined file is written to: outputFileName inside outputDir.
std::string JoinOutputPath(const JoinRequest& request);

// Message texts, shared with the page and the command line.
extern const char* const TEXT_TOO_FEW_SEGMENTS;
extern const char* const TEXT_SEGMENTS_MISSING;
extern const char* const TEXT_JOIN_OPEN_INPUT_FAILED;
