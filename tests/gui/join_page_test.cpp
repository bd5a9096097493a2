// The Join page on real windows: the set summary for typed, dropped and
// browsed sources, every validation message, whole joins with the overwrite
// question, pause, resume and cancel, and the restore after the job.
#include "core/format_text.h"
#include "core/segment_name.h"
#include "join/join_page.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int J = JOIN_PAGE;
namespace fs = std::filesystem;

class JoinPage : public ::testing::Test {
protected:
    TempDir temp;
    MainWindowHarness harness { "" };
    std::string parts = temp.file("parts");
    std::string out = temp.file("out");
    std::vector<unsigned char> source;

    void SetUp() override {
        fs::create_directory(parts);
        fs::create_directory(out);
        harness.selectTab(J);
    }

    // Writes the set name.k_of_N of a generated source cut into `sizes`; gives
    // the member paths.
    std::vector<std::string> MakeSet(const std::string& name, const std::vector<std::size_t>& sizes) {
        std::size_t total = 0;
        for (auto size : sizes) total += size;
        source = PatternBytes(total, static_cast<std::uint32_t>(total));
        std::vector<std::string> paths;
        std::size_t offset = 0;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            SegmentPathParts segment;
            segment.setSegmentSuffix(static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(sizes.size()));
            paths.push_back(parts + "\\" + name + segment.suffix);
            WriteFile(paths.back(), std::vector<unsigned char>(
                                        source.begin() + static_cast<std::ptrdiff_t>(offset),
                                        source.begin() + static_cast<std::ptrdiff_t>(offset + sizes[k])));
            offset += sizes[k];
        }
        return paths;
    }

    bool enabled(int id) const { return IsWindowEnabled(harness.item(J, id)) != FALSE; }

    void Fill(const std::string& segment, const std::string& directory, const std::string& name) {
        harness.type(J, IDC_SOURCE, segment);
        harness.type(J, IDC_OUTPUT_DIR, directory);
        harness.type(J, IDC_OUTPUT_NAME, name);
    }

    std::string JoinExpectingError() {
        auto answer = AnswerLater("Error:", IDOK);
        harness.click(J, IDC_START);
        return Await(answer, harness);
    }
};

TEST_F(JoinPage, TheSummaryFollowsTypedDroppedAndBrowsedSources) {
    const auto set = MakeSet("movie.avi", { 1000, 1000, 1000 });
    MakeSet("other.bin", { 500, 523 });
    const auto small = parts + "\\other.bin.1_of_2";

    // Typing refreshes the summary only; the output fields stay as they are.
    harness.type(J, IDC_SOURCE, set[1]);
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (2.93 KB)");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), "");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "");
    harness.type(J, IDC_SOURCE, small);
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "2 files (1023 Bytes)");
    harness.type(J, IDC_SOURCE, parts + "\\movie.avi");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), ""); // not a segment

    // Enter fills the directory, and the name only when it has an extension.
    harness.type(J, IDC_SOURCE, set[0]);
    harness.pressEnter(J, IDC_SOURCE);
    EXPECT_EQ(harness.text(J, IDC_SOURCE), set[0]);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), parts + "\\");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "movie.avi");
    EXPECT_NE(harness.text(J, IDC_FREE_SPACE), "");
    harness.type(J, IDC_OUTPUT_NAME, "kept");
    MakeSet("README", { 10, 10 });
    harness.type(J, IDC_SOURCE, parts + "\\README.1_of_2");
    harness.pressEnter(J, IDC_SOURCE);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "kept");

    // A drop fills both, even with an empty name; two files change nothing.
    harness.type(J, IDC_OUTPUT_DIR, "");
    harness.drop(J, IDC_SOURCE, { parts + "\\README.2_of_2" });
    EXPECT_EQ(harness.text(J, IDC_SOURCE), parts + "\\README.2_of_2");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "2 files (20 Bytes)");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), parts + "\\");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "README");
    harness.drop(J, IDC_SOURCE, { set[0], set[1] });
    EXPECT_EQ(harness.text(J, IDC_SOURCE), parts + "\\README.2_of_2");

    // Browse... changes only the source and the summary.
    harness.type(J, IDC_OUTPUT_DIR, out);
    harness.type(J, IDC_OUTPUT_NAME, "mine.bin");
    auto picked = PickFileLater(set[2]);
    harness.click(J, IDC_BROWSE_SOURCE);
    EXPECT_EQ(Await(picked, harness), "Open");
    EXPECT_EQ(harness.text(J, IDC_SOURCE), set[2]);
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (2.93 KB)");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), out);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "mine.bin");
}

