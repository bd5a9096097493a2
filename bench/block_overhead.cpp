// Times what a worker does for each 16,384-byte block besides the copy
// (HoldWhilePaused, CancelRequested, AddBlock), beside the copy of one block
// itself (a memcpy, and a read + write through platform::File), and prints the
// overhead as a share of the copy. Prints figures only; never fails on time.
//
//   block-overhead [DIRECTORY] [Google Benchmark flags]
//
// DIRECTORY holds the two scratch files of the file copy; the default is
// /dev/shm where it exists, else the current directory. Built with Google
// Benchmark when the build has it (MORVANE_HAVE_GOOGLE_BENCHMARK), otherwise
// (the Windows build) with a small steady_clock runner: median of 5 repetitions.
#include "core/job_control.h"
#include "platform/platform.h"
#include "core/job_step.h"
#include "split/split_engine.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef MORVANE_HAVE_GOOGLE_BENCHMARK
#include <benchmark/benchmark.h>
#ifndef _WIN32
#include <unistd.h>
#endif
#endif

namespace {

constexpr std::uint32_t BLOCK = COPY_BLOCK_SIZE;
// The file copy cycles over this many blocks (16 MiB), then seeks both files
// back to the start: one seek pair per 1,024 blocks, as good as free.
constexpr std::uint32_t FILE_BLOCKS = 1024;

// Keeps the compiler from dropping a result or a store that nothing reads.
template <typename T> inline void Keep(T const& value) { asm volatile("" : : "r,m"(value) : "memory"); }

// One job's control block and the worker's clock, as a running worker has them.
struct Job {
    JobControl control;
    JobProgress progress;
    Stopwatch stopwatch;

    Job() {
        ResetForJob(control);
        BeginJob(progress, UINT64_MAX / 2, 8);
        stopwatch.TakeMark();
    }
};

// Two 16 KiB buffers for the memory copy.
struct Buffers {
    std::unique_ptr<unsigned char[]> from { new unsigned char[BLOCK] };
    std::unique_ptr<unsigned char[]> to { new unsigned char[BLOCK] };

    Buffers() {
        for (std::uint32_t i = 0; i < BLOCK; ++i) from[i] = static_cast<unsigned char>(i * 131u + 7u);
        std::memset(to.get(), 0, BLOCK);
    }
};

// A source file of FILE_BLOCKS blocks and a target pre-sized like a segment,
// both open as the split worker holds them.
struct FileCopy {
    std::string sourcePath;
    std::string targetPath;
    platform::File source;
    platform::File target;
    std::unique_ptr<unsigned char[]> buffer { new unsigned char[BLOCK] };
    std::uint32_t block = 0;

    bool open(const std::string& directory) {
        sourcePath = directory + "block-overhead-source.tmp";
        targetPath = directory + "block-overhead-target.tmp";
        {
            std::remove(sourcePath.c_str()); // a run before may have left it
            platform::File made = platform::File::createNew(sourcePath);
            if (!made.valid()) return false;
            for (std::uint32_t i = 0; i < BLOCK; ++i) buffer[i] = static_cast<unsigned char>(i * 197u + 3u);
            for (std::uint32_t k = 0; k < FILE_BLOCKS; ++k)
                if (!made.write(buffer.get(), BLOCK)) return false;
        }
        source = platform::File::openRead(sourcePath, platform::Share::Read);
        std::remove(targetPath.c_str());
        target = platform::File::createNew(targetPath);
        const std::int64_t size = static_cast<std::int64_t>(BLOCK) * FILE_BLOCKS;
        return source.valid() && target.valid() && target.seek(size - 1) && target.setEnd() && target.seek(0);
    }

    // One block as the worker copies it; false when the file system fails.
    bool copyBlock() {
        if (block == FILE_BLOCKS) {
            if (!source.seek(0) || !target.seek(0)) return false;
            block = 0;
        }
        ++block;
        return source.read(buffer.get(), BLOCK) && target.write(buffer.get(), BLOCK);
    }

