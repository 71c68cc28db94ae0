#pragma once

#include <array>
#include <cstddef>

namespace tcc {

// A folder the sort makes in a cache folder.
struct SortFolder {
    const char* name;
    // The extensions of the files it takes, each one pass of the sort, in
    // order; null after the last.
    std::array<const char*, 3> extensions;
    // Its place among the passes: the folders' passes run in this order.
    std::size_t passRank;
    // Install moves its files into the game's folder of the same name.
    bool inGame;
};

// The sort folders in the order they are made, tested and installed.
// clang-format off
inline constexpr SortFolder kSortFolders[] = {
    {"Maps", {".unr"}, 0, true},
    {"System", {".u", ".dll", ".int"}, 5, true},
    {"Textures", {".utx"}, 1, true},
    {"Sounds", {".uax"}, 2, true},
    {"Music", {".umx"}, 3, true},
    {"Unknown Extensions", {".unk"}, 4, false},
};
// clang-format on

// One pass of the sort: the files whose names end in `extension`, whatever
// the letter case, go into `folder`.
struct SortPass {
    const char* extension;
    const char* folder;
};

constexpr std::size_t CountSortPasses() {
    std::size_t n = 0;
    for (const SortFolder& folder : kSortFolders) {
        for (const char* extension : folder.extensions) n += extension != nullptr;
    }
    return n;
}

// The passes in the order they run. No name matches two of them, so the
// order only decides the order of the moves.
inline constexpr std::array<SortPass, CountSortPasses()> kSortPasses = [] {
    std::array<SortPass, CountSortPasses()> passes{};
    std::size_t n = 0;
    for (std::size_t rank = 0; rank < std::size(kSortFolders); ++rank) {
        for (const SortFolder& folder : kSortFolders) {
            if (folder.passRank != rank) continue;
            for (const char* extension : folder.extensions) {
                if (extension) passes[n++] = {extension, folder.name};
            }
        }
    }
    return passes;
}();
// Every pass is filled: each folder has its own rank, from 0 up.
static_assert([] {
    for (const SortPass& pass : kSortPasses) {
        if (!pass.extension) return false;
    }
    return true;
}());

}  // namespace tcc
