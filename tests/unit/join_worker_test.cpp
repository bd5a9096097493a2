// The join worker on real files: round trips through the split engine, sets
// made elsewhere, every refusal with its text and what stays on disk, the
// overwrite question, pause, resume and cancel.
#include "core/format_text.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "split/split_engine.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

const char* const TEXT_JOIN_DONE = "File joining operation complete!";

class JoinWorkerTest : public ::testing::Test {
protected:
    TempDir temp;
    std::string parts = temp.file("parts");
    std::string out = temp.file("out");
    JoinRequest request;
    JobControl control;
    JobProgress progress;
    ScriptedPrompt prompt;
    JoinThreadArgs args { request, control, progress, prompt };
    Bytes source;

    void SetUp() override {
        fs::create_directory(parts);
        fs::create_directory(out);
        request.outputDir = out;
        request.outputFileName = "joined.bin";
    }

    std::string Part(const std::string& name) const { return parts + platform::PATH_SEPARATOR + name; }
    std::string Output() const { return JoinOutputPath(request); }

    // Splits a generated source of `size` bytes into `count` files in `parts`
    // with the split engine; gives the segment paths.
    std::vector<std::string> SplitSource(std::size_t size, std::uint32_t count,
                                         const std::string& name = "movie.avi") {
        source = PatternBytes(size, static_cast<std::uint32_t>(size + count));
        const std::string sourcePath = temp.file(name);
        WriteFile(sourcePath, source);
        SplitRequest split;
        split.sourcePath = sourcePath;
        split.outputDir = parts;
        split.mode = SplitMode::FileCount;
        split.fileCount = count;
        SplitPlan plan;
        JobControl splitControl;
        JobProgress splitProgress;
        ScriptedPrompt splitPrompt;
        SplitThreadArgs splitArgs { split, plan, splitControl, splitProgress, splitPrompt };
        EXPECT_TRUE(PrepareSplitPlan(split, plan, splitPrompt));
        SplitWorker(splitArgs);
        EXPECT_EQ(splitProgress.finished, 1);
        std::vector<std::string> paths;
        for (std::uint32_t k = 0; k < count; ++k)
            paths.push_back(ComposeSegmentPath(sourcePath, parts, k, count));
        return paths;
    }

    // Runs a join of `selected` that must be refused before anything is written.
    void ExpectRefused(const std::string& selected, const std::string& text) {
        prompt.reset();
        request.sourcePath = selected;
        JoinWorker(args);
        ExpectOnlyMessage(prompt, text, "Error:", BOX_TASKMODAL);
        EXPECT_TRUE(ListDirectory(out).empty());
        EXPECT_EQ(progress.finished, 0);
    }
};

TEST_F(JoinWorkerTest, RoundTripsGiveTheSourceBackFromAnySelectedSegment) {
    const struct {
        std::size_t size;
        std::uint32_t count;
    } cases[] = { { 0, 2 },       { 1, 2 },        { 10, 3 },      { 3, 5 },
                  { 100000, 12 }, { 100001, 100 }, { 5000, 1000 }, { 16384 * 3 + 5, 2 } };
    for (const auto& c : cases) {
        fs::remove_all(parts);
        fs::create_directory(parts);
        const auto segments = SplitSource(c.size, c.count);
        std::vector<Bytes> before;
        for (const auto& s : segments) before.push_back(ReadFile(s));
        for (const std::size_t pick : { std::size_t { 0 }, segments.size() / 2, segments.size() - 1 }) {
            SCOPED_TRACE(formatted("%zu bytes into %u, selecting %zu", c.size, c.count, pick + 1));
            prompt.reset();
            fs::remove(Output());
            int finishedWhenShown = -1;
            prompt.setOnMessage(
                [&](const ScriptedPrompt::Message&) { finishedWhenShown = progress.finished; });
            request.sourcePath = segments[pick];
            JoinWorker(args);
            ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
            EXPECT_EQ(finishedWhenShown, 1);
            EXPECT_EQ(ReadFile(Output()), source);
            const ProgressSnapshot s = ReadSnapshot(progress);
            EXPECT_EQ(s.bytesDone, c.size);
            EXPECT_EQ(s.totalBytes, c.size);
            EXPECT_EQ(s.totalFiles, c.count);
        }
        for (std::size_t i = 0; i < segments.size(); ++i) EXPECT_EQ(ReadFile(segments[i]), before[i]);
    }
}

