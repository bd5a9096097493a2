// morvane-cli's commands run in-process on real files: outputs, messages and
// exit codes, the questions answered from standard input, and round trips
// driven only through the command line.
#include "cli/cli.h"
#include "core/format_text.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, got);
    std::fclose(file);
    return text;
}

// Runs one command line with `input` as standard input and files as the other
// streams (so nothing is a terminal).
CliResult Cli(const std::vector<std::string>& args, const std::string& input = "") {
    ResetCliInterrupt();
    CliIo io;
    io.in = std::tmpfile();
    io.out = std::tmpfile();
    io.err = std::tmpfile();
    std::fputs(input.c_str(), io.in);
    std::rewind(io.in);
    const int code = RunCli(args, io);
    std::fclose(io.in);
    return { code, Contents(io.out), Contents(io.err) };
}

class CliTest : public ::testing::Test {
protected:
    TempDir temp;
    std::string sep { platform::PATH_SEPARATOR };
    std::string out = temp.file("out");
    std::vector<unsigned char> source = PatternBytes(300001, 5);
    std::string sourcePath = temp.file("movie.avi");

    void SetUp() override {
        fs::create_directory(out);
        WriteFile(sourcePath, source);
    }
    std::string In(const std::string& dir, const std::string& name) const { return dir + sep + name; }
};

TEST_F(CliTest, HelpVersionAndUsageErrors) {
    const CliResult help = Cli({ "--help" });
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("morvane-cli split SOURCE [-o DIR] (-n COUNT | -s SIZE)"), std::string::npos);
    const CliResult version = Cli({ "--version" });
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "morvane-cli 1.0.0\n");
    for (const auto& args : std::vector<std::vector<std::string>> {
             {}, { "frobnicate" }, { "split", sourcePath }, { "join" }, { "split", sourcePath, "-n" } }) {
        const CliResult usage = Cli(args);
        EXPECT_EQ(usage.code, 2);
        EXPECT_EQ(usage.out, "");
        EXPECT_EQ(usage.err.rfind("morvane-cli: ", 0), 0u);
        EXPECT_NE(usage.err.find("(see morvane-cli --help)\n"), std::string::npos);
        EXPECT_EQ(std::count(usage.err.begin(), usage.err.end(), '\n'), 1); // one line
    }
}

TEST_F(CliTest, SplitThenJoinRoundTripsThroughTheCommandLine) {
    const CliResult split = Cli({ "split", sourcePath, "-o", out, "-s", "100K" });
    EXPECT_EQ(split.code, 0);
    EXPECT_EQ(split.out, "File splitting operation successful!\n");
    EXPECT_EQ(split.err, ""); // no progress line when stderr is not a terminal
    EXPECT_EQ(ListDirectory(out),
              (std::vector<std::string> { "movie.avi.1_of_3", "movie.avi.2_of_3", "movie.avi.3_of_3" }));
    EXPECT_EQ(FileSize(In(out, "movie.avi.1_of_3")), 102400);

    // Join by default beside the segments, under the source's name.
    const CliResult join = Cli({ "join", In(out, "movie.avi.2_of_3") });
    EXPECT_EQ(join.code, 0);
    EXPECT_EQ(join.out, "File joining operation complete!\n");
    EXPECT_EQ(ReadFile(In(out, "movie.avi")), source);

    // And elsewhere under another name.
    fs::create_directory(temp.file("joined"));
    EXPECT_EQ(Cli({ "join", In(out, "movie.avi.3_of_3"), "-o", temp.file("joined"), "-O", "copy.avi" }).code,
              0);
    EXPECT_EQ(ReadFile(In(temp.file("joined"), "copy.avi")), source);
}

TEST_F(CliTest, SplitWritesBesideTheSourceByDefaultAndCountsFiles) {
    EXPECT_EQ(Cli({ "split", sourcePath, "-n", "12" }).code, 0);
    EXPECT_TRUE(FileExists(temp.file("movie.avi.01_of_12")));
    EXPECT_EQ(FileSize(temp.file("movie.avi.01_of_12")), 25001);
    EXPECT_EQ(FileSize(temp.file("movie.avi.12_of_12")), 25000);
}

