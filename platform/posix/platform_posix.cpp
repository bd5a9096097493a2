// POSIX implementation of the platform contract (Linux): open/read/write,
// copy_file_range, ftruncate, fdatasync, stat, statvfs and clock_gettime.
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio> // renameat2
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

std::string Result::reason() const {
    return ok_ || error_ == 0 ? std::string() : std::strerror(static_cast<int>(error_));
}

// The failure behind the errno of the call that just failed.
static Result failed() { return Result::failure(static_cast<unsigned long>(errno)); }

// The failure of an operation on a File that is not open.
static Result notOpen() { return Result::failure(EBADF); }

// The I/O error a failing device gives, for a step that the durability watch fails.
static Result deviceFailed() { return Result::failure(EIO); }

File::~File() { close(); }

File::File(File&& other) noexcept { *this = std::move(other); }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        takeState(other);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

File File::openRead(const std::string& path, Share) {
    File file;
    file.path_ = path;
    // O_NONBLOCK: opening a FIFO must not wait for a writer. Reads block again below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        file.failure_ = failed();
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        file.failure_ = S_ISDIR(st.st_mode) ? Result::failure(EISDIR) : failed();
        ::close(fd);
        return file;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file.fd_ = fd;
    return file;
}

File File::createNew(const std::string& path) {
    return adoptDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_EXCL, 0666), path);
}

File File::standardOutput() { return adoptDescriptor(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0), ""); }

File File::adoptDescriptor(int fd, const std::string& path) {
    File file;
    file.path_ = path;
    if (fd < 0)
        file.failure_ = failed();
    else
        file.fd_ = fd;
    return file;
}

bool File::valid() const { return fd_ >= 0; }

bool File::isRegular() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_size > 0) return true;
    // Files of /proc and /sys read as size 0 and still yield bytes.
    unsigned char probe = 0;
    return ::pread(fd_, &probe, 1, 0) == 0;
}

Result File::size(std::int64_t& bytes) const {
    struct stat st {};
    if (fd_ < 0) return notOpen();
    if (::fstat(fd_, &st) != 0) return failed();
    bytes = static_cast<std::int64_t>(st.st_size);
    return {};
}

Result File::seek(std::int64_t offset) {
    if (fd_ < 0) return notOpen();
    if (offset < 0) return Result::failure(EINVAL);
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(offset)) return failed();
    return {};
}

Result File::setEnd() {
    if (fd_ < 0) return notOpen();
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0 || ::ftruncate(fd_, here) != 0) return failed();
    return {};
}

Result File::read(void* buffer, std::uint32_t length) {
    if (fd_ < 0) return notOpen();
    auto* out = static_cast<unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd_, out + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed();
        if (got == 0) return Result::failure(0); // the file ended early: no system reason
        done += static_cast<std::uint32_t>(got);
    }
    return {};
}

Result File::readAt(void* buffer, std::uint32_t length, std::int64_t offset) const {
    if (fd_ < 0) return notOpen();
    auto* out = static_cast<unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed();
        if (got == 0) return Result::failure(0);
        done += static_cast<std::uint32_t>(got);
    }
    return {};
}

Result File::position(std::int64_t& offset) const {
    if (fd_ < 0) return notOpen();
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0) return failed();
    offset = here;
    return {};
}

Result File::write(const void* buffer, std::uint32_t length) {
    if (fd_ < 0) return notOpen();
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t put = ::write(fd_, in + done, length - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return failed();
        if (put == 0) return Result::failure(ENOSPC);
        done += static_cast<std::uint32_t>(put);
    }
    countWritten(length);
    return {};
}

Result File::flush() {
    if (fd_ < 0) return notOpen();
    if (!detail::durabilityAllows("flush", path_)) return deviceFailed();
    while (::fdatasync(fd_) != 0)
        if (errno != EINTR) return failed();
    return {};
}

Result File::writeBehind() {
    if (fd_ < 0 || unflushed_ < WRITE_BEHIND_BYTES || behindState_ == 2) return {};
    if (behindState_ == 0) {
        struct stat st {};
        behindState_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? 1 : 2;
        if (behindState_ == 2) return {};
    }
    if (!detail::durabilityAllows("write behind", path_)) return deviceFailed();
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    if (end < 0) return failed();
    const std::int64_t start = end - unflushed_;
    // Start this chunk's write-out, then wait for the one started last time:
    // the device works on one chunk while the next is copied.
    if (::sync_file_range(fd_, start, unflushed_, SYNC_FILE_RANGE_WRITE) != 0) return failed();
    if (behindStart_ >= 0 && ::sync_file_range(fd_, behindStart_, behindLength_,
                                               SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                                   SYNC_FILE_RANGE_WAIT_AFTER) != 0)
        return failed();
    behindStart_ = start;
    behindLength_ = unflushed_;
    unflushed_ = 0;
    return {};
}

void File::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

static bool hasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

