// The operating-system contract of the portable code: files, directory queries,
// free space, the high-resolution counter and the code page's lead-byte test.
// Two implementations exist, platform/win32 and platform/posix; CMake picks one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The separator that path composition appends after a directory. On Windows
// both `\` and `/` separate and a path may start with a drive ("C:"); on POSIX
// only `/` separates, and `\` and `:` are ordinary name characters.
#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
constexpr bool WINDOWS_PATHS = true;
#else
constexpr char PATH_SEPARATOR = '/';
constexpr bool WINDOWS_PATHS = false;
#endif

// Who else may open a file while we hold it. On Windows these are real share
// modes: an open fails while another handle holds the file in a conflicting
// way. POSIX has no mandatory locks, so there the modes are accepted and not
// enforced; opening a file that someone else holds succeeds.
enum class Share { None, Read };

// The outcome of a platform call that can fail: success, or a failure with
// the system's error number behind it (errno; GetLastError), returned where
// the failure happens. A failure the system does not report (a file that
// ended early) carries no number. True on success.
class Result {
public:
    Result() = default; // success
    static Result failure(unsigned long error) { return Result(false, error); }
    explicit operator bool() const { return ok_; }
    // The system's own words for the failure ("No space left on device");
    // empty on success, and for a failure the system did not report.
    std::string reason() const;

private:
    Result(bool ok, unsigned long error) : ok_(ok), error_(error) {}
    bool ok_ = true;
    unsigned long error_ = 0;
};

struct CopyTally;
struct CopyOutcome;

// An open file. Owns its handle and closes it when destroyed or moved over;
// every operation on an invalid File fails.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for sequential reading (CreateFileA with
    // GENERIC_READ, OPEN_EXISTING). A directory is not a file: opening one fails.
    // Opening a pipe with no writer does not wait for one.
    static File openRead(const std::string& path, Share share);
    // Creates a new file for writing, no sharing; fails when any file of that
    // name exists (CREATE_NEW, O_EXCL), so nothing is ever replaced.
    static File createNew(const std::string& path);
    // A File over a duplicate of the process's standard output (closing it
    // leaves standard output open). Invalid when there is none.
    static File standardOutput();

    bool valid() const;
    // Why the open or creation that gave this File failed; success when it is valid.
    Result failure() const { return failure_; }
    // Whether the file holds data whose size is known from the file system: a
    // regular file on disk. False for a pipe, a device or a console, and on
    // POSIX for a file whose size reads 0 although it yields bytes (/proc).
    bool isRegular() const;
    // The file's size in bytes, from the open handle.
    Result size(std::int64_t& bytes) const;
    // Absolute move of the file position; fails for a negative offset.
    Result seek(std::int64_t offset);
    // Makes the current position the end of the file.
    Result setEnd();
    // Reads exactly `length` bytes from the current position. Fewer bytes (the
    // file ended early) is a failure, never padded.
    Result read(void* buffer, std::uint32_t length);
    // Reads exactly `length` bytes from `offset`, leaving the current position
    // where it was.
    Result readAt(void* buffer, std::uint32_t length, std::int64_t offset) const;
    // The current position.
    Result position(std::int64_t& offset) const;
    // Writes exactly `length` bytes at the current position.
    Result write(const void* buffer, std::uint32_t length);
    // Sends the file's data, and what is needed to read it back (its size, its
    // extents), to the device and waits until the device has it (fdatasync;
    // FlushFileBuffers). False when the device reports a failure (an I/O error,
    // a removed stick): the data may then be lost.
    Result flush();
    // Write-behind for a long sequential write: once WRITE_BEHIND_BYTES more
    // have been written since it last acted, starts the write-out of those bytes
    // and waits for the chunk before them (Linux: sync_file_range; Windows:
    // FlushFileBuffers), so that little waits in memory and a flush after the
    // last byte is short. True without acting for a file that is no file on disk
    // (a pipe, a console); false when the device reports a failure.
    Result writeBehind();
    // Closes now; harmless when already closed.
    void close();
    // The path the file was opened or created with (empty for standard output).
    const std::string& path() const { return path_; }

private:
    friend CopyOutcome copyBytes(File& in, File& out, std::uint32_t length, void* buffer, CopyTally& tally);
    void countWritten(std::uint32_t length) { unflushed_ += length; }
    // Takes over what every platform keeps of an open file, all but its handle.
    void takeState(File& other) {
        path_ = std::move(other.path_);
        failure_ = other.failure_;
        unflushed_ = other.unflushed_;
        behindStart_ = other.behindStart_;
        behindLength_ = other.behindLength_;
        behindState_ = other.behindState_;
    }
    std::string path_;
    Result failure_;
    std::int64_t unflushed_ = 0;    // written since write-behind last acted
    std::int64_t behindStart_ = -1; // the chunk whose write-out was started last; -1: none
    std::int64_t behindLength_ = 0;
    int behindState_ = 0; // 0 not yet known, 1 a file on disk, 2 nothing to write behind
#ifdef _WIN32
    static File adoptHandle(void* handle, const std::string& path); // INVALID_HANDLE_VALUE is invalid
    void* handle_ = nullptr; // HANDLE; nullptr stands for INVALID_HANDLE_VALUE
#else
    static File adoptDescriptor(int fd, const std::string& path);
    int fd_ = -1;
#endif
};

