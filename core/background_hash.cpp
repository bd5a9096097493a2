// The hash on a thread of its own: see background_hash.h.
#include "core/background_hash.h"

#include <cstring>

// The size of a chunk handed over, and the chunks queued at most: the copy
// runs ahead of the hash by at most this much.
constexpr std::size_t CHUNK_BYTES = std::size_t { 4 } << 20;
constexpr std::size_t MAX_QUEUED = 3;

BackgroundHash::BackgroundHash() : thread_([this] { Run(); }) {}

BackgroundHash::~BackgroundHash() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundHash::update(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    gathering_.insert(gathering_.end(), bytes, bytes + length);
    if (gathering_.size() >= CHUNK_BYTES) HandOver();
}

void BackgroundHash::HandOver() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < MAX_QUEUED; });
    queue_.push_back(std::move(gathering_));
    gathering_.clear();
    if (!spare_.empty()) {
        gathering_ = std::move(spare_.back()); // its capacity, not its bytes
        gathering_.clear();
        spare_.pop_back();
    }
    changed_.notify_all();
}

std::string BackgroundHash::digest() {
    if (!gathering_.empty()) HandOver();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && !busy_; });
    const std::string hex = hash_->hexDigest();
    hash_ = std::make_unique<Sha256>();
    return hex;
}

void BackgroundHash::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (queue_.empty()) return; // stopped, and nothing left
        std::vector<unsigned char> block = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        hash_->update(block.data(), block.size());
        lock.lock();
        busy_ = false;
        spare_.push_back(std::move(block));
        changed_.notify_all();
    }
}
