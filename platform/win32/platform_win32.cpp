// Win32 implementation of the platform contract: the kernel32 file calls with
// real share modes, shlwapi's path queries, the performance counter.
#include "platform/platform.h"

#include <windows.h>

#include <shlwapi.h> // after windows.h, which it builds on


namespace platform {

static HANDLE toHandle(void* h) { return h ? static_cast<HANDLE>(h) : INVALID_HANDLE_VALUE; }

File::~File() { close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

static void* adopt(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

File File::openRead(const std::string& path, Share share) {
    File file;
    const DWORD mode = share == Share::Read ? FILE_SHARE_READ : 0;
    file.handle_ = adopt(CreateFileA(path.c_str(), GENERIC_READ, mode, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    return file;
}

File File::createAlways(const std::string& path) {
    File file;
    file.handle_ = adopt(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file;
}

bool File::valid() const { return handle_ != nullptr; }

bool File::size(std::int64_t& bytes) const {
    LARGE_INTEGER size {};
    if (!handle_ || !GetFileSizeEx(toHandle(handle_), &size)) return false;
    bytes = size.QuadPart;
    return true;
}

bool File::seek(std::int64_t offset) {
    if (!handle_) return false;
    LARGE_INTEGER distance {};
    distance.QuadPart = offset;
    return SetFilePointerEx(toHandle(handle_), distance, nullptr, FILE_BEGIN) != 0;
}

bool File::setEnd() { return handle_ && SetEndOfFile(toHandle(handle_)) != 0; }

bool File::read(void* buffer, std::uint32_t length) {
    if (!handle_) return false;
    auto* out = static_cast<unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        DWORD got = 0;
        if (!ReadFile(toHandle(handle_), out + done, length - done, &got, nullptr) || got == 0)
            return false; // error, or the file ended early
        done += got;
    }
    return true;
}

bool File::write(const void* buffer, std::uint32_t length) {
    if (!handle_) return false;
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::uint32_t done = 0;
    while (done < length) {
        DWORD put = 0;
        if (!WriteFile(toHandle(handle_), in + done, length - done, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

void File::close() {
    if (handle_) {
        CloseHandle(toHandle(handle_));
        handle_ = nullptr;
    }
}

bool isDirectory(const std::string& path) { return !path.empty() && PathIsDirectoryA(path.c_str()) != FALSE; }

bool pathExists(const std::string& path) { return !path.empty() && PathFileExistsA(path.c_str()) != FALSE; }

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

bool freeBytesAvailable(const std::string& directory, std::uint64_t& bytes) {
    ULARGE_INTEGER available {};
    if (!GetDiskFreeSpaceExA(directory.c_str(), &available, nullptr, nullptr)) return false;
    bytes = available.QuadPart;
    return true;
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
