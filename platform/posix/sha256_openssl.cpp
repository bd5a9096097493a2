// SHA-256 with OpenSSL's EVP interface, from libcrypto loaded at the first
// use: split and join never hash, and linking libcrypto made every start of
// the program ~8 ms slower (its loading and relocation), a cost that showed
// against `cat` in the join benchmark.
#include "platform/sha256.h"

#include <dlfcn.h>
#include <openssl/evp.h> // the functions' types; they are looked up by name

#include <string>

namespace {

struct Crypto {
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
    decltype(&EVP_DigestInit_ex) init = nullptr;
    decltype(&EVP_DigestUpdate) update = nullptr;
    decltype(&EVP_DigestFinal_ex) final = nullptr;
    bool loaded = false;
};

template <typename F> bool Find(void* library, const char* name, F& into) {
    into = reinterpret_cast<F>(dlsym(library, name));
    return into != nullptr;
}

const Crypto& LoadedCrypto() {
    static const Crypto crypto = [] {
        Crypto c;
        const std::string soname = "libcrypto.so." + std::to_string(OPENSSL_SHLIB_VERSION);
        void* library = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL); // kept for the life of the process
        c.loaded = library && Find(library, "EVP_MD_CTX_new", c.newContext) &&
                   Find(library, "EVP_MD_CTX_free", c.freeContext) && Find(library, "EVP_sha256", c.sha256) &&
                   Find(library, "EVP_DigestInit_ex", c.init) &&
                   Find(library, "EVP_DigestUpdate", c.update) &&
                   Find(library, "EVP_DigestFinal_ex", c.final);
        return c;
    }();
    return crypto;
}

} // namespace

struct Sha256::State {
    const Crypto& crypto = LoadedCrypto();
    EVP_MD_CTX* context = crypto.newContext();
    ~State() { crypto.freeContext(context); }
};

bool Sha256::Available(std::string& why) {
    if (LoadedCrypto().loaded) return true;
    why = "SHA-256 needs OpenSSL's libcrypto.so." + std::to_string(OPENSSL_SHLIB_VERSION) +
          ", which could not be loaded";
    return false;
}

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->crypto.init(state_->context, state_->crypto.sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t length) {
    state_->crypto.update(state_->context, data, length);
}

std::string Sha256::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    state_->crypto.final(state_->context, digest, &length);
    return HexOf(digest, length);
}
