// The join worker: see join_engine.h.
#include "join/join_engine.h"

#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"

#include <algorithm>
#include <vector>

const char* const TEXT_TOO_FEW_SEGMENTS = "At least 2 split files must exist in the specified directory.";
const char* const TEXT_SEGMENTS_MISSING =
    "It appears one or more split files are missing.  Please make sure that:\r\n\r\n"
    "    - All split files are in the same directory as the specified file.\r\n"
    "    - All of the necessary files exist.\r\n";
const char* const TEXT_JOIN_OPEN_INPUT_FAILED =
    "Failed to open input file.\r\n\r\nIf the file exists, make sure it is not open in another application.";

SetReport ExamineSet(const SegmentSet& set) {
    SetReport report;
    if (set.empty()) return report;
    SegmentPathParts parts;
    parts.assign(set.begin()->first);
    report.count = parts.suffixNumber(false);
    report.total = SetTotal(set);
    for (const auto& [path, size] : set) {
        parts.assign(path);
        const SetMember member { parts.suffixNumber(true), path, size };
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

static const StepTexts JOIN_TEXTS = {
    "Failed reserve disk space for output file.", "Failed to set output end-of-file.",
    "Failed to allocate byte buffer array.",      "Read failure.",
    "Write failure.",
};

void JoinWorker(JoinThreadArgs& args) {
    UserPrompt& prompt = args.prompt;
    ClearFinished(args.progress);

    const SegmentSet set = DiscoverSegments(args.request.sourcePath);
    const SetReport report = ExamineSet(set);
    const std::string refusal = SetRefusal(set, report);
    if (!refusal.empty()) return (void)ShowJobError(prompt, refusal);
    const std::vector<SetMember>& members = report.members;
    const std::int64_t total = report.total;

    BeginJob(args.progress, static_cast<std::uint64_t>(total), static_cast<std::uint32_t>(members.size()));
    ResetForJob(args.control);

    JobContext job { args.control, args.progress, prompt, JOIN_TEXTS };
    PendingOutput output;
    if (args.request.toStandardOutput) {
        output.file = platform::File::standardOutput();
        if (!output.file.valid()) return (void)ShowJobError(prompt, "Failed to create output file.");
    } else {
        // When the volume cannot be asked, the check is left out: a lack of space
        // then shows as a write failure.
        std::uint64_t available = 0;
        if (platform::freeBytesAvailable(args.request.outputDir, available) &&
            static_cast<std::int64_t>(std::min<std::uint64_t>(available, INT64_MAX)) < total)
            return (void)ShowJobError(prompt, "Insufficient disk space for joined output file.");

        const std::string outputPath = JoinOutputPath(args.request);
        // Replacing a member would destroy it.
        for (const SetMember& m : members)
            if (platform::sameFile(outputPath, m.path))
                return (void)ShowJobError(prompt, formatted("The output file:\r\n\r\n    %s\r\n\r\nis one of the "
                                                            "split files.  Please choose another output filename "
                                                            "or directory.",
                                                            outputPath.c_str()));
        output = BeginOutput(job, outputPath, total, "Failed to create output file.");
        if (!output.file.valid()) return; // the user's "No", or the reason has been shown
    }

    job.stopwatch.TakeMark();
    for (std::uint32_t position = 0; position < members.size(); ++position) {
        platform::File member = platform::File::openRead(members[position].path, platform::Share::None);
        if (!member.valid()) {
            output.file.close();
            return (void)ShowJobError(prompt, TEXT_JOIN_OPEN_INPUT_FAILED);
        }
        // The size now, not the one discovery measured, governs the copy.
        std::int64_t size = 0;
        if (!member.size(size)) {
            member.close();
            output.file.close();
            return (void)ShowJobError(prompt, JOIN_TEXTS.readFailed);
        }
        SetCurrentFile(args.progress, position);
        if (CopyBlocks(job, member, output.file, size) != CopyEnd::Done) return; // files close themselves
    }
    // A member that shrank since discovery leaves reserved bytes behind the
    // data: the output ends exactly where the writing ended.
    if (!args.request.toStandardOutput && !output.file.setEnd()) {
        output.file.close();
        return (void)ShowJobError(prompt, JOIN_TEXTS.setEndFailed);
    }
    if (!CommitOutput(job, output)) return;
    AddTimeAndMarkFinished(args.progress, job.stopwatch);
    prompt.showMessage("File joining operation complete!", "", BOX_OK);
}