// The chunk of write-behind: at most about twice this much of a file being
// written waits in memory for the device. Chosen by measurement (README,
// Benchmarks): smaller chunks cost throughput on a fast disk, larger ones
// leave longer waits after the last byte on a slow one.
constexpr std::int64_t WRITE_BEHIND_BYTES = std::int64_t { 8 } << 20;

// Where a job's bytes went, counted by copyBytes: inside the kernel
// (copy_file_range, which on XFS and btrfs shares the source's extents
// instead of copying them) or through the caller's buffer (read and write).
struct CopyTally {
    std::int64_t kernelBytes = 0;
    std::int64_t bufferBytes = 0;
    // Set when the kernel refused these files (another file system, no
    // support): later calls go straight to read and write.
    bool kernelRefused = false;
};

enum class CopyResult { Done, ReadFailed, WriteFailed };

// How a copy ended, and why when it failed.
struct CopyOutcome {
    CopyResult result = CopyResult::Done;
    Result why;
};

// Whether copyBytes can copy inside the kernel here (Linux); otherwise every
// byte passes through the caller's buffer.
#ifdef _WIN32
constexpr bool KERNEL_COPY = false;
#else
constexpr bool KERNEL_COPY = true;
#endif

// Copies exactly `length` bytes from `in`'s position to `out`'s and advances
// both. Where the system can copy between the two files itself it does (Linux:
// copy_file_range); where it refuses or stops short, the rest goes by read and
// write through `buffer` (at least `length` bytes), so that a failure is that
// of the read or of the write, as for read and write themselves: a source that
// ends early is ReadFailed. On Windows: read and write. When all `length`
// bytes went through `buffer` (the tally's bufferBytes grew by `length`), the
// buffer holds them on return.
CopyOutcome copyBytes(File& in, File& out, std::uint32_t length, void* buffer, CopyTally& tally);

// The bytes of the file at `path` whose storage is shared with another file
// (extents shared on XFS or btrfs after a kernel copy). False when the system
// cannot tell (Windows, a file system without extent maps).
Result sharedBytes(const std::string& path, std::int64_t& bytes);

// Gives `from` the name `to`, in the same directory. With `replace` an
// existing `to` is replaced in one step (MoveFileExA with
// MOVEFILE_REPLACE_EXISTING, rename); without it the call fails when `to`
// exists. On Windows the rename reaches the disk before the call returns
// (MOVEFILE_WRITE_THROUGH), and a rename refused because another program (a
// virus scanner, an indexer) holds `from` open for a moment is tried again for
// about two seconds, with growing pauses, before it fails.
Result renameFile(const std::string& from, const std::string& to, bool replace);

// Sends the directory itself to the device (fsync of the directory), so that
// the names given in it by renameFile outlive a power loss. True on Windows,
// where each rename is written through.
Result flushDirectory(const std::string& directory);

// Whether the system can share storage between the file at `filePath` and a
// new file in `directory` (the same XFS or btrfs volume, with reflink): a
// kernel copy between them then takes no room for the whole blocks it copies
// from and to block-aligned offsets. `blockSize` receives the volume's block
// size. False on Windows and wherever sharing is not possible or not known.
bool canShareStorage(const std::string& filePath, const std::string& directory, std::int64_t& blockSize);

// A watch over the steps that make a file last (File::flush, the write-behind
// of File::writeBehind when it acts, renameFile and flushDirectory): called
// with the step's name ("flush", "write behind", "rename", "flush directory")
// and its path (for a rename, `to`) before the step runs.
// When it gives false, the step fails as a failing device would fail it (an
// I/O error). Tests set it to see the order of the steps and to fail one;
// none is set otherwise.
using DurabilityWatch = bool (*)(const char* step, const std::string& path);
void watchDurability(DurabilityWatch watch);
namespace detail {
// For the implementations: asks the watch, if any, whether `step` may run.
bool durabilityAllows(const char* step, const std::string& path);
} // namespace detail

// True only for an existing directory; false for a file, a missing path and a
// path holding a wildcard (PathIsDirectoryA).
bool isDirectory(const std::string& path);

// True when a file or a directory exists at the path (PathFileExistsA).
bool pathExists(const std::string& path);

// True when the directory holds an entry of that name, even a link that leads
// nowhere (lstat; GetFileAttributesA): a name that a new file cannot take.
bool entryExists(const std::string& path);

// The names of the entries of one directory that match `pattern`: a path
// whose last component is a name prefix followed by ".*". On Windows this is
// FindFirstFileA's match, case-insensitive (and so also the name without the
// dot). On POSIX it is every entry whose name starts with the prefix and the
// dot, compared byte for byte as the file system compares names. False, with
// no names, when nothing matches or the directory cannot be read.
bool listMatching(const std::string& pattern, std::vector<std::string>& names);

// Whether two file names (no directory) are the same name to the file system:
// case-insensitive on Windows, byte for byte on POSIX.
bool sameName(const std::string& a, const std::string& b);

// Whether two paths name the same existing file (the same volume and file
// identity, however the paths are written). False when either is missing.
bool sameFile(const std::string& a, const std::string& b);

// Bytes available to the calling user on the volume that holds `directory`
// (the first count of GetDiskFreeSpaceExA). False when the query fails.
Result freeBytesAvailable(const std::string& directory, std::uint64_t& bytes);

// Whether `byte` is the lead byte of a double-byte character in the active
// 8-bit code page (IsDBCSLeadByte). Always false where names are plain bytes.
bool isLeadByte(unsigned char byte);

// The high-resolution counter and its ticks per second.
std::int64_t counterNow();
std::int64_t counterFrequency();

} // namespace platform