TEST_F(JoinWorkerTest, UnpaddedNamesJoinInNumberOrder) {
    Bytes expected;
    for (int k = 1; k <= 12; ++k) {
        const Bytes piece = PatternBytes(static_cast<std::size_t>(1000 + k), static_cast<std::uint32_t>(k));
        WriteFile(Part(formatted("x.%d_of_12", k)), piece);
        expected.insert(expected.end(), piece.begin(), piece.end());
    }
    request.sourcePath = Part("x.7_of_12");
    JoinWorker(args);
    ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
    EXPECT_EQ(ReadFile(Output()), expected);
}

#ifndef _WIN32
TEST_F(JoinWorkerTest, SegmentsMadeByGnuSplitAndRenamedJoin) {
    source = PatternBytes(123457, 9);
    WriteFile(temp.file("video.mkv"), source);
    const std::string command =
        "cd '" + parts + "' && split -b 10000 -a 3 '" + temp.file("video.mkv") + "' piece.";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto pieces = ListDirectory(parts);
    ASSERT_EQ(pieces.size(), 13u);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        fs::rename(Part(pieces[i]), Part(formatted("video.mkv.%zu_of_13", i + 1)));
    request.sourcePath = Part("video.mkv.13_of_13");
    JoinWorker(args);
    ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
    EXPECT_EQ(ReadFile(Output()), source);
}
#endif

TEST_F(JoinWorkerTest, SetsThatWouldNotGiveTheFileBackAreRefusedBeforeWriting) {
    WriteFile(Part("only.bin.1_of_1"), { 1 });
    ExpectRefused(Part("only.bin.1_of_1"), TEXT_TOO_FEW_SEGMENTS);
    WriteFile(Part("alone.bin.2_of_3"), { 1 });
    ExpectRefused(Part("alone.bin.2_of_3"), TEXT_TOO_FEW_SEGMENTS);
    ExpectRefused(Part("nothing.bin.1_of_2"), TEXT_TOO_FEW_SEGMENTS);

    for (const char* name : { "gap.bin.1_of_4", "gap.bin.2_of_4", "gap.bin.4_of_4" })
        WriteFile(Part(name), { 1 });
    ExpectRefused(Part("gap.bin.1_of_4"), TEXT_SEGMENTS_MISSING);
    for (const char* name : { "last.bin.1_of_3", "last.bin.2_of_3" }) WriteFile(Part(name), { 1 });
    ExpectRefused(Part("last.bin.1_of_3"), TEXT_SEGMENTS_MISSING);

    for (const char* name : { "dup.bin.01_of_05", "dup.bin.02_of_05", "dup.bin.03_of_05", "dup.bin.04_of_05",
                              "dup.bin.05_of_05", "dup.bin.5_of_05" })
        WriteFile(Part(name), { 1 });
    ExpectRefused(Part("dup.bin.01_of_05"),
                  "Two split files carry the number 5:\r\n\r\n    " + Part("dup.bin.05_of_05") + "\r\n    " +
                      Part("dup.bin.5_of_05") +
                      "\r\n\r\nPlease move one of them out of the directory and try again.");

    for (const char* name : { "range.bin.1_of_2", "range.bin.2_of_2", "range.bin.3_of_2" })
        WriteFile(Part(name), { 1 });
    ExpectRefused(
        Part("range.bin.1_of_2"),
        "The split file:\r\n\r\n    " + Part("range.bin.3_of_2") +
            "\r\n\r\nis numbered 3 of 2.  A split file's number must lie between 1 and the number of "
            "files.  Please move it out of the directory and try again.");
    for (const char* name : { "zero.bin.0_of_2", "zero.bin.1_of_2", "zero.bin.2_of_2" })
        WriteFile(Part(name), { 1 });
    ExpectRefused(
        Part("zero.bin.1_of_2"),
        "The split file:\r\n\r\n    " + Part("zero.bin.0_of_2") +
            "\r\n\r\nis numbered 0 of 2.  A split file's number must lie between 1 and the number of "
            "files.  Please move it out of the directory and try again.");
    // A count that would once have sized a table of two billion flags.
    for (const char* name : { "huge.bin.1_of_2147483647", "huge.bin.2_of_2147483647" })
        WriteFile(Part(name), { 1 });
    ExpectRefused(Part("huge.bin.1_of_2147483647"), TEXT_SEGMENTS_MISSING);
}

