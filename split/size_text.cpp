// The text of a size per segment: see size_text.h.
#include "split/size_text.h"

#include <cstdlib>

double LeadingDecimal(const std::string& text) {
    std::size_t end = 0;
    bool seenPoint = false;
    while (end < text.size() &&
           ((text[end] >= '0' && text[end] <= '9') || (text[end] == '.' && !seenPoint))) {
        seenPoint = seenPoint || text[end] == '.';
        ++end;
    }
    const std::string number = text.substr(0, end);
    // Only digits and one point remain: strtod reads them exactly, and it is
    // never given text it could read in other ways ("1e3", "inf", "0x10").
    if (number.empty() || number == ".") return 0.0;
    return std::strtod(number.c_str(), nullptr);
}

std::string CustomSizeTextError(const std::string& text) {
    bool seenPoint = false;
    for (char c : text) {
        if (c == '.') {
            if (seenPoint) return "Invalid custom size value - entry contains multiple decimal points.";
            seenPoint = true;
        } else if (c < '0' || c > '9') {
            return "Invalid custom size value - entry contains illegal character(s).";
        }
    }
    if (!(LeadingDecimal(text) > 0)) return "Please enter a positive, non-zero file size.";
    return "";
}