    ~FileCopy() {
        source.close();
        target.close();
        if (!sourcePath.empty()) std::remove(sourcePath.c_str());
        if (!targetPath.empty()) std::remove(targetPath.c_str());
    }
};

std::string gDirectory;
bool gFileFailed = false;

// ---- The bodies: one call is one block's worth of the step -----------------

void HoldBody(Job& job) { HoldWhilePaused(job.control, job.progress, job.stopwatch); }
void CancelBody(Job& job) { Keep(CancelRequested(job.control)); }
void AddBlockBody(Job& job) { AddBlock(job.progress, BLOCK, job.stopwatch); }
// The three steps in the worker's order: the whole overhead of one block.
void OverheadBody(Job& job) {
    HoldWhilePaused(job.control, job.progress, job.stopwatch);
    Keep(CancelRequested(job.control));
    AddBlock(job.progress, BLOCK, job.stopwatch);
}
void MemcpyBody(Buffers& buffers) {
    std::memcpy(buffers.to.get(), buffers.from.get(), BLOCK);
    Keep(buffers.to.get());
}
void FileBody(FileCopy& copy) {
    if (!copy.copyBlock()) gFileFailed = true;
}

const char* const NAME_HOLD = "HoldWhilePaused";
const char* const NAME_CANCEL = "CancelRequested";
const char* const NAME_ADD = "AddBlock";
const char* const NAME_OVERHEAD = "PerBlockOverhead";
const char* const NAME_MEMCPY = "Memcpy16K";
const char* const NAME_FILE = "FileReadWrite16K";

// Median nanoseconds per iteration of each body, by name; negative when not run.
struct Medians {
    double overhead = -1.0;
    double memcpyTime = -1.0;
    double file = -1.0;

    void record(const std::string& name, double ns) {
        if (name == NAME_OVERHEAD) overhead = ns;
        if (name == NAME_MEMCPY) memcpyTime = ns;
        if (name == NAME_FILE) file = ns;
    }
};

void PrintRatio(const Medians& medians) {
    std::printf("\nper-block overhead (HoldWhilePaused + CancelRequested + AddBlock): ");
    if (medians.overhead < 0.0) {
        std::printf("not measured\n");
        return;
    }
    std::printf("%.1f ns\n", medians.overhead);
    if (medians.file > 0.0 && !gFileFailed) {
        const double share = 100.0 * medians.overhead / medians.file;
        std::printf("  = %.2f%% of a 16 KiB block's read + write through platform::File (%.1f ns); "
                    "target < 5%%: %s\n",
                    share, medians.file, share < 5.0 ? "holds" : "MISSED");
    } else {
        std::printf("  the file copy was not measured (scratch files in %s failed)\n", gDirectory.c_str());
    }
    if (medians.memcpyTime > 0.0)
        std::printf("  = %.2f%% of a 16 KiB memcpy (%.1f ns), the copy with no file system at all\n",
                    100.0 * medians.overhead / medians.memcpyTime, medians.memcpyTime);
}

std::string DefaultDirectory() {
#ifndef _WIN32
    if (platform::isDirectory("/dev/shm")) return "/dev/shm";
#endif
    return ".";
}

std::string WithSeparator(std::string directory) {
    // A fresh string rather than assigning "." over the argument: GCC 12 warns
    // falsely (-Wrestrict) about that assignment once inlined.
    if (directory.empty()) return std::string(1, '.') + platform::PATH_SEPARATOR;
    const char last = directory.back();
    if (last != '/' && last != '\\') directory += platform::PATH_SEPARATOR;
    return directory;
}

} // namespace

#ifdef MORVANE_HAVE_GOOGLE_BENCHMARK

namespace {

FileCopy* gFileCopy = nullptr;

template <void (*Body)(Job&)> void RunJobBody(benchmark::State& state) {
    Job job;
    for (auto _ : state) Body(job);
}

void RunMemcpy(benchmark::State& state) {
    Buffers buffers;
    for (auto _ : state) MemcpyBody(buffers);
}

void RunFile(benchmark::State& state) {
    if (!gFileCopy) {
        state.SkipWithError("scratch files could not be made");
        return;
    }
    for (auto _ : state) FileBody(*gFileCopy);
    if (gFileFailed) state.SkipWithError("read or write failed");
}

// Shows only the median of the repetitions and keeps it for the ratio line.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    Medians medians;

    explicit MedianReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.aggregate_name != "median") continue;
            if (!run.error_occurred) medians.record(run.run_name.function_name, run.GetAdjustedRealTime());
            shown.push_back(run);
        }
        if (shown.empty()) shown = runs; // a run that failed before its repetitions
        ConsoleReporter::ReportRuns(shown);
    }
};

