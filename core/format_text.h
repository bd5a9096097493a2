// Formatted text of any length: each helper measures the result with a counting
// pass, allocates exactly that much, and formats into it, so no text is cut.
// The format is always one of the program's own constants, never user text.
#pragma once

#include <cstdarg>
#include <string>

#if defined(__clang__)
// clang checks printf formats by the C standard's rules and knows no gnu_printf.
#define MORVANE_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#elif defined(__GNUC__)
#define MORVANE_PRINTF(fmtIndex, argIndex) __attribute__((format(gnu_printf, fmtIndex, argIndex)))
#else
#define MORVANE_PRINTF(fmtIndex, argIndex)
#endif

// Replaces `out` with the formatted text; gives its length.
int formatString(std::string& out, const char* format, ...) MORVANE_PRINTF(2, 3);

// Appends the formatted text to `out`; gives the length appended.
int appendFormat(std::string& out, const char* format, ...) MORVANE_PRINTF(2, 3);

// The va_list forms, for helpers that pass their arguments on.
int formatStringV(std::string& out, const char* format, va_list args) MORVANE_PRINTF(2, 0);
int appendFormatV(std::string& out, const char* format, va_list args) MORVANE_PRINTF(2, 0);

// Convenience: the formatted text as a new string.
std::string formatted(const char* format, ...) MORVANE_PRINTF(1, 2);
