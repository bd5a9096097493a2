// Awkward input through the window: paths over 259 characters typed and
// dropped (taken whole, never cut), names with spaces, several dots, trailing separators and accented
// letters, counts with leading zeros or beyond 32 bits, sizes that look like
// exponents. Nothing crashes; each gets its message or works.
#include "core/segment_name.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
constexpr int S = SPLIT_PAGE;
constexpr int J = JOIN_PAGE;

class BadInput : public ::testing::Test {
protected:
    TempDir temp;
    MainWindowHarness harness { "" };

    std::string Press(int page, const char* caption = "Error:") {
        auto answer = AnswerLater(caption, IDOK);
        harness.click(page, IDC_START);
        return Await(answer, harness);
    }
};

TEST_F(BadInput, PathsOverTheLimitAreTakenWholeAndGetTheirMessage) {
    const std::string longPath = temp.path() + "\\" + std::string(300, 'x') + ".avi";
    WriteFile(temp.file("ok.bin"), PatternBytes(100));
    // Typed: the ordinary messages.
    harness.type(S, IDC_SOURCE, longPath);
    EXPECT_EQ(harness.text(S, IDC_SOURCE), longPath);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "");
    harness.type(S, IDC_OUTPUT_DIR, temp.path());
    EXPECT_EQ(Press(S), "The specified input file does not exist.");
    harness.type(S, IDC_SOURCE, temp.file("ok.bin"));
    harness.type(S, IDC_OUTPUT_DIR, longPath);
    EXPECT_EQ(harness.text(S, IDC_FREE_SPACE), "");
    EXPECT_EQ(Press(S), "The specified output directory does not exist.");

    // Dropped: taken whole, never cut to another name, on both pages.
    for (int page : { S, J }) {
        harness.selectTab(page);
        harness.drop(page, IDC_SOURCE, { longPath });
        EXPECT_EQ(harness.text(page, IDC_SOURCE), longPath);
    }
    harness.selectTab(S);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "");
    EXPECT_EQ(Press(S), "The specified input file does not exist.");
    harness.selectTab(J);
    harness.type(J, IDC_SOURCE, longPath.substr(0, longPath.size() - 4) + ".1_of_2");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "");
    EXPECT_EQ(Press(J), "The specified input file does not exist.");
}

TEST_F(BadInput, SpacesDotsTrailingSeparatorsAndAccentsRoundTrip) {
    // "café résumé" in UTF-8, the program's code page.
    const std::string name = "my file.v1.final caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.avi";
    const std::string folder = temp.file("out dir.with.dots");
    fs::create_directory(folder);
    const std::string source = temp.path() + "\\" + name;
    {
        platform::File file = platform::File::createAlways(source);
        const auto bytes = PatternBytes(50001, 4);
        ASSERT_TRUE(file.write(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    }
    harness.type(S, IDC_SOURCE, source);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 48.83 KB");
    harness.type(S, IDC_OUTPUT_DIR, folder + "\\"); // with a trailing separator
    harness.click(S, IDC_MODE_COUNT);
    harness.type(S, IDC_FILE_COUNT, "0003"); // leading zeros
    EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "16.28 KB / File");
    EXPECT_EQ(Press(S, "Complete"), "File splitting operation successful!");
    const std::string segment = folder + "\\" + name + ".2_of_3";
    EXPECT_TRUE(platform::pathExists(segment));
    ASSERT_TRUE(harness.pumpUntil([&] { return IsWindowEnabled(harness.item(S, IDC_START)) != FALSE; }));

    // Joined back through the Join page, from a dropped segment.
    harness.selectTab(J);
    harness.drop(J, IDC_SOURCE, { segment });
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), name);
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (48.83 KB)");
    harness.type(J, IDC_OUTPUT_DIR, temp.path() + "\\joined.d\\");
    fs::create_directory(temp.file("joined.d"));
    EXPECT_EQ(Press(J, ""), "File joining operation complete!");
    platform::File joined =
        platform::File::openRead(temp.path() + "\\joined.d\\" + name, platform::Share::Read);
    std::int64_t size = 0;
    ASSERT_TRUE(joined.valid() && joined.size(size));
    EXPECT_EQ(size, 50001);
}

TEST_F(BadInput, CountsAndSizesThatAreNotWhatTheyLookLike) {
    WriteFile(temp.file("ten.bin"), PatternBytes(10));
    harness.type(S, IDC_SOURCE, temp.file("ten.bin"));
    harness.type(S, IDC_OUTPUT_DIR, temp.path());
    harness.click(S, IDC_MODE_COUNT);
    for (const char* count : { "4294967296", "99999999999999999999", "18446744073709551617" }) {
        harness.type(S, IDC_FILE_COUNT, count);
        EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "Invalid Entry") << count;
        EXPECT_EQ(Press(S), "Please enter a valid number of output files.") << count;
    }
    harness.click(S, IDC_MODE_SIZE);
    for (const char* size : { "1e3", "1E3", "0x10", "inf", "nan", "1.5e-3", "+2", "\xE9" }) {
        harness.type(S, IDC_CUSTOM_SIZE, size);
        EXPECT_EQ(Press(S), "Invalid custom size value - entry contains illegal character(s).") << size;
    }
    harness.type(S, IDC_CUSTOM_SIZE, "99999999999999999999999999");
    harness.selectComboEntry(S, IDC_SIZE_UNIT, 3);
    EXPECT_EQ(harness.text(S, IDC_COUNT_DISPLAY), ""); // beyond 64 bits: no count shown
    EXPECT_EQ(Press(S), "Please enter a file size of at least 1 byte.");
    EXPECT_TRUE(ListDirectory(temp.path()) == std::vector<std::string> { "ten.bin" });
}

} // namespace
