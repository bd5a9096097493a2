// Counts with separators, durations, and the unit choice of the size displays.
#include "core/display_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FormatThousands, GroupsDigitsOverTheWholeUnsignedRange) {
    const struct {
        std::uint64_t value;
        const char* text;
    } cases[] = {
        { 0, "0" },
        { 999, "999" },
        { 1000, "1,000" },
        { 1000005, "1,000,005" },
        { 1234567, "1,234,567" },
        { 1000000000, "1,000,000,000" },
        { 18446744073709551ull, "18,446,744,073,709,551" },
        { 999999999999999999ull, "999,999,999,999,999,999" },
        { 1000000000000000000ull, "1,000,000,000,000,000,000" },
        { 18446744073709551615ull, "18,446,744,073,709,551,615" },
    };
    for (const auto& c : cases) EXPECT_EQ(FormatThousands(c.value), c.text) << c.value;
}

TEST(FormatSignedThousands, PutsTheSignBeforeTheMagnitude) {
    EXPECT_EQ(FormatSignedThousands(-1234), "-1,234");
    EXPECT_EQ(FormatSignedThousands(-999), "-999");
    EXPECT_EQ(FormatSignedThousands(2500000), "2,500,000");
    EXPECT_EQ(FormatSignedThousands(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
    EXPECT_EQ(FormatSignedThousands(std::numeric_limits<std::int64_t>::max()), "9,223,372,036,854,775,807");
}

TEST(FormatDuration, MinutesAndSecondsThenUnboundedHours) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        { 0.0, "00:00" },
        { 59.9, "00:59" },
        { 61.7, "01:01" },
        { 3599.99, "59:59" },
        { 3600, "1:00:00" },
        { 90061, "25:01:01" },
        { 360000, "100:00:00" },
        { std::numeric_limits<double>::infinity(), "00:00" },
        { -std::numeric_limits<double>::infinity(), "00:00" },
        { std::nan(""), "00:00" },
        { 9.3e18, "00:00" },            // magnitude beyond 2^63
        { -5.0, "00:00" },              // never shown, but must not read as 136 years
        { 4294967296.0 + 61, "01:01" }, // whole seconds keep their low 32 bits
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(ChooseSizeUnit, ThresholdsBelongToTheLargerUnit) {
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 0 }), SizeUnit::Bytes);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1023 }), SizeUnit::Bytes);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1024 }), SizeUnit::KB);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1048575 }), SizeUnit::KB);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1048576 }), SizeUnit::MB);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1073741823 }), SizeUnit::MB);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { 1073741824 }), SizeUnit::GB);
    EXPECT_EQ(ChooseSizeUnit(std::int64_t { -5 }), SizeUnit::Bytes);
    EXPECT_EQ(ChooseSizeUnit(std::uint64_t { 18446744073709551615ull }), SizeUnit::GB);
}

TEST(FormatSize, FillsEachDisplaysTemplate) {
    EXPECT_EQ(FormatSize(std::int64_t { 1023 }, SOURCE_SIZE_TEMPLATES), "File size: 1023 Bytes");
    EXPECT_EQ(FormatSize(std::int64_t { 1024 }, SOURCE_SIZE_TEMPLATES), "File size: 1.00 KB");
    EXPECT_EQ(FormatSize(std::int64_t { 1572864 }, SOURCE_SIZE_TEMPLATES), "File size: 1.50 MB");
    EXPECT_EQ(FormatSize(std::int64_t { 1073741823 }, SOURCE_SIZE_TEMPLATES), "File size: 1024.00 MB");
    EXPECT_EQ(FormatSize(std::int64_t { 1048575 }, SOURCE_SIZE_TEMPLATES), "File size: 1024.00 KB");
    EXPECT_EQ(FormatSize(std::int64_t { 1048576 }, SIZE_PER_FILE_TEMPLATES), "1.00 MB / File");
    EXPECT_EQ(FormatSize(std::int64_t { 4 }, SIZE_PER_FILE_TEMPLATES), "4 Bytes / File");
    EXPECT_EQ(FormatSize(std::uint64_t { 1073741824 }, FREE_SPACE_TEMPLATES),
              "Disk Space Available: 1.00 GB");
    EXPECT_EQ(FormatSize(std::uint64_t { 5497558138880 }, FREE_SPACE_TEMPLATES),
              "Disk Space Available: 5120.00 GB");
}

TEST(FormatSetSummary, CountAndTotalInTheSummaryForm) {
    EXPECT_EQ(FormatSetSummary(2, 1023), "2 files (1023 Bytes)");
    EXPECT_EQ(FormatSetSummary(2, 1024), "2 files (1.00 KB)");
    EXPECT_EQ(FormatSetSummary(12, 12ull * 1048576), "12 files (12.00 MB)");
    EXPECT_EQ(FormatSetSummary(1, 3ull * 1073741824 / 2), "1 files (1.50 GB)");
}

} // namespace
