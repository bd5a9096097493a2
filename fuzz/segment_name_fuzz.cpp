// libFuzzer target: segment names, by their round trips. Suffix numbers read
// within 0..2^31-1; a segment path composed from a source, a directory, k and
// N reads back that directory, the source's file name, k (padded to the digits
// of N) and N, both saturated at 2^31-1.
#include "core/segment_name.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto index = in.ConsumeIntegral<std::uint32_t>(), count = in.ConsumeIntegral<std::uint32_t>();
    const std::string outputDir = in.ConsumeRandomLengthString(), path = in.ConsumeRemainingBytesAsString();
    const SegmentPathParts segment(path);
    REQUIRE(segment.segmentNumber() >= 0 && segment.segmentCount() >= 0);
    // Read back where the result names a segment in that directory: not in the
    // current directory, within the part limits, not "/:name" or "\:name"
    // (the drive rule reads a separator and a colon as a drive; Windows has no
    // such name).
    const std::string prefix = DirectoryPrefix(outputDir),
                      name = segment.name + segment.extension + segment.suffix;
    const SegmentPathParts back(ComposeSegmentPath(path, outputDir, index, count));
    if (prefix.empty() || prefix.size() > 255 || name.size() > 255 ||
        (prefix.size() == 1 && name.rfind(':', 0) == 0) || platform::isDirectory(back.fullPath()))
        return 0;
    REQUIRE(back.drive + back.directory == prefix && back.name + back.extension == name);
    REQUIRE(std::uint64_t(back.segmentNumber()) == std::min(index + 1ull, 2147483647ull));
    REQUIRE(std::uint64_t(back.segmentCount()) == std::min<std::uint64_t>(count, 2147483647));
    REQUIRE(back.suffix.find("_of_") > std::to_string(count).size());
    return 0;
}
