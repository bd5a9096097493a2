// Times segment discovery on a directory that holds one set of MEMBERS
// segments and other files beside it (default 10,000 and 1,000). Prints the
// median of five runs; checks the set it finds, but never fails on time.
//
//   discovery-bench [MEMBERS [OTHERS [DIRECTORY]]]
#include "core/format_text.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const int members = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int others = argc > 2 ? std::atoi(argv[2]) : 1000;
    const std::string directory = std::string(argc > 3 ? argv[3] : ".") + platform::PATH_SEPARATOR;
    const unsigned char byte = 'x';

    std::vector<std::string> made;
    auto make = [&](const std::string& name) {
        std::remove((directory + name).c_str());
        platform::File file = platform::File::createNew(directory + name);
        if (!file.valid() || !file.write(&byte, 1)) {
            std::printf("cannot create %s%s\n", directory.c_str(), name.c_str());
            std::exit(1);
        }
        made.push_back(directory + name);
    };
    const int digits = static_cast<int>(std::to_string(members).size());
    for (int k = 1; k <= members; ++k) make(formatted("bench.iso.%0*d_of_%d", digits, k, members));
    for (int k = 1; k <= others; ++k)
        make(k % 2 ? formatted("bench.iso.%d_of_%d", k, members + 1) : formatted("unrelated-%d.txt", k));

    const std::string selected =
        directory + formatted("bench.iso.%0*d_of_%d", digits, members / 2 + 1, members);
    std::vector<double> seconds;
    std::size_t found = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        found = DiscoverSegments(selected).size();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    for (const std::string& path : made) std::remove(path.c_str());
    std::printf("discovery of %d members among %d other files: median %.3f s (min %.3f, max %.3f)%s\n",
                members, others, seconds[2], seconds.front(), seconds.back(),
                found == static_cast<std::size_t>(members) ? "" : "  WRONG SET SIZE");
    return found == static_cast<std::size_t>(members) ? 0 : 1;
}
