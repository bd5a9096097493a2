// Command-line smoke of the split engine: writes a generated file, splits it
// into N segments with the real worker, and checks that the segments, read in
// order, give the file back byte for byte. Prints what it did and how long it took.
//
//   engine-smoke [SIZE_MIB [COUNT [DIRECTORY]]]     (defaults: 64 MiB, 8, ".")
#include "core/display_format.h"
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "split/split_engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Answers every question with yes and prints every message.
class ConsolePrompt final : public UserPrompt {
public:
    int show(const Message& message) override {
        std::printf("[%s] %s\n", message.caption.c_str(), message.text.c_str());
        return message.kind == MessageKind::Question ? ANSWER_YES : ANSWER_OK;
    }
    int askOverwrite(const std::string& path) override {
        std::printf("overwriting %s\n", path.c_str());
        return ANSWER_YES;
    }
};

// The byte at `position` of the generated file.
struct Pattern {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    unsigned char next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<unsigned char>(state >> 56);
    }
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 64;
    const auto count = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 8);
    const std::string directory = argc > 3 ? argv[3] : ".";
    const std::uint64_t size = mebibytes * 1024 * 1024;
    const std::string sourcePath = directory + platform::PATH_SEPARATOR + "engine-smoke.bin";

    std::unique_ptr<unsigned char[]> block(new unsigned char[COPY_BLOCK_SIZE]);
    {
        std::remove(sourcePath.c_str());
        platform::File source = platform::File::createNew(sourcePath);
        Pattern pattern;
        for (std::uint64_t done = 0; done < size; done += COPY_BLOCK_SIZE) {
            for (std::uint32_t i = 0; i < COPY_BLOCK_SIZE; ++i) block[i] = pattern.next();
            if (!source.valid() || !source.write(block.get(), COPY_BLOCK_SIZE)) {
                std::printf("cannot write %s\n", sourcePath.c_str());
                return 1;
            }
        }
    }

    SplitRequest request;
    request.sourcePath = sourcePath;
    request.outputDir = directory;
    request.mode = SplitMode::FileCount;
    request.fileCount = count;
    SplitPlan plan;
    JobControl control;
    JobProgress progress;
    ConsolePrompt prompt;
    if (!PrepareSplitPlan(request, plan, prompt)) return 1;
    SplitThreadArgs args { request, plan, control, progress, prompt };
    const auto start = std::chrono::steady_clock::now();
    SplitWorker(args);
    const double seconds = SecondsSince(start);
    if (!progress.finished) return 1;
    std::printf("split %s bytes into %u segments in %.2f s (%.0f MB/s)\n", FormatThousands(size).c_str(),
                count, seconds, static_cast<double>(size) / seconds / 1e6);

    // Read the segments back in order against the same pattern.
    Pattern pattern;
    std::uint64_t checked = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::string path = ComposeSegmentPath(sourcePath, directory, k, count);
        platform::File segment = platform::File::openRead(path, platform::Share::Read);
        std::int64_t length = -1;
        if (!segment.valid() || !segment.size(length) || length != plan.segmentSize(k)) {
            std::printf("segment %s is missing or has the wrong size\n", path.c_str());
            return 1;
        }
        for (std::int64_t done = 0; done < length;) {
            const auto step =
                static_cast<std::uint32_t>(std::min<std::int64_t>(COPY_BLOCK_SIZE, length - done));
            if (!segment.read(block.get(), step)) return 1;
            for (std::uint32_t i = 0; i < step; ++i)
                if (block[i] != pattern.next()) {
                    std::printf("mismatch at byte %s\n", FormatThousands(checked + i).c_str());
                    return 1;
                }
            done += step;
            checked += step;
        }
        segment.close();
        std::remove(path.c_str());
    }
    std::remove(sourcePath.c_str());
    std::printf("checked %s bytes: the segments give the source back byte for byte\n",
                FormatThousands(checked).c_str());
    return checked == size ? 0 : 1;
}