void Register() {
    const auto settings = [](benchmark::internal::Benchmark* b) {
        b->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kNanosecond);
    };
    settings(benchmark::RegisterBenchmark(NAME_HOLD, RunJobBody<HoldBody>));
    settings(benchmark::RegisterBenchmark(NAME_CANCEL, RunJobBody<CancelBody>));
    settings(benchmark::RegisterBenchmark(NAME_ADD, RunJobBody<AddBlockBody>));
    settings(benchmark::RegisterBenchmark(NAME_OVERHEAD, RunJobBody<OverheadBody>));
    settings(benchmark::RegisterBenchmark(NAME_MEMCPY, RunMemcpy));
    settings(benchmark::RegisterBenchmark(NAME_FILE, RunFile));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // What Google Benchmark leaves is ours: the scratch directory.
    gDirectory = WithSeparator(argc > 1 ? argv[1] : DefaultDirectory());
    FileCopy copy;
    if (copy.open(gDirectory))
        gFileCopy = &copy;
    else
        std::printf("cannot make the scratch files in %s; the file copy is skipped\n", gDirectory.c_str());

    Register();
    // A reporter of our own misses the library's own terminal check: colour
    // only on a terminal, so that a log holds plain text.
    bool colour = false;
#ifndef _WIN32
    colour = isatty(STDOUT_FILENO) != 0;
#endif
    MedianReporter reporter(colour ? benchmark::ConsoleReporter::OO_ColorTabular
                                   : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatio(reporter.medians);
    return 0;
}

#else // the steady_clock runner

namespace {

using Clock = std::chrono::steady_clock;

// Nanoseconds per call of `body` over `iterations` calls.
template <typename Body> double TimePerCall(Body& body, std::uint64_t iterations) {
    const auto start = Clock::now();
    for (std::uint64_t i = 0; i < iterations; ++i) body();
    const std::chrono::duration<double, std::nano> spent = Clock::now() - start;
    return spent.count() / static_cast<double>(iterations);
}

// Finds an iteration count that runs about 0.2 s, then times five
// repetitions of it; prints one row and gives the median.
template <typename Body> double Measure(const char* name, Body body) {
    std::uint64_t iterations = 1;
    double perCall = 0.0;
    for (;;) {
        perCall = TimePerCall(body, iterations);
        if (perCall * static_cast<double>(iterations) >= 2e7 || iterations >= (1ull << 40)) break;
        iterations *= 2;
    }
    iterations = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(2e8 / std::max(perCall, 0.01)));
    std::vector<double> times;
    for (int repetition = 0; repetition < 5; ++repetition) times.push_back(TimePerCall(body, iterations));
    std::sort(times.begin(), times.end());
    std::printf("%-24s %12.1f ns %12.1f ns %12.1f ns %14llu\n", name, times[2], times.front(), times.back(),
                static_cast<unsigned long long>(iterations));
    return times[2];
}

} // namespace

int main(int argc, char** argv) {
    gDirectory = WithSeparator(argc > 1 ? argv[1] : DefaultDirectory());
    std::printf("steady_clock runner: median of 5 repetitions, about 0.2 s each\n");
    std::printf("%-24s %15s %15s %15s %14s\n", "Benchmark", "median", "min", "max", "Iterations");
    std::printf("%s\n", std::string(87, '-').c_str());

    Medians medians;
    {
        Job job;
        Measure(NAME_HOLD, [&] { HoldBody(job); });
    }
    {
        Job job;
        Measure(NAME_CANCEL, [&] { CancelBody(job); });
    }
    {
        Job job;
        Measure(NAME_ADD, [&] { AddBlockBody(job); });
    }
    {
        Job job;
        medians.overhead = Measure(NAME_OVERHEAD, [&] { OverheadBody(job); });
    }
    {
        Buffers buffers;
        medians.memcpyTime = Measure(NAME_MEMCPY, [&] { MemcpyBody(buffers); });
    }
    {
        FileCopy copy;
        if (copy.open(gDirectory)) {
            const double ns = Measure(NAME_FILE, [&] { FileBody(copy); });
            if (!gFileFailed) medians.file = ns;
        } else {
            std::printf("%-24s cannot make the scratch files in %s\n", NAME_FILE, gDirectory.c_str());
        }
    }
    PrintRatio(medians);
    return 0;
}

#endif
