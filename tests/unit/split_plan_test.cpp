// Split planning arithmetic, custom-size conversion and the plan check.
#include "split/split_engine.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<std::int64_t> Sizes(const SplitPlan& plan) {
    std::vector<std::int64_t> sizes;
    for (std::uint32_t k = 0; k < plan.segmentCount(); ++k) sizes.push_back(plan.segmentSize(k));
    return sizes;
}

std::int64_t Sum(const std::vector<std::int64_t>& sizes) {
    std::int64_t sum = 0;
    for (auto s : sizes) sum += s;
    return sum;
}

TEST(PlanByFileCount, SpreadsTheRemainderOverTheFirstSegments) {
    const struct {
        std::int64_t source;
        std::uint32_t count;
        std::vector<std::int64_t> sizes;
    } cases[] = {
        { 10, 3, { 4, 3, 3 } }, { 12, 3, { 4, 4, 4 } }, { 3, 5, { 1, 1, 1, 0, 0 } },
        { 0, 2, { 0, 0 } },     { 1, 2, { 1, 0 } },     { 11, 4, { 3, 3, 3, 2 } },
    };
    for (const auto& c : cases) {
        SplitPlan plan;
        plan.sourceSize = c.source;
        PlanByFileCount(plan, c.count);
        EXPECT_EQ(Sizes(plan), c.sizes) << c.source << " into " << c.count;
    }
}

TEST(PlanByFileCount, KeepsTheInvariantForLargeSourcesAndCounts) {
    for (std::int64_t source :
         { std::int64_t { 5 } << 32, (std::int64_t { 1 } << 31) + 7, std::int64_t { 1 } << 40 })
        for (std::uint32_t count : { 2u, 7u, 1000u, 4294967295u }) {
            SplitPlan plan;
            plan.sourceSize = source;
            PlanByFileCount(plan, count);
            EXPECT_EQ(plan.segmentCount(), count);
            EXPECT_EQ(plan.leadSize * plan.leadCount + plan.tailSize * plan.tailCount, source);
            EXPECT_LE(plan.leadSize - plan.tailSize, 1);
        }
}

TEST(PlanBySegmentSize, FullSegmentsThenWhatIsLeft) {
    const struct {
        std::int64_t source, size;
        std::vector<std::int64_t> sizes;
    } cases[] = {
        { 10, 4, { 4, 4, 2 } }, { 12, 4, { 4, 4, 4 } },      { 3, 5, { 3 } },
        { 0, 5, {} },           { 5, 1, { 1, 1, 1, 1, 1 } },
    };
    for (const auto& c : cases) {
        SplitPlan plan;
        plan.sourceSize = c.source;
        plan.leadSize = c.size;
        ASSERT_TRUE(PlanBySegmentSize(plan));
        EXPECT_EQ(Sizes(plan), c.sizes) << c.source << " by " << c.size;
        EXPECT_EQ(Sum(Sizes(plan)), c.source);
    }
}

TEST(PlanBySegmentSize, RefusesMoreSegmentsThanA32BitCountHolds) {
    SplitPlan plan;
    plan.sourceSize = 4294967295;
    plan.leadSize = 1;
    EXPECT_TRUE(PlanBySegmentSize(plan));
    EXPECT_EQ(plan.segmentCount(), 4294967295u);

    plan.sourceSize = 4294967296; // one more 1-byte segment than fits
    EXPECT_FALSE(PlanBySegmentSize(plan));
    plan.sourceSize = 4294967295 * 2 + 1; // 2-byte segments and a 1-byte tail
    plan.leadSize = 2;
    EXPECT_FALSE(PlanBySegmentSize(plan));
    plan.sourceSize = 4294967295 * 2;
    EXPECT_TRUE(PlanBySegmentSize(plan));
}

TEST(CustomSizeToBytes, MultipliesByPowersOf1024AndTruncates) {
    const struct {
        double size;
        std::int32_t unit;
        std::int64_t bytes;
    } cases[] = {
        { 1.5, 2, 1572864 }, { 0.3, 1, 307 },      { 0.5, 0, 0 },
        { 4, 0, 4 },         { 2, 3, 2147483648 }, { 1, -1, 1 },
        { 7, 9, 7 },         { 1.99, 0, 1 },       { 0.0009765625, 1, 1 },
    };
    for (const auto& c : cases) {
        std::int64_t bytes = -1;
        ASSERT_TRUE(CustomSizeToBytes(c.size, c.unit, bytes));
        EXPECT_EQ(bytes, c.bytes) << c.size << " unit " << c.unit;
    }
    std::int64_t bytes = 0;
    EXPECT_FALSE(CustomSizeToBytes(9e18, 3, bytes));
    EXPECT_FALSE(CustomSizeToBytes(std::numeric_limits<double>::infinity(), 0, bytes));
    EXPECT_FALSE(CustomSizeToBytes(std::numeric_limits<double>::quiet_NaN(), 0, bytes));
}

