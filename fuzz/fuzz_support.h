// What the fuzz targets share: libFuzzer's reader of typed fields (which brings
// <algorithm>, <string> and <vector>), and REQUIRE, which stops the run when a
// property does not hold, naming it; libFuzzer reports the abort as a crash
// and keeps the input. (The fuzz build is clang's alone: hence the builtin.)
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>

#define REQUIRE(property)                                                                                    \
    ((property) ? void() : (std::fputs("property failed: " #property "\n", stderr), __builtin_abort()))
