// Helpers shared by the tests: a scratch directory, file contents, a scripted
// stand-in for the user, and polling waits with a time limit.
#pragma once

#include "core/job_control.h"
#include "core/user_prompt.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with all
// its contents at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + separator + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Deterministic bytes that differ from position to position and seed to seed.
std::vector<unsigned char> PatternBytes(std::size_t size, std::uint32_t seed = 1);

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadFile(const std::string& path);
bool FileExists(const std::string& path);
std::int64_t FileSize(const std::string& path); // -1 when missing
// Names of the entries in a directory, sorted.
std::vector<std::string> ListDirectory(const std::string& path);

// Polls `condition` every millisecond until it holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

// Stands in for the user: records every message and overwrite question and
// answers them from scripted queues (messages: OK unless scripted; overwrite:
// `defaultOverwriteAnswer`). A hook can run on each message, on the calling
// (worker) thread, before the answer is given.
class ScriptedPrompt final : public UserPrompt {
public:
    struct Message {
        std::string text;
        std::string caption;
        unsigned flags;
    };

    int showMessage(const std::string& text, const std::string& caption, unsigned flags) override;
    int askOverwrite(const std::string& path) override;

    void queueMessageAnswer(int answer);
    void queueOverwriteAnswer(int answer);
    void setOnMessage(std::function<void(const Message&)> hook);
    // Forgets everything recorded and scripted.
    void reset();

    std::vector<Message> messages() const;
    std::vector<std::string> overwriteQuestions() const;

    int defaultOverwriteAnswer = ANSWER_YES;

private:
    mutable std::mutex mutex_;
    std::deque<int> messageAnswers_;
    std::deque<int> overwriteAnswers_;
    std::vector<Message> messages_;
    std::vector<std::string> overwriteQuestions_;
    std::function<void(const Message&)> onMessage_;
};

// Waits until a worker's counters (bytes and working time) have stood still
// for three readings 20 ms apart, which is how a held worker looks from
// outside; gives the last reading.
ProgressSnapshot WaitUntilStill(JobProgress& progress);

// The split worker's completion text, for comparisons.
extern const char* const TEXT_SPLIT_DONE;

// The prompt showed exactly one message, with this text, caption and flags.
void ExpectOnlyMessage(const ScriptedPrompt& prompt, const std::string& text, const std::string& caption,
                       unsigned flags);
