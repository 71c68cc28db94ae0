// The strongest checks, over seeded random caches compared with the model:
// every file operation failing in turn, and the commands on the real file
// system and on in-memory disks. A failure names the seed.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "commands/convert.h"
#include "commands/install.h"
#include "commands/refresh.h"
#include "core/file_system.h"
#include "commands/sort.h"
#include "tests/support/cache_check.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

const std::string kGame = "/u/game", kDir = kGame + "/Cache";

// Files with equal keys are same-named: same folder, name equal but for case.
std::string SameName(const std::string& path) {
    return ParentOf(path) + "/" + model::Fold(path.substr(ParentOf(path).size() + 1));
}

struct Command {
    const char* name;
    bool converted;  // cacheConverted before the command
    bool (*click)(CacheFolderState&, Window&);
    std::deque<Answer> answers;  // the user's answers to its questions
};

bool Install(CacheFolderState& s, Window& w) { return RunInstall(s, w, {}); }
bool InstallOverwriting(CacheFolderState& s, Window& w) { return RunInstall(s, w, {"", true}); }

// The folder whose tree a command changes: the install's holds the game's
// folder and the cache folder.
const std::string& Root(const Command& c) {
    static const std::string kAround = ParentOf(kGame);
    return c.click == Install || c.click == InstallOverwriting ? kAround : kDir;
}

// What the rules say the command does to that tree; false for an error.
bool Apply(const Command& c, model::Tree& tree, bool foldCase) {
    model::Notes notes;
    if (Root(c) != kDir) return model::Install(tree, "game/Cache", "game", c.click == InstallOverwriting, {foldCase}, notes);
    if (c.click == RunConvert) return model::Convert(tree, tree.at("cache.ini").content, {foldCase}, notes);
    if (c.click == RunSort) return model::Sort(tree, {foldCase}, notes);
    tree.at("cache.ini").content = "[Cache]\r\n";
    return true;
}

// The command run on a copy of `start` with operation k failing (0: none);
// `seen` gets the files as they stand before each operation.
struct Attempt {
    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
    long ops = 0;
    int error = 0;
    Attempt(const MemoryDisk& start, const Command& c, long k, std::vector<model::Files>* seen = nullptr)
        : disk(start), state(disk) {
        state.cacheConverted = c.converted;
        state.ChooseFolder(kDir);
        window.answers = c.answers;
        disk.SetHook([this, k, seen](const MemoryDisk::Op&) {
            if (seen) seen->push_back(disk.Files());
            return ++ops == k ? std::optional(kPermissionDenied) : std::nullopt;
        });
        error = ErrorOf([&] { c.click(state, window); });
        disk.SetHook(nullptr);
    }
};

// Each command runs once per operation it makes, with that one failing. It
// must stop there with that error, the files as the clean run had them at that
// point but for what it makes for a moment, its state kept and nothing lost;
// run again, it must do what the rules say of the folder as the fault left it.
long FailEachOperation(MemoryDisk start, const Command& c) {
    std::vector<model::Files> seen;
    const Attempt clean(start, c, 0, &seen);
    EXPECT_EQ(clean.error, 0) << c.name;
    const model::Files before = start.Files(), after = clean.disk.Files();
    for (long k = 1; k <= clean.ops; ++k) {
        SCOPED_TRACE(std::string(c.name) + " failing operation " + std::to_string(k));
        Attempt run(start, c, k);
        EXPECT_EQ(std::tuple(run.error, run.disk.openStreams(), run.window.messages.size(), run.state.cacheConverted),
                  std::tuple(kPermissionDenied, 0, c.answers.size(), c.converted));
        model::Files expected;  // no temporary file, no copy
        for (const auto& [path, content] : seen[k - 1]) {
            if (before.count(path) || after.count(path)) expected[path] = content;
        }
        const model::Files got = run.disk.Files();
        EXPECT_EQ(got, expected);
        // Nothing lost: a file is gone only where another has taken its place.
        std::set<std::string> contents, occupied;
        for (const auto& [path, content] : got) contents.insert(content), occupied.insert(SameName(path));
        for (const auto& [path, content] : before) {
            EXPECT_TRUE(contents.count(content) || occupied.count(SameName(path))) << "lost " << path;
        }
        model::Tree rules = Snapshot(run.disk, Root(c));
        const bool ok = Apply(c, rules, start.FoldsCase());
        run.window.answers = c.answers;
        EXPECT_EQ(ErrorOf([&] { c.click(run.state, run.window); }) == 0, ok) << "again after the fault";
        EXPECT_EQ(model::Diff(rules, Snapshot(run.disk, Root(c))), "") << "again after the fault";
        if (::testing::Test::HasFailure()) return k;
    }
    return clean.ops;
}

