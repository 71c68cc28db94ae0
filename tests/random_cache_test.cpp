// Random caches, Convert then Sort, compared with the model: on the real file
// system, where letter case counts, and on an in-memory disk that folds case;
// each first as a dry run, which must change nothing and foresee the real
// run. Each cache comes from its seed, so a failure names the seed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/cache_conversion.h"
#include "core/disk.h"
#include "core/dry_run_disk.h"
#include "core/file_system.h"
#include "sort/sort_folders.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/cache_model.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

namespace fs = std::filesystem;

const model::Entry kFolder{model::Kind::Folder, "", false};

// The tree below root as a disk shows it, read through its interface.
model::Tree Snapshot(Disk& disk, const std::string& root, const std::string& below = "") {
    model::Tree tree;
    std::string folder = below.empty() ? root : root + "/" + below;
    // One path, one spelling: the separator the root is written with.
    std::replace(folder.begin(), folder.end(), '/', root.find('\\') != std::string::npos ? '\\' : '/');
    for (const DirEntry& e : disk.ReadDir(folder)) {
        const std::string path = below.empty() ? e.name : below + "/" + e.name;
        if (e.type == EntryType::Folder) {
            tree[path] = kFolder;
            tree.merge(Snapshot(disk, root, path));
            continue;
        }
        std::string content(1 << 12, '\0');
        content.resize(disk.OpenRead(JoinPath(folder, e.name))->Read(content.data(), content.size()));
        tree[path] = {model::Kind::File, content};
    }
    return tree;
}

// Every action noted, and the error numbers of Convert and Sort (0: none).
struct CommandRun : RecordingWindow {
    int convert = 0, sort = 0;
    bool converted = false;
};

void ConvertThenSort(Disk& disk, const std::string& folder, CommandRun& run) {
    CacheFolderState state(disk);
    state.ChooseFolder(folder);
    run.convert = ErrorOf([&] { cmdGetCache_Click(state, run); });
    run.converted = state.cacheConverted;
    if (!run.convert) run.sort = ErrorOf([&] { cmdSort_Click(state, run); });
}

// A cache: its index (odd headers, line ends, names with and without dots,
// duplicates, case variants, "/", "\", "..", empty names, a second "="),
// cached files present or missing, taken targets, other files, and sometimes
// a sort folder in some letter case holding files of the names the sort brings.
// Where the disk folds case, no two names in a folder differ only in case.
model::Tree MakeCache(unsigned seed, bool foldCase) {
    foldCase = foldCase || model::kFoldingDisk;
    std::mt19937 rng(seed);
    auto pick = [&](auto const& options) { return std::string(options[rng() % std::size(options)]); };
    const char* const keys[] = {"k1", "K1", "k2", "kA", "KA", "k.dot", "", "..", ".", "a/b", "a\\b", "../k1", "k\xe9"};
    const char* const names[] = {"a", "A", "b", "Map", "map", "MAP", "tex", "x y", "n\xe9", "e"};
    const char* const exts[] = {".unr", ".UNR", ".utx", ".uax", ".umx", ".u", ".U", ".dll", ".int", ".unk", ".txt",
                                ".uxx", ".un", ""};
    const char* const odd[] = {"", ".", "..", "a/b.unr", "a\\b.unr", "../System/keep.u", ".hidden.unr", "x.", ".unr",
                               "cache.ini", "Cache.INI", "k1.uxx", "Maps"};
    const char* const ends[] = {"\r\n", "\r\n", "\n", "\r"};
    const char* const folders[] = {"Maps", "maps", "System", "SYSTEM", "Unknown Extensions", "music"};
    model::Tree tree;
    int serial = 0;
    auto taken = [&](const std::string& path) {
        if (!foldCase) return tree.count(path) != 0;
        return std::any_of(tree.begin(), tree.end(), [&](const auto& e) { return model::Fold(e.first) == model::Fold(path); });
    };
    auto add = [&](const std::string& path, bool readOnly = false) {
        const std::size_t slash = path.find('/');
        const std::string base = path.substr(slash + 1);  // the whole path when it has no "/"
        if (base.empty() || base == "." || base == ".." || base.find_first_of(model::kFoldingDisk ? "/\\" : "/") != std::string::npos ||
            taken(path) || (model::kFoldingDisk && (base.back() == '.' || base.back() == ' ')) ||
            (slash != std::string::npos && !tree.count(path.substr(0, slash)))) {
            return;
        }
        tree[path] = {model::Kind::File, "#" + std::to_string(++serial) + " " + path, readOnly};
    };
    const char* const headers[] = {"[Cache]", "k1=Header.unr", ""};  // a header like a record is still a header
    std::string index = pick(headers);
    std::vector<std::pair<std::string, std::string>> records;
    for (int i = rng() % 25; i > 0; --i) {
        const std::string key = pick(keys), real = rng() % 5 ? pick(names) + pick(exts) : pick(odd);
        records.push_back({key, real});
        index += pick(ends) + key + (rng() % 10 == 0 ? "" : "=" + real) + (rng() % 10 == 0 ? "=" + pick(names) : "");
    }
    tree["cache.ini"] = {model::Kind::File, index + (rng() % 2 ? pick(ends) : ""), false};
    for (const auto& [key, real] : records) {
        std::string upper = key;
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (rng() % 5) add((rng() % 6 ? key : upper) + (rng() % 6 ? ".uxx" : ".UXX"));
        if (rng() % 6 == 0) add(real.find('.') == std::string::npos ? real + ".unk" : real);
    }
    for (int i = rng() % 6; i > 0; --i) add(pick(names) + pick(exts));
    if (rng() % 3 == 0) {
        const std::string folder = pick(folders);
        if (foldCase && taken(folder)) return tree;
        tree[folder] = kFolder;
        for (int i = 1 + rng() % 6; i > 0; --i) add(folder + "/" + pick(names) + pick(exts), rng() % 8 == 0);
    }
    return tree;
}

