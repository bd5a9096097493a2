// Split and join jobs on real files through their workers: round trips, the
// overwrite question, the join's refusals, pause, resume and cancel.
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "split/split_engine.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Texts = std::vector<std::string>;
const std::string SPLIT_DONE = "Complete|completion|File splitting operation successful!",
                  JOIN_DONE = "|completion|File joining operation complete!";
const Bytes OLD = { 'o', 'l', 'd' };

class SplitWorkerTest : public ::testing::Test {
protected:
    TempDir temp;
    const std::string sep { platform::PATH_SEPARATOR }, out = temp.file("out"), joined = temp.file("joined");
    JobControl control;
    JobProgress progress;
    ScriptedPrompt prompt;
    Bytes source;
    SplitRequest split;
    SplitPlan plan;
    JoinRequest join;
    SplitThreadArgs splitArgs { split, plan, control, progress, prompt };
    JoinThreadArgs joinArgs { join, control, progress, prompt };

    // Writes `size` bytes as `name`, plans their split (`count` segments, or
    // `bytes` each) into an empty `out`, and aims the join at `joined`.
    void Plan(const std::string& name, std::size_t size, std::uint32_t count, double bytes = 0) {
        fs::remove_all(out), fs::create_directory(out);
        source = PatternBytes(size, static_cast<std::uint32_t>(size));
        WriteFile(temp.file(name), source);
        const SplitMode mode = count ? SplitMode::FileCount : SplitMode::CustomSize;
        split = { temp.file(name), out, mode, count, {}, bytes };
        ScriptedPrompt quiet;
        ASSERT_TRUE(PrepareSplitPlan(split, plan, quiet));
        join = { Segment(0), temp.path(), "joined" };
        prompt = {};
    }
    std::string Segment(std::uint32_t k) const {
        return ComposeSegmentPath(split.sourcePath, out, k, plan.segmentCount());
    }
    Bytes Slice(std::size_t at, std::size_t n) const { return Bytes(&source[at], &source[at] + n); }
    // Every byte of the last job went one way: inside the kernel where the
    // system copies between files itself (Linux, unless it refused these
    // files), else through memory.
    void ExpectTally(std::size_t size, bool throughMemory) const {
        const platform::CopyTally& t = progress.copied;
        EXPECT_EQ(std::make_tuple(t.kernelBytes, t.bufferBytes),
                  throughMemory ? std::make_tuple(std::int64_t { 0 }, std::int64_t(size))
                                : std::make_tuple(std::int64_t(size), std::int64_t { 0 }));
    }
    static Bytes Cat(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
};
using JoinWorkerTest = SplitWorkerTest;

TEST_F(SplitWorkerTest, RoundTripsThroughSplitAndJoin) {
    const std::string name = "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC.tar.gz"; // UTF-8, the programs' code page
    const struct {
        std::size_t size;
        std::uint32_t count;
        double bytes;
        std::string first, last;
    } rows[] = {
        // clang-format off
        { 10, 3, 0, ".1_of_3", ".3_of_3" }, { 3, 5, 0, ".1_of_5", ".5_of_5" }, { 0, 2, 0, ".1_of_2", ".2_of_2" },
        { 100001, 100, 0, ".001_of_100", ".100_of_100" }, { 49153, 0, 16385, ".1_of_3", ".3_of_3" },
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.last);
        Plan(name, r.size, r.count, r.bytes);
        SplitWorker(splitArgs);
        const Texts names = ListDirectory(out);
        Bytes whole;
        for (const auto& segment : names) whole = Cat(whole, ReadFile(out + sep + segment));
        const ProgressSnapshot s = ReadSnapshot(progress);
        EXPECT_EQ(prompt.messages, Texts { SPLIT_DONE });
        EXPECT_EQ(names.front() + " " + names.back(), name + r.first + " " + name + r.last);
        EXPECT_TRUE(whole == source);
        ExpectTally(r.size, !platform::KERNEL_COPY || progress.copied.kernelRefused);
        EXPECT_EQ(std::make_tuple(s.bytesDone, s.totalBytes, s.currentFile + 1, s.totalFiles,
                                  bool(progress.finished)),
                  std::make_tuple(r.size, r.size, names.size(), names.size(), true));

        // The join from a middle member; from the second on, `joined` exists
        // and a Yes To All of one job does not carry over to the next.
        prompt = ScriptedPrompt({ ANSWER_YES_TO_ALL });
        join.sourcePath = out + sep + names[names.size() / 2];
        WriteFile(joined + PARTIAL_SUFFIX, OLD); // a file of the temporary name is never replaced
        JoinWorker(joinArgs);
        EXPECT_TRUE(ReadFile(joined + PARTIAL_SUFFIX) == OLD);
        EXPECT_EQ(FileSize(joined + PARTIAL_SUFFIX + "2"), -1); // the one used instead took its name
        EXPECT_EQ(prompt.messages, Texts { JOIN_DONE });
        EXPECT_EQ(prompt.questions, &r == rows ? Texts {} : Texts { joined });
        EXPECT_TRUE(ReadFile(joined) == source);
        ExpectTally(r.size, !platform::KERNEL_COPY || progress.copied.kernelRefused);
        EXPECT_EQ(std::make_tuple(ReadSnapshot(progress).bytesDone, bool(progress.finished)),
                  std::make_tuple(r.size, true));
    }
}