TEST_F(CliTest, SplitRefusalsUseTheWindowsTexts) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        { { "split", temp.file("missing.bin"), "-n", "2" }, "The specified input file does not exist." },
        { { "split", out, "-n", "2" }, "The specified input file does not exist." },
        { { "split", sourcePath, "-n", "2", "-o", temp.file("nowhere") },
          "The specified output directory does not exist." },
        { { "split", sourcePath, "-n", "two" }, "Please enter a valid number of output files." },
        { { "split", sourcePath, "-n", "1" }, "Please specify at least 2 output files." },
        { { "split", sourcePath, "-s", "1..5M" },
          "Invalid custom size value - entry contains multiple decimal points." },
        { { "split", sourcePath, "-s", "0" }, "Please enter a positive, non-zero file size." },
        { { "split", sourcePath, "-s", "1M" }, "Specified output size does not require splitting." },
        { { "split", sourcePath, "-s", "0.1B" }, "Please enter a file size of at least 1 byte." },
    };
    for (const auto& c : cases) {
        const CliResult result = Cli(c.args);
        EXPECT_EQ(result.code, 1) << c.message;
        EXPECT_EQ(result.err, std::string("morvane-cli: ") + c.message + "\n");
    }
    EXPECT_EQ(ListDirectory(out).size(), 0u);
}

TEST_F(CliTest, ASegmentAsSourceIsConfirmedOnTheTerminal) {
    const std::string segment = temp.file("movie.avi.03_of_12");
    WriteFile(segment, PatternBytes(100));
    const CliResult no = Cli({ "split", segment, "-n", "2", "-o", out }, "n\n");
    EXPECT_EQ(no.code, 1);
    EXPECT_NE(no.err.find("already-split file segment"), std::string::npos);
    EXPECT_TRUE(ListDirectory(out).empty());
    EXPECT_EQ(Cli({ "split", segment, "-n", "2", "-o", out }, "y\n").code, 0);
    EXPECT_EQ(ListDirectory(out).size(), 2u);
}

TEST_F(CliTest, TheOverwriteQuestionIsAnsweredFromStandardInput) {
    ASSERT_EQ(Cli({ "split", sourcePath, "-n", "3", "-o", out }).code, 0);
    const std::string first = In(out, "movie.avi.1_of_3");
    auto questions = [](const std::string& err) {
        std::size_t n = 0;
        for (std::size_t at = err.find("Overwrite?"); at != std::string::npos;
             at = err.find("Overwrite?", at + 1))
            ++n;
        return n;
    };
    const CliResult yes = Cli({ "split", sourcePath, "-n", "3", "-o", out }, "y\ny\ny\n");
    EXPECT_EQ(yes.code, 0);
    EXPECT_EQ(questions(yes.err), 3u);
    EXPECT_NE(yes.err.find(first + " already exists.  Overwrite? [y]es, [a]ll, [n]o: "), std::string::npos);
    const CliResult all = Cli({ "split", sourcePath, "-n", "3", "-o", out }, "a\n");
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(questions(all.err), 1u);
    EXPECT_EQ(questions(Cli({ "split", sourcePath, "-n", "3", "-o", out, "--yes" }).err), 0u);

    // No, the end of input, and --no-clobber all stop before the file is touched.
    WriteFile(first, { 'k', 'e', 'e', 'p' });
    for (const auto& [args, input] : std::vector<std::pair<std::vector<std::string>, std::string>> {
             { { "split", sourcePath, "-n", "3", "-o", out }, "n\n" },
             { { "split", sourcePath, "-n", "3", "-o", out }, "" },
             { { "split", sourcePath, "-n", "3", "-o", out, "--no-clobber" }, "y\n" } }) {
        const CliResult no = Cli(args, input);
        EXPECT_EQ(no.code, 1);
        EXPECT_EQ(no.out, "");
        EXPECT_NE(no.err.find("morvane-cli: not overwriting " + first + "; stopped\n"), std::string::npos);
        EXPECT_EQ(ReadFile(first), std::vector<unsigned char>({ 'k', 'e', 'e', 'p' }));
    }
}

