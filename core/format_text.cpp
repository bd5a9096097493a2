// Formatted text of any length: see format_text.h.
#include "core/format_text.h"

#include <cstdio>

int appendFormatV(std::string& out, const char* format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (length <= 0) return 0; // nothing to add, or a format the library refused
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1); // room for the terminator
    std::vsnprintf(&out[start], static_cast<std::size_t>(length) + 1, format, args);
    out.resize(start + static_cast<std::size_t>(length));
    return length;
}

int formatStringV(std::string& out, const char* format, va_list args) {
    out.clear();
    return appendFormatV(out, format, args);
}

int formatString(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = formatStringV(out, format, args);
    va_end(args);
    return length;
}

int appendFormat(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = appendFormatV(out, format, args);
    va_end(args);
    return length;
}

std::string formatted(const char* format, ...) {
    std::string out;
    va_list args;
    va_start(args, format);
    formatStringV(out, format, args);
    va_end(args);
    return out;
}
