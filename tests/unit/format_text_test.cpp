// Formatted texts are never cut, whatever their length.
#include "core/format_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatText, LongTextsAreKeptWhole) {
    for (std::size_t length : { 0u, 1u, 259u, 260u, 4095u, 65536u, 1000000u }) {
        const std::string path(length, 'p');
        std::string out = "old contents";
        const int written =
            formatString(out, "File:\r\n\r\n%s\r\n\r\nalready exists.  Overwrite?", path.c_str());
        EXPECT_EQ(out.size(),
                  length + std::string("File:\r\n\r\n\r\n\r\nalready exists.  Overwrite?").size());
        EXPECT_EQ(static_cast<std::size_t>(written), out.size());
        EXPECT_EQ(out.substr(0, 9), "File:\r\n\r\n");
        const std::string tail = "\r\n\r\nalready exists.  Overwrite?";
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
        EXPECT_EQ(out.find('p') == std::string::npos, length == 0);
    }
}

TEST(FormatText, AppendKeepsWhatWasThere) {
    std::string out = "1:";
    EXPECT_EQ(appendFormat(out, "%02u:", 5u), 3);
    EXPECT_EQ(appendFormat(out, "%02u", 7u), 2);
    EXPECT_EQ(out, "1:05:07");
    EXPECT_EQ(appendFormat(out, "%s", ""), 0);
    EXPECT_EQ(out, "1:05:07");
}

TEST(FormatText, PercentSignsInArgumentsAreNotFormatted) {
    // User text is only ever an argument: its % signs come out as they are.
    const std::string user = "C:\\100%s %n %d.avi";
    EXPECT_EQ(formatted("Failed to create output file: %s.", user.c_str()),
              "Failed to create output file: C:\\100%s %n %d.avi.");
}

} // namespace