TEST_F(JoinPage, EmptySummariesAndTheKilobyteThreshold) {
    MakeSet("zero.bin", { 0, 0 });
    harness.type(J, IDC_SOURCE, parts + "\\zero.bin.1_of_2");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "");
    MakeSet("kb.bin", { 512, 512 });
    harness.type(J, IDC_SOURCE, parts + "\\kb.bin.2_of_2");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "2 files (1.00 KB)");
    harness.type(J, IDC_SOURCE, parts + "\\kb.bin.3_of_2"); // names nothing
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "");
    MakeSet("one.bin", { 7 });
    harness.type(J, IDC_SOURCE, parts + "\\one.bin.1_of_1");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "1 files (7 Bytes)"); // the count is shown, complete or not
}

TEST_F(JoinPage, EveryValidationMessageInItsOrder) {
    const auto set = MakeSet("movie.avi", { 10, 10 });
    WriteFile(parts + "\\plain.bin", { 1 });
    const struct {
        std::string source, directory, name;
        const char* text;
    } cases[] = {
        { "", out, "x", "Please enter an input split file path." },
        { parts + "\\gone.avi.1_of_2", out, "x", "The specified input file does not exist." },
        { parts + "\\plain.bin", out, "x", "Please enter a valid split file pathname." },
        { set[0], "", "x", "Please enter an output directory." },
        { set[0], out + "-missing", "x", "The specified output directory does not exist." },
        { set[0], set[1], "x", "The specified output directory does not exist." },
        { set[0], out, "", "Please enter an output filename." },
    };
    for (const auto& c : cases) {
        Fill(c.source, c.directory, c.name);
        EXPECT_EQ(JoinExpectingError(), c.text) << c.source << " | " << c.directory << " | " << c.name;
        EXPECT_FALSE(enabled(IDC_CANCEL));
    }
    EXPECT_TRUE(ListDirectory(out).empty());
}

TEST_F(JoinPage, AWholeJoinGivesTheFileBackAndEmptiesThePage) {
    const auto set = MakeSet("movie.avi", { 70000, 70000, 69999 });
    Fill(set[1], out, "movie.avi");
    auto done = AnswerLater("", IDOK);
    harness.click(J, IDC_START);
    for (int id :
         { IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_OUTPUT_DIR, IDC_BROWSE_OUTPUT, IDC_OUTPUT_NAME, IDC_START })
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(IDC_CANCEL));
    EXPECT_TRUE(enabled(IDC_PAUSE));
    EXPECT_FALSE(IsWindowVisible(harness.item(J, IDC_DELETE_AFTER_JOIN)));
    EXPECT_EQ(Await(done, harness), "File joining operation complete!");
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
    for (int id : { IDC_SOURCE, IDC_SUMMARY, IDC_OUTPUT_DIR, IDC_FREE_SPACE, IDC_OUTPUT_NAME })
        EXPECT_EQ(harness.text(J, id), "") << id;
    EXPECT_EQ(harness.title(), "Morvane");
    EXPECT_EQ(ReadFile(out + "\\movie.avi"), source);
    EXPECT_EQ(ListDirectory(parts).size(), 3u); // the segments stay
    EXPECT_FALSE(IsWindowVisible(harness.item(J, IDC_DELETE_AFTER_JOIN)));
}

