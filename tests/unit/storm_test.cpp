// Jobs under a storm of user actions: many splits and joins at once, each with
// a "user" thread that pauses, resumes, asks to cancel or to exit and closes the
// page at random (seeded) moments. Every worker must end, and every file it
// leaves must be the exact result or, after a stop, a valid prefix of it.
#include "core/job_control.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "split/split_engine.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

constexpr int STORM_JOBS = 32;
constexpr int JOBS_AT_ONCE = 4;
constexpr int ACTIONS_PER_JOB = 40;
// A deadlock detector, not a speed limit: a healthy job ends in well under a
// second even under a sanitizer or Wine.
constexpr std::chrono::milliseconds END_LIMIT = 60s;

// MORVANE_STORM_SEED replays a run; the seed is printed with every failure.
std::uint64_t StormSeed() {
    const char* text = std::getenv("MORVANE_STORM_SEED");
    return text ? std::strtoull(text, nullptr, 10) : 20240611u;
}

// splitmix64: the same sequence on every platform and standard library.
struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
};

// How the user means the job to end. A stop may come after the last block, in
// which case the job completes all the same.
enum class Fate { Complete, Cancel, Stop, Exit };
const char* const FATE_NAMES[] = { "complete", "cancel", "stop", "exit" };

// The worker's side of the user. The overwrite question comes once, after the
// worker has reset its flags (an existing first output is laid in its way): it
// pauses the job there, so that the worker holds before its first block until
// the user thread takes over.
struct WorkerPrompt final : UserPrompt {
    JobControl& control;
    std::atomic<bool> started { false };
    std::vector<std::string> messages; // the worker's thread only, until it has ended

    explicit WorkerPrompt(JobControl& c) : control(c) {}
    int showMessage(const std::string& text, const std::string&, unsigned) override {
        messages.push_back(text);
        return ANSWER_OK;
    }
    int askOverwrite(const std::string&) override {
        TogglePause(control, nullptr);
        started = true;
        return ANSWER_YES_TO_ALL;
    }
};

// One job with its page-side state. The user thread writes the fields under
// "user side"; the test reads them after both threads have ended.
struct StormJob {
    std::string name;
    Fate fate = Fate::Complete;
    std::uint64_t userSeed = 0;
    Bytes source;
    bool isSplit = true;
    SplitPlan plan; // a split's, or how a join's members cut the source
    SplitRequest split;
    JoinRequest join;
    std::vector<std::string> members;
    JobControl control;
    JobProgress progress;
    WorkerPrompt prompt { control };
    SplitThreadArgs splitArgs { split, plan, control, progress, prompt };
    JoinThreadArgs joinArgs { join, control, progress, prompt };
    std::atomic<bool> workerEnded { false };
    std::atomic<bool> userEnded { false };
    // user side
    std::vector<std::string> problems;
    int transitions = 0;
    int whileRunning = 0;
    bool mustNotFinish = false; // stopped with more than one block left

    std::uint64_t total() const { return source.size(); }
    void problem(const std::string& text) { problems.push_back(text); }
};

std::unique_ptr<StormJob> SplitJob(const std::string& sourcePath, const std::string& outputDir, Bytes source,
                                   std::uint32_t count) {
    auto job = std::make_unique<StormJob>();
    job->name = "split of " + sourcePath + " into " + std::to_string(count);
    job->source = std::move(source);
    WriteFile(sourcePath, job->source);
    job->split.sourcePath = sourcePath;
    job->split.outputDir = outputDir;
    job->split.mode = SplitMode::FileCount;
    job->split.fileCount = count;
    ScriptedPrompt planPrompt;
    EXPECT_TRUE(PrepareSplitPlan(job->split, job->plan, planPrompt));
    WriteFile(ComposeSegmentPath(sourcePath, outputDir, 0, count), { 'x' });
    return job;
}

// A set of `count` members of `source` in `setDir`, named after `sourceName`,
// joined into `outputDir` as `outputName`.
std::unique_ptr<StormJob> JoinJob(const std::string& setDir, const std::string& sourceName, Bytes source,
                                  std::uint32_t count, const std::string& outputDir,
                                  const std::string& outputName) {
    auto job = std::make_unique<StormJob>();
    job->name = "join of " + sourceName + " in " + setDir + " (" + std::to_string(count) + " files)";
    job->isSplit = false;
    job->source = std::move(source);
    job->plan.sourceSize = static_cast<std::int64_t>(job->source.size());
    PlanByFileCount(job->plan, count);
    std::size_t offset = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
        const auto size = static_cast<std::size_t>(job->plan.segmentSize(k));
        const auto begin = job->source.begin() + static_cast<std::ptrdiff_t>(offset);
        job->members.push_back(ComposeSegmentPath(sourceName, setDir, k, count));
        WriteFile(job->members.back(), Bytes(begin, begin + static_cast<std::ptrdiff_t>(size)));
        offset += size;
    }
    job->join.sourcePath = job->members[count / 2];
    job->join.outputDir = outputDir;
    job->join.outputFileName = outputName;
    WriteFile(JoinOutputPath(job->join), { 'x' });
    return job;
}

