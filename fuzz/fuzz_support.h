// What the fuzz targets share: the check that stops a run when a property
// fails (so that libFuzzer keeps the input), and a reader of the input bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run with the property's words when it does not hold. An abort is
// what libFuzzer reports as a crash, with the input kept beside it.
inline void Require(bool holds, const char* property, const std::string& detail = std::string()) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", property);
    if (!detail.empty()) std::fprintf(stderr, "  with: %s\n", detail.c_str());
    std::abort();
}

// Reads fixed-size fields from the front of the input; past the end every
// field reads as zero and every text as empty, so that any input is valid.
struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;

    bool atEnd() const { return size == 0; }

    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }

    // Little-endian, so that seeds can be written by hand.
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return value;
    }

    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | (static_cast<std::uint64_t>(u32()) << 32);
    }

    // A text of `length` bytes, shorter when the input ends first.
    std::string text(std::size_t length) {
        if (length > size) length = size;
        std::string out(reinterpret_cast<const char*>(data), length);
        data += length;
        size -= length;
        return out;
    }

    // A text preceded by its length byte.
    std::string counted() { return text(byte()); }

    std::string rest() { return text(size); }
};

// The decimal digits of a suffix number read as the path rules read them:
// leading zeros ignored, empty reads 0, above 2147483647 reads 2147483647.
inline std::int32_t SaturatedDecimal(const std::string& digits) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    const std::string significant = digits.substr(first);
    if (significant.size() > 10) return 2147483647;
    const unsigned long long value = std::stoull(significant);
    return value > 2147483647ull ? 2147483647 : static_cast<std::int32_t>(value);
}

// Whether `suffix` is a segment suffix, read with other means than the
// engine's scan: a dot, one or more digits, the first "_of_", digits only.
inline bool LooksLikeSegmentSuffix(const std::string& suffix) {
    if (suffix.size() < 7 || suffix[0] != '.') return false;
    const std::size_t of = suffix.find("_of_");
    if (of == std::string::npos || of < 2) return false;
    auto allDigits = [](const std::string& s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    return allDigits(suffix.substr(1, of - 1)) && allDigits(suffix.substr(of + 4));
}
