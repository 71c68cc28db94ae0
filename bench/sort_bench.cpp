#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "bench/null_reporter.h"
#include "commands/sort.h"
#include "commands/sort_folders.h"

namespace tcc::bench {
namespace {

// The sorted extensions, in pass order, with their folders, and two that
// stay (no folder).
constexpr auto kKinds = [] {
    std::array<SortPass, kSortPasses.size() + 2> kinds{};
    std::copy(kSortPasses.begin(), kSortPasses.end(), kinds.begin());
    kinds[kSortPasses.size()] = {".uxx", nullptr};
    kinds[kSortPasses.size() + 1] = {".txt", nullptr};
    return kinds;
}();
constexpr long kKindCount = kKinds.size();

// Every this many files has an older copy waiting in its sort folder.
constexpr long kTakenEvery = 50;

std::string Name(long i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "File%07ld%s", i, kKinds[i % kKindCount].extension);
    return buf;
}

// A Cache folder with n files and the sort folders, some of whose names are
// already taken by older copies.
std::string MakeCache(long n) {
    std::string root = FreshDir("sort");
    std::string cache = root + "/Cache";
    std::filesystem::create_directory(cache);
    for (const SortFolder& folder : kSortFolders) std::filesystem::create_directory(cache + "/" + folder.name);
    MakeEmptyFile(cache + "/cache.ini");
    for (long i = 0; i < n; ++i) {
        MakeEmptyFile(cache + "/" + Name(i));
        const char* folder = kKinds[i % kKindCount].folder;
        if (folder && i % kTakenEvery == 0) MakeEmptyFile(cache + "/" + folder + "/" + Name(i));
    }
    return root;
}

// Every sorted file is in its folder and gone from the cache folder.
bool Sorted(const std::string& cache, long n) {
    for (long i = 0; i < n; ++i) {
        const char* folder = kKinds[i % kKindCount].folder;
        bool here = std::filesystem::exists(cache + "/" + Name(i));
        if (folder ? here || !std::filesystem::exists(cache + "/" + folder + "/" + Name(i)) : !here) return false;
    }
    return true;
}

}  // namespace

void RunSortBench(long n) {
    Compare("sort", n,
            {MakeCache, [](const std::string& root) { RunHeadless(root + "/Cache", RunSort); },
             [n](const std::string& root) { return Sorted(root + "/Cache", n); },
             // The baseline knows every name and folder in advance and makes
             // the same moves in the order the sort must: pass by pass (the
             // kinds above are in pass order), by name within a pass. The
             // order alone costs the kernel some 5 to 13% over moving the
             // files in the order they were made.
             [n](const std::string& root) {
                 const std::string cache = root + "/Cache/";
                 for (const SortFolder& folder : kSortFolders) ::mkdir((cache + folder.name).c_str(), 0777);
                 for (long kind = 0; kind < kKindCount; ++kind) {
                     const char* folder = kKinds[kind].folder;
                     for (long i = kind; folder && i < n; i += kKindCount) {
                         const std::string name = Name(i);
                         if (std::rename((cache + name).c_str(), (cache + folder + "/" + name).c_str()) != 0) {
                             std::abort();
                         }
                     }
                 }
             }});
}

}  // namespace tcc::bench
