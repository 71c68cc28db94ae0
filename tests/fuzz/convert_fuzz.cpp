// Feeds arbitrary bytes as cache.ini to Convert Cache over an in-memory disk,
// then sorts and installs when the conversion ended normally, through the
// same check as the random caches: errors exactly where the model sees them,
// every file where it puts them, nothing outside the folder touched but the
// game's folders by the install.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/cache_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tcc;
    const model::Entry folder{model::Kind::Folder, "", false};
    // Every file has its own content. A read-only cached file, a folder
    // holding a target name, a sort folder with a read-only file in it, and
    // outside the folder also paths that start as the folder's does.
    model::Tree start = {{"cache.ini", {model::Kind::File, std::string(reinterpret_cast<const char*>(data), size)}},
                         {"Dir.unr", folder}, {"Maps", folder}};
    for (const std::string name : {"A.uxx", "a.uxx", "B.uxx", "ab.UXX", "1.uxx", ".uxx", "...uxx", "x y.uxx", "Map.unr",
                                   "readme.unk", "K.uxx", "k.UXX", "RO.uxx", "Maps/in.unr", "Maps/ro.unr"}) {
        start[name] = {model::Kind::File, "content of " + name, name == "RO.uxx" || name == "Maps/ro.unr"};
    }
    const model::Tree outside = {{"game", folder}, {"game/Cache", folder}, {"game/System", folder},
                                 {"game/System/keep.u", {model::Kind::File, "keep.u"}}, {"x.uxx", {model::Kind::File, "x.uxx"}},
                                 {"game/x.uxx", {model::Kind::File, "game x.uxx"}}, {"game/Cache2", folder},
                                 {"game/Cache2/A.uxx", {model::Kind::File, "Cache2"}}};
    MemoryDisk disk;
    Lay(disk, "/h", outside);
    Lay(disk, "/h/game/Cache", start);
    const std::string fault = ConvertSortInstallAsTheRulesSay(disk, "/h", start, outside, false, size % 2);
    if (fault.empty()) return 0;
    std::fprintf(stderr, "convert_fuzz: %s\n", fault.c_str());
    std::abort();
}
