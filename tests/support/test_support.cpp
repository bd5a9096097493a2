// Helpers shared by the tests: see test_support.h.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

const char* const TEXT_SPLIT_DONE = "File splitting operation successful!";

TempDir::TempDir() {
    static std::atomic<unsigned> counter { 0 };
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        const fs::path candidate = fs::temp_directory_path() / ("morvane-test-" + std::to_string(stamp) +
                                                                "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code error;
    fs::remove_all(path_, error);
}

std::string TempDir::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

std::vector<unsigned char> PatternBytes(std::size_t size, std::uint32_t seed) {
    std::vector<unsigned char> bytes(size);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

std::int64_t FileSize(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int ScriptedPrompt::showMessage(const std::string& text, const std::string& caption, unsigned flags) {
    std::function<void(const Message&)> hook;
    Message message { text, caption, flags };
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(message);
        hook = onMessage_;
    }
    if (hook) hook(message);
    std::lock_guard lock(mutex_);
    if (messageAnswers_.empty()) return ANSWER_OK;
    const int answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

int ScriptedPrompt::askOverwrite(const std::string& path) {
    std::lock_guard lock(mutex_);
    overwriteQuestions_.push_back(path);
    if (overwriteAnswers_.empty()) return defaultOverwriteAnswer;
    const int answer = overwriteAnswers_.front();
    overwriteAnswers_.pop_front();
    return answer;
}

void ScriptedPrompt::queueMessageAnswer(int answer) {
    std::lock_guard lock(mutex_);
    messageAnswers_.push_back(answer);
}

void ScriptedPrompt::queueOverwriteAnswer(int answer) {
    std::lock_guard lock(mutex_);
    overwriteAnswers_.push_back(answer);
}

void ScriptedPrompt::setOnMessage(std::function<void(const Message&)> hook) {
    std::lock_guard lock(mutex_);
    onMessage_ = std::move(hook);
}

std::vector<ScriptedPrompt::Message> ScriptedPrompt::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> ScriptedPrompt::overwriteQuestions() const {
    std::lock_guard lock(mutex_);
    return overwriteQuestions_;
}

void ScriptedPrompt::reset() {
    std::lock_guard lock(mutex_);
    messageAnswers_.clear();
    overwriteAnswers_.clear();
    messages_.clear();
    overwriteQuestions_.clear();
    onMessage_ = nullptr;
    defaultOverwriteAnswer = ANSWER_YES;
}

ProgressSnapshot WaitUntilStill(JobProgress& progress) {
    ProgressSnapshot last = ReadSnapshot(progress);
    for (int still = 0; still < 3;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const ProgressSnapshot now = ReadSnapshot(progress);
        still = now.bytesDone == last.bytesDone && now.elapsedSeconds == last.elapsedSeconds ? still + 1 : 0;
        last = now;
    }
    return last;
}

void ExpectOnlyMessage(const ScriptedPrompt& prompt, const std::string& text, const std::string& caption,
                       unsigned flags) {
    const auto messages = prompt.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text);
    EXPECT_EQ(messages[0].caption, caption);
    EXPECT_EQ(messages[0].flags, flags);
}