// Each row: the files (the first one selected; "name=SIZE" for a size of its
// own, "name=held" for one that cannot be read as a member), the message
// (caption, flags and text; "@" stands for the directory), the answers, the
// size of every other file and the output's name. The output "j" exists: a
// join let through stops at its question, answered No, and writes nothing.
TEST_F(JoinWorkerTest, SetsThatWouldNotGiveTheFileBackAreRefused) {
    // The reason a member held open by another program (Windows), or a pipe
    // (POSIX), cannot be measured, as the system words it.
    std::string held;
#ifdef _WIN32
    WriteFile(temp.file("probe"), OLD);
    platform::File holder = platform::File::openRead(temp.file("probe"), platform::Share::None);
    held = platform::File::openRead(temp.file("probe"), platform::Share::None).failure().reason();
    EXPECT_FALSE(held.empty());
    holder.close();
#else
    held = "not a regular file: a pipe or a device";
#endif
    // clang-format off
    const std::string ERROR = "Error:|error|", ASK = "Confirm Join:|question, No by default|",
        few = ERROR + "At least 2 split files must exist in the specified directory.",
        missing = ERROR + "It appears one or more split files are missing.  Please make sure that:\r\n\r\n    - All "
                  "split files are in the same directory as the specified file.\r\n    - All of the necessary files "
                  "exist.\r\nMissing numbers: ",
        outside = ".  A split file's number must lie between 1 and the number of files.  Please move it out of the "
                  "directory and try again.",
        shortened = "The files of one split differ by one byte at most (but the last), so this one may have been cut "
                    "short or may come from another file.\r\n\r\nJoin them anyway?";
    // clang-format on
    const struct {
        std::string files, message;
        std::deque<int> answers = { ANSWER_NO };
        std::int64_t size = 1;
        std::string output = "j";
    } rows[] = {
        // clang-format off
        { "one.1_of_1", few }, { "gap.1_of_4 gap.2_of_4 gap.4_of_4", missing + "3 (1 of 4)." },
        { "end.2_of_3 end.1_of_3", missing + "3 (1 of 3)." },
        { "big.1_of_2147483647 big.2_of_2147483647", missing + "3-2147483647 (2147483645 of 2147483647)." },
        { "dup.1_of_3 dup.2_of_3 dup.3_of_3 dup.03_of_3", ERROR + "Two split files carry the number 3:\r\n\r\n    "
          "@dup.03_of_3\r\n    @dup.3_of_3\r\n\r\nPlease move one of them out of the directory and try again." },
        { "zero.1_of_2 zero.0_of_2 zero.2_of_2", ERROR + "The split file:\r\n\r\n    @zero.0_of_2\r\n\r\nis numbered 0 of 2" + outside },
        { "over.1_of_2 over.2_of_2 over.3_of_2", ERROR + "The split file:\r\n\r\n    @over.3_of_2\r\n\r\nis numbered 3 of 2" + outside },
        { "held.1_of_2 held.2_of_2=held", ERROR + "The split file:\r\n\r\n    @held.2_of_2\r\n\r\ncannot be read (" + held +
          ").  Please make it readable, or move it out of the directory, and try again." },
        // Sizes no split makes: asked about, No by default; Yes joins them as they are.
        { "cut.1_of_3=4 cut.2_of_3=2 cut.3_of_3=4", ASK + "The split file:\r\n\r\n    @cut.2_of_3\r\n\r\nholds 2 bytes, "
          "while split file 1 holds 4 bytes.  " + shortened },
        { "grown.1_of_3=4 grown.2_of_3=4 grown.3_of_3=7", ASK + "The last split file:\r\n\r\n    @grown.3_of_3\r\n\r\n"
          "holds 7 bytes, more than a split into files of 4 bytes leaves for it.  It may come from another file, or the "
          "others may have been cut short.\r\n\r\nJoin them anyway?" },
        { "yes.1_of_3=2 yes.2_of_3=4 yes.3_of_3=4", ASK + "The split file:\r\n\r\n    @yes.1_of_3\r\n\r\nholds 2 bytes, "
          "while split file 2 holds 4 bytes.  " + shortened, { ANSWER_YES, ANSWER_NO } },
        // GNU split -n gives its last file the remainder: up to N - 1 bytes more.
        { "gnu.1_of_4=2 gnu.2_of_4=2 gnu.3_of_4=2 gnu.4_of_4=5", "" },
        { "self.2_of_2 self.1_of_2", ERROR + "The output file:\r\n\r\n    @self.1_of_2\r\n\r\nis one of the split files.  "
          "Please choose another output filename or directory.", { ANSWER_NO }, 1, "self.1_of_2" },
        // Sparse members of 4 TiB: more than any test machine has free, taking no room.
        { "vast.1_of_2 vast.2_of_2", ERROR + "Insufficient disk space for joined output file.", { ANSWER_NO },
          std::int64_t { 4 } << 40 },
        { "fine.1_of_2 fine.2_of_2 fine fine.x.2_of_2 fine.2_of_3", "" }, // and names beside the set
        // clang-format on
    };
    auto inventory = [&] {
        std::string text;
        for (const auto& name : ListDirectory(out))
            text += name + ":" + std::to_string(FileSize(out + sep + name)) + " ";
        return text;
    };
    fs::create_directory(out);
    WriteFile(out + sep + "j", OLD);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.files);
        std::istringstream files(r.files);
        std::vector<platform::File> holders;
        for (std::string name; files >> name;) {
            const std::size_t equals = name.find('=');
            const std::string value = equals == std::string::npos ? "" : name.substr(equals + 1),
                              path = out + sep + name.substr(0, equals);
#ifndef _WIN32
            if (value == "held") {
                ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
                continue;
            }
#endif
            platform::File file = platform::File::createNew(path);
            ASSERT_TRUE(file.seek(value.empty() || value == "held" ? r.size : std::stoll(value)) &&
                        file.setEnd());
            file.close();
            if (value == "held") holders.push_back(platform::File::openRead(path, platform::Share::None));
        }
        const std::string before = inventory();
        std::string message = r.message;
        for (std::size_t at = message.find('@'); at != std::string::npos; at = message.find('@'))
            message.replace(at, 1, out + sep);
        prompt = ScriptedPrompt(r.answers);
        join = { out + sep + r.files.substr(0, r.files.find_first_of(" =")), out, r.output };
        JoinWorker(joinArgs);
        const bool reachesOutput = message.empty() || r.answers.front() == ANSWER_YES;
        EXPECT_EQ(prompt.messages, message.empty() ? Texts {} : Texts { message });
        EXPECT_EQ(std::make_tuple(prompt.questions, inventory(), bool(progress.finished)),
                  std::make_tuple(reachesOutput ? Texts { out + sep + "j" } : Texts {}, before, false));
    }
}

