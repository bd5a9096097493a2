// libFuzzer target: segment discovery over made-up directory listings, and the
// examination of the set it finds, against a brute-force reading of the rules.
//
// Input: directory choice, source name choice (6 and up: a counted name from
// the input), count choice, selected number (1 byte each; some choices read
// more bytes), then listing entries, each an operation byte and its operands.
#include "core/segment_name.h"
#include "fuzz/fuzz_support.h"
#include "join/join_engine.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace {

const char* const DIRECTORIES[] = { "/nonexistent-morvane-fuzz/set/", "C:\\data\\", "",
                                    "C:", "/nonexistent-morvane-fuzz/a.b\\c/" };
const char* const SOURCES[] = { "movie.avi", "README", "archive.tar.gz", "", ".profile", "x" };

std::string Padded(std::uint64_t number, std::size_t width) {
    std::string text = std::to_string(number);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

struct Listing {
    std::string prefix;
    std::string source;
    std::uint32_t count = 0;
    std::vector<std::string> names;
    std::set<std::string> unreadable; // full paths whose measurement fails
};

std::int64_t FakeSize(const std::string& path) {
    return static_cast<std::int64_t>(std::hash<std::string> {}(path) % 1000003u);
}

// One listing entry from an operation byte and its operands: members of the
// set, and the names that come close to it.
std::string MakeEntry(ByteReader& in, const Listing& l, bool& markUnreadable) {
    const std::string countText = std::to_string(l.count);
    const std::size_t width = countText.size();
    auto number = [&in]() -> std::uint64_t {
        const std::uint8_t b = in.byte();
        return b == 255 ? in.u32() : b;
    };
    auto member = [&](std::uint64_t k) { return l.source + "." + Padded(k, width) + "_of_" + countText; };
    const std::uint8_t op = in.byte();
    switch (op % 14) {
    case 0:
    case 1:
    case 2: return member(number());
    case 3: { // operands read one by one: the order of a + chain's operands is unspecified
        const std::string zeros(in.byte() % 3, '0');
        return l.source + "." + zeros + std::to_string(number()) + "_of_" + countText;
    }
    case 4: // the same N written otherwise: leading zeros, or a value that saturates alike
        if (l.count >= 2147483647u && in.byte() % 2)
            return l.source + "." + std::to_string(number()) + "_of_99999999999";
        return l.source + "." + Padded(number(), width) + "_of_0" + countText;
    case 5: { // another count
        const std::string k = Padded(number(), width);
        return l.source + "." + k + "_of_" + std::to_string(std::uint64_t { l.count } + 1 + in.byte());
    }
    case 6: { // another source name
        const std::string suffix = member(number()).substr(l.source.size());
        std::string upper = l.source;
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        switch (in.byte() % 5) {
        case 0: return l.source + ".old" + suffix;
        case 1: return l.source.substr(0, l.source.empty() ? 0 : l.source.size() - 1) + suffix;
        case 2: return "x" + l.source + suffix;
        case 3: return upper + suffix;
        default: return l.source + "." + suffix;
        }
    }
    case 7: { // suffixes that come close
        const std::string k = Padded(number(), width);
        switch (in.byte() % 6) {
        case 0: return l.source + "." + k + "_OF_" + countText;
        case 1: return l.source + "._of_" + countText;
        case 2: return member(number()) + "b";
        case 3: return l.source + "." + k + "_of" + countText;
        case 4: return l.source + ".1_of_";
        default: return l.source + "." + k + "_of_";
        }
    }
    case 8: return in.counted();
    case 9: { // a separator inside the name
        const char* const inside = in.byte() % 2 ? ".x\\" : ".d/";
        return l.source + inside + member(number());
    }
    case 10: { // a name that starts like a drive
        const char letter = static_cast<char>('a' + in.byte() % 3);
        return std::string(1, letter) + ":" + member(number());
    }
    case 11: return l.source;
    case 12: { // near a large N
        const std::uint8_t below = in.byte();
        return member(l.count >= below ? l.count - below : 0);
    }
    default: markUnreadable = true; return member(number());
    }
}

// The members by the rules, name by name: no separator in the entry, the
// source name, then a segment suffix with the selected N; no directory.
std::map<std::string, std::int64_t> ExpectedMembers(const Listing& l, std::int32_t count, bool& spoiled) {
    std::map<std::string, std::int64_t> expected;
    spoiled = false;
    for (const std::string& name : l.names) {
        if (name.find_first_of("/\\") != std::string::npos) continue;
        const std::size_t dot = name.rfind('.');
        if (dot == std::string::npos || name.substr(0, dot) != l.source) continue;
        const std::string suffix = name.substr(dot);
        if (!LooksLikeSegmentSuffix(suffix)) continue;
        if (SaturatedDecimal(suffix.substr(suffix.find("_of_") + 4)) != count) continue;
        const std::string path = l.prefix + name;
        if (platform::isDirectory(path)) continue;
        if (l.unreadable.count(path)) spoiled = true;
        expected[path] = FakeSize(path);
    }
    if (spoiled) expected.clear();
    return expected;
}

// The first key that one side has and the other lacks (or measures otherwise).
std::string Difference(const SegmentSet& found, const std::map<std::string, std::int64_t>& expected) {
    for (const auto& [path, bytes] : found)
        if (!expected.count(path) || expected.at(path) != bytes) return "found, not expected: " + path;
    for (const auto& entry : expected)
        if (!found.count(entry.first)) return "expected, not found: " + entry.first;
    return std::string();
}

std::int32_t NumberOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t of = path.rfind("_of_");
    return SaturatedDecimal(path.substr(dot + 1, of - dot - 1));
}

