// Split plans through the input check and the plan check, as a page or the
// command line asks for them, from the count or size as typed; and the display
// formats of counts and sizes.
#include "cli/options.h"
#include "cli/terminal.h"
#include "core/display_format.h"
#include "split/split_input.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// "2x4 1x2": two segments of 4 bytes, then one of 2.
std::string Describe(const SplitPlan& p) {
    const std::string lead = std::to_string(p.leadCount) + "x" + std::to_string(p.leadSize);
    const std::string tail = std::to_string(p.tailCount) + "x" + std::to_string(p.tailSize);
    return p.leadCount == 0 ? tail : p.tailCount == 0 ? lead : lead + " " + tail;
}

// Each row: the source's size (-1: no such file), the request ("n" and a
// count, or a size per segment as typed) and the plan or the message.
TEST(SplitPlan, PlansAndRefusals) {
    // clang-format off
    const std::string E = "Error:|error|", FEW = "Please specify at least 2 output files.",
        TINY = E + "Please enter a file size of at least 1 byte.", WHOLE = E + "Specified output size does not require splitting.",
        MANY = E + "The specified output size would make more than 4,294,967,295 output files.  Please enter a larger file size.",
        COUNT = "Please enter a valid number of output files.", NO_SOURCE = "The specified input file does not exist.",
        POINTS = "Invalid custom size value - entry contains multiple decimal points.",
        ILLEGAL = "Invalid custom size value - entry contains illegal character(s).", ZERO = "Please enter a positive, non-zero file size.";
    // clang-format on
    const struct {
        std::int64_t source;
        std::string request, expect;
    } rows[] = {
        // clang-format off
        { 10, "n3", "1x4 2x3" }, { 12, "n3", "3x4" }, { 3, "n5", "3x1 2x0" }, { 0, "n2", "2x0" },
        { 4294967297, "n4294967295", "2x2 4294967293x1" }, { 10, "n1", FEW }, { 10, "n0001", FEW },
        { 10, "4B", "2x4 1x2" }, { 12, "4", "3x4" }, { 3000, "1k", "2x1024 1x952" }, { 1000, ".3K", "3x307 1x79" },
        { 3145729, "1.5M", "2x1572864 1x1" }, { 5368709120, "2g", "2x2147483648 1x1073741824" },
        { 4294967295, "1", "4294967295x1" }, { 4294967296, "1B", MANY }, { 8589934591, "2", MANY },
        { 10, "0.5", TINY }, { 10, "9000000000000000000G", TINY }, { 10, "10", WHOLE }, { 10, "1m", WHOLE },
        { 0, "1", WHOLE }, { 10, "1..5M", POINTS }, { 10, "1e3", ILLEGAL }, { 10, "-1M", ILLEGAL },
        { 10, "1MB", ILLEGAL }, { 10, "", ZERO }, { 10, ".", ZERO }, { 10, "0.00G", ZERO }, { -1, "n2", NO_SOURCE },
        { 10, "ntwo", COUNT }, { 10, "n000000000000000000000000004294967296", COUNT },
        // clang-format on
    };
    TempDir temp;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.source) + " " + r.request);
        const ParsedSize size = ParseSegmentSize(r.request);
        SplitInput input;
        input.sourcePath = temp.file(std::to_string(r.source)), input.outputDir = temp.path();
        input.sizeText = size.number, input.sizeUnit = size.unit;
        if (r.source >= 0) { // sparse: the big sources take no room
            std::remove(input.sourcePath.c_str());
            platform::File source = platform::File::createNew(input.sourcePath);
            ASSERT_TRUE(source.seek(r.source) && source.setEnd());
        }
        std::uint32_t count = 0;
        input.mode = r.request[0] == 'n' ? SplitMode::FileCount : SplitMode::CustomSize;
        if (r.request[0] == 'n' && ParseFileCount(r.request.substr(1), count)) input.fileCount = count;
        SplitRequest request;
        SplitPlan plan;
        ScriptedPrompt prompt;
        std::string got = CheckSplitInput(input, request);
        if (got.empty()) got = PrepareSplitPlan(request, plan, prompt) ? Describe(plan) : "";
        for (const auto& message : prompt.messages) got += message;
        EXPECT_EQ(got, r.expect);
    }
    // The plan check refuses a count below 2 by itself, whoever calls it.
    SplitRequest one { temp.file("10"), temp.path(), SplitMode::FileCount, 1 };
    SplitPlan plan;
    ScriptedPrompt prompt;
    EXPECT_FALSE(PrepareSplitPlan(one, plan, prompt));
    EXPECT_EQ(prompt.messages, std::vector<std::string> { E + FEW });
}

TEST(DisplayFormat, CountsSizesAndDurations) {
    const std::pair<std::string, const char*> rows[] = {
        // clang-format off
        { FormatThousands(999), "999" }, { FormatThousands(1000005), "1,000,005" }, { FormatDuration(-5), "00:00" },
        { FormatThousands(18446744073709551615u), "18,446,744,073,709,551,615" }, { FormatDuration(59.9), "00:59" },
        { FormatSignedThousands(INT64_MIN), "-9,223,372,036,854,775,808" }, { FormatDuration(90061), "25:01:01" },
        { FormatDuration(EstimateSecondsLeft(25, 100, 5.0)), "00:15" }, // 75 bytes left at 5 a second
        { FormatSize(std::int64_t { 1023 }, SOURCE_SIZE_TEMPLATES), "File size: 1023 Bytes" },
        { FormatSize(std::int64_t { 1024 }, SOURCE_SIZE_TEMPLATES), "File size: 1.00 KB" },
        { FormatSize(std::int64_t { 1048575 }, SIZE_PER_FILE_TEMPLATES), "1024.00 KB / File" },
        { FormatSize(std::int64_t { 1572864 }, SIZE_PER_FILE_TEMPLATES), "1.50 MB / File" },
        { FormatSize(std::uint64_t { 1073741824 }, FREE_SPACE_TEMPLATES), "Disk Space Available: 1.00 GB" },
        { FormatSize(std::uint64_t { 5767168 }, FREE_SPACE_TEMPLATES), "Disk Space Available: 5.50 MB" },
        // The command line's progress line counts files from 1.
        { ProgressLine({ 2500000, 1000000, 0, 4, 4.0 }),
          " 40.0%  1,000,000 / 2,500,000 bytes  file 1 of 4  00:04 elapsed  00:06 left" },
        { FormatSetSummary(2, 1023), "2 files (1023 Bytes)" }, { FormatSetSummary(1, 1610612736), "1 files (1.50 GB)" },
        // clang-format on
    };
    for (const auto& [got, want] : rows) EXPECT_EQ(got, want);
}

} // namespace
