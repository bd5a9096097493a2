// morvane-cli's command line: commands, options, usage errors, and the reading
// of counts and sizes.
#include "cli/options.h"
#include "cli/sha256.h"

#include <gtest/gtest.h>

namespace {

std::string Parse(const std::vector<std::string>& args, CliOptions& options) {
    options = CliOptions();
    return ParseCliOptions(args, options);
}

TEST(CliOptions, ReadsEachCommandWithItsOptions) {
    CliOptions o;
    EXPECT_EQ(Parse({ "split", "a.bin", "-n", "4", "-o", "out" }, o), "");
    EXPECT_EQ(o.command, "split");
    EXPECT_EQ(o.operand, "a.bin");
    EXPECT_EQ(*o.count, "4");
    EXPECT_EQ(*o.outputDir, "out");
    EXPECT_EQ(Parse({ "-s", "1.5M", "split", "--yes", "b.bin" }, o), "");
    EXPECT_EQ(*o.size, "1.5M");
    EXPECT_EQ(o.overwrite, Overwrite::Yes);
    EXPECT_EQ(Parse({ "join", "x.1_of_2", "-O", "name", "--no-clobber" }, o), "");
    EXPECT_EQ(*o.outputName, "name");
    EXPECT_EQ(o.overwrite, Overwrite::No);
    EXPECT_EQ(Parse({ "verify", "x.1_of_2", "--sha256", "ab", "--sums", "s.txt" }, o), "");
    EXPECT_EQ(*o.sha256, "ab");
    EXPECT_EQ(*o.sumsFile, "s.txt");
    EXPECT_EQ(Parse({ "--help" }, o), "");
    EXPECT_TRUE(o.help);
    EXPECT_EQ(Parse({ "--version" }, o), "");
    EXPECT_TRUE(o.version);
}

TEST(CliOptions, UsageErrorsSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } cases[] = {
        { {}, "no command given" },
        { { "cut", "a" }, "unknown command cut" },
        { { "split" }, "split needs a SOURCE file" },
        { { "join" }, "join needs a SEGMENT" },
        { { "split", "a", "-n" }, "option -n needs a value" },
        { { "split", "a" }, "split needs one of -n COUNT or -s SIZE" },
        { { "split", "a", "-n", "2", "-s", "1M" }, "split needs one of -n COUNT or -s SIZE" },
        { { "split", "a", "b", "-n", "2" }, "unexpected argument b" },
        { { "split", "a", "-x" }, "unknown option -x" },
        { { "join", "a", "-n", "2" }, "-n and -s belong to split" },
        { { "split", "a", "-n", "2", "-O", "x" }, "-O belongs to join" },
        { { "info", "a", "-o", "d" }, "-o belongs to split and join" },
        { { "sums", "a", "--sha256", "ab" }, "--sha256 and --sums belong to verify" },
        { { "verify", "a" }, "verify needs --sha256 HEX or --sums FILE" },
    };
    for (const auto& c : cases) {
        CliOptions o;
        EXPECT_EQ(Parse(c.args, o), c.problem);
    }
}

TEST(CliOptions, FileCountsAreDecimalDigitsWithin32Bits) {
    const struct {
        const char* text;
        bool valid;
        std::uint32_t count;
    } cases[] = { { "2", true, 2 },    { "007", true, 7 },         { "4294967295", true, 4294967295u },
                  { "0", true, 0 },    { "4294967296", false, 0 }, { "99999999999999999999999", false, 0 },
                  { "", false, 0 },    { "-2", false, 0 },         { "2.0", false, 0 },
                  { "1e3", false, 0 }, { " 2", false, 0 } };
    for (const auto& c : cases) {
        std::uint32_t count = 12345;
        EXPECT_EQ(ParseFileCount(c.text, count), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(count, c.count) << c.text;
        }
    }
}

TEST(CliOptions, SegmentSizesTakeAUnitAndTheWindowsChecks) {
    const struct {
        const char* text;
        double value;
        std::int32_t unit;
        const char* error;
    } cases[] = {
        { "1.5M", 1.5, 2, "" },
        { "700m", 700, 2, "" },
        { "2G", 2, 3, "" },
        { "16K", 16, 1, "" },
        { "100B", 100, 0, "" },
        { "100", 100, 0, "" },
        { ".5K", 0.5, 1, "" },
        { "1..5M", 0, 0, "Invalid custom size value - entry contains multiple decimal points." },
        { "1e3", 0, 0, "Invalid custom size value - entry contains illegal character(s)." },
        { "-1M", 0, 0, "Invalid custom size value - entry contains illegal character(s)." },
        { "1,5M", 0, 0, "Invalid custom size value - entry contains illegal character(s)." },
        { "1MB", 0, 0, "Invalid custom size value - entry contains illegal character(s)." },
        { "", 0, 0, "Please enter a positive, non-zero file size." },
        { "M", 0, 0, "Please enter a positive, non-zero file size." },
        { ".", 0, 0, "Please enter a positive, non-zero file size." },
        { "0.00G", 0, 0, "Please enter a positive, non-zero file size." },
    };
    for (const auto& c : cases) {
        const ParsedSize parsed = ParseSegmentSize(c.text);
        EXPECT_EQ(parsed.error, c.error) << c.text;
        if (parsed.error.empty()) {
            EXPECT_DOUBLE_EQ(parsed.value, c.value) << c.text;
            EXPECT_EQ(parsed.unit, c.unit) << c.text;
        }
    }
}

TEST(Sha256, KnownDigestsInOneOrManyPieces) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        { "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" },
        { "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" },
        { "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
          "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1" },
        { std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0" },
    };
    for (const auto& c : cases) {
        Sha256 whole;
        whole.update(c.text.data(), c.text.size());
        EXPECT_EQ(whole.hexDigest(), c.digest);
        Sha256 pieces;
        for (std::size_t i = 0; i < c.text.size(); i += 777)
            pieces.update(c.text.data() + i, std::min<std::size_t>(777, c.text.size() - i));
        EXPECT_EQ(pieces.hexDigest(), c.digest);
    }
}

} // namespace
