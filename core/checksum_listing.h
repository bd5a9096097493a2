// Checksum listings in sha256sum's text format, as the split writes them
// beside a set ("movie.avi.sha256": a line for each segment and one for the
// whole file) and as the join and the command line read them back, whoever
// made them. A listing travels with the set, so it is read as input from
// anywhere: bounded, checked line by line, its names never taken for paths.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

// The suffix of a set's listing: "movie.avi" + ".sha256".
constexpr const char* LISTING_SUFFIX = ".sha256";

// The largest listing read, and the longest line in it: a listing of the
// largest set the window can make stays far below both; anything bigger is no
// listing of a set (or not a listing at all) and is refused, not loaded.
constexpr std::int64_t MAX_LISTING_BYTES = std::int64_t { 64 } << 20;
constexpr std::size_t MAX_LISTING_LINE = 4096;

// One line of a listing: the hash (64 hex digits), two spaces, the name. A
// name with a line break (or, where `\` separates nothing, a backslash) is
// escaped as GNU sha256sum escapes it: a `\` opens the line, and the name has
// \n, \r and \\ for those characters.
std::string ListingLine(const std::string& hash, const std::string& name);

// Reads one line back: the hash in lower case and the name as it was before
// escaping. False when it is no listing line. Takes "HASH *NAME" (binary mode)
// as well.
bool ReadListingLine(std::string line, std::string& hash, std::string& name);

struct ListingEntry {
    std::string hash; // lower case
    std::string name; // as the listing has it
    int line = 0;     // 1-based
};

// Reads the listing at `path`: every line a listing line (blank lines and a
// final line without its break are fine; "\r\n" too). Gives "" with the
// entries, or the problem in the user's words: it cannot be read (with the
// system's reason), it is larger than MAX_LISTING_BYTES, it holds a NUL byte
// (binary), or line N is no listing line (too long, or not of that form).
std::string ReadListing(const std::string& path, std::vector<ListingEntry>& entries);

// The part of ReadListing after the reading: the lines of `text`, the
// listing read from `path` (for the message).
std::string ParseListing(const std::string& text, const std::string& path, std::vector<ListingEntry>& entries);

// The file name a listing entry names inside the listing's own folder, or ""
// when it names something elsewhere: an absolute path, a drive, a path with a
// separator, "." or "..". A leading "./" is dropped. Only such names are ever
// matched with files, so a listing can never lead to a file outside its set's
// folder.
std::string NameInFolder(const std::string& listed);
