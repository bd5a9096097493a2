// SHA-256 with the system's CNG (bcrypt.dll, part of Windows since Vista).
#include "platform/sha256.h"

#include <windows.h>

#include <bcrypt.h>

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

bool Sha256::Available(std::string&) { return true; } // CNG is part of every Windows since Vista

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0)
        BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0);
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t length) {
    // BCryptHashData takes a non-const pointer but does not write through it.
    BCryptHashData(state_->hash, static_cast<PUCHAR>(const_cast<void*>(data)), static_cast<ULONG>(length), 0);
}

std::string Sha256::hexDigest() {
    unsigned char digest[32] = {};
    if (BCryptFinishHash(state_->hash, digest, sizeof digest, 0) != 0) return "";
    return HexOf(digest, sizeof digest);
}
