// morvane-cli run in-process on real files: exit codes and first error lines,
// the overwrite options, and a split, info, join, sums and verify round trip.
#include "cli/cli.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

struct CliResult {
    int code;
    std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
    TempDir temp;
    const std::string sep { platform::PATH_SEPARATOR }, out = temp.file("out");
    const std::vector<unsigned char> source = PatternBytes(300001, 5);

    void SetUp() override {
        fs::create_directory(out);
        WriteFile(temp.file("movie.avi"), source);
    }
    // One command line, `@` standing for the scratch directory and a
    // separator, `input` as standard input; no stream is a terminal.
    CliResult Cli(std::vector<std::string> args, const std::string& input = "") {
        for (auto& arg : args) arg = arg[0] == '@' ? temp.path() + sep + arg.substr(1) : arg;
        CliIo io;
        // Files of this test's own directory: std::tmpfile picks its names in a
        // place that test programs running side by side share, and under Wine
        // two of them can take the same name (and get no file at all).
        io.in = std::fopen(temp.file("stdin").c_str(), "w+b");
        io.out = std::fopen(temp.file("stdout").c_str(), "w+b");
        io.err = std::fopen(temp.file("stderr").c_str(), "w+b");
        if (!io.in || !io.out || !io.err) {
            ADD_FAILURE() << "cannot open the streams' files in " << temp.path();
            return { -1, "", "" };
        }
        std::fputs(input.c_str(), io.in), std::rewind(io.in);
        CliResult result { RunCli(args, io), "", "" };
        for (auto [file, text] : { std::pair { io.out, &result.out }, { io.err, &result.err } }) {
            text->resize(static_cast<std::size_t>(std::ftell(file)));
            std::rewind(file), text->resize(std::fread(text->data(), 1, text->size(), file)),
                std::fclose(file);
        }
        std::fclose(io.in);
        return result;
    }
};

TEST_F(CliTest, ExitCodesAndFirstErrorLines) {
    for (const char* name : { "lone.1_of_2", "gap.1_of_3", "gap.3_of_3", "blocked.bin", "pair.1_of_2", "pair.2_of_2" })
        WriteFile(temp.file(name), { 1 });
    for (const char* name : { "blocked.bin.1_of_2", "dir.1_of_2" })
        fs::create_directory(temp.file(name)); // no file can take these names
    const std::string USAGE = " (see morvane-cli --help)",
                      NO_INPUT = "The specified input file does not exist.",
                      NOT_SEGMENT = "Please enter a valid split file pathname.";
    const struct {
        Texts args;
        int code;
        std::string error; // after "morvane-cli: "
    } rows[] = {
        // clang-format off
        { {}, 2, "no command given" + USAGE },
        { { "frobnicate" }, 2, "unknown command frobnicate" + USAGE },
        { { "split", "@movie.avi" }, 2, "split needs one of -n COUNT or -s SIZE" + USAGE },
        { { "split", "@movie.avi", "-n" }, 2, "option -n needs a value" + USAGE },
        { { "split", "@movie.avi", "-n", "2", "-O", "x" }, 2, "-O belongs to join" + USAGE },
        { { "verify", "@lone.1_of_2" }, 2, "verify needs --sha256 HEX or --sums FILE" + USAGE },
        { { "verify", "@pair.1_of_2", "--sha256", std::string(63, 'a') + "g" }, 2, "--sha256 needs 64 hexadecimal digits" + USAGE },
        { { "split", "@movie.avi", "-n", "2", "--yes", "--no-clobber" }, 2, "--yes and --no-clobber exclude each other" + USAGE },
        { { "split", "-n", "2", "--", "-n" }, 1, NO_INPUT }, // after "--", "-n" is a file name
        { { "split", "@movie.avi", "-s", "99999999999G" }, 1, "A segment size of 99999999999G is larger than any file can be." },
        { { "join", "@pair.1_of_2", "-O", "@out" }, 1, "The output " + out + " is a directory: -O names the joined file, -o its directory." },
        { { "join", "@pair.1_of_2", "-O", "@out" + sep + "pair.bin" }, 0, "" }, // a path: written there
        { { "split", "@lone.1_of_2", "-n", "2", "--no-clobber" }, 1, "not splitting a segment; stopped" },
        { { "split", "@blocked.bin", "-n", "2", "--yes" }, 1, "Failed to create output file: " + temp.file("blocked.bin.1_of_2") + "." },
        { { "join", "@movie.avi" }, 1, NOT_SEGMENT },
        { { "join", "@dir.1_of_2" }, 1, NOT_SEGMENT }, // a directory, whatever its name
        { { "join", "@gap.1_of_3" }, 1, "It appears one or more split files are missing.  Please make sure that: - All "
                                        "split files are in the same directory as the specified file. - All of the "
                                        "necessary files exist. Missing numbers: 2 (1 of 3)." },
        { { "info", "@gap.1_of_3" }, 1, "" }, // the report goes to stdout
        { { "verify", "--help" }, 0, "" }, { { "--version" }, 0, "" },
        // clang-format on
    };
    for (const auto& r : rows) {
        const CliResult result = Cli(r.args);
        EXPECT_EQ(std::make_tuple(result.code, result.err.substr(0, result.err.find('\n'))),
                  std::make_tuple(r.code, r.error.empty() ? "" : "morvane-cli: " + r.error));
    }
}

