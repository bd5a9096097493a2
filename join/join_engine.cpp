// The join worker: see join_engine.h.
#include "join/join_engine.h"

#include "core/format_text.h"
#include "core/segment_name.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

const char* const TEXT_TOO_FEW_SEGMENTS = "At least 2 split files must exist in the specified directory.";
const char* const TEXT_SEGMENTS_MISSING =
    "It appears one or more split files are missing.  Please make sure that:\r\n\r\n"
    "    - All split files are in the same directory as the specified file.\r\n"
    "    - All of the necessary files exist.\r\n";
const char* const TEXT_JOIN_OPEN_INPUT_FAILED =
    "Failed to open input file.\r\n\r\nIf the file exists, make sure it is not open in another application.";

namespace {

const char* const CAPTION_ERROR = "Error:";

void ShowError(UserPrompt& prompt, const std::string& text) {
    prompt.showMessage(text, CAPTION_ERROR, BOX_TASKMODAL);
}

// Closes the files before the message appears, so that none is held while the
// user reads.
void CloseAndShowError(UserPrompt& prompt, const std::string& text, platform::File& output,
                       platform::File* member = nullptr) {
    if (member) member->close();
    output.close();
    ShowError(prompt, text);
}

} // namespace

SetReport ExamineSet(const SegmentSet& set) {
    SetReport report;
    if (set.empty()) return report;
    SegmentPathParts parts;
    parts.assign(set.begin()->first);
    report.count = parts.suffixNumber(false);
    for (const auto& [path, size] : set) {
        parts.assign(path);
        const SetMember member { parts.suffixNumber(true), path, size };
        report.total += size;
        if (member.number < 1 || member.number > report.count)
            report.outOfRange.push_back(member);
        else
            report.members.push_back(member);
    }
    std::stable_sort(report.members.begin(), report.members.end(),
                     [](const SetMember& a, const SetMember& b) { return a.number < b.number; });
    std::int64_t expected = 1; // 64 bits: the number after 2147483647 must not wrap
    for (std::size_t i = 0; i < report.members.size(); ++i) {
        const SetMember& m = report.members[i];
        if (i > 0 && m.number == report.members[i - 1].number) {
            report.duplicates.emplace_back(report.members[i - 1], m);
            continue;
        }
        if (m.number > expected)
            report.missing.emplace_back(static_cast<std::int32_t>(expected), m.number - 1);
        expected = std::int64_t { m.number } + 1;
    }
    // Ranges, not numbers: N may be two billion.
    if (report.count >= 1 && expected <= report.count)
        report.missing.emplace_back(static_cast<std::int32_t>(expected), report.count);
    return report;
}

std::string SetRefusal(const SegmentSet& set, const SetReport& report) {
    if (set.size() < 2) return TEXT_TOO_FEW_SEGMENTS;
    if (!report.outOfRange.empty()) {
        const SetMember& m = report.outOfRange.front();
        return formatted(
            "The split file:\r\n\r\n    %s\r\n\r\nis numbered %d of %d.  A split file's number must "
            "lie between 1 and the number of files.  Please move it out of the directory and try "
            "again.",
            m.path.c_str(), m.number, report.count);
    }
    if (!report.duplicates.empty()) {
        const auto& [first, second] = report.duplicates.front();
        return formatted(
            "Two split files carry the number %d:\r\n\r\n    %s\r\n    %s\r\n\r\nPlease move one of "
            "them out of the directory and try again.",
            first.number, first.path.c_str(), second.path.c_str());
    }
    if (!report.missing.empty()) return TEXT_SEGMENTS_MISSING;
    return "";
}

std::string JoinOutputPath(const JoinRequest& request) {
    return DirectoryPrefix(request.outputDir) + request.outputFileName;
}