TEST_F(CliTest, JoinRefusalsUseTheWindowsTexts) {
    ASSERT_EQ(Cli({ "split", sourcePath, "-n", "4", "-o", out }).code, 0);
    fs::remove(In(out, "movie.avi.3_of_4"));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        { { "join", In(out, "gone.avi.1_of_4") }, "The specified input file does not exist." },
        { { "join", sourcePath }, "Please enter a valid split file pathname." },
        { { "join", In(out, "movie.avi.1_of_4"), "-o", temp.file("nowhere") },
          "The specified output directory does not exist." },
        { { "join", In(out, "movie.avi.1_of_4"), "-O", "" }, "Please enter an output filename." },
        { { "join", In(out, "movie.avi.1_of_4") },
          "It appears one or more split files are missing.  Please make sure that: - All split files are in "
          "the same "
          "directory as the specified file. - All of the necessary files exist." },
    };
    for (const auto& c : cases) {
        const CliResult result = Cli(c.args);
        EXPECT_EQ(result.code, 1) << c.message;
        EXPECT_EQ(result.err, "morvane-cli: " + c.message + "\n");
    }
    EXPECT_FALSE(FileExists(In(out, "movie.avi")));
}

TEST_F(CliTest, InfoShowsTheSetAsDiscoverySeesIt) {
    ASSERT_EQ(Cli({ "split", sourcePath, "-n", "6", "-o", out }).code, 0);
    const CliResult complete = Cli({ "info", In(out, "movie.avi.4_of_6") });
    EXPECT_EQ(complete.code, 0);
    EXPECT_NE(complete.out.find("set of movie.avi, 6 files"), std::string::npos);
    EXPECT_NE(complete.out.find("       1  " + In(out, "movie.avi.1_of_6") + "  50,001 bytes\n"),
              std::string::npos);
    EXPECT_NE(complete.out.find(
                  "members: 6, total: 300,001 bytes\nmissing: none\nduplicates: none\njoin: would start\n"),
              std::string::npos);

    fs::remove(In(out, "movie.avi.2_of_6"));
    fs::remove(In(out, "movie.avi.4_of_6"));
    fs::remove(In(out, "movie.avi.5_of_6"));
    WriteFile(In(out, "movie.avi.03_of_6"), { 1 });
    WriteFile(In(out, "movie.avi.7_of_6"), { 1 });
    const CliResult broken = Cli({ "info", In(out, "movie.avi.1_of_6") });
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.out.find("missing: 2, 4-5\n"), std::string::npos);
    EXPECT_NE(broken.out.find("duplicates: number 3 in " + In(out, "movie.avi.03_of_6") + " and " +
                              In(out, "movie.avi.3_of_6") + "\n"),
              std::string::npos);
    EXPECT_NE(broken.out.find("(outside 1 to 6)"), std::string::npos);
    EXPECT_NE(broken.out.find("join: would not start: The split file: " + In(out, "movie.avi.7_of_6")),
              std::string::npos);
}

