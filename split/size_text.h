// The text of a size per segment as the user types it: the check that the
// window (and the command line) apply to it, and its reading as a number.
#pragma once

#include <string>

// The decimal number at the start of `text`: digits with at most one "." as
// the decimal point; anything after it is ignored. "", "." and a text that
// starts with something else read 0. Exact (correctly rounded), and the same
// whatever the locale.
double LeadingDecimal(const std::string& text);

// The checks of a custom size, in their order: a second decimal point, then
// any character that is neither a digit nor ".", then a value of 0. Gives ""
// when the text is a usable size, else the message to show.
std::string CustomSizeTextError(const std::string& text);