class PlanCheck : public ::testing::Test {
protected:
    TempDir temp;
    ScriptedPrompt prompt;
    SplitPlan plan;

    SplitRequest Request(std::size_t sourceBytes) {
        SplitRequest request;
        request.sourcePath = temp.file("source.bin");
        WriteFile(request.sourcePath, PatternBytes(sourceBytes));
        request.outputDir = temp.path();
        return request;
    }

    // Runs the check and gives the one message it showed, or "" when none.
    std::string Check(const SplitRequest& request, bool expected) {
        EXPECT_EQ(PrepareSplitPlan(request, plan, prompt), expected);
        const auto messages = prompt.messages();
        if (messages.empty()) return "";
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().caption, "Error:");
        EXPECT_EQ(messages.back().flags, BOX_TASKMODAL);
        return messages.back().text;
    }
};

TEST_F(PlanCheck, RefusesWithTheTextOfEachLimit) {
    const struct {
        std::size_t source;
        SplitMode mode;
        std::uint32_t count;
        double size;
        std::int32_t unit;
        const char* text;
    } cases[] = {
        { 10, SplitMode::FileCount, 1, 0, 0, "Please specify at least 2 output files." },
        { 10, SplitMode::FileCount, 0, 0, 0, "Please specify at least 2 output files." },
        { 10, SplitMode::CustomSize, 0, 0.5, 0, "Please enter a file size of at least 1 byte." },
        { 10, SplitMode::CustomSize, 0, 9e18, 3, "Please enter a file size of at least 1 byte." },
        { 10, SplitMode::CustomSize, 0, 10, 0, "Specified output size does not require splitting." },
        { 10, SplitMode::CustomSize, 0, 1, 2, "Specified output size does not require splitting." },
        { 0, SplitMode::CustomSize, 0, 1, 0, "Specified output size does not require splitting." },
    };
    for (const auto& c : cases) {
        prompt.reset();
        SplitRequest request = Request(c.source);
        request.mode = c.mode;
        request.fileCount = c.count;
        request.customSize = c.size;
        request.sizeUnit = c.unit;
        EXPECT_EQ(Check(request, false), c.text);
    }
}

TEST_F(PlanCheck, FillsThePlanWhenTheLimitsHold) {
    SplitRequest request = Request(10);
    request.mode = SplitMode::CustomSize;
    request.customSize = 4;
    request.sizeUnit = 0;
    EXPECT_EQ(Check(request, true), "");
    EXPECT_EQ(plan.sourceSize, 10);
    EXPECT_EQ(Sizes(plan), (std::vector<std::int64_t> { 4, 4, 2 }));

    request.mode = SplitMode::FileCount;
    request.fileCount = 3;
    EXPECT_EQ(Check(request, true), "");
    EXPECT_EQ(Sizes(plan), (std::vector<std::int64_t> { 4, 3, 3 }));
}

TEST_F(PlanCheck, ASourceThatCannotBeOpenedIsReported) {
    SplitRequest request = Request(10);
    request.sourcePath = temp.file("missing.bin");
    request.mode = SplitMode::FileCount;
    request.fileCount = 2;
    EXPECT_EQ(Check(request, false), TEXT_OPEN_INPUT_FAILED);
    EXPECT_STREQ(TEXT_OPEN_INPUT_FAILED,
                 "Failed to open input file.  If the file exists, make sure it is not open in another "
                 "application.");
    request.sourcePath = temp.path(); // a directory is not a file
    prompt.reset();
    EXPECT_EQ(Check(request, false), TEXT_OPEN_INPUT_FAILED);
}

#ifdef _WIN32
TEST_F(PlanCheck, ASourceHeldOpenElsewhereCannotBeOpened) {
    SplitRequest request = Request(10);
    request.mode = SplitMode::FileCount;
    request.fileCount = 2;
    platform::File holder = platform::File::openRead(request.sourcePath, platform::Share::Read);
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(Check(request, false), TEXT_OPEN_INPUT_FAILED); // the check asks for no sharing
}
#endif

TEST_F(PlanCheck, ACustomSizePlanBeyond32BitCountsIsRefusedClearly) {
    // A sparse 4 GiB source in 1-byte segments would need 2^32 files.
    SplitRequest request = Request(0);
    {
        platform::File file = platform::File::createAlways(request.sourcePath);
        ASSERT_TRUE(file.seek(std::int64_t { 1 } << 32));
        ASSERT_TRUE(file.setEnd());
    }
    request.mode = SplitMode::CustomSize;
    request.customSize = 1;
    request.sizeUnit = 0;
    EXPECT_EQ(Check(request, false), TEXT_TOO_MANY_SEGMENTS);
}

} // namespace