TEST_F(CliTest, SumsAndVerifyHashTheMembersAndTheJoinedStream) {
    WriteFile(In(out, "abc.txt.1_of_2"), { 'a', 'b', 'c' });
    WriteFile(In(out, "abc.txt.2_of_2"), {});
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const CliResult sums = Cli({ "sums", In(out, "abc.txt.2_of_2") });
    EXPECT_EQ(sums.code, 0);
    EXPECT_EQ(sums.out, abc + "  " + In(out, "abc.txt.1_of_2") + "\n" + empty + "  " +
                            In(out, "abc.txt.2_of_2") + "\n" + abc + "  abc.txt\n");

    EXPECT_EQ(Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sha256", abc }).out, "joined abc.txt: OK\n");
    EXPECT_EQ(Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sha256",
                    "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD" })
                  .code,
              0);
    const CliResult wrong = Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sha256", empty });
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.out, "joined abc.txt: FAILED\n");

    // A listing taken before a member changed names that member.
    const std::string listing = temp.file("sums.txt");
    {
        std::FILE* file = std::fopen(listing.c_str(), "wb");
        std::fputs(sums.out.c_str(), file);
        std::fclose(file);
    }
    EXPECT_EQ(Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sums", listing }).code, 0);
    WriteFile(In(out, "abc.txt.2_of_2"), { '!' });
    const CliResult changed = Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sums", listing });
    EXPECT_EQ(changed.code, 1);
    EXPECT_EQ(changed.out, In(out, "abc.txt.1_of_2") + ": OK\n" + In(out, "abc.txt.2_of_2") +
                               ": FAILED\njoined abc.txt: FAILED\nthe difference comes from: " +
                               In(out, "abc.txt.2_of_2") + "\n");

    {
        std::FILE* file = std::fopen(listing.c_str(), "wb");
        std::fputs("not a listing\n", file);
        std::fclose(file);
    }
    const CliResult malformed = Cli({ "verify", In(out, "abc.txt.1_of_2"), "--sums", listing });
    EXPECT_EQ(malformed.code, 1);
    EXPECT_EQ(malformed.err, "morvane-cli: " + listing + ": line 1 is not a SHA-256 listing line\n");
    EXPECT_EQ(Cli({ "sums", In(out, "abc.txt.1_of_3") }).code, 1); // names nothing
}

TEST_F(CliTest, CtrlCAtAQuestionStopsWithCode130AndKeepsTheFiles) {
    ASSERT_EQ(Cli({ "split", sourcePath, "-n", "3", "-o", out }).code, 0);
    const std::string second = In(out, "movie.avi.2_of_3");
    WriteFile(second, { 'o', 'l', 'd' });
    // The user presses Ctrl-C while the question waits for an answer.
    ResetCliInterrupt();
    CliIo io;
    io.in = std::tmpfile();
    io.out = std::tmpfile();
    io.err = std::tmpfile();
    io.waitForInput = [](const std::function<bool()>& giveUp) {
        InterruptCli();
        return !giveUp();
    };
    const int code = RunCli(
        {
            "split",
            sourcePath,
            "-n",
            "3",
            "-o",
            out,
        },
        io);
    std::fclose(io.in);
    Contents(io.out);
    const std::string err = Contents(io.err);
    EXPECT_EQ(code, 130);
    EXPECT_NE(err.find("morvane-cli: interrupted; what was written stays on disk\n"), std::string::npos);
    EXPECT_EQ(FileSize(In(out, "movie.avi.1_of_3")), 100001);
    EXPECT_EQ(ReadFile(second), std::vector<unsigned char>({ 'o', 'l', 'd' }));
    ResetCliInterrupt();
}

TEST_F(CliTest, NoProgressLineIsDrawnOverAnOpenQuestion) {
    ASSERT_EQ(Cli({ "split", sourcePath, "-n", "3", "-o", out }).code, 0);
    ResetCliInterrupt();
    CliIo io;
    io.in = std::tmpfile();
    io.out = std::tmpfile();
    io.err = std::tmpfile();
    io.errIsTerminal = true;
    std::fputs("a\n", io.in);
    std::rewind(io.in);
    // The question stays open long enough for the progress line's turn to come
    // (every 200 ms); stderr must not grow meanwhile.
    long grewBy = -1;
    io.waitForInput = [&](const std::function<bool()>&) {
        auto position = [&] {
            std::lock_guard lock(io.errMutex);
            return std::ftell(io.err);
        };
        const long before = position();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        grewBy = position() - before;
        return true;
    };
    const int code = RunCli({ "split", sourcePath, "-n", "3", "-o", out }, io);
    std::fclose(io.in);
    Contents(io.out);
    const std::string err = Contents(io.err);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(grewBy, 0);
    EXPECT_NE(err.find("Overwrite? [y]es, [a]ll, [n]o: "), std::string::npos);
}

TEST(CliOneLine, LineBreaksBecomeSingleSpaces) {
    EXPECT_EQ(OneLine("a\r\n\r\n    b\r\nc\r\n"), "a b c");
    EXPECT_EQ(OneLine("two.  Spaces stay"), "two.  Spaces stay");
    EXPECT_EQ(OneLine("plain"), "plain");
}

} // namespace
