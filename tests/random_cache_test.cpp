// Random caches on the real file system: Convert then Sort, compared with a
// plain model of where each file must end up. Each cache comes from a fixed
// seed, so a failure names the seed that reproduces it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "core/cache_conversion.h"
#include "core/disk.h"
#include "core/file_error.h"
#include "sort/sort_folders.h"
#include "tests/support/cache_model.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

namespace fs = std::filesystem;

constexpr int kCaches = 300;

// Everything under `root` as path below it -> entry; folders have no content.
model::Tree Snapshot(const std::string& root) {
    model::Tree tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string rel = e.path().string().substr(root.size() + 1);
        if (e.is_directory()) {
            tree[rel] = {model::Kind::Folder, "", false};
        } else {
            tree[rel] = {model::Kind::File, TempDir::Read(e.path().string()), false};
        }
    }
    return tree;
}

std::multiset<std::size_t> Hashes(const model::Tree& tree) {
    std::multiset<std::size_t> hashes;
    for (const auto& [path, entry] : tree) {
        if (entry.kind == model::Kind::File) hashes.insert(std::hash<std::string>{}(entry.content));
    }
    return hashes;
}

std::string Base(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

class RandomCache {
public:
    explicit RandomCache(unsigned seed) : rng_(seed) {}

    // Fills `tree` with a cache: its index, cached files, taken targets,
    // other files and sometimes sort folders with files in them.
    void Make(model::Tree& tree) {
        std::string index;
        const int header = Pick(4);
        if (header == 0) index = "[Cache]";
        if (header == 1) index = "k1=Header.unr";  // a header that looks like a record is still a header
        if (header == 2) index = "";
        const bool noHeader = header == 3;  // an empty index
        std::vector<std::pair<std::string, std::string>> records;
        const int n = noHeader ? 0 : Pick(25);
        for (int i = 0; i < n; ++i) {
            const std::string key = Key(), real = RealName();
            records.push_back({key, real});
            index += Terminator();
            switch (Pick(10)) {
                case 0: index += key; break;                         // no "=": passed over
                case 1: index += key + "=" + real + "=" + Name(); break;  // a second "="
                default: index += key + "=" + real;
            }
        }
        if (!noHeader && Pick(2)) index += Terminator();
        Add(tree, "cache.ini", index);

        for (const auto& [key, real] : records) {
            // Most records find their cached file, sometimes under other case.
            if (Pick(5) != 0) Add(tree, (Pick(6) ? key : Upper(key)) + (Pick(6) ? ".uxx" : ".UXX"), "cached");
            // Some find their target taken.
            if (Pick(6) == 0) Add(tree, real.find('.') == std::string::npos ? real + ".unk" : real, "taken");
        }
        for (int i = Pick(6); i > 0; --i) Add(tree, Name() + Extension(), "other");
        if (Pick(3) == 0) {
            // A sort folder, in its own or other letter case, with the
            // extension of the files it takes.
            const char* const folders[][2] = {{"Maps", ".unr"},  {"maps", ".UNR"}, {"System", ".u"},
                                              {"SYSTEM", ".int"}, {"Unknown Extensions", ".unk"},
                                              {"music", ".umx"}};
            const auto& [folder, ext] = folders[Pick(6)];
            tree[folder] = {model::Kind::Folder, "", false};
            for (int i = 1 + Pick(6); i > 0; --i) {
                // Often the name of a file the sort brings: replaced by design.
                Add(tree, std::string(folder) + "/" + Name() + (Pick(2) ? ext : Extension()), "in folder",
                    Pick(8) == 0);
            }
        }
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <std::size_t N>
    std::string From(const char* const (&options)[N]) { return options[Pick(N)]; }

    std::string Key() {
        static const char* const keys[] = {"k1", "K1", "k2", "k3", "kA", "KA", "k.dot", "", "..", ".",
                                           "a/b", "a\\b", "../k1", "k\xe9"};
        return From(keys);
    }
    std::string Name() {
        static const char* const names[] = {"a", "A", "b", "Map", "map", "MAP", "tex", "x y", "n\xe9", "e"};
        return From(names);
    }
    std::string Extension() {
        static const char* const exts[] = {".unr", ".UNR", ".utx", ".uax", ".umx", ".u", ".U", ".dll", ".int",
                                           ".unk", ".txt", ".uxx", ".un", ".ux", ""};
        return From(exts);
    }
    std::string RealName() {
        static const char* const odd[] = {"", ".", "..", "a/b.unr", "a\\b.unr", "../System/keep.u", ".hidden.unr",
                                          "x.", ".unr", "cache.ini", "Cache.INI", "k1.uxx", "Maps"};
        if (Pick(5) == 0) return From(odd);
        return Name() + Extension();
    }
    std::string Terminator() {
        static const char* const ends[] = {"\r\n", "\r\n", "\n", "\r"};
        return From(ends);
    }
    static std::string Upper(std::string s) {
        for (char& c : s) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return s;
    }
    // Adds a file with a unique content, unless the name is taken or cannot
    // be a file name on this system.
    void Add(model::Tree& tree, const std::string& path, const std::string& what, bool readOnly = false) {
        const std::string base = Base(path);
        if (base.empty() || base == "." || base == ".." || base.find('\0') != std::string::npos) return;
        if (path.find('/') != path.rfind('/')) return;  // one level of folders at most
        if (path.find('/') != std::string::npos && !tree.count(path.substr(0, path.find('/')))) return;
        if (tree.count(path)) return;
        tree[path] = {model::Kind::File, what + " #" + std::to_string(++serial_) + " " + path, readOnly};
    }

    std::mt19937 rng_;
    int serial_ = 0;
};

// Lays the tree out on disk under root.
void Write(const std::string& root, const model::Tree& tree) {
    fs::create_directories(root);
    for (const auto& [path, entry] : tree) {
        const std::string full = root + "/" + path;
        if (entry.kind == model::Kind::Folder) {
            fs::create_directories(full);
        } else {
            TempDir::Write(full, entry.content);
            if (entry.readOnly) ::chmod(full.c_str(), 0444);
        }
    }
}

// Runs one command; true when it ended without an error.
bool Runs(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const FileError&) {
        return false;
    }
}

TEST(RandomCaches, ConvertThenSortPutsEveryFileWhereTheRulesSay) {
    int failedCommands = 0;
    long files = 0, moved = 0, replaced = 0;
    for (unsigned seed = 1; seed <= kCaches; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        model::Tree start;
        RandomCache(seed).Make(start);

        TempDir temp;
        const std::string cache = temp / "game/Cache";
        Write(cache, start);
        TempDir::Write(temp / "game/System/keep.u", "sentinel keep.u");
        TempDir::Write(temp / "k1.uxx", "sentinel k1.uxx");
        const model::Tree outsideBefore = Snapshot(temp.path());

        model::Tree expected = start;
        const bool convertOk = model::Convert(expected, start.at("cache.ini").content);
        const bool sortOk = convertOk && model::Sort(expected);

        RealDisk disk;
        CacheFolderState state(disk);
        RecordingWindow window;
        state.ChooseFolder(cache);
        const bool converted = Runs([&] { cmdGetCache_Click(state, window); });
        EXPECT_EQ(converted, convertOk);
        EXPECT_EQ(state.cacheConverted, converted);
        bool sorted = false;
        if (converted) sorted = Runs([&] { cmdSort_Click(state, window); });
        EXPECT_EQ(sorted, sortOk);
        failedCommands += !converted || !sorted;

        // Everything is where the rules put it, with its content.
        const model::Tree after = Snapshot(cache);
        for (const auto& [path, entry] : expected) {
            auto it = after.find(path);
            if (it == after.end()) {
                ADD_FAILURE() << "missing " << path;
            } else {
                EXPECT_EQ(it->second.kind, entry.kind) << path;
                EXPECT_EQ(it->second.content, entry.content) << path;
            }
        }
        for (const auto& [path, entry] : after) {
            EXPECT_TRUE(expected.count(path)) << "unexpected " << path;
        }

        // Only the sort's same-named replacements are gone: each lost file
        // shares its name, but for letter case, with a file in a sort folder.
        std::multiset<std::size_t> lost = Hashes(start);
        for (std::size_t h : Hashes(after)) {
            auto it = lost.find(h);
            if (it == lost.end()) {
                ADD_FAILURE() << "a content appeared";
            } else {
                lost.erase(it);
            }
        }
        replaced += static_cast<long>(lost.size());
        for (const auto& [path, entry] : start) {
            if (entry.kind != model::Kind::File) continue;
            ++files;
            moved += !(after.count(path) && after.at(path).content == entry.content);
            if (!lost.count(std::hash<std::string>{}(entry.content))) continue;
            bool replacedBySameName = false;
            for (const auto& [p, e] : after) {
                replacedBySameName |= p.find('/') != std::string::npos && e.content != entry.content &&
                                      model::Fold(Base(p)) == model::Fold(Base(path));
            }
            EXPECT_TRUE(replacedBySameName) << "lost " << path;
        }

        // Nothing outside the cache folder changed.
        model::Tree outsideAfter = Snapshot(temp.path());
        std::erase_if(outsideAfter, [](const auto& e) { return e.first.starts_with("game/Cache/"); });
        model::Tree outsideExpected = outsideBefore;
        std::erase_if(outsideExpected, [](const auto& e) { return e.first.starts_with("game/Cache/"); });
        EXPECT_EQ(outsideAfter.size(), outsideExpected.size());
        for (const auto& [path, entry] : outsideExpected) {
            EXPECT_TRUE(outsideAfter.count(path) && outsideAfter.at(path).content == entry.content) << path;
        }
        if (HasFailure()) return;
    }
    std::printf("random caches checked: %d with %ld files, %ld of them renamed or moved and %ld replaced; "
                "%d ended in an error the rules foresee\n",
                kCaches, files, moved, replaced, failedCommands);
}

}  // namespace
}  // namespace tcc
