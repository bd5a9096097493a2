// libFuzzer target: discovery over a made-up directory listing, and the report
// on the set it finds. Only members are measured, and the set is what they
// measured, less those that cannot be measured (a "!" in the name), which are
// listed as unreadable instead; every
// member is a listed segment beside the selected one, of its source name (as
// the file system compares names) and count; the report holds every member,
// numbered 1..N in order, and a set is joined only when it holds 1..N once each.
#include "core/segment_name.h"
#include "fuzz/fuzz_support.h"
#include "join/join_engine.h" // and segment_discovery.h
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string directory = in.PickValueInArray({ "/no-such-morvane-dir/", "C:\\data\\", "C:", "" });
    const SegmentPathParts selected(directory + in.ConsumeRandomLengthString());
    std::vector<std::string> names;
    while (in.remaining_bytes() > 0) names.push_back(in.ConsumeRandomLengthString());
    SegmentSet measured;
    std::vector<std::string> refused;
    const auto measure = [&](const std::string& path, std::int64_t& bytes, std::string& reason) {
        const bool readable = path.find('!') == std::string::npos;
        if (readable)
            measured[path] = bytes = static_cast<std::int64_t>(path.size() % 3);
        else
            refused.push_back(path), reason = "!";
        return readable;
    };
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = SelectSetMembers(selected.fullPath(), names, measure, unreadable);
    REQUIRE(set == measured && unreadable.size() == refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i)
        REQUIRE(unreadable[i].path == refused[i] && unreadable[i].reason == "!" && !set.count(refused[i]));
    const std::string beside = selected.drive + selected.directory, name = selected.name + selected.extension;
    for (const auto& [path, bytes] : set) {
        const SegmentPathParts member(path);
        REQUIRE(std::count(names.begin(), names.end(), path.substr(beside.size())) > 0);
        REQUIRE(member.drive + member.directory == beside &&
                platform::sameName(member.name + member.extension, name));
        REQUIRE(member.isSegment() && member.segmentCount() == selected.segmentCount());
    }
    const SetReport report = ExamineSet(set);
    const bool joins = SetRefusal(set, report).empty();
    REQUIRE(report.members.size() + report.outOfRange.size() == set.size());
    REQUIRE(!joins || (set.size() >= 2 && report.members.size() == set.size() &&
                       set.size() == std::size_t(report.count)));
    for (std::size_t i = 0; i < report.members.size(); ++i) {
        const std::int32_t k = report.members[i].number;
        REQUIRE(k >= 1 && k <= report.count && (i == 0 || report.members[i - 1].number <= k) &&
                (!joins || std::size_t(k) == i + 1));
    }
    return 0;
}
