// Win32 implementation of the platform contract: the kernel32 file calls with
// real share modes, shlwapi's path queries, the performance counter.
#include "platform/platform.h"

#include <windows.h>

#include <shlwapi.h> // after windows.h, which it builds on

#include <string>

namespace platform {

static HANDLE toHandle(void* h) { return h ? static_cast<HANDLE>(h) : INVALID_HANDLE_VALUE; }

File::~File() { close(); }

File::File(File&& other) noexcept { *this = std::move(other); }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        takeState(other);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

std::string Result::reason() const {
    if (ok_ || error_ == 0) return {};
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(error_), 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' || reason.back() == ' '))
        reason.pop_back(); // one line, no full stop: it follows our own sentence
    return reason.empty() ? "error " + std::to_string(error_) : reason;
}

// The failure behind GetLastError of the call that just failed.
static Result failed() { return Result::failure(GetLastError()); }

// The failure of an operation on a File that is not open.
static Result notOpen() { return Result::failure(ERROR_INVALID_HANDLE); }

// The error a failing device gives, for a step that the durability watch fails.
static Result deviceFailed() { return Result::failure(ERROR_IO_DEVICE); }

File File::adoptHandle(void* handle, const std::string& path) {
    File file;
    file.path_ = path;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        file.failure_ = failed();
    else
        file.handle_ = handle;
    return file;
}

// The 8-bit calls convert a path in a buffer of MAX_PATH characters, and the
// shell's path queries take no more: a path of MAX_PATH bytes or more goes to
// the wide calls instead, in the extended form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), which the system takes up to 32,767
// characters long. Shorter paths keep the 8-bit calls.
static bool needsWideCall(const std::string& path) { return path.size() >= MAX_PATH; }

// `path` in the extended form, converted from the 8-bit code page; empty when
// it cannot be converted. Relative parts and "/" are resolved first: the
// system takes an extended path as it is written.
static std::wstring extendedPath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    const DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (!fullLength) return {};
    std::wstring full(fullLength, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), fullLength, &full[0], nullptr));
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The attributes of what `path` names (a long path through the wide call);
// INVALID_FILE_ATTRIBUTES when nothing is there.
static DWORD longPathAttributes(const std::string& path) {
    return GetFileAttributesW(extendedPath(path).c_str());
}

File File::openRead(const std::string& path, Share share) {
    const DWORD mode = share == Share::Read ? FILE_SHARE_READ : 0;
    if (needsWideCall(path))
        return adoptHandle(CreateFileW(extendedPath(path).c_str(), GENERIC_READ, mode, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr),
                           path);
    return adoptHandle(
        CreateFileA(path.c_str(), GENERIC_READ, mode, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
        path);
}

File File::createNew(const std::string& path) {
    return adoptHandle(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
        path);
}

File File::standardOutput() {
    HANDLE copy = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        copy = INVALID_HANDLE_VALUE;
    return adoptHandle(copy, "");
}

bool File::valid() const { return handle_ != nullptr; }

bool File::isRegular() const { return handle_ && GetFileType(toHandle(handle_)) == FILE_TYPE_DISK; }

// A call that gives a BOOL, as a Result.
static Result checked(BOOL succeeded) { return succeeded ? Result() : failed(); }

Result File::size(std::int64_t& bytes) const {
    if (!handle_) return notOpen();
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(toHandle(handle_), &size)) return failed();
    bytes = size.QuadPart;
    return {};
}

Result File::seek(std::int64_t offset) {
    if (!handle_) return notOpen();
    LARGE_INTEGER distance {};
    distance.QuadPart = offset;
    return checked(SetFilePointerEx(toHandle(handle_), distance, nullptr, FILE_BEGIN));
}

Result File::setEnd() { return handle_ ? checked(SetEndOfFile(toHandle(handle_))) : notOpen(); }

Result File::read(void* buffer, std::uint32_t length) {
    if (!handle_) return notOpen();
    auto* out = static_cast<unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        DWORD got = 0;
        if (!ReadFile(toHandle(handle_), out + done, length - done, &got, nullptr)) return failed();
        if (got == 0) return Result::failure(0); // the file ended early: no system reason
        done += got;
    }
    return {};
}

Result File::position(std::int64_t& offset) const {
    if (!handle_) return notOpen();
    LARGE_INTEGER none {}, here {};
    if (!SetFilePointerEx(toHandle(handle_), none, &here, FILE_CURRENT)) return failed();
    offset = here.QuadPart;
    return {};
}

