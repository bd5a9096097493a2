// libFuzzer target: the custom size text (its check, its reading as a number,
// the command line's unit letters), the count text, the conversion to bytes
// and both plans, each against what the rules say in other words.
//
// Input: unit index (1 byte, signed), source size (8 bytes), file count
// (4 bytes), a double's bits (8 bytes), all little-endian, then the text.
#include "cli/options.h"
#include "fuzz/fuzz_support.h"
#include "split/size_text.h"
#include "split/split_engine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

const std::string TEXT_MULTIPLE_POINTS =
    "Invalid custom size value - entry contains multiple decimal points.";
const std::string TEXT_ILLEGAL = "Invalid custom size value - entry contains illegal character(s).";
const std::string TEXT_NOT_POSITIVE = "Please enter a positive, non-zero file size.";

constexpr double TWO_TO_63 = 9223372036854775808.0;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first offending character decides; a text without one is refused only
// when its value is not above 0, that is when it holds no digit but zeros.
std::string ExpectedTextError(const std::string& text) {
    bool point = false;
    for (char c : text) {
        if (c == '.' && point) return TEXT_MULTIPLE_POINTS;
        if (c == '.')
            point = true;
        else if (!IsDigit(c))
            return TEXT_ILLEGAL;
    }
    return text.find_first_of("123456789") == std::string::npos ? TEXT_NOT_POSITIVE : std::string();
}

// The leading number: digits with at most one point.
std::string LeadingNumberText(const std::string& text) {
    std::size_t end = 0;
    bool point = false;
    while (end < text.size() && (IsDigit(text[end]) || (text[end] == '.' && !point))) {
        point = point || text[end] == '.';
        ++end;
    }
    return text.substr(0, end);
}

void CheckLeadingDecimal(const std::string& text) {
    const double value = LeadingDecimal(text);
    const std::string number = LeadingNumberText(text);
    Require(!std::isnan(value) && value >= 0, "a leading decimal is a number, never below 0", number);
    const bool anyDigit = number.find_first_of("0123456789") != std::string::npos;
    if (!anyDigit) {
        Require(value == 0, "no digits read as 0", number);
        return;
    }
    // std::from_chars reads the same text without the C library or the
    // locale, correctly rounded.
    double expected = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), expected, std::chars_format::fixed);
    if (error == std::errc()) {
        Require(end == number.data() + number.size(), "from_chars reads the whole leading number", number);
        Require(value == expected, "the leading decimal is correctly rounded", number);
    } else {
        // Beyond the range of a double: too large reads infinity, too small 0
        // or a subnormal value.
        const bool huge = std::isinf(value);
        const bool tiny = value < 2.2250738585072014e-308;
        Require(huge || tiny, "an out-of-range leading decimal is infinity or below the normal range",
                number);
    }
}

void CheckTextError(const std::string& text) {
    const std::string error = CustomSizeTextError(text);
    const std::string expected = ExpectedTextError(text);
    if (error.empty() != expected.empty() || (!error.empty() && error != expected)) {
        // A positive number can still be too small for a double: it reads 0,
        // and the text is refused as not positive.
        const bool underflow = expected.empty() && error == TEXT_NOT_POSITIVE && LeadingDecimal(text) == 0;
        Require(underflow, "the three messages come in their order, the first offending character deciding",
                text + " -> " + error);
    }
    if (error.empty()) {
        const double value = LeadingDecimal(text);
        Require(value > 0, "an accepted size is above 0", text);
        // Only a number with more than 308 integer digits reaches infinity.
        const std::size_t point = text.find('.');
        const std::size_t integerDigits = (point == std::string::npos ? text.size() : point) -
                                          std::min(text.find_first_not_of('0'), text.size());
        Require(std::isfinite(value) || integerDigits > 308, "an accepted size is finite", text);
    }
}

void CheckParsedSize(const std::string& text) {
    const ParsedSize parsed = ParseSegmentSize(text);
    std::string number = text;
    std::int32_t unit = 0;
    static const char* const UNITS = "BKMG";
    if (!number.empty()) {
        for (std::int32_t u = 0; u < 4; ++u)
            if (number.back() == UNITS[u] || number.back() == UNITS[u] + ('a' - 'A')) {
                unit = u;
                number.pop_back();
                break;
            }
    }
    Require(parsed.unit == unit, "the unit is the last letter B, K, M or G in either case", text);
    Require(parsed.error == CustomSizeTextError(number), "a size text gets the window's message", text);
    Require(parsed.value == (parsed.error.empty() ? LeadingDecimal(number) : 0.0),
            "an accepted size text reads as its number", text);
}