// The commands in the order a user runs them, each from the clean outcome of
// the one before, on random caches the rules see no error in, on a disk where
// case counts and on one that folds it.
class FaultLoop : public ::testing::TestWithParam<bool> {};

TEST_P(FaultLoop, EveryOperationOfEveryCommandFailsInTurn) {
    const Command convert{"convert", false, RunConvert, {}}, sort{"sort", true, RunSort, {}},
        install{"install", true, Install, {}}, overwrite{"install --overwrite", true, InstallOverwriting, {}};
    long points = 0;
    for (unsigned seed = 1, caches = 0; caches < 20 && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const model::Tree tree = RandomCache(seed, {GetParam()});
        model::Tree rules = tree;
        if (tree.size() < 12 || !Apply(convert, rules, GetParam()) || !Apply(sort, rules, GetParam())) continue;
        ++caches;
        MemoryDisk start(GetParam(), 4095, model::Fold);  // é and É one name where it folds case
        Lay(start, kDir, tree);
        start.AddFile("/u/game/System/keep.u", "sentinel");
        const MemoryDisk converted = Attempt(start, convert, 0).disk, sorted = Attempt(converted, sort, 0).disk;
        points += FailEachOperation(start, convert);
        points += FailEachOperation(start, {"convert", true, RunConvert, {}});  // cacheConverted stays true
        points += FailEachOperation(converted, sort);
        points += FailEachOperation(sorted, {"refresh", true, RunRefresh, {}});
        points += FailEachOperation(sorted, {"refresh", false, RunRefresh, {Answer::Yes}});
        // Into a game folder of random files, from the same device and from another.
        MemoryDisk game = sorted;
        Lay(game, kGame, RandomGame(seed, tree, {GetParam()}));
        MemoryDisk apart = game;
        apart.SetDevice(kDir);
        if (model::Tree rules = Snapshot(game, Root(install)); !Apply(install, rules, GetParam())) continue;
        points += FailEachOperation(game, install) + FailEachOperation(apart, install) + FailEachOperation(apart, overwrite);
    }
    std::printf("fault points checked: %ld\n", points);
    EXPECT_GT(points, 300);
}

INSTANTIATE_TEST_SUITE_P(Disk, FaultLoop, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCase" : "CaseSensitive"; });

// Random caches, each first as a dry run, which must change nothing and
// foresee the real run: on the real disk, and in memory where case counts and
// where it folds, both with read-only folders and a short limit to paths.
class RandomCaches : public ::testing::TestWithParam<int> {};

TEST_P(RandomCaches, ConvertSortAndInstallPutEveryFileWhereTheRulesSayAndReportIt) {
    const bool onDisk = GetParam() == 0, foldCase = onDisk ? model::kFoldingDisk : GetParam() == 2;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempDir temp;
        PlatformDisk realDisk;
        const std::string root = onDisk ? temp.path() : "/t";
        const std::size_t room = onDisk ? 1000 : 40;
        MemoryDisk memory(foldCase, root.size() + std::string("/game/Cache/").size() + room, model::Fold);
        // In memory, every other cache folder lies on a device of its own.
        const model::Volume volume{foldCase, onDisk && model::kFoldingDisk, !onDisk, room, !onDisk && seed % 2};
        if (volume.cacheApart) memory.SetDevice(root + "/game/Cache");
        model::Tree start = RandomCache(seed, volume);
        // On Windows' own disk the index is in the ANSI code page, as the game writes it.
        start.at("cache.ini").content = AnsiOfText(start.at("cache.ini").content, onDisk);
        model::Tree around = kOutside;
        for (const auto& [path, entry] : RandomGame(seed, start, volume)) around["game/" + path] = entry;
        model::Tree all = around;
        for (const auto& [path, entry] : start) all["game/Cache/" + path] = entry;
        if (!onDisk) Lay(memory, root, all);
        for (const auto& [path, entry] : onDisk ? all : model::Tree{}) {
            if (entry.kind == model::Kind::Folder) std::filesystem::create_directories(NativePath(root + "/" + path));
            else TempDir::Write(root + "/" + path, entry.content);
            if (entry.readOnly) TempDir::SetReadOnly(root + "/" + path);
        }
        ASSERT_EQ(ConvertSortInstallAsTheRulesSay(onDisk ? static_cast<Disk&>(realDisk) : memory, root, start, volume, around,
                                                  seed % 4 < 2), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Disk, RandomCaches, ::testing::Values(0, 1, 2), [](const auto& info) {
    return std::string(info.param == 0 ? "OnDisk" : info.param == 1 ? "CaseSensitiveInMemory" : "FoldingCaseInMemory");
});

}  // namespace
}  // namespace tcc