Result File::readAt(void* buffer, std::uint32_t length, std::int64_t offset) const {
    // A read with an offset moves a synchronous handle's position too: it is
    // put back afterwards.
    std::int64_t here = 0;
    if (const Result known = position(here); !known) return known;
    auto* self = const_cast<File*>(this);
    Result result = self->seek(offset);
    if (result) result = self->read(buffer, length);
    const Result back = self->seek(here);
    return result ? back : result;
}

Result File::write(const void* buffer, std::uint32_t length) {
    if (!handle_) return notOpen();
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        DWORD put = 0;
        if (!WriteFile(toHandle(handle_), in + done, length - done, &put, nullptr)) return failed();
        if (put == 0) return Result::failure(ERROR_DISK_FULL);
        done += put;
    }
    countWritten(length);
    return {};
}

Result File::flush() {
    if (!handle_) return notOpen();
    if (!detail::durabilityAllows("flush", path_)) return deviceFailed();
    return checked(FlushFileBuffers(toHandle(handle_)));
}

Result File::writeBehind() {
    if (!handle_ || unflushed_ < WRITE_BEHIND_BYTES || behindState_ == 2) return {};
    // Only a file on disk: flushing a pipe would wait for its reader.
    if (behindState_ == 0) behindState_ = GetFileType(toHandle(handle_)) == FILE_TYPE_DISK ? 1 : 2;
    if (behindState_ == 2) return {};
    // Windows has no write-out of a range without waiting: flush all so far.
    unflushed_ = 0;
    if (!detail::durabilityAllows("write behind", path_)) return deviceFailed();
    return checked(FlushFileBuffers(toHandle(handle_)));
}

void File::close() {
    if (handle_) {
        CloseHandle(toHandle(handle_));
        handle_ = nullptr;
    }
}

bool isDirectory(const std::string& path) {
    if (path.empty()) return false;
    if (!needsWideCall(path)) return PathIsDirectoryA(path.c_str()) != FALSE;
    const DWORD attributes = longPathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool pathExists(const std::string& path) {
    if (path.empty()) return false;
    if (!needsWideCall(path)) return PathFileExistsA(path.c_str()) != FALSE;
    return longPathAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool entryExists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool listMatching(const std::string& pattern, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAA entry {};
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

CopyOutcome copyBytes(File& in, File& out, std::uint32_t length, void* buffer, CopyTally& tally) {
    // Windows copies between open files only by read and write; block cloning
    // (ReFS, Dev Drive) would need FSCTL_DUPLICATE_EXTENTS_TO_FILE.
    if (const Result read = in.read(buffer, length); !read) return { CopyResult::ReadFailed, read };
    if (const Result written = out.write(buffer, length); !written)
        return { CopyResult::WriteFailed, written };
    tally.bufferBytes += length;
    return {};
}

Result sharedBytes(const std::string&, std::int64_t&) { return Result::failure(ERROR_NOT_SUPPORTED); }

Result renameFile(const std::string& from, const std::string& to, bool replace) {
    if (!detail::durabilityAllows("rename", to)) return deviceFailed();
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    // A virus scanner or an indexer that opens a file just closed holds it for
    // a moment: the rename then meets a sharing violation or "access denied".
    // Pauses of 10, 20, 40 ... ms, about two seconds in all, before giving up.
    DWORD pause = 10, waited = 0;
    while (!MoveFileExA(from.c_str(), to.c_str(), flags)) {
        const DWORD error = GetLastError();
        const bool held =
            error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || waited >= 2000) return Result::failure(error);
        Sleep(pause);
        waited += pause;
        pause = pause < 320 ? pause * 2 : 320;
    }
    return {};
}

Result flushDirectory(const std::string& directory) {
    return detail::durabilityAllows("flush directory", directory) ? Result() : deviceFailed();
}

bool canShareStorage(const std::string&, const std::string&, std::int64_t&) { return false; }

bool sameName(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The volume and file index of an existing file or directory.
static bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia {}, ib {};
    if (!FileIdentity(a, ia) || !FileIdentity(b, ib)) return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

Result freeBytesAvailable(const std::string& directory, std::uint64_t& bytes) {
    ULARGE_INTEGER available {};
    if (!GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr)) return failed();
    bytes = available.QuadPart;
    return {};
}

bool isLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::int64_t counterNow() {
    LARGE_INTEGER now {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::int64_t counterFrequency() {
    LARGE_INTEGER frequency {};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

} // namespace platform
