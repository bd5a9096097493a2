// morvane-cli run in-process on real files: exit codes and first error lines,
// the overwrite options, and a split, info, join, sums and verify round trip.
#include "cli/cli.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

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
        io.in = std::tmpfile(), io.out = std::tmpfile(), io.err = std::tmpfile();
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
        { { "split", "@missing", "-n", "2" }, 1, NO_INPUT },
        { { "split", "@dir.1_of_2", "-n", "2" }, 1, "The specified input path is a directory, not a file." },
        { { "split", "@movie.avi", "-n", "2", "-o", "@nowhere" }, 1, "The specified output directory does not exist." },
        { { "split", "@movie.avi", "-s", "1..5M" }, 1, "Invalid custom size value - entry contains multiple decimal points." },
        { { "split", "@lone.1_of_2", "-n", "2", "--no-clobber" }, 1, "not splitting a segment; stopped" },
        { { "split", "@blocked.bin", "-n", "2", "--yes" }, 1, "Failed to create output file: " + temp.file("blocked.bin.1_of_2") + "." },
        { { "join", "@movie.avi" }, 1, NOT_SEGMENT },
        { { "join", "@dir.1_of_2" }, 1, NOT_SEGMENT }, // a directory, whatever its name
        { { "join", "@gone.1_of_2" }, 1, NO_INPUT },
        { { "join", "@lone.1_of_2", "-O", "" }, 1, "Please enter an output filename." },
        { { "join", "@gap.1_of_3" }, 1, "It appears one or more split files are missing.  Please make sure that: - All "
                                        "split files are in the same directory as the specified file. - All of the "
                                        "necessary files exist. Missing numbers: 2 (1 of 3)." },
        { { "info", "@gap.1_of_3" }, 1, "" }, // the report goes to stdout
        // clang-format on
    };
    for (const auto& r : rows) {
        const CliResult result = Cli(r.args);
        EXPECT_EQ(std::make_tuple(result.code, result.err.substr(0, result.err.find('\n'))),
                  std::make_tuple(r.code, r.error.empty() ? "" : "morvane-cli: " + r.error));
    }
    // A command's own help: its synopsis and options, none of another's.
    const CliResult help = Cli({ "verify", "--help" });
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: morvane-cli verify SEGMENT", 0), 0u);
    EXPECT_NE(help.out.find("\n                starts with -"), std::string::npos); // a help line goes on, indented
    EXPECT_EQ(help.out.find("-n COUNT"), std::string::npos);
}

TEST_F(CliTest, SplitInfoJoinSumsAndVerify) {
    // Existing segments ("o"), the answers on standard input, then the questions
    // asked (by segment), where the split stopped, and what is on disk ("n" new):
    // 300,001 bytes in segments of 100K make three.
    const struct {
        const char *existing, *option, *input, *asked, *stop, *after;
    } overwrites[] = {
        // clang-format off
        { "---", "", "", "", "", "nnn" }, { "o-o", "", "n\n", "1", "1", "o-o" }, { "-o-", "", "", "2", "2", "no-" },
        { "o-o", "", "y\ny\n", "13", "", "nnn" }, { "ooo", "", "a\n", "1", "", "nnn" },
        { "o-o", "--no-clobber", "y\n", "", "1", "o-o" }, { "-o-", "--no-clobber", "", "", "2", "-o-" },
        { "ooo", "--yes", "", "", "", "nnn" },
        // clang-format on
    };
    const std::vector<unsigned char> OLD = { 'o', 'l', 'd' };
    for (const auto& r : overwrites) {
        fs::remove_all(out), fs::create_directory(out);
        auto segment = [&](char k) { return out + sep + "movie.avi." + k + "_of_3"; };
        std::string err, after;
        for (char k = '1'; k <= '3'; ++k)
            if (r.existing[k - '1'] == 'o') WriteFile(segment(k), OLD);
        for (const char* k = r.asked; *k; ++k)
            err += segment(*k) + " already exists.  Overwrite? [y]es, [a]ll, [n]o: \n";
        // --no-clobber looks at every name before it writes the first.
        const bool noClobber = std::string(r.option) == "--no-clobber";
        if (*r.stop) err += "morvane-cli: not overwriting " + segment(*r.stop) + (noClobber ? "; nothing written\n" : "; stopped\n");
        Texts args = { "split", "@movie.avi", "-o", out, "-s", "100K" };
        if (*r.option) args.push_back(r.option);
        const CliResult split = Cli(args, r.input);
        for (char k = '1'; k <= '3'; ++k)
            after += FileSize(segment(k)) < 0 ? '-' : ReadFile(segment(k)) == OLD ? 'o' : 'n';
        EXPECT_EQ(std::make_tuple(split.code, split.out, split.err, after),
                  std::make_tuple(*r.stop ? 1 : 0, *r.stop ? "" : "File splitting operation successful!\n",
                                  err, r.after));
    }
    const std::string first = out + sep + "movie.avi.1_of_3";
    EXPECT_EQ(FileSize(first), 102400);
    const CliResult info = Cli({ "info", first });
    EXPECT_EQ(std::to_string(info.code) + info.out.substr(info.out.find("total")),
              "0total: 300,001 bytes\nmissing: none\nduplicates: none\njoin: would start\n");
    fs::create_directory(temp.file("joined"));
    const CliResult join = Cli({ "join", first, "-o", "@joined", "-O", "copy.avi" });
    EXPECT_EQ(std::make_tuple(join.code, join.out + join.err,
                              ReadFile(temp.file("joined") + sep + "copy.avi") == source),
              std::make_tuple(0, "File joining operation complete!\n", true));
    EXPECT_EQ(Cli({ "join", first }).code, 0); // beside the segments, under the source's name
    EXPECT_TRUE(ReadFile(out + sep + "movie.avi") == source);

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

} // namespace
