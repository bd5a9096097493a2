// Checksum listings: see checksum_listing.h.
#include "core/checksum_listing.h"

#include "core/format_text.h"

#include <cstring>

std::string ListingLine(const std::string& hash, const std::string& name) {
    if (name.find_first_of(platform::WINDOWS_PATHS ? "\n\r" : "\n\r\\") == std::string::npos)
        return hash + "  " + name + "\n";
    std::string line = "\\" + hash + "  ";
    for (const char c : name)
        line += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\\' ? "\\\\" : std::string(1, c);
    return line + "\n";
}

bool ReadListingLine(std::string line, std::string& hash, std::string& name) {
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.erase(0, 1);
    if (line.size() < 67 || line.find_first_not_of("0123456789abcdefABCDEF") != 64 || line[64] != ' ' ||
        (line[65] != ' ' && line[65] != '*'))
        return false;
    hash = line.substr(0, 64);
    for (char& c : hash)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    name.clear();
    for (std::size_t i = 66; i < line.size(); ++i) {
        if (!escaped || line[i] != '\\') {
            name += line[i];
            continue;
        }
        const char next = ++i < line.size() ? line[i] : '\0';
        if (next != 'n' && next != 'r' && next != '\\') return false;
        name += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
    }
    return true;
}

// The listing's whole text, read with a bound; "" or the problem.
static std::string ReadBounded(const std::string& path, std::string& text) {
    const std::string what = "The checksum file:\r\n\r\n    " + path + "\r\n\r\n";
    platform::File file = platform::File::openRead(path, platform::Share::Read);
    std::int64_t size = 0;
    platform::Result why = file.failure();
    if (why) why = file.size(size);
    if (!why) return what + "cannot be read (" + why.reason() + ").";
    if (!file.isRegular()) return what + "is not a regular file (a pipe or a device).";
    if (size > MAX_LISTING_BYTES)
        return what + "is larger than 64 MiB: it is no listing of a set's files.";
    text.resize(static_cast<std::size_t>(size));
    if (size > 0 && !(why = file.read(text.data(), static_cast<std::uint32_t>(size))))
        return what + "cannot be read (" + (why.reason().empty() ? "it changed while read" : why.reason()) + ").";
    if (text.find('\0') != std::string::npos) return what + "holds binary data: it is no listing.";
    return "";
}

std::string ReadListing(const std::string& path, std::vector<ListingEntry>& entries) {
    entries.clear();
    std::string text;
    const std::string problem = ReadBounded(path, text);
    return problem.empty() ? ParseListing(text, path, entries) : problem;
}

std::string ParseListing(const std::string& text, const std::string& path, std::vector<ListingEntry>& entries) {
    entries.clear();
    int number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ListingEntry entry;
        entry.line = number;
        if (line.size() > MAX_LISTING_LINE || !ReadListingLine(line, entry.hash, entry.name)) {
            entries.clear();
            return formatted("The checksum file:\r\n\r\n    %s\r\n\r\nis not a SHA-256 listing: line %d is not "
                             "a line of one (a hash of 64 hex digits, two spaces, a file name).",
                             path.c_str(), number);
        }
        entries.push_back(std::move(entry));
    }
    return "";
}

std::string NameInFolder(const std::string& listed) {
    std::string name = listed.rfind("./", 0) == 0 ? listed.substr(2) : listed;
    const char* separators = platform::WINDOWS_PATHS ? "/\\:" : "/";
    if (name.empty() || name == "." || name == ".." || name.find_first_of(separators) != std::string::npos)
        return "";
    return name;
}