bool SameMember(const SetMember& m, const std::string& path, std::int64_t size) {
    return m.path == path && m.size == size && m.number == NumberOf(path);
}

void CheckReport(const SegmentSet& set, std::int32_t count) {
    const SetReport report = ExamineSet(set);
    const std::string refusal = SetRefusal(set, report);
    if (set.empty()) {
        Require(report.count == 0 && report.members.empty() && report.outOfRange.empty() &&
                    report.duplicates.empty() && report.missing.empty() && report.total == 0,
                "an empty set gives an empty report");
        Require(refusal == TEXT_TOO_FEW_SEGMENTS, "an empty set is refused as too few");
        return;
    }
    Require(report.count == count, "the report's N is the set's N");

    // Brute force: members bucketed by number, in key order within a number.
    std::map<std::int32_t, std::vector<std::string>> byNumber;
    std::vector<std::string> outOfRange;
    std::int64_t total = 0;
    for (const auto& [path, size] : set) {
        total += size;
        const std::int32_t k = NumberOf(path);
        if (k >= 1 && k <= count)
            byNumber[k].push_back(path);
        else
            outOfRange.push_back(path);
    }
    Require(report.total == total, "the total is every member's size");
    Require(report.outOfRange.size() == outOfRange.size(), "every number outside 1..N is reported");
    for (std::size_t i = 0; i < outOfRange.size(); ++i)
        Require(SameMember(report.outOfRange[i], outOfRange[i], set.at(outOfRange[i])),
                "out-of-range members in key order", outOfRange[i]);

    std::vector<std::string> inOrder;
    std::vector<std::pair<std::string, std::string>> duplicates;
    std::vector<std::pair<std::int32_t, std::int32_t>> missing;
    std::int64_t next = 1;
    for (const auto& [k, paths] : byNumber) {
        if (k > next) missing.emplace_back(static_cast<std::int32_t>(next), k - 1);
        next = std::int64_t { k } + 1;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            inOrder.push_back(paths[i]);
            if (i > 0) duplicates.emplace_back(paths[i - 1], paths[i]);
        }
    }
    if (next <= count) missing.emplace_back(static_cast<std::int32_t>(next), count);

    Require(report.members.size() == inOrder.size(), "every member numbered 1..N is a member");
    for (std::size_t i = 0; i < inOrder.size(); ++i)
        Require(SameMember(report.members[i], inOrder[i], set.at(inOrder[i])),
                "members in number order, key order within a number", inOrder[i]);
    Require(report.duplicates.size() == duplicates.size(), "every repeated number is reported");
    for (std::size_t i = 0; i < duplicates.size(); ++i)
        Require(report.duplicates[i].first.path == duplicates[i].first &&
                    report.duplicates[i].second.path == duplicates[i].second,
                "duplicates pair the members that share a number", duplicates[i].second);
    Require(report.missing == missing, "the missing ranges are the numbers no member carries");

    // The ranges once more, as sets of numbers: ordered, disjoint, within
    // 1..N, holding no present number, and with the present ones covering 1..N.
    std::int64_t covered = 0, previousLast = 0;
    for (const auto& [first, last] : report.missing) {
        Require(first >= 1 && first <= last && last <= count && first > previousLast,
                "missing ranges are ordered, disjoint and within 1..N");
        const auto present = byNumber.lower_bound(first);
        Require(present == byNumber.end() || present->first > last,
                "a missing range holds no member's number");
        covered += std::int64_t { last } - first + 1;
        previousLast = last;
    }
    Require(covered + static_cast<std::int64_t>(byNumber.size()) == count,
            "missing and present numbers make up 1..N");
    if (count <= 4096) { // and by a scan of every number
        std::vector<bool> seen(static_cast<std::size_t>(count) + 1);
        for (const auto& entry : byNumber) seen[static_cast<std::size_t>(entry.first)] = true;
        for (const auto& [first, last] : report.missing)
            for (std::int32_t k = first; k <= last; ++k) seen[static_cast<std::size_t>(k)] = true;
        for (std::int32_t k = 1; k <= count; ++k) Require(seen[static_cast<std::size_t>(k)], "1..N scanned");
    }

    const bool joins = set.size() >= 2 && outOfRange.empty() && duplicates.empty() && missing.empty();
    Require(refusal.empty() == joins,
            "a set joins exactly when it holds 1..N once each and two members at least", refusal);
    if (joins) {
        for (std::size_t i = 0; i < report.members.size(); ++i)
            Require(report.members[i].number == static_cast<std::int32_t>(i + 1),
                    "a joinable set copies 1..N");
    } else if (set.size() < 2) {
        Require(refusal == TEXT_TOO_FEW_SEGMENTS, "too few members is said first");
    } else if (!outOfRange.empty()) {
        Require(refusal.find(outOfRange.front()) != std::string::npos &&
                    refusal.find("is numbered") != std::string::npos,
                "a number outside 1..N is said next, naming the file", refusal);
    } else if (!duplicates.empty()) {
        Require(refusal.find(duplicates.front().first) != std::string::npos &&
                    refusal.find(duplicates.front().second) != std::string::npos,
                "a repeated number is said next, naming both files", refusal);
    } else {
        Require(refusal == TEXT_SEGMENTS_MISSING, "a missing number is said last");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192) return 0;
    ByteReader in { data, size };
    Listing l;
    l.prefix = DIRECTORIES[in.byte() % 5];
    const std::uint8_t sourceChoice = in.byte() % 8;
    l.source = sourceChoice < 6 ? SOURCES[sourceChoice] : in.counted();
    const std::uint8_t countChoice = in.byte();
    static const std::uint32_t LARGE[] = { 2147483647u, 2147483648u, 4294967295u, 1000000000u };
    l.count = countChoice < 128 ? countChoice % 16u : countChoice < 192 ? in.u32() : LARGE[countChoice % 4];
    const std::uint8_t selectedChoice = in.byte();
    const std::uint64_t selectedNumber = selectedChoice == 255 ? in.u32() : selectedChoice;

    // A source name is a file name (no separator, no NUL); an empty directory
    // before "X:" makes a drive.
    if (l.source.find_first_of(std::string("/\\\0", 3)) != std::string::npos || l.source.size() > 200)
        return 0;
    if (l.prefix.empty() && l.source.size() >= 2 && l.source[1] == ':') return 0;
    const std::string selected = l.prefix + l.source + "." +
                                 Padded(selectedNumber, std::to_string(l.count).size()) + "_of_" +
                                 std::to_string(l.count);
    const SegmentPathParts selectedParts(selected);
    Require(selectedParts.isSegment() && selectedParts.name + selectedParts.extension == l.source &&
                selectedParts.drive + selectedParts.directory == l.prefix,
            "the selected segment reads as its directory, source name and suffix", selected);
    const std::int32_t count = selectedParts.suffixNumber(false);

    while (!in.atEnd() && l.names.size() < 2000) {
        bool unreadable = false;
        l.names.push_back(MakeEntry(in, l, unreadable));
        // A listing never yields a NUL, and messages end a path at one.
        if (l.names.back().find('\0') != std::string::npos) {
            l.names.pop_back();
            continue;
        }
        if (unreadable) l.unreadable.insert(l.prefix + l.names.back());
    }

    std::vector<std::string> measured;
    const SegmentSet set =
        SelectSetMembers(selected, l.names, [&](const std::string& path, std::int64_t& bytes) {
            measured.push_back(path);
            if (l.unreadable.count(path)) return false;
            bytes = FakeSize(path);
            return true;
        });
    bool spoiled = false;
    const std::map<std::string, std::int64_t> expected = ExpectedMembers(l, count, spoiled);
    for (const auto& [path, bytes] : set) {
        const SegmentPathParts member(path);
        Require(member.isSegment() && member.suffixNumber(false) == count &&
                    member.name + member.extension == l.source,
                "every member is a segment of the same N and source name", path);
    }
    Require(set == expected, "the members are exactly the entries the rules admit",
            Difference(set, expected));
    for (const std::string& path : measured)
        Require(spoiled || expected.count(path), "only members are measured", path);
    CheckReport(set, count);
    return 0;
}