TEST_F(JoinWorkerTest, MembersJoinInNumberOrderAsTheyAreWhenRead) {
    Bytes expected;
    fs::create_directory(out);
    for (int k = 1; k <= 12; ++k) {
        const Bytes piece = PatternBytes(k < 12 ? 1000 : 990, static_cast<std::uint32_t>(k));
        WriteFile(out + sep + formatted("x.%d_of_12", k), piece);
        expected = Cat(expected, k == 2 ? Bytes(piece.begin(), piece.begin() + 500) : piece);
    }
    WriteFile(joined, OLD); // its question comes after discovery: member 2 shrinks there
    prompt.onAsk = [&] { fs::resize_file(out + sep + "x.2_of_12", 500); };
    join = { out + sep + "x.7_of_12", temp.path(), "joined" };
    JoinWorker(joinArgs);
    EXPECT_EQ(prompt.messages, Texts { JOIN_DONE });
    EXPECT_TRUE(ReadFile(joined) == expected);
}

// A set with its listing, damaged one way at a time: the join names the
// damaged piece and leaves nothing under the output's name; a good set joins
// with one line more; a join told not to check joins the set as it is.
TEST_F(JoinWorkerTest, AListingNamesTheDamagedPieceAndNothingIsJoined) {
    const auto damaged = [&](int k) {
        return "Error:|error|Segment " + std::to_string(k) + " of 3 (x.bin." + std::to_string(k) +
               "_of_3) does not match x.bin.sha256: it is damaged or belongs to another file.";
    };
    const std::string listing = out + sep + "x.bin.sha256";
    const auto flipByte = [&](int k, std::size_t at) {
        Bytes bytes = ReadFile(Segment(static_cast<std::uint32_t>(k - 1)));
        bytes[at] ^= 1;
        WriteFile(Segment(static_cast<std::uint32_t>(k - 1)), bytes);
    };
    const auto editListing = [&](const std::string& from, const std::string& to) {
        Bytes text = ReadFile(listing);
        std::string edited(text.begin(), text.end());
        edited.replace(edited.find(from), from.size(), to);
        WriteFile(listing, Bytes(edited.begin(), edited.end()));
    };
    const struct {
        const char* damage;
        std::function<void()> apply;
        std::string message;
        bool verify = true;
    } rows[] = {
        // clang-format off
        { "none", [] {}, "|completion|File joining operation complete!\r\n\r\nAll 3 segments match x.bin.sha256." },
        { "the last member one byte short", [&] { fs::resize_file(Segment(2), 999); }, damaged(3) },
        { "one wrong byte in the middle member", [&] { flipByte(2, 500); }, damaged(2) },
        { "a member the listing does not name", [&] { editListing("x.bin.2_of_3", "x.bin.02_of_2"); },
          "Error:|error|Segment 2 of 3 (x.bin.2_of_3) is not in x.bin.sha256: the checksum file belongs to another "
          "set, or the segment to another file." },
        { "a line for a member that is not there", [&] { editListing("  x.bin.1_of_3\n", "  x.bin.1_of_3\n" +
            std::string(64, 'a') + "  x.bin.02_of_3\n"); },
          "Error:|error|x.bin.sha256 lists x.bin.02_of_3 (line 2), which is not beside the other segments." },
        { "a malformed listing", [&] { editListing("  x.bin.2_of_3", " x.bin.2_of_3"); },
          "Error:|error|The checksum file:\r\n\r\n    " + listing + "\r\n\r\nis not a SHA-256 listing: line 2 is "
          "not a line of one (a hash of 64 hex digits, two spaces, a file name)." },
        { "a whole file's line of another split", [&] { // its last line: 64 digits, "  x.bin\n"
            Bytes text = ReadFile(listing);
            std::fill(text.end() - 72, text.end() - 8, '0');
            WriteFile(listing, text); },
          "Error:|error|Every segment matches x.bin.sha256, but the joined file does not match its line for the whole "
          "file: the checksum file is not of one split." },
        { "damaged, and not checked", [&] { flipByte(2, 500); }, "|completion|File joining operation complete!", false },
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.damage);
        Plan("x.bin", 3000, 3);
        split.writeListing = true;
        SplitWorker(splitArgs);
        ASSERT_EQ(ReadFile(listing).size(), 4u * (64 + 2) + 3 * 12 + 5 + 4);
        r.apply();
        prompt = {};
        join.verify = r.verify;
        JoinWorker(joinArgs);
        const bool joins = r.message[0] == '|';
        EXPECT_EQ(std::make_tuple(prompt.messages, FileSize(joined) >= 0), std::make_tuple(Texts { r.message }, joins));
        fs::remove(joined);
    }
}