TEST_F(JoinWorkerTest, ForeignNamesBesideTheSetAreLeftOut) {
    SplitSource(3000, 3);
    WriteFile(Part("movie.avi.old.02_of_3"), { 'o', 'l', 'd' });
    WriteFile(Part("movie.avi.2_of_4"), { 'x' });
    WriteFile(Part("movie.avi"), { 'y' });
    request.sourcePath = Part("movie.avi.1_of_3");
    JoinWorker(args);
    ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
    EXPECT_EQ(ReadFile(Output()), source);
}

TEST_F(JoinWorkerTest, TooLittleFreeSpaceIsRefusedBeforeWriting) {
    // Two sparse members of 4 TiB each: more than any test machine has free.
    for (const char* name : { "vast.img.1_of_2", "vast.img.2_of_2" }) {
        platform::File member = platform::File::createAlways(Part(name));
        ASSERT_TRUE(member.seek(std::int64_t { 4 } << 40)) << "the file system holds no sparse 4 TiB file";
        ASSERT_TRUE(member.setEnd()) << "the file system holds no sparse 4 TiB file";
    }
    ExpectRefused(Part("vast.img.1_of_2"), "Insufficient disk space for joined output file.");
}

TEST_F(JoinWorkerTest, AnExistingOutputIsReplacedOnlyWhenTheUserSaysSo) {
    const auto segments = SplitSource(40000, 4);
    request.sourcePath = segments[1];
    const Bytes old = { 'o', 'l', 'd' };

    WriteFile(Output(), old);
    prompt.queueOverwriteAnswer(ANSWER_NO);
    JoinWorker(args);
    EXPECT_TRUE(prompt.messages().empty());
    EXPECT_EQ(ReadFile(Output()), old);
    EXPECT_EQ(prompt.overwriteQuestions(), std::vector<std::string> { Output() });

    for (const int answer : { ANSWER_YES, ANSWER_YES_TO_ALL }) {
        prompt.reset();
        WriteFile(Output(), old);
        prompt.queueOverwriteAnswer(answer);
        JoinWorker(args);
        ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
        EXPECT_EQ(ReadFile(Output()), source);
        EXPECT_EQ(prompt.overwriteQuestions().size(), 1u); // every job asks anew
    }
}

TEST_F(JoinWorkerTest, TheOutputIsNeverOneOfTheMembers) {
    const auto segments = SplitSource(3000, 3);
    const Bytes first = ReadFile(segments[0]);
    request.outputDir = parts;
    request.outputFileName = "movie.avi.1_of_3";
    ExpectRefused(segments[2],
                  "The output file:\r\n\r\n    " + Output() +
                      "\r\n\r\nis one of the split files.  Please choose another output filename or "
                      "directory.");
    EXPECT_EQ(ReadFile(segments[0]), first);
    EXPECT_TRUE(prompt.overwriteQuestions().empty());
}

TEST_F(JoinWorkerTest, OutputDirectoriesWithDotsAndWithoutSeparatorsHoldTheOutput) {
    const auto segments = SplitSource(5000, 2);
    fs::create_directory(temp.file("films.hd"));
    for (const std::string& dir :
         { temp.file("films.hd"), temp.file("films.hd") + platform::PATH_SEPARATOR }) {
        prompt.reset();
        request.outputDir = dir;
        request.outputFileName = "movie.avi";
        request.sourcePath = segments[0];
        fs::remove(temp.file("films.hd") + platform::PATH_SEPARATOR + "movie.avi");
        JoinWorker(args);
        ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
        EXPECT_EQ(ReadFile(temp.file("films.hd") + platform::PATH_SEPARATOR + "movie.avi"), source);
    }
}

// Runs `change` on the worker's thread at its overwrite question, which comes
// after discovery and before the first member is opened.
struct ChangingPrompt : UserPrompt {
    ScriptedPrompt& record;
    std::function<void()> change;
    ChangingPrompt(ScriptedPrompt& r, std::function<void()> c) : record(r), change(std::move(c)) {}
    int showMessage(const std::string& text, const std::string& caption, unsigned flags) override {
        return record.showMessage(text, caption, flags);
    }
    int askOverwrite(const std::string&) override {
        change();
        return ANSWER_YES;
    }
};

TEST_F(JoinWorkerTest, AMemberThatShrankSinceDiscoveryLeavesNoStaleBytes) {
    const auto segments = SplitSource(30000, 3);
    WriteFile(Output(), { 'x' });
    ChangingPrompt changing(prompt, [&] { fs::resize_file(segments[1], 4000); });
    JoinThreadArgs changingArgs { request, control, progress, changing };
    request.sourcePath = segments[0];
    JoinWorker(changingArgs);
    ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
    Bytes expected(source.begin(), source.begin() + 14000);
    expected.insert(expected.end(), source.begin() + 20000, source.end());
    EXPECT_EQ(ReadFile(Output()), expected);
}

