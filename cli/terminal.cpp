// The terminal side of morvane-cli: see terminal.h.
#include "cli/terminal.h"

#include "core/display_format.h"
#include "core/format_text.h"
#include "platform/platform.h"

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

std::atomic<bool> interrupted { false };
std::mutex watchedMutex;
JobControl* watched = nullptr;

} // namespace

void InterruptCli() {
    interrupted = true;
    std::lock_guard lock(watchedMutex);
    if (watched) RequestStop(*watched);
}

bool CliInterrupted() { return interrupted; }

void WatchJobForInterrupt(JobControl* control) {
    std::lock_guard lock(watchedMutex);
    watched = control;
}

std::string Printable(const std::string& text) {
    std::string printable;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            appendFormat(printable, "\\%03o", byte);
        else
            printable += c;
    }
    return printable;
}

std::string OneLine(const std::string& text) {
    // A line break and the indentation after it become one space.
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        while (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n' || text[i + 1] == ' ')) ++i;
        if (!line.empty() && line.back() != ' ') line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return Printable(line);
}

std::string WithReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + " (" + reason + ")";
}

std::string WithFailure(const std::string& text, const std::string& reason, const std::string& file) {
    return WithReason(text, reason.empty() || file.empty() ? reason : file + ": " + reason);
}

int TerminalPrompt::show(const Message& message) {
    if (message.kind == MessageKind::Question) return confirm(OneLine(message.text)) ? ANSWER_YES : ANSWER_NO;
    std::lock_guard lock(io_.errMutex);
    if (message.kind == MessageKind::Error) {
        if (io_.errIsTerminal) std::fputs("\r\033[K", io_.err);
        std::fprintf(io_.err, "morvane-cli: %s\n",
                     OneLine(WithFailure(message.text, message.reason, message.file)).c_str());
        std::fflush(io_.err);
    } else {
        if (io_.errIsTerminal) {
            std::fputs("\r\033[K", io_.err); // the progress line goes before the message comes
            std::fflush(io_.err);
        }
        std::fprintf(io_.out, "%s\n", OneLine(message.text).c_str());
        std::fflush(io_.out);
    }
    return ANSWER_OK;
}

std::string TerminalPrompt::readAnswer() {
    std::string answer;
    char line[64] = {};
    if ((!io_.waitForInput || io_.waitForInput([] { return CliInterrupted(); })) &&
        std::fgets(line, sizeof line, io_.in))
        answer = line;
    if (!io_.inIsTerminal || answer.empty() || answer.back() != '\n') {
        // The answer was not echoed (it came from a pipe or a file), or none came
        // (end of input, Ctrl-C): end the question's line.
        std::lock_guard lock(io_.errMutex);
        std::fputc('\n', io_.err);
    }
    return answer;
}

char TerminalPrompt::ask(const std::string& question) {
    {
        std::lock_guard lock(io_.errMutex);
        asking_ = true;
        std::fprintf(io_.err, "%s%s", io_.errIsTerminal ? "\r\033[K" : "", question.c_str());
        std::fflush(io_.err);
    }
    const std::string answer = readAnswer();
    asking_ = false;
    return answer.empty() ? 'n' : answer[0];
}

bool TerminalPrompt::confirm(const std::string& question) {
    if (mode_ == Overwrite::Yes) return true;
    if (mode_ == Overwrite::No) return false;
    const char first = ask(question + " [y/n] ");
    return first == 'y' || first == 'Y';
}

int TerminalPrompt::askOverwrite(const std::string& path) {
    int answer = ANSWER_NO;
    if (mode_ == Overwrite::Yes) return ANSWER_YES_TO_ALL;
    if (mode_ == Overwrite::Ask) {
        const char first = ask(Printable(path) + " already exists.  Overwrite? [y]es, [a]ll, [n]o: ");
        if (first == 'y' || first == 'Y') answer = ANSWER_YES;
        if (first == 'a' || first == 'A') answer = ANSWER_YES_TO_ALL;
    }
    if (answer == ANSWER_NO) {
        refused_ = path;
        std::lock_guard lock(io_.errMutex);
        std::fprintf(io_.err, "morvane-cli: not overwriting %s; stopped\n", Printable(path).c_str());
        std::fflush(io_.err);
    }
    return answer;
}

std::string ProgressLine(const ProgressSnapshot& s) {
    if (s.totalBytes == 0) return "";
    const double percent = static_cast<double>(s.bytesDone) * 100.0 / static_cast<double>(s.totalBytes);
    const double remaining = EstimateSecondsLeft(s.bytesDone, s.totalBytes, s.elapsedSeconds);
    return formatted("%5.1f%%  %s / %s bytes  file %u of %u  %s elapsed  %s left", percent,
                     FormatThousands(s.bytesDone).c_str(), FormatThousands(s.totalBytes).c_str(),
                     s.currentFile + 1, s.totalFiles, FormatDuration(s.elapsedSeconds).c_str(),
                     FormatDuration(remaining).c_str());
}

void RunJob(CliIo& io, JobControl& control, JobProgress& progress, const TerminalPrompt& prompt,
            const std::function<void()>& worker) {
    WatchJobForInterrupt(&control);
    std::promise<void> ended;
    std::future<void> done = ended.get_future();
    std::thread thread([&] {
        worker();
        ended.set_value();
    });
    bool drawn = false;
    int ticks = 0;
    // Wakes at once when the worker ends, else every 20 ms to pass on Ctrl-C and
    // every 200 ms to draw the progress line.
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        // An interrupt that came before the worker reset its flags is given again.
        if (CliInterrupted()) RequestStop(control);
        if (!io.errIsTerminal || ++ticks % 10 != 0) continue;
        const std::string line = ProgressLine(ReadSnapshot(progress));
        if (line.empty()) continue;
        std::lock_guard lock(io.errMutex);
        if (prompt.asking()) continue; // the question's line is not to be overwritten
        std::fprintf(io.err, "\r\033[K%s", line.c_str());
        std::fflush(io.err);
        drawn = true;
    }
    thread.join();
    WatchJobForInterrupt(nullptr);
    if (drawn) {
        std::lock_guard lock(io.errMutex);
        std::fputs("\r\033[K", io.err);
        std::fflush(io.err);
    }
}
