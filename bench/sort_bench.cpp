#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "bench/null_reporter.h"
#include "commands/sort.h"

namespace tcc::bench {
namespace {

// Eight extensions that are sorted, in pass order, with their folders, and two that stay.
struct Kind {
    const char* ext;
    const char* folder;  // null: the file stays
};
const Kind kKinds[] = {
    {".unr", "Maps"},   {".utx", "Textures"}, {".uax", "Sounds"},
    {".umx", "Music"},  {".unk", "Unknown Extensions"},
    {".u", "System"},   {".dll", "System"},   {".int", "System"},
    {".uxx", nullptr},  {".txt", nullptr},
};
constexpr long kKindCount = sizeof kKinds / sizeof kKinds[0];
const char* const kFolders[] = {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"};

// Every this many files has an older copy waiting in its sort folder.
constexpr long kTakenEvery = 50;

std::string Name(long i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "File%07ld%s", i, kKinds[i % kKindCount].ext);
    return buf;
}

// A Cache folder with n files and the sort folders, some of whose names are
// already taken by older copies.
std::string MakeCache(long n) {
    std::string root = FreshDir("sort");
    std::string cache = root + "/Cache";
    std::filesystem::create_directory(cache);
    for (const char* folder : kFolders) std::filesystem::create_directory(cache + "/" + folder);
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
            {MakeCache,
             [](const std::string& root) { RunHeadless(root + "/Cache", RunSort); },
             [n](const std::string& root) { return Sorted(root + "/Cache", n); },
             // The baseline knows every name and folder in advance and makes
             // the same moves in the order the sort must: pass by pass (the
             // kinds above are in pass order), by name within a pass. The
             // order alone costs the kernel some 5 to 13% over moving the
             // files in the order they were made.
             [n](const std::string& root) {
                 const std::string cache = root + "/Cache/";
                 for (const char* folder : kFolders) ::mkdir((cache + folder).c_str(), 0777);
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
