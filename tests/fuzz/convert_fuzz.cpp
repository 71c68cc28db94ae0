// Feeds arbitrary bytes as cache.ini to the random caches' check of the
// commands on an in-memory disk (the install with --overwrite for inputs of
// odd length).

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/cache_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tcc;
    // Every file has its own content. A read-only cached file, a folder
    // holding a target name, a sort folder with a read-only file in it.
    model::Tree start = {{"cache.ini", {model::Kind::File, std::string(reinterpret_cast<const char*>(data), size)}},
                         {"Dir.unr", model::kFolder}, {"Maps", model::kFolder}};
    for (const std::string name : {"A.uxx", "a.uxx", "B.uxx", "ab.UXX", "1.uxx", ".uxx", "...uxx", "x y.uxx", "Map.unr",
                                   "readme.unk", "K.uxx", "k.UXX", "RO.uxx", "Maps/in.unr", "Maps/ro.unr"}) {
        start[name] = {model::Kind::File, "content of " + name, name == "RO.uxx" || name == "Maps/ro.unr"};
    }
    MemoryDisk disk;
    Lay(disk, "/h", kOutside);
    Lay(disk, "/h/game/Cache", start);
    const std::string fault = ConvertSortInstallAsTheRulesSay(disk, "/h", start, {}, kOutside, size % 2);
    if (fault.empty()) return 0;
    std::fprintf(stderr, "convert_fuzz: %s\n", fault.c_str());
    std::abort();
}