class RandomCaches : public ::testing::TestWithParam<bool> {};

TEST_P(RandomCaches, ConvertThenSortPutsEveryFileWhereTheRulesSay) {
    constexpr unsigned kCaches = 300;
    const bool foldCase = GetParam();
    int errors = 0;
    for (unsigned seed = 1; seed <= kCaches; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const model::Tree start = MakeCache(seed, foldCase || model::kFoldingDisk);
        TempDir temp;
        const std::string root = foldCase ? "/t" : temp.path();
        const std::string cache = root + "/game/Cache";
        PlatformDisk realDisk;
        MemoryDisk memory(true);
        auto write = [&](const std::string& path, const model::Entry& entry) {
            const bool folder = entry.kind == model::Kind::Folder;
            if (foldCase && folder) memory.AddFolder(path);
            if (foldCase && !folder) memory.AddFile(path, entry.content, entry.readOnly);
            if (!foldCase && folder) fs::create_directories(path);
            if (!foldCase && !folder) TempDir::Write(path, entry.content);
            if (!foldCase && entry.readOnly) TempDir::SetReadOnly(path);
        };
        // Sentinels outside the folder, named as files the index may reach.
        const model::Tree outside = {{"game", kFolder},
                                     {"game/Cache", kFolder},
                                     {"game/System", kFolder},
                                     {"game/System/keep.u", {model::Kind::File, "sentinel keep.u", false}},
                                     {"k1.uxx", {model::Kind::File, "sentinel k1.uxx", false}}};
        for (const auto& [path, entry] : outside) write(root + "/" + path, entry);
        for (const auto& [path, entry] : start) write(cache + "/" + path, entry);

        model::Tree rules = start;
        const bool windowsDisk = model::kFoldingDisk && !foldCase;
        const bool convertOk = model::Convert(rules, start.at("cache.ini").content, windowsDisk),
                   sortOk = convertOk && model::Sort(rules, windowsDisk);
        Disk& disk = foldCase ? static_cast<Disk&>(memory) : realDisk;
        // A dry run first: it changes nothing and foresees every action and
        // error of the real run.
        DryRunDisk dryRunDisk(disk);
        const model::Tree before = Snapshot(disk, root);
        CommandRun dry, real;
        ConvertThenSort(dryRunDisk, cache, dry);
        const model::Tree foreseen = Snapshot(dryRunDisk, root);
        ASSERT_EQ(model::Diff(before, Snapshot(disk, root)), "");
        ConvertThenSort(disk, cache, real);
        EXPECT_EQ(std::tuple(real.convert != 0, real.converted, real.sort != 0), std::tuple(!convertOk, convertOk, convertOk && !sortOk));
        EXPECT_TRUE(dry.notes == real.notes);
        EXPECT_EQ(std::pair(dry.convert, dry.sort), std::pair(real.convert, real.sort));
        errors += !sortOk;

        // The whole tree: the cache as the rules say, the sentinels as they were.
        model::Tree expected = outside;
        for (const auto& [path, entry] : rules) expected["game/Cache/" + path] = entry;
        const model::Tree got = Snapshot(disk, root);
        ASSERT_EQ(model::Diff(expected, got), "");
        ASSERT_EQ(model::Diff(got, foreseen), "");
    }
    std::printf("random caches checked: %u, %d ended in an error the rules foresee\n", kCaches, errors);
}

INSTANTIATE_TEST_SUITE_P(Disk, RandomCaches, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCaseInMemory" : "CaseSensitiveOnDisk"; });

}  // namespace
}  // namespace tcc