TEST_F(CliTest, SplitInfoJoinSumsAndVerify) {
    // What each of the three segment names holds, before and after a split
    // of 300,001 bytes in segments of 100K: nothing, an old file, or the new
    // segment; the answers on standard input, the segments asked about, and
    // the segment at which the split stopped (0: it completed).
    enum Held : char { NONE = '-', OLD_FILE = 'o', NEW = 'n' };
    const std::string MIX = "morvane-cli: Segment 1 is new; 2 of 3 is from an earlier split: joined, they would "
                            "give back neither file.\n";
    using Names = std::array<Held, 3>;
    const struct {
        Names before;
        const char* option;
        const char* input;
        std::vector<int> asked;
        int stoppedAt;
        Names after;
        std::string note = ""; // a mix of new and old segments, said so
    } overwrites[] = {
        // clang-format off
        { { NONE, NONE, NONE }, "", "", {}, 0, { NEW, NEW, NEW } },
        { { OLD_FILE, NONE, OLD_FILE }, "", "n\n", { 1 }, 1, { OLD_FILE, NONE, OLD_FILE } },
        { { NONE, OLD_FILE, NONE }, "", "", { 2 }, 2, { NEW, OLD_FILE, NONE }, MIX }, // no answer at all: No
        { { OLD_FILE, NONE, OLD_FILE }, "", "y\ny\n", { 1, 3 }, 0, { NEW, NEW, NEW } },
        { { OLD_FILE, OLD_FILE, OLD_FILE }, "", "a\n", { 1 }, 0, { NEW, NEW, NEW } }, // yes to all
        { { OLD_FILE, NONE, OLD_FILE }, "--no-clobber", "y\n", {}, 1, { OLD_FILE, NONE, OLD_FILE } },
        { { NONE, OLD_FILE, NONE }, "--no-clobber", "", {}, 2, { NONE, OLD_FILE, NONE } }, // nothing written
        { { OLD_FILE, OLD_FILE, OLD_FILE }, "--yes", "", {}, 0, { NEW, NEW, NEW } },
        // clang-format on
    };
    const std::vector<unsigned char> OLD = { 'o', 'l', 'd' };
    for (const auto& r : overwrites) {
        fs::remove_all(out), fs::create_directory(out);
        auto segment = [&](int k) { return out + sep + "movie.avi." + std::to_string(k) + "_of_3"; };
        std::string err;
        for (int k = 1; k <= 3; ++k)
            if (r.before[std::size_t(k - 1)] == OLD_FILE) WriteFile(segment(k), OLD);
        for (const int k : r.asked) err += segment(k) + " already exists.  Overwrite? [y]es, [a]ll, [n]o: \n";
        // --no-clobber looks at every name before it writes the first.
        const bool noClobber = std::string(r.option) == "--no-clobber";
        if (r.stoppedAt)
            err += "morvane-cli: not overwriting " + segment(r.stoppedAt) + (noClobber ? "; nothing written\n" : "; stopped\n") + r.note;
        Texts args = { "split", "@movie.avi", "-o", out, "-s", "100K" };
        if (*r.option) args.push_back(r.option);
        const CliResult split = Cli(args, r.input);
        Names after {};
        for (int k = 1; k <= 3; ++k)
            after[std::size_t(k - 1)] = FileSize(segment(k)) < 0 ? NONE : ReadFile(segment(k)) == OLD ? OLD_FILE : NEW;
        EXPECT_EQ(std::make_tuple(split.code, split.out, split.err, after),
                  std::make_tuple(r.stoppedAt ? 1 : 0, r.stoppedAt ? "" : "File splitting operation successful!\n",
                                  err, r.after));
    }
    const std::string first = out + sep + "movie.avi.1_of_3";
    EXPECT_EQ(FileSize(first), 102400);
    const CliResult info = Cli({ "info", first });
    EXPECT_EQ(std::to_string(info.code) + info.out.substr(info.out.find("total")),
              "0total: 300,001 bytes\nmissing: none\nduplicates: none\nlisting: none\njoin: would start\n");
    fs::create_directory(temp.file("joined"));
    const CliResult join = Cli({ "join", first, "-o", "@joined", "-O", "copy.avi" });
    EXPECT_EQ(std::make_tuple(join.code, join.out + join.err,
                              ReadFile(temp.file("joined") + sep + "copy.avi") == source),
              std::make_tuple(0, "File joining operation complete!\n", true));
    EXPECT_EQ(Cli({ "join", first }).code, 0); // beside the segments, under the source's name
    EXPECT_TRUE(ReadFile(out + sep + "movie.avi") == source);
    WriteFile(out + sep + "movie.avi", OLD); // --no-clobber leaves an existing output as it is
    const CliResult kept = Cli({ "join", first, "--no-clobber" });
    EXPECT_EQ(std::make_tuple(kept.code, kept.err, ReadFile(out + sep + "movie.avi") == OLD),
              std::make_tuple(1, "morvane-cli: not overwriting " + out + sep + "movie.avi; stopped\n", true));

    // SHA-256 of "abc" and of nothing, joined into "abc".
    WriteFile(temp.file("abc.txt.1_of_2"), { 'a', 'b', 'c' });
    WriteFile(temp.file("abc.txt.2_of_2"), {});
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                      none = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"; // of nothing
    const CliResult sums = Cli({ "sums", "@abc.txt.2_of_2" });
    EXPECT_EQ(sums.out, abc + "  " + temp.file("abc.txt.1_of_2") + "\n" + none + "  " +
                            temp.file("abc.txt.2_of_2") + "\n" + abc + "  " + temp.file("abc.txt") + "\n");
    WriteFile(temp.file("sums.txt"), std::vector<unsigned char>(sums.out.begin(), sums.out.end()));
    WriteFile(temp.file("abc.txt.2_of_2"), { '!' }); // the listing names the member that changed
    const CliResult changed = Cli({ "verify", "@abc.txt.1_of_2", "--sums", "@sums.txt" });
    EXPECT_EQ(std::make_tuple(changed.code, changed.out.substr(changed.out.find("joined"))),
              std::make_tuple(1, "joined abc.txt: FAILED\nthe difference comes from: " +
                                     temp.file("abc.txt.2_of_2") + "\n"));
}