bool isDirectory(const std::string& path) {
    if (path.empty() || hasWildcard(path)) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool entryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool listMatching(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    const std::size_t slash = pattern.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    std::string prefix = pattern.substr(slash == std::string::npos ? 0 : slash + 1);
    if (prefix.size() < 2 || prefix.compare(prefix.size() - 2, 2, ".*") != 0) return false;
    prefix.pop_back(); // keep the dot: "movie.avi."
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return false;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return !names.empty();
}

// Read and write through `buffer`: the rest of a copy the kernel did not take.
static CopyOutcome copyThroughBuffer(File& in, File& out, std::uint32_t length, void* buffer,
                                     CopyTally& tally) {
    if (const Result read = in.read(buffer, length); !read) return { CopyResult::ReadFailed, read };
    if (const Result written = out.write(buffer, length); !written)
        return { CopyResult::WriteFailed, written };
    tally.bufferBytes += length;
    return {};
}

CopyOutcome copyBytes(File& in, File& out, std::uint32_t length, void* buffer, CopyTally& tally) {
    std::uint32_t done = 0;
    while (!tally.kernelRefused && done < length) {
        const ssize_t put = ::copy_file_range(in.fd_, nullptr, out.fd_, nullptr, length - done, 0);
        if (put > 0) {
            done += static_cast<std::uint32_t>(put);
            tally.kernelBytes += put;
            out.countWritten(static_cast<std::uint32_t>(put));
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        // These say the kernel cannot copy between these two files at all.
        if (put < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                        errno == EBADF || errno == EPERM))
            tally.kernelRefused = true;
        // Anything else (the source ended, the disk is full, an I/O error)
        // recurs in read or write below, which tell which side failed.
        break;
    }
    if (done == length) return {};
    return copyThroughBuffer(in, out, length - done, buffer, tally);
}

Result sharedBytes(const std::string& path, std::int64_t& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failed();
    constexpr unsigned BATCH = 256;
    std::vector<unsigned char> space(sizeof(fiemap) + BATCH * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(space.data());
    bytes = 0;
    std::uint64_t from = 0;
    Result result;
    bool last = false;
    while (result && !last) {
        std::fill(space.begin(), space.end(), 0);
        map->fm_start = from;
        map->fm_length = FIEMAP_MAX_OFFSET - from;
        map->fm_flags = 0; // no sync: extents waiting to be written are never shared ones
        map->fm_extent_count = BATCH;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0) result = failed();
        if (!result || map->fm_mapped_extents == 0) break;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& e = map->fm_extents[i];
            if (e.fe_flags & FIEMAP_EXTENT_SHARED) bytes += static_cast<std::int64_t>(e.fe_length);
            last = last || (e.fe_flags & FIEMAP_EXTENT_LAST);
            from = e.fe_logical + e.fe_length;
        }
    }
    ::close(fd);
    return result;
}

// rename(2) as a Result.
static Result renamed(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? Result() : failed();
}

Result renameFile(const std::string& from, const std::string& to, bool replace) {
    if (!detail::durabilityAllows("rename", to)) return deviceFailed();
    if (replace) return renamed(from, to);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return failed();
    // A file system without the no-replace rename: a check just before the rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return Result::failure(EEXIST);
    return renamed(from, to);
}

Result flushDirectory(const std::string& directory) {
    if (!detail::durabilityAllows("flush directory", directory)) return deviceFailed();
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failed();
    int synced = 0;
    while ((synced = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    // Some file systems cannot flush a directory at all (EINVAL): their names
    // are as safe as they can make them.
    const Result result = synced == 0 || errno == EINVAL ? Result() : failed();
    ::close(fd);
    return result;
}

bool canShareStorage(const std::string& filePath, const std::string& directory, std::int64_t& blockSize) {
    struct stat file {
    }, dir {};
    struct statfs volume {};
    if (::stat(filePath.c_str(), &file) != 0 || ::stat(directory.c_str(), &dir) != 0 ||
        file.st_dev != dir.st_dev || ::statfs(directory.c_str(), &volume) != 0 || volume.f_bsize <= 0)
        return false;
    // Ask the file system itself: an unnamed empty file cloned onto itself is
    // refused (EOPNOTSUPP) where the volume cannot share extents, and leaves
    // nothing behind where it can.
    const int probe = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (probe < 0) return false;
    file_clone_range none {};
    none.src_fd = probe;
    const bool shares = ::ioctl(probe, FICLONERANGE, &none) == 0;
    ::close(probe);
    blockSize = static_cast<std::int64_t>(volume.f_bsize);
    return shares;
}

bool sameName(const std::string& a, const std::string& b) { return a == b; }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

Result freeBytesAvailable(const std::string& directory, std::uint64_t& bytes) {
    struct statvfs vfs {};
    if (directory.empty()) return Result::failure(ENOENT);
    if (::statvfs(directory.c_str(), &vfs) != 0) return failed();
    bytes = static_cast<std::uint64_t>(vfs.f_bavail) * static_cast<std::uint64_t>(vfs.f_frsize);
    return {};
}

bool isLeadByte(unsigned char) { return false; }

std::int64_t counterNow() {
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::int64_t counterFrequency() { return 1000000000; }

} // namespace platform
