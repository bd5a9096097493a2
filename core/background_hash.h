// A SHA-256 that hashes on a thread of its own, so that a copy goes on while
// the bytes it copied are hashed: with a second core, hashing a piece and the
// whole file costs a copy almost nothing.
#pragma once

#include "platform/sha256.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class BackgroundHash {
public:
    BackgroundHash();
    ~BackgroundHash(); // waits for the thread; what was handed over is hashed and dropped
    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;

    // Hands a copy of the bytes to the thread, gathered into chunks of a few
    // MiB: a hand-over costs a lock and a wake-up, and under Wine each of
    // those is a round trip to the Wine server. Waits while a few chunks are
    // still queued, so that memory stays bounded.
    void update(const void* data, std::size_t length);
    // The hash, in lower-case hex, of everything handed over since the last
    // digest (or the start); the next update begins a new hash.
    std::string digest();

private:
    void Run();
    void HandOver();                       // queues the chunk being gathered
    std::vector<unsigned char> gathering_; // the chunk being filled by update(), not yet queued
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<unsigned char>> queue_;  // blocks to hash, in order
    std::vector<std::vector<unsigned char>> spare_; // hashed chunks, for reuse
    bool busy_ = false;                             // the thread is hashing a block
    bool stop_ = false;
    std::unique_ptr<Sha256> hash_ = std::make_unique<Sha256>();
    std::thread thread_;
};