// What the platform sees of the steps that make a finished file last, in
// order, and the messages between them: each file flushed before it takes its
// name, the folder flushed before the success (not with --no-sync); a device
// that fails a flush leaves the file under its temporary name and no success.
std::mutex stepsMutex;
std::vector<std::string> steps;
std::string failing;             // "step path" that the device fails
std::string intrudeAt, intruder; // at step "intrudeAt", another program makes the file "intruder"
bool RecordStep(const char* step, const std::string& path) {
    std::lock_guard lock(stepsMutex);
    steps.push_back(step + (" " + path));
    if (steps.back() == intrudeAt) WriteFile(intruder, { 'o', 'l', 'd' });
    return steps.back() != failing;
}
struct RecordingPrompt final : UserPrompt {
    int show(const Message& message) override {
        std::lock_guard lock(stepsMutex);
        steps.push_back("message " + message.caption + "|" + KindName(message) + "|" + message.text);
        return ANSWER_OK;
    }
    int askOverwrite(const std::string&) override { return ANSWER_YES; }
};

TEST_F(SplitWorkerTest, FinishedFilesReachTheDeviceBeforeTheirNames) {
    platform::watchDurability(RecordStep);
    RecordingPrompt recorder;
    SplitThreadArgs recordedSplit { split, plan, control, progress, recorder };
    Plan("last.bin", 3001, 2);
    const std::string one = Segment(0), two = Segment(1), partial = PARTIAL_SUFFIX,
                      done = "message " + SPLIT_DONE;
    const std::string writeFailed =
        "message Error:|error|BETA: Write failure.\r\n\r\nThe finished file could not be "
        "written to the device.  What was written stays in:\r\n\r\n    " +
        two + partial;
    const std::string folderFailed =
        "message Error:|error|The folder could not be written to the device:\r\n\r\n    " + out +
        "\r\n\r\nThe finished files may lose their names after a power loss.";
    const std::string notNamed =
        "message Error:|error|The finished file could not be given its name:\r\n\r\n    " + two +
        "\r\n\r\nIts complete data is in:\r\n\r\n    " + two + partial;
    const struct {
        std::string failing;
        bool flush;
        Texts steps;
        bool finished;
        std::string intrudeAt = ""; // where another program makes a file of segment 2's name
        std::size_t size = 3001;
    } rows[] = {
        // clang-format off
        { "", true, { "flush " + one + partial, "rename " + one, "flush " + two + partial, "rename " + two,
                      "flush directory " + out, done }, true },
        { "", false, { "rename " + one, "rename " + two, done }, true }, // the command line's --no-sync
        { "flush " + two + partial, true, { "flush " + one + partial, "rename " + one, "flush " + two + partial,
                                            writeFailed }, false },
        { "flush directory " + out, true, { "flush " + one + partial, "rename " + one, "flush " + two + partial,
                                            "rename " + two, "flush directory " + out, folderFailed }, false },
        // That file is never replaced unasked; the segment stays under its temporary name.
        { "", true, { "flush " + one + partial, "rename " + one, "flush " + two + partial, "rename " + two,
                      notNamed }, false, "flush " + two + partial },
        // Segments longer than the write-behind chunk: their bytes are sent on
        // their way while the copy goes on, and flushed at the end.
        { "", true, { "write behind " + one + partial, "flush " + one + partial, "rename " + one,
                      "write behind " + two + partial, "flush " + two + partial, "rename " + two,
                      "flush directory " + out, done }, true, "", 2 * 10 << 20 },
        // clang-format on
    };
    intruder = two;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.failing + " " + r.intrudeAt + " " + std::to_string(r.size));
        Plan("last.bin", r.size, 2);
        steps.clear(), failing = r.failing, intrudeAt = r.intrudeAt;
        control.flushToDevice = r.flush;
        SplitWorker(recordedSplit);
        EXPECT_EQ(steps, r.steps);
        EXPECT_EQ(bool(progress.finished), r.finished);
        EXPECT_TRUE(r.intrudeAt.empty() || ReadFile(two) == OLD);
        // A failed flush leaves the whole segment under its temporary name.
        EXPECT_TRUE(
            ReadFile(r.finished || r.failing.find("directory") != std::string::npos ? two : two + partial) ==
            Slice(r.size - r.size / 2, r.size / 2));
    }
    intrudeAt.clear();
    platform::watchDurability(nullptr);
}