// The progress a page would show must only move forward and stay in range.
void CheckSnapshot(StormJob& job, ProgressSnapshot& last) {
    const ProgressSnapshot now = ReadSnapshot(job.progress);
    if (now.totalBytes != job.total() || now.bytesDone > now.totalBytes || now.bytesDone < last.bytesDone ||
        now.elapsedSeconds < last.elapsedSeconds || now.currentFile < last.currentFile ||
        now.currentFile >= now.totalFiles)
        job.problem("progress went wrong: " + std::to_string(now.bytesDone) + " of " +
                    std::to_string(now.totalBytes) + " bytes, file " + std::to_string(now.currentFile) +
                    " of " + std::to_string(now.totalFiles));
    last = now;
}

// Between two actions. While the job runs the next action mostly follows at
// once (a yield would hand the core to the worker for a whole time slice),
// now and then after a short sleep; while it is held, a moment passes.
void Pace(Random& random, bool paused) {
    const std::uint32_t pick = random.below(8);
    if (pick == 0)
        std::this_thread::sleep_for(std::chrono::microseconds(random.below(100)));
    else if (paused && pick < 4)
        std::this_thread::yield();
}

// The user: ACTIONS_PER_JOB page-side actions, the one that ends the job (its
// fate) among the first half. It takes over a job held at its first question.
// Actions after the end still run: the page's operations must be harmless on a
// finished job.
void RunUser(StormJob& job, Random random) {
    if (!WaitUntil([&] { return job.prompt.started.load() || job.workerEnded.load(); }, END_LIMIT)) {
        job.problem("the worker never reached its first question");
        return;
    }
    const int endAt = job.fate == Fate::Complete ? -1 : static_cast<int>(random.below(ACTIONS_PER_JOB / 2));
    bool paused = true; // what the page believes
    ScriptedPrompt questions;
    questions.setOnMessage([&](const ScriptedPrompt::Message& m) {
        if (!IsPaused(job.control)) job.problem("\"" + m.text + "\" was asked while the job ran on");
    });
    ProgressSnapshot last = ReadSnapshot(job.progress);
    for (int step = 0; step < ACTIONS_PER_JOB; ++step) {
        const bool running = !job.workerEnded;
        if (step == endAt) {
            if (job.fate == Fate::Cancel) {
                questions.queueMessageAnswer(ANSWER_YES);
                ConfirmCancel(job.control, questions);
            } else if (job.fate == Fate::Stop) {
                RequestStop(job.control);
            } else {
                // The page closes: the question holds the job, then StopWorker stops it.
                if (running) questions.queueMessageAnswer(ANSWER_YES); // asked only then
                if (!ConfirmExit(job.control, running, questions))
                    job.problem("Exit answered Yes stayed open");
                if (running && !IsPaused(job.control)) job.problem("Exit answered Yes did not hold the job");
                RequestStop(job.control);
            }
            paused = false;
            const ProgressSnapshot at = ReadSnapshot(job.progress);
            job.mustNotFinish = at.totalBytes - at.bytesDone > SPLIT_BLOCK_SIZE; // = JOIN_BLOCK_SIZE
        } else {
            // A held job is resumed now and then, a running one mostly held
            // again: the questions come in both states.
            const std::uint32_t pick = random.below(8);
            if (paused ? pick < 2 : pick < 5) {
                bool label = paused;
                TogglePause(job.control, [&](bool now) { label = now; });
                paused = !paused;
                if (label != paused) job.problem("the Pause button was labelled for the wrong state");
            } else if (pick % 2 == 0) {
                questions.queueMessageAnswer(ANSWER_NO);
                ConfirmCancel(job.control, questions);
            } else {
                if (running) questions.queueMessageAnswer(ANSWER_NO);
                if (ConfirmExit(job.control, running, questions) == running)
                    job.problem(running ? "Exit answered No let the page close"
                                        : "an idle page may not close");
            }
        }
        ++job.transitions;
        if (running) ++job.whileRunning;
        if (IsPaused(job.control) != paused) job.problem("paused is not what the page's actions left");
        CheckSnapshot(job, last);
        Pace(random, paused);
    }
    if (paused) TogglePause(job.control, nullptr); // let a held job go on to its end
}

