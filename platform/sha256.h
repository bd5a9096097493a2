// SHA-256 through a well-kept implementation: OpenSSL's libcrypto on Linux
// (loaded at the first use), the system's CNG (bcrypt.dll) on Windows.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class Sha256 {
public:
    // Whether hashing can be done here; if not, `why` says what is missing.
    // Call it before the first Sha256 is made.
    static bool Available(std::string& why);

    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t length);
    // The digest in lower-case hex; the object is used up afterwards.
    std::string hexDigest();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Lower-case hex of `length` bytes.
inline std::string HexOf(const unsigned char* bytes, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < length; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}
