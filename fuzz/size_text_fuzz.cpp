// libFuzzer target: size and count texts, the bytes they give (also from a
// text of 400 digits: infinity) and the plans made from them. A size text is accepted only when its value
// is above 0; a number or a count written out reads back exactly (a size with its unit letter); bytes grow
// with the number and the unit, and are refused only beyond 64 bits; a plan's sizes add up to the source: by size, full segments and at most one shorter last
// one (refused only past the most segments); by count, N segments differing by one byte at most, the longer
// ones first.
#include "cli/options.h"
#include "fuzz/fuzz_support.h"
#include "split/size_text.h"
#include "split/split_engine.h"

#include <charconv>
#include <cmath>

static bool AddsUp(const SplitPlan& p) {
    return __int128 { p.leadCount } * p.leadSize + __int128 { p.tailCount } * p.tailSize == p.sourceSize;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto unit = in.ConsumeIntegral<std::int8_t>();
    const double number = in.ConsumeFloatingPoint<double>(), magnitude = std::fabs(number);
    const auto sourceSize = in.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX);
    const auto count = in.ConsumeIntegralInRange<std::uint32_t>(2, UINT32_MAX);
    const ParsedSize parsed = ParseSegmentSize(in.ConsumeRemainingBytesAsString());
    const double value = LeadingDecimal(parsed.number);
    REQUIRE(!CustomSizeTextError(parsed.number).empty() || value > 0); // accepted: a positive size
    std::uint32_t read = 0;
    REQUIRE(ParseFileCount("00" + std::to_string(count), read) && read == count);
    char text[400] {};
    *std::to_chars(text, text + sizeof text - 2, magnitude, std::chars_format::fixed).ptr = "BkMg"[unit & 3];
    const ParsedSize written = ParseSegmentSize(text);
    REQUIRE(LeadingDecimal(written.number) == magnitude && written.unit == static_cast<SizeUnit>(unit & 3));
    // Bytes never grow when the number or the unit shrinks, a size from 0 up
    // gives no negative count, and a refusal means a size beyond 64 bits.
    std::int64_t bytes = 0;
    for (const double perSegment : { magnitude, value }) {
        const auto sizeUnit = static_cast<SizeUnit>(unit & 3);
        std::int64_t larger = 0, smaller = 0;
        const bool fits = CustomSizeToBytes(perSegment, sizeUnit, bytes);
        REQUIRE(fits || !(perSegment < 8e18 / 1073741824.0)); // NaN, infinity or truly huge
        if (!fits) continue;
        REQUIRE(bytes >= 0 && static_cast<double>(bytes) <= perSegment * 1073741825.0);
        if (CustomSizeToBytes(std::nextafter(perSegment, HUGE_VAL), sizeUnit, larger)) REQUIRE(larger >= bytes);
        if (sizeUnit != SizeUnit::Bytes && CustomSizeToBytes(perSegment, static_cast<SizeUnit>((unit & 3) - 1), smaller))
            REQUIRE(smaller <= bytes);
    }
    SplitPlan plan { sourceSize, std::max<std::int64_t>(bytes, 1) };
    REQUIRE(PlanBySegmentSize(plan) ? AddsUp(plan) && plan.tailCount <= 1 && plan.tailSize < plan.leadSize
                                    : (sourceSize - 1) / plan.leadSize >= 4294967295);
    plan = SplitPlan { sourceSize };
    PlanByFileCount(plan, count);
    const std::int64_t longer = plan.segmentSize(0) - plan.segmentSize(count - 1);
    REQUIRE(AddsUp(plan) && plan.segmentCount() == count && (longer == 0 || longer == 1));
    return 0;
}