// Runs the jobs side by side, each with its worker and its user, and waits for
// all of them. A job that does not end is a deadlock: it is reported, and when
// even a stop does not free it the run ends here, as nothing else can be done
// with a thread that never returns.
void RunTogether(const std::vector<StormJob*>& jobs, std::uint64_t seed) {
    std::vector<std::thread> threads;
    for (StormJob* job : jobs) {
        threads.emplace_back([job] {
            if (job->isSplit)
                SplitWorker(job->splitArgs);
            else
                JoinWorker(job->joinArgs);
            job->workerEnded = true;
        });
        threads.emplace_back([job, seed] {
            RunUser(*job, Random { seed ^ job->userSeed });
            job->userEnded = true;
        });
    }
    auto allEnded = [&] {
        for (StormJob* job : jobs)
            if (!job->workerEnded || !job->userEnded) return false;
        return true;
    };
    if (!WaitUntil(allEnded, END_LIMIT)) {
        for (StormJob* job : jobs) {
            if (job->workerEnded && job->userEnded) continue;
            const ProgressSnapshot s = ReadSnapshot(job->progress);
            ADD_FAILURE() << "seed " << seed << ": the " << job->name << " ("
                          << FATE_NAMES[static_cast<int>(job->fate)] << ") did not end within 60 s: worker "
                          << (job->workerEnded ? "ended" : "running") << ", user "
                          << (job->userEnded ? "ended" : "running") << ", paused " << IsPaused(job->control)
                          << ", " << s.bytesDone << " of " << s.totalBytes << " bytes";
            RequestStop(job->control);
        }
        if (!WaitUntil(allEnded, 10s)) {
            std::fprintf(stderr, "storm: seed %llu: a worker is stuck even after a stop; giving up\n",
                         static_cast<unsigned long long>(seed));
            std::fflush(stdout);
            std::abort();
        }
    }
    for (std::thread& thread : threads) thread.join();
}

Bytes ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Empty when the file at `path` is `length` bytes long, its first `written`
// bytes are the source's from `offset` on and the rest are zero (reserved,
// never written); else what is wrong.
std::string CheckFilled(const std::string& path, const Bytes& source, std::size_t offset, std::size_t length,
                        std::size_t written) {
    if (!FileExists(path)) return path + " is missing";
    const Bytes file = ReadWhole(path);
    if (file.size() != length)
        return path + " holds " + std::to_string(file.size()) + " bytes, not " + std::to_string(length);
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char expected = i < written ? source[offset + i] : 0;
        if (file[i] != expected) return path + " is wrong at byte " + std::to_string(i);
    }
    return "";
}

// A split leaves segments 0..j-1 whole and segment j, the one it was writing
// when it stopped, at its reserved length with whole blocks in front.
void CheckSplitOutcome(const StormJob& job, bool finished, std::uint64_t done) {
    const std::uint32_t count = job.plan.segmentCount();
    std::size_t offset = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
        const auto size = static_cast<std::size_t>(job.plan.segmentSize(k));
        const std::string path = ComposeSegmentPath(job.split.sourcePath, job.split.outputDir, k, count);
        if (finished || done >= offset + size) {
            EXPECT_EQ(CheckFilled(path, job.source, offset, size, size), "");
        } else {
            const auto written = static_cast<std::size_t>(done - offset);
            EXPECT_EQ(written % SPLIT_BLOCK_SIZE, 0u);
            EXPECT_EQ(CheckFilled(path, job.source, offset, size - 1, written), "");
            for (std::uint32_t later = k + 1; later < count; ++later)
                EXPECT_FALSE(
                    FileExists(ComposeSegmentPath(job.split.sourcePath, job.split.outputDir, later, count)));
            return;
        }
        offset += size;
    }
}

void CheckJoinOutcome(const StormJob& job, bool finished, std::uint64_t done) {
    const std::string output = JoinOutputPath(job.join);
    if (finished)
        EXPECT_EQ(CheckFilled(output, job.source, 0, job.source.size(), job.source.size()), "");
    else
        EXPECT_EQ(CheckFilled(output, job.source, 0, job.source.size() - 1, static_cast<std::size_t>(done)),
                  "");
    std::size_t offset = 0;
    for (std::uint32_t k = 0; k < job.members.size(); ++k) {
        const auto size = static_cast<std::size_t>(job.plan.segmentSize(k));
        EXPECT_EQ(CheckFilled(job.members[k], job.source, offset, size, size), "") << "a member changed";
        offset += size;
    }
}

struct Tally {
    int transitions = 0;
    int whileRunning = 0;
    int completed = 0;
    int stopped = 0;
};