void CheckFileCount(const std::string& text) {
    std::uint32_t count = 12345;
    const bool read = ParseFileCount(text, count);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    // Leading zeros add nothing to a count.
    const std::size_t first = text.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? std::string() : text.substr(first);
    const bool fits = significant.size() < 10 || (significant.size() == 10 && significant <= "4294967295");
    Require(read == (digitsOnly && fits), "a count is decimal digits up to 4,294,967,295", text);
    if (read)
        Require(count == (significant.empty() ? 0u : std::stoul(significant)), "a count reads its value",
                text);
}

void CheckBytes(double customSize, std::int32_t unit) {
    const double multiplier = unit == 1 ? 1024.0 : unit == 2 ? 1048576.0 : unit == 3 ? 1073741824.0 : 1.0;
    Require(SizeUnitMultiplier(unit) == multiplier, "units are powers of 1,024, anything else bytes");
    const double product = customSize * multiplier;
    std::int64_t bytes = -1;
    const bool fits = CustomSizeToBytes(customSize, unit, bytes);
    if (fits) {
        Require(std::fabs(product) < TWO_TO_63, "an accepted byte count lies in the signed 64-bit range");
        Require(static_cast<double>(bytes) == std::trunc(product), "the byte count is the product truncated");
    } else {
        Require(std::isnan(product) || std::fabs(product) >= TWO_TO_63 || product == -TWO_TO_63,
                "only a product outside the signed 64-bit range is refused");
    }
}

void CheckSizePlan(std::int64_t sourceSize, std::int64_t segmentSize) {
    SplitPlan plan;
    plan.sourceSize = sourceSize;
    plan.leadSize = segmentSize;
    const bool made = PlanBySegmentSize(plan);
    const __int128 segments = (__int128 { sourceSize } + segmentSize - 1) / segmentSize;
    Require(made == (segments <= 4294967295), "a plan is refused exactly beyond 4,294,967,295 segments");
    if (!made) {
        Require(plan.segmentCount() == 0, "a refused plan has no segments");
        return;
    }
    Require(std::uint64_t { plan.leadCount } + plan.tailCount == static_cast<std::uint64_t>(segments),
            "the plan has one segment per started segment size, without wrapping");
    Require(plan.leadSize == segmentSize && plan.tailCount <= 1 && plan.tailSize >= 0 &&
                plan.tailSize < segmentSize && (plan.tailCount == 1) == (plan.tailSize > 0),
            "full segments, then at most one shorter one");
    const __int128 total =
        __int128 { plan.leadCount } * plan.leadSize + __int128 { plan.tailCount } * plan.tailSize;
    Require(total == sourceSize, "the segment sizes add up to the source size");
    if (plan.segmentCount() > 0)
        Require(plan.segmentSize(plan.segmentCount() - 1) == (plan.tailCount ? plan.tailSize : plan.leadSize),
                "the last segment carries what is left");
}

void CheckCountPlan(std::int64_t sourceSize, std::uint32_t count) {
    if (count < 2) return; // the plan check refuses these before planning
    SplitPlan plan;
    plan.sourceSize = sourceSize;
    PlanByFileCount(plan, count);
    Require(plan.segmentCount() == count, "a count plan has the count asked for");
    Require(plan.leadCount == static_cast<std::uint64_t>(sourceSize) % count && plan.leadCount < count,
            "the first (size mod N) segments carry the remainder");
    Require(plan.tailSize == sourceSize / count &&
                plan.leadSize == plan.tailSize + (plan.leadCount > 0 ? 1 : 0),
            "the segments differ by one byte at most");
    const __int128 total =
        __int128 { plan.leadCount } * plan.leadSize + __int128 { plan.tailCount } * plan.tailSize;
    Require(total == sourceSize, "the segment sizes add up to the source size");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    ByteReader in { data, size };
    const auto unit = static_cast<std::int32_t>(static_cast<std::int8_t>(in.byte()));
    const auto sourceSize = static_cast<std::int64_t>(in.u64() & 0x7fffffffffffffffu);
    const std::uint32_t count = in.u32();
    const std::uint64_t bits = in.u64();
    double raw = 0;
    std::memcpy(&raw, &bits, sizeof raw);
    const std::string text = in.rest();

    CheckLeadingDecimal(text);
    CheckTextError(text);
    CheckParsedSize(text);
    CheckFileCount(text);
    CheckBytes(raw, unit);
    // The path a typed size takes before a job: text, number, bytes, plan.
    CheckBytes(LeadingDecimal(text), unit);
    std::int64_t bytes = 0;
    if (CustomSizeTextError(text).empty() && CustomSizeToBytes(LeadingDecimal(text), unit, bytes) &&
        bytes >= 1)
        CheckSizePlan(sourceSize, bytes);
    CheckSizePlan(sourceSize,
                  std::max<std::int64_t>(1, static_cast<std::int64_t>(bits & 0x7fffffffffffffffu)));
    CheckCountPlan(sourceSize, count);
    return 0;
}
