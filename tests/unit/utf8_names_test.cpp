// File names beyond any legacy code page: accented Latin, Greek, CJK and
// emoji, with spaces and several dots, split and joined through the engine.
// The Windows programs declare UTF-8 as their code page, so every 8-bit call
// takes UTF-8; on Linux names are bytes.
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"
#include "split/split_engine.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* const NAMES[] = {
    "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.v1.final.avi", // café résumé.v1.final.avi
    "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 "
    "\xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xB5.tar.gz", // Καλημέρα κόσμε.tar.gz
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE3\x81\xAE.\xE5\x8B\x95\xE7\x94\xBB.mkv", // 日本語 の.動画.mkv
    "\xF0\x9F\x8E\xAC clip \xF0\x9F\x8E\x89.2026.mp4", // 🎬 clip 🎉.2026.mp4
};

#ifdef _WIN32
TEST(Utf8Names, TheProgramsRunWithTheUtf8CodePage) { EXPECT_EQ(GetACP(), 65001u); }
#endif

TEST(Utf8Names, PathRulesKeepEveryByteOfTheName) {
    for (const char* name : NAMES) {
        const std::string path = std::string("C:\\d\\") + name + ".03_of_12";
        const SegmentPathParts parts(path);
        EXPECT_TRUE(parts.isSegment()) << name;
        EXPECT_EQ(parts.name + parts.extension, name);
        EXPECT_EQ(parts.suffix, ".03_of_12");
        EXPECT_EQ(parts.fullPath(), path);
    }
}

TEST(Utf8Names, SplitAndJoinRoundTrip) {
    for (const char* name : NAMES) {
        SCOPED_TRACE(name);
        TempDir temp;
        const std::string separator(1, platform::PATH_SEPARATOR);
        const auto source = PatternBytes(40000, 3);
        SplitRequest split;
        split.sourcePath = temp.path() + separator + name;
        {
            platform::File file = platform::File::createAlways(split.sourcePath);
            ASSERT_TRUE(file.write(source.data(), static_cast<std::uint32_t>(source.size())));
        }
        split.outputDir = temp.path();
        split.mode = SplitMode::FileCount;
        split.fileCount = 3;
        SplitPlan plan;
        JobControl control;
        JobProgress progress;
        ScriptedPrompt prompt;
        SplitThreadArgs splitArgs { split, plan, control, progress, prompt };
        ASSERT_TRUE(PrepareSplitPlan(split, plan, prompt));
        SplitWorker(splitArgs);
        ASSERT_EQ(progress.finished, 1);

        // The names on disk, as the directory lists them, keep every byte.
        std::vector<std::string> listed;
        ASSERT_TRUE(platform::listMatching(temp.path() + separator + name + ".*", listed));
        listed.erase(std::remove(listed.begin(), listed.end(), name),
                     listed.end()); // Windows lists the source too
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed,
                  (std::vector<std::string> { std::string(name) + ".1_of_3", std::string(name) + ".2_of_3",
                                              std::string(name) + ".3_of_3" }));

        JoinRequest join { temp.path() + separator + name + ".2_of_3", temp.path(),
                           std::string("joined ") + name };
        JoinThreadArgs joinArgs { join, control, progress, prompt };
        JoinWorker(joinArgs);
        ASSERT_EQ(progress.finished, 1);
        platform::File joined = platform::File::openRead(JoinOutputPath(join), platform::Share::Read);
        std::vector<unsigned char> back(source.size());
        ASSERT_TRUE(joined.valid());
        ASSERT_TRUE(joined.read(back.data(), static_cast<std::uint32_t>(back.size())));
        EXPECT_EQ(back, source);
    }
}

TEST(Utf8Names, SetsWhoseNamesDifferInANonAsciiLetterOrInCaseStayApart) {
    TempDir temp;
    const std::string sep(1, platform::PATH_SEPARATOR);
    auto make = [&](const std::string& name) {
        platform::File file = platform::File::createAlways(temp.path() + sep + name);
        ASSERT_TRUE(file.valid()) << name;
        const unsigned char byte = 'x';
        ASSERT_TRUE(file.write(&byte, 1));
    };
    // "café" and "cafe" are other names everywhere.
    make("caf\xC3\xA9.mkv.1_of_2");
    make("caf\xC3\xA9.mkv.2_of_2");
    make("cafe.mkv.1_of_2");
    make("cafe.mkv.2_of_2");
    EXPECT_EQ(DiscoverSegments(temp.path() + sep + "caf\xC3\xA9.mkv.1_of_2").size(), 2u);
    EXPECT_EQ(DiscoverSegments(temp.path() + sep + "cafe.mkv.1_of_2").size(), 2u);
    // "Movie" and "movie" differ only in case: two sets side by side on Linux,
    // which discovery keeps apart; one name on Windows, where the second
    // creation replaces the first file. Either way a set of two.
    make("Movie.mkv.1_of_2");
    make("Movie.mkv.2_of_2");
    make("movie.mkv.1_of_2");
    make("movie.mkv.2_of_2");
    EXPECT_EQ(DiscoverSegments(temp.path() + sep + "movie.mkv.1_of_2").size(), 2u);
    EXPECT_EQ(DiscoverSegments(temp.path() + sep + "Movie.mkv.2_of_2").size(), 2u);
#ifndef _WIN32
    // The same for a case difference in a Greek letter ("Ωmega", "ωmega").
    make("\xCE\xA9mega.bin.1_of_2");
    make("\xCF\x89mega.bin.2_of_2");
    EXPECT_EQ(DiscoverSegments(temp.path() + sep + "\xCE\xA9mega.bin.1_of_2").size(), 1u);
#endif
}

} // namespace