void CheckOutcome(const StormJob& job, std::uint64_t seed, Tally& tally) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + job.name + ", fate " +
                 FATE_NAMES[static_cast<int>(job.fate)]);
    if (!job.problems.empty())
        ADD_FAILURE() << job.problems.front() << " (" << job.problems.size() << " problems in all)";
    tally.transitions += job.transitions;
    tally.whileRunning += job.whileRunning;
    const bool finished = job.progress.finished == 1;
    const std::uint64_t done = job.progress.bytesDone;
    if (finished) {
        ++tally.completed;
        EXPECT_EQ(done, job.total());
        EXPECT_FALSE(job.mustNotFinish) << "finished although stopped with blocks to go";
        EXPECT_EQ(
            job.prompt.messages,
            std::vector<std::string> { job.isSplit ? TEXT_SPLIT_DONE : "File joining operation complete!" });
    } else {
        ++tally.stopped;
        EXPECT_EQ(job.progress.finished, 0);
        EXPECT_NE(job.fate, Fate::Complete) << "a job nobody stopped did not complete";
        EXPECT_LT(done, job.total());
        EXPECT_EQ(job.prompt.messages, std::vector<std::string> {});
    }
    if (job.isSplit)
        CheckSplitOutcome(job, finished, done);
    else
        CheckJoinOutcome(job, finished, done);
}

TEST(Storm, ManyJobsUnderRandomPauseResumeCancelAndStop) {
    const std::uint64_t seed = StormSeed();
    Random random { seed };
    TempDir temp;
    Tally tally;
    for (int first = 0; first < STORM_JOBS; first += JOBS_AT_ONCE) {
        std::vector<std::unique_ptr<StormJob>> jobs;
        for (int i = first; i < first + JOBS_AT_ONCE; ++i) {
            // 2 to 6 MiB, odd sizes, 2 to 9 files: hundreds of blocks per job.
            const std::size_t size = (2u << 20) + random.below(4u << 20);
            Bytes source =
                PatternBytes(size, static_cast<std::uint32_t>(seed) + static_cast<std::uint32_t>(i));
            const std::string dir = temp.file("job" + std::to_string(i));
            const std::string out = dir + platform::PATH_SEPARATOR + "out";
            fs::create_directories(out);
            const std::uint32_t count = 2 + random.below(8);
            if (i % 2 == 0)
                jobs.push_back(
                    SplitJob(dir + platform::PATH_SEPARATOR + "source.bin", out, std::move(source), count));
            else
                jobs.push_back(JoinJob(dir, "source.bin", std::move(source), count, out, "joined.bin"));
            jobs.back()->fate = static_cast<Fate>((i / 2) % 4);
            jobs.back()->userSeed = random.next();
        }
        std::vector<StormJob*> running;
        for (auto& job : jobs) running.push_back(job.get());
        RunTogether(running, seed);
        for (const auto& job : jobs) CheckOutcome(*job, seed, tally);
        if (HasFailure()) break;
    }
    EXPECT_GE(tally.transitions, 1000) << "seed " << seed;
    std::printf(
        "storm seed %llu: %d jobs, %d transitions (%d while the worker ran), %d completed, %d stopped\n",
        static_cast<unsigned long long>(seed), STORM_JOBS, tally.transitions, tally.whileRunning,
        tally.completed, tally.stopped);
}

// A split writing into D while a join reads a set in D and writes beside the
// split's source: names share their prefix, and only the count tells the two
// sets apart. Both must complete untouched by the other.
TEST(Storm, ASplitAndAJoinWorkSideBySideInOneDirectory) {
    const std::uint64_t seed = StormSeed();
    TempDir temp;
    const std::string x = temp.file("x");
    const std::string d = temp.file("d");
    fs::create_directories(x);
    fs::create_directories(d);
    auto split = SplitJob(x + platform::PATH_SEPARATOR + "clip.bin", d, PatternBytes((4u << 20) + 3, 41), 8);
    auto join = JoinJob(d, "clip.bin", PatternBytes((3u << 20) + 1, 42), 3, x, "clip.bin.b");
    split->userSeed = 1;
    join->userSeed = 2;
    RunTogether({ split.get(), join.get() }, seed);
    Tally tally;
    CheckOutcome(*split, seed, tally);
    CheckOutcome(*join, seed, tally);
    EXPECT_EQ(tally.completed, 2);
    EXPECT_EQ(ListDirectory(d).size(), 8u + 3u);
    EXPECT_EQ(ListDirectory(x), (std::vector<std::string> { "clip.bin", "clip.bin.b" }));
}

} // namespace