TEST_F(JoinPage, TheOverwriteQuestionAnsweredEachWay) {
    const auto set = MakeSet("movie.avi", { 3000, 3000 });
    const std::string output = out + "\\movie.avi";
    const struct {
        int button;
        bool replaced;
    } cases[] = { { IDNO, false }, { IDYES, true }, { IDC_YES_TO_ALL, true } };
    for (const auto& c : cases) {
        WriteFile(output, { 'o', 'l', 'd' });
        Fill(set[0], out, "movie.avi");
        auto question = AnswerLater("Overwrite Existing File:", c.button, IDC_OVERWRITE_TEXT);
        auto done = c.replaced ? AnswerLater("", IDOK) : std::future<std::string>();
        harness.click(J, IDC_START);
        EXPECT_EQ(Await(question, harness), "File:\r\n\r\n" + output + "\r\n\r\nalready exists.  Overwrite?");
        if (c.replaced) {
            EXPECT_EQ(Await(done, harness), "File joining operation complete!");
        }
        ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
        EXPECT_EQ(ReadFile(output), c.replaced ? source : std::vector<unsigned char>({ 'o', 'l', 'd' }));
        // No leaves the inputs; a completed join empties them.
        EXPECT_EQ(harness.text(J, IDC_SOURCE), c.replaced ? "" : set[0]);
    }
}

TEST_F(JoinPage, PauseResumeAndCancelKeepTheInputs) {
    const auto set = MakeSet("movie.avi", { 2 << 20, 2 << 20 });
    const std::string output = out + "\\movie.avi";
    WriteFile(output, { 'x' });
    Fill(set[0], out, "movie.avi");
    harness.click(J, IDC_START);
    HWND question = nullptr;
    ASSERT_TRUE(
        harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
    harness.click(J, IDC_PAUSE);
    EXPECT_EQ(harness.text(J, IDC_PAUSE), "Resume");
    gui::Click(question, IDYES);
    ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(J, IDC_STATUS_FILE) == "Paused"; }));
    EXPECT_EQ(harness.text(J, IDC_STATUS_BYTES), "0 / 4,194,304 Bytes");
    EXPECT_EQ(harness.title(), "0% - Morvane");

    auto confirm = AnswerLater("Confirm Cancel:", IDYES);
    harness.click(J, IDC_CANCEL);
    EXPECT_EQ(Await(confirm, harness), "Are you sure you want to cancel?");
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
    EXPECT_EQ(harness.text(J, IDC_SOURCE), set[0]);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), out);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "movie.avi");
    EXPECT_EQ(harness.text(J, IDC_PAUSE), "Pause");
    EXPECT_EQ(FileSize(output), (4 << 20) - 1); // reserved, left as it was
    EXPECT_EQ(joinPageState().progress.finished, 0);

    // The same inputs, again: Pause then Resume, and the join completes.
    WriteFile(output, { 'x' });
    harness.click(J, IDC_START);
    ASSERT_TRUE(
        harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
    harness.click(J, IDC_PAUSE);
    auto done = AnswerLater("", IDOK);
    gui::Click(question, IDYES);
    ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(J, IDC_STATUS_FILE) == "Paused"; }));
    harness.click(J, IDC_PAUSE);
    EXPECT_EQ(harness.text(J, IDC_PAUSE), "Pause");
    EXPECT_EQ(Await(done, harness), "File joining operation complete!");
    EXPECT_EQ(ReadFile(output), source);
}

TEST_F(JoinPage, AMemberHeldOpenElsewhereEndsWithTheDiscoveryMessage) {
    const auto set = MakeSet("movie.avi", { 100, 100, 100 });
    platform::File holder = platform::File::openRead(set[2], platform::Share::Read);
    Fill(set[0], out, "movie.avi");
    auto answer = AnswerLater("Error:", IDOK);
    harness.click(J, IDC_START);
    EXPECT_EQ(Await(answer, harness), "At least 2 split files must exist in the specified directory.");
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
    EXPECT_EQ(harness.text(J, IDC_SOURCE), set[0]);
    EXPECT_TRUE(ListDirectory(out).empty());
}

TEST(JoinPageStart, ASegmentOnTheCommandLineFillsThePage) {
    TempDir temp;
    const std::string segment = temp.file("movie.avi.2_of_2");
    WriteFile(temp.file("movie.avi.1_of_2"), PatternBytes(1024));
    WriteFile(segment, PatternBytes(1024));
    const std::string quoted = "\"" + segment + "\"";
    MainWindowHarness harness(quoted.c_str());
    EXPECT_EQ(harness.text(J, IDC_SOURCE), segment);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), temp.path() + "\\");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), "movie.avi");
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "2 files (2.00 KB)");
    EXPECT_NE(harness.text(J, IDC_FREE_SPACE), "");
    EXPECT_EQ(GetFocus(), harness.item(J, IDC_SOURCE));
}

} // namespace