// --no-sync leaves flushing to the system: neither the files nor the folder
// are flushed; without it, a join flushes its output and then its folder.
std::atomic<int> flushes { 0 };
bool CountFlushes(const char* step, const std::string&) {
    flushes += std::string(step).rfind("flush", 0) == 0;
    return true;
}
TEST_F(CliTest, NoSyncLeavesFlushingToTheSystem) {
    platform::watchDurability(CountFlushes);
    EXPECT_EQ(Cli({ "split", "@movie.avi", "-n", "2", "-o", "@out", "--no-sync" }).code, 0);
    const int unsynced = flushes.exchange(0);
    EXPECT_EQ(Cli({ "join", "@out" + sep + "movie.avi.1_of_2", "-o", "@out" }).code, 0);
    platform::watchDurability(nullptr);
    EXPECT_EQ(std::make_pair(unsynced, flushes.load()), std::make_pair(0, 2));
}

#ifndef _WIN32 // Windows names cannot hold control characters
// A name with terminal escapes reaches the terminal escaped, in a message and
// in info's report: it can neither recolour nor hide what the user reads.
TEST_F(CliTest, NamesWithControlCharactersArePrintedEscaped) {
    const std::string red = "red\033[31m.bin", shown = temp.path() + sep + "red\\033[31m.bin";
    WriteFile(temp.file(red), { 'x', 'y' });
    fs::create_directory(temp.file(red + ".1_of_2")); // no file can take this name
    const CliResult blocked = Cli({ "split", "@" + red, "-n", "2", "--yes" });
    EXPECT_EQ(blocked.err, "morvane-cli: Failed to create output file: " + shown + ".1_of_2.\n");
    fs::remove(temp.file(red + ".1_of_2"));
    ASSERT_EQ(Cli({ "split", "@" + red, "-n", "2" }).code, 0);
    const CliResult info = Cli({ "info", "@" + red + ".2_of_2" });
    EXPECT_NE(info.out.find("       1  " + shown + ".1_of_2  1 bytes\n"), std::string::npos);
    EXPECT_EQ(info.out.find('\033'), std::string::npos);
}
#endif

} // namespace