void JoinWorker(JoinThreadArgs& args) {
    UserPrompt& prompt = args.prompt;
    ClearFinished(args.progress);

    const SegmentSet set = DiscoverSegments(args.request.sourcePath);
    const SetReport report = ExamineSet(set);
    const std::string refusal = SetRefusal(set, report);
    if (!refusal.empty()) return ShowError(prompt, refusal);
    const std::vector<SetMember>& members = report.members;
    const std::int64_t total = report.total;

    BeginJob(args.progress, static_cast<std::uint64_t>(total), static_cast<std::uint32_t>(members.size()));
    ResetForJob(args.control);

    // When the volume cannot be asked, the check is left out: a lack of space
    // then shows as a write failure.
    std::uint64_t available = 0;
    if (platform::freeBytesAvailable(args.request.outputDir, available) &&
        static_cast<std::int64_t>(std::min<std::uint64_t>(available, INT64_MAX)) < total)
        return ShowError(prompt, "Insufficient disk space for joined output file.");

    const std::string outputPath = JoinOutputPath(args.request);
    if (platform::pathExists(outputPath)) {
        // Replacing a member would destroy it before it is read.
        for (const SetMember& m : members)
            if (platform::sameFile(outputPath, m.path))
                return ShowError(prompt,
                                 formatted("The output file:\r\n\r\n    %s\r\n\r\nis one of the split "
                                           "files.  Please choose another output filename or directory.",
                                           outputPath.c_str()));
        if (args.control.overwriteAll == 0) {
            const int answer = prompt.askOverwrite(outputPath);
            if (answer == ANSWER_NO) return; // the user's stop: no message
            if (answer == ANSWER_YES_TO_ALL) args.control.overwriteAll = 1;
        }
    }

    platform::File output = platform::File::createAlways(outputPath);
    if (!output.valid()) return ShowError(prompt, "Failed to create output file.");
    // Reserve the whole size less one byte before copying; an empty result has
    // nothing to reserve.
    if (total > 0) {
        if (!output.seek(total - 1))
            return CloseAndShowError(prompt, "Failed reserve disk space for output file.", output);
        if (!output.setEnd()) return CloseAndShowError(prompt, "Failed to set output end-of-file.", output);
        if (!output.seek(0))
            return CloseAndShowError(prompt, "Failed reserve disk space for output file.", output);
    }

    Stopwatch stopwatch;
    stopwatch.TakeMark();
    for (std::uint32_t position = 0; position < members.size(); ++position) {
        platform::File member = platform::File::openRead(members[position].path, platform::Share::None);
        if (!member.valid()) return CloseAndShowError(prompt, TEXT_JOIN_OPEN_INPUT_FAILED, output);
        // The size now, not the one discovery measured, governs the copy.
        std::int64_t size = 0;
        if (!member.size(size)) return CloseAndShowError(prompt, "Read failure.", output, &member);
        SetCurrentFile(args.progress, position);
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[JOIN_BLOCK_SIZE]);
        if (!buffer)
            return CloseAndShowError(prompt, "Failed to allocate byte buffer array.", output, &member);

        std::int64_t copied = 0;
        std::int64_t step = JOIN_BLOCK_SIZE;
        while (copied < size) {
            HoldWhilePaused(args.control, args.progress, stopwatch);
            if (CancelRequested(args.control)) return; // the user's stop: no message; files close themselves
            if (size - copied < step) step = size - copied;
            const auto length = static_cast<std::uint32_t>(step);
            if (!member.read(buffer.get(), length))
                return CloseAndShowError(prompt, "Read failure.", output, &member);
            if (!output.write(buffer.get(), length))
                return CloseAndShowError(prompt, "Write failure.", output, &member);
            copied += step;
            AddBlock(args.progress, length, stopwatch);
        }
    }
    // A member that shrank since discovery leaves reserved bytes behind the
    // data: the output ends exactly where the writing ended.
    if (!output.setEnd()) return CloseAndShowError(prompt, "Failed to set output end-of-file.", output);
    output.close();
    AddTimeAndMarkFinished(args.progress, stopwatch);
    prompt.showMessage("File joining operation complete!", "", BOX_OK);
}
