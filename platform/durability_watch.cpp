// The watch over the steps that make a file last (platform.h), shared by both
// implementations of the platform contract.
#include "platform/platform.h"

#include <atomic>

namespace platform {

static std::atomic<DurabilityWatch> durabilityWatch { nullptr };

void watchDurability(DurabilityWatch watch) { durabilityWatch = watch; }

namespace detail {
bool durabilityAllows(const char* step, const std::string& path) {
    const DurabilityWatch watch = durabilityWatch;
    return !watch || watch(step, path);
}
} // namespace detail

} // namespace platform