// A virus scanner or an indexer that holds a just-finished file for a moment
// (on Windows the rename then meets a sharing violation) delays the rename; it
// still succeeds.
TEST(Rename, WaitsForAProgramThatHoldsTheFileForAMoment) {
    TempDir temp;
    WriteFile(temp.file("a"), OLD);
    platform::File holder = platform::File::openRead(temp.file("a"), platform::Share::None);
    std::thread scanner([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        holder.close();
    });
    const bool renamed = static_cast<bool>(platform::renameFile(temp.file("a"), temp.file("b"), false));
    scanner.join();
    EXPECT_TRUE(renamed);
    EXPECT_TRUE(ReadFile(temp.file("b")) == OLD);
}

TEST_F(SplitWorkerTest, ASourceThatShrinksDuringTheSplitIsAReadFailure) {
#ifdef _WIN32
    GTEST_SKIP() << "the worker's open source cannot be truncated by another handle on Windows";
#endif
    Plan("shrinks.bin", 40000, 2);
    WriteFile(Segment(1), OLD); // its question comes between the two segments
    // Cut within the segment's last block: a copy that stops short there must
    // not pass for complete.
    prompt.onAsk = [&] { fs::resize_file(split.sourcePath, 38000); };
    SplitWorker(splitArgs);
    EXPECT_EQ(prompt.messages, Texts { "Error:|error|BETA: Read Failure." });
    EXPECT_FALSE(progress.finished);
}

