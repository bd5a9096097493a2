// libFuzzer target: checksum listings as they come with a set, from anyone.
// Reading any text never fails but with a line named; every entry read has a
// hash of 64 lower-case hex digits and writes out to a line that reads back
// the same; a name is matched with a file only when it stays in the listing's
// folder (no separator, no drive, not "." or ".."); any name written to a
// line reads back the same.
#include "core/checksum_listing.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string name = in.ConsumeRandomLengthString();
    const std::string text = in.ConsumeRemainingBytesAsString();
    std::vector<ListingEntry> entries;
    const std::string problem = ParseListing(text, "listing", entries);
    REQUIRE(problem.empty() || (problem.find("listing: line ") != std::string::npos && entries.empty()));
    int line = 0;
    for (const ListingEntry& entry : entries) {
        REQUIRE(entry.line > line && entry.hash.size() == 64 &&
                entry.hash.find_first_not_of("0123456789abcdef") == std::string::npos);
        line = entry.line;
        std::string hash, back;
        std::string written = ListingLine(entry.hash, entry.name);
        written.pop_back(); // its line break
        REQUIRE(ReadListingLine(written, hash, back) && hash == entry.hash && back == entry.name);
        const std::string inFolder = NameInFolder(entry.name);
        REQUIRE(inFolder.empty() || (inFolder != "." && inFolder != ".." &&
                                     inFolder.find_first_of(platform::WINDOWS_PATHS ? "/\\:" : "/") ==
                                         std::string::npos));
    }
    // Any name, line breaks and backslashes included, survives a line.
    std::string hash, back;
    std::string written = ListingLine(std::string(64, 'a'), name);
    written.pop_back();
    REQUIRE(name.empty() || (ReadListingLine(written, hash, back) && back == name));
    return 0;
}