TEST_F(JoinWorkerTest, AMemberGoneSinceDiscoveryStopsTheCopy) {
    const auto segments = SplitSource(30000, 3);
    WriteFile(Output(), { 'x' });
    ChangingPrompt changing(prompt, [&] { fs::remove(segments[1]); });
    JoinThreadArgs changingArgs { request, control, progress, changing };
    request.sourcePath = segments[0];
    JoinWorker(changingArgs);
    ExpectOnlyMessage(prompt, TEXT_JOIN_OPEN_INPUT_FAILED, "Error:", BOX_TASKMODAL);
    const Bytes output = ReadFile(Output());
    ASSERT_EQ(output.size(), 29999u); // reserved, one byte short
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + 10000, output.begin()));
    EXPECT_EQ(progress.finished, 0);
}

#ifdef _WIN32
TEST_F(JoinWorkerTest, AMemberHeldOpenElsewhereFailsDiscovery) {
    const auto segments = SplitSource(3000, 3);
    platform::File holder = platform::File::openRead(segments[2], platform::Share::Read);
    ExpectRefused(segments[0], TEXT_TOO_FEW_SEGMENTS);
}
#endif

TEST_F(JoinWorkerTest, PauseHoldsResumeGoesOnAndCancelLeavesTheReservedOutput) {
    const std::uint32_t members = 5;
    const std::size_t memberSize = 8 * 1024 * 1024;
    const auto segments = SplitSource(members * memberSize, members);
    request.sourcePath = segments[0];
    std::atomic<bool> asked { false };
    ChangingPrompt pausing(prompt, [&] {
        TogglePause(control, nullptr);
        asked = true;
    });
    JoinThreadArgs pausingArgs { request, control, progress, pausing };

    // Held before the first block: nothing moves, no time counts, then resume
    // and let it through two members and part of the third, hold and cancel.
    // Where the second pause lands depends on scheduling, so the scene is
    // replayed until it lands inside member 3.
    ProgressSnapshot held;
    for (int attempt = 0; attempt < 5; ++attempt) {
        WriteFile(Output(), { 'x' });
        asked = false;
        std::thread worker([&] { JoinWorker(pausingArgs); });
        ASSERT_TRUE(WaitUntil([&] { return asked.load(); }));
        const ProgressSnapshot atStart = WaitUntilStill(progress);
        EXPECT_EQ(atStart.bytesDone, 0u);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(ReadSnapshot(progress).elapsedSeconds, atStart.elapsedSeconds);
        EXPECT_EQ(FileSize(Output()), static_cast<std::int64_t>(members * memberSize - 1));

        TogglePause(control, nullptr);
        while (ReadSnapshot(progress).bytesDone <= 2 * memberSize) std::this_thread::yield();
        TogglePause(control, nullptr);
        held = WaitUntilStill(progress);
        ScriptedPrompt answer;
        answer.queueMessageAnswer(ANSWER_YES);
        ConfirmCancel(control, answer);
        worker.join();
        EXPECT_EQ(progress.finished, 0);
        if (held.bytesDone < 3 * memberSize) break;
    }
    ASSERT_LT(held.bytesDone, 3 * memberSize);
    EXPECT_EQ(held.currentFile, 2u);
    EXPECT_TRUE(prompt.messages().empty());
    const Bytes output = ReadFile(Output());
    ASSERT_EQ(output.size(), members * memberSize - 1);
    const auto done = static_cast<std::ptrdiff_t>(held.bytesDone);
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + done, output.begin()));
    EXPECT_TRUE(std::all_of(output.begin() + done, output.end(), [](unsigned char b) { return b == 0; }));
    for (const auto& s : segments) EXPECT_EQ(FileSize(s), static_cast<std::int64_t>(memberSize));
}

TEST_F(JoinWorkerTest, AllEmptyMembersGiveAnEmptyOutput) {
    for (const char* name : { "empty.1_of_3", "empty.2_of_3", "empty.3_of_3" }) WriteFile(Part(name), {});
    request.sourcePath = Part("empty.2_of_3");
    WriteFile(Output(), { 'o', 'l', 'd' });
    JoinWorker(args);
    ExpectOnlyMessage(prompt, TEXT_JOIN_DONE, "", BOX_OK);
    EXPECT_EQ(FileSize(Output()), 0);
    EXPECT_EQ(progress.finished, 1);
}

} // namespace
