// Helpers shared by the tests: a scratch directory, file contents, a polling
// wait with a time limit, and a scripted stand-in for the user.
#pragma once

#include "core/user_prompt.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A fresh directory under the system's temporary directory, removed with all
// its contents at the end of the test.
class TempDir {
public:
    TempDir() {
        std::error_code error;
        auto n = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string base = (std::filesystem::temp_directory_path() / "morvane-test-").string();
        do path_ = base + std::to_string(n++);
        while (!std::filesystem::create_directory(path_, error) && !error);
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    const std::string& path() const { return path_; }
    // path() + separator + name, joined as bytes: a std::filesystem::path would
    // read a UTF-8 name in another code page on Windows.
    std::string file(const std::string& name) const { return path_ + platform::PATH_SEPARATOR + name; }

private:
    std::string path_;
};

// Bytes that differ from position to position and seed to seed.
inline std::vector<unsigned char> PatternBytes(std::size_t size, std::uint32_t seed = 1) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] =
            static_cast<unsigned char>((i + std::uint64_t { seed } * 7919) * 0x9E3779B97F4A7C15u >> 56);
    return bytes;
}

inline void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline std::int64_t FileSize(const std::string& path) { // -1 when missing
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

inline std::vector<std::string> ListDirectory(const std::string& dir) { // names, sorted
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Polls `condition` every millisecond until it holds or `limit` passes.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

// The name of a message's kind, as tests write it: "error", "completion",
// "question", "question, No by default".
inline std::string KindName(const Message& message) {
    if (message.kind == MessageKind::Question) return message.defaultNo ? "question, No by default" : "question";
    return message.kind == MessageKind::Error ? "error" : "completion";
}

// Joins `thread` once `ended` is set, within `limit`; a thread that does not
// end by then ends the whole test run with the reason, rather than holding it
// until the test driver's time runs out.
inline void JoinWithin(std::thread& thread, const std::atomic<bool>& ended, const char* what,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(20000)) {
    if (!WaitUntil([&] { return ended.load(); }, limit)) {
        std::fprintf(stderr, "%s did not end within %lld ms\n", what, static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(1);
    }
    thread.join();
}

// Stands in for the user on one thread at a time: records each message as
// "caption|kind|text" and each overwrite question's path, and answers both
// from `answers` (then OK to messages, Yes to questions). `onAsk` runs on the
// asking thread before a question is answered.
struct ScriptedPrompt final : UserPrompt {
    std::vector<std::string> messages, questions;
    std::deque<int> answers;
    std::function<void()> onAsk;

    ScriptedPrompt(std::deque<int> scripted = {}) : answers(std::move(scripted)) {}
    int show(const Message& message) override {
        messages.push_back(message.caption + "|" + KindName(message) + "|" + message.text);
        return Next(message.kind == MessageKind::Question ? ANSWER_YES : ANSWER_OK);
    }
    int askOverwrite(const std::string& path) override {
        questions.push_back(path);
        if (onAsk) onAsk();
        return Next(ANSWER_YES);
    }
    int Next(int otherwise) {
        const int answer = answers.empty() ? otherwise : answers.front();
        return answers.empty() ? answer : (answers.pop_front(), answer);
    }
};