// Paused from its overwrite question, a job holds before the first block of
// that file: neither its counters nor the file move, and Cancel answered No
// keeps it held. Then it is resumed (and Cancel answered No lets it run on)
// and completes, or it is cancelled and leaves what it wrote, the reserved
// file under its temporary name and the old file under the final name untouched.
TEST_F(SplitWorkerTest, PauseHoldsThenResumeCompletesOrCancelStops) {
    const std::size_t MIB = 1 << 20;
    for (const int run : { 0, 1, 2, 3 }) {
        const bool isJoin = run >= 2, cancel = run % 2;
        SCOPED_TRACE(run);
        Plan("big.bin", 4 * MIB, 4);
        if (isJoin) SplitWorker(splitArgs);
        const std::string replaced = isJoin ? joined : Segment(1), reserved = replaced + PARTIAL_SUFFIX;
        const std::size_t size = isJoin ? 4 * MIB - 1 : MIB - 1; // the file is reserved one byte short
        WriteFile(replaced, OLD);
        prompt = {};
        std::atomic<bool> asked { false }, ended { false };
        prompt.onAsk = [&] { TogglePause(control, nullptr), asked = true; };
        const auto start = std::chrono::steady_clock::now();
        std::thread worker([&] { isJoin ? JoinWorker(joinArgs) : SplitWorker(splitArgs), ended = true; });
        const bool held = WaitUntil([&] { return asked && FileSize(reserved) >= std::int64_t(size); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const ProgressSnapshot before = ReadSnapshot(progress);
        const auto heldFrom = std::chrono::steady_clock::now(); // held from before this to after `heldFor`
        ScriptedPrompt no({ ANSWER_NO, ANSWER_NO }), yes({ ANSWER_YES });
        ConfirmCancel(control, no);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const ProgressSnapshot after = ReadSnapshot(progress);
        const Bytes onDisk = ReadFile(reserved); // nothing on Windows, where the open file is locked
        const bool heldStill = onDisk.empty() || onDisk == Bytes(size, 0), pausedThen = IsPaused(control);
        const std::chrono::duration<double> heldFor = std::chrono::steady_clock::now() - heldFrom;
        if (!cancel) TogglePause(control, nullptr); // resumes: the worker must wake by itself
        const bool resumed = cancel || WaitUntil([&] { return ended.load(); });
        ConfirmCancel(control, cancel ? yes : no);
        const bool pausedAtEnd = IsPaused(control);
        const bool done = resumed && WaitUntil([&] { return ended.load(); });
        if (!done) RequestStop(control);
        const std::chrono::duration<double> ran = std::chrono::steady_clock::now() - start;
        JoinWithin(worker, ended, "the worker, stopped");
        ASSERT_TRUE(held && done);

        EXPECT_EQ(before.bytesDone, isJoin ? 0 : MIB); // held before the first block of its file
        EXPECT_EQ(after.bytesDone, before.bytesDone);
        EXPECT_LE(progress.elapsedSeconds, (ran - heldFor).count()); // held time is no working time
        EXPECT_TRUE(heldStill && pausedThen && !pausedAtEnd);
        EXPECT_EQ(no.messages.at(0), "Confirm Cancel:|question|Are you sure you want to cancel?");
        EXPECT_EQ(bool(progress.finished), !cancel);
        EXPECT_EQ(prompt.messages, cancel ? Texts {} : Texts { isJoin ? JOIN_DONE : SPLIT_DONE });
        EXPECT_TRUE(ReadFile(Segment(0)) == Slice(0, MIB));
        EXPECT_EQ(FileSize(Segment(2)), cancel && !isJoin ? -1 : std::int64_t(MIB));
        const Bytes complete = Slice(isJoin ? 0 : MIB, isJoin ? 4 * MIB : MIB);
        EXPECT_TRUE(ReadFile(replaced) == (cancel ? OLD : complete));
        EXPECT_EQ(FileSize(reserved), cancel ? std::int64_t(size) : -1);
    }
}

} // namespace
