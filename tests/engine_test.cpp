// The engine's tests: the disks, the file-system service and the UTF-16 names; the commands on an
// in-memory cache folder; then seeded random caches (a failure names the seed) compared with the
// model, every file operation failing in turn and a crash before every change, and on the real
// file system and on in-memory disks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "commands/cache_state.h"
#include "commands/convert.h"
#include "commands/install.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "core/file_system.h"
#include "core/utf16.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"

// The fuzz target (fuzz/convert_fuzz.cpp), which aborts on a fault it finds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace tcc {
namespace {

TEST(FileSystem, ListingsLiveForOneCommandAndAreReadAfreshOutsideOne) {
    MemoryDisk disk;
    for (int i = 0; i < 50; ++i) disk.AddFile("/c/Cache/f" + std::to_string(i) + ".uxx");
    FileSystem fs(disk);
    {
        FileSystem::Command command(fs);
        for (int i = 0; i < 200; ++i) EXPECT_FALSE(fs.FileExists("/c/Cache/missing" + std::to_string(i)));
        Listing& here = fs.ListingOf(fs.GetFolder("/c/Cache"));
        EXPECT_TRUE(fs.Move(here, "f1.uxx", here, "Moved.unr"));
        EXPECT_TRUE(fs.FileExists("/c/Cache/MOVED.unr") && !fs.FileExists("/c/Cache/F1.uxx"));
        EXPECT_EQ(disk.count("readdir"), 1);
    }
    for (const char* name : {"/c/Cache/Outside.unr", "/c/Cache/.hidden.unr"}) disk.AddFile(name);
    EXPECT_TRUE(fs.FileExists("/c/Cache/outside.UNR"));
    EXPECT_EQ(fs.ListFiles("/c/Cache", "*.UNR"), (std::vector<std::string>{"Moved.unr", "Outside.unr"}));
    EXPECT_EQ(disk.count("readdir"), 3);
}

// The exact name, else the first in byte order equal by the disk's rule for case (é and É one name
// here), as the table grows and names come and go; walked in byte order.
TEST(Listing, FindsTheExactNameElseOneInOtherCaseAndFollowsChanges) {
    MemoryDisk disk(false, 4095, model::Fold);
    Listing listing("/c", disk, {{"Map.unr", EntryType::File}, {"n\xC3\xA9"}, {"MAP.unr", EntryType::Folder}});
    for (int i = 0; i < 100; ++i) listing.Add({"f" + std::to_string(i)});
    const auto found = [&](std::string_view name) { const DirEntry* e = listing.Find(name); return e ? e->name : "-"; };
    EXPECT_EQ(std::tuple(found("Map.unr"), found("MAP.unr"), found("map.UNR"), found("N\xC3\x89"), found("F99"), found("f100")),
              std::tuple("Map.unr", "MAP.unr", "MAP.unr", "n\xC3\xA9", "f99", "-"));
    EXPECT_EQ(listing.Take("MAP.unr")->type, EntryType::Folder);
    listing.Add({"map.unr"});
    std::vector<std::string> names;
    listing.InOrder([&](const DirEntry& e) { names.push_back(e.name); });
    EXPECT_EQ(std::tuple(listing.Take("MAP.unr"), found("MAP.UNR"), found("map.unr"), names.size(), std::is_sorted(names.begin(), names.end())),
              std::tuple(nullptr, "Map.unr", "map.unr", 103u, true));
}

// UTF-8 and UTF-16 into each other without loss (a pair is one code point of
// four bytes, a lone half three bytes of its own); bytes that are not such
// UTF-8 are refused, and shown as U+FFFD.
TEST(Utf16, ConvertsWithoutLossAndRefusesWhatIsNotUtf8) {
    std::wstring units;
    EXPECT_TRUE(ToUtf16("\xF0\x9F\x98\x80\xED\xA0\xBD!", &units) && units == std::wstring({0xD83D, 0xDE00, 0xD83D, L'!'}));
    for (const std::string text : {"Map.unr", "n\xC3\xA9", "\xE9\x99\xB0", "\xF0\x9F\x98\x80", "\xED\xA0\xBD!", "a\xED\xB8\x80"})
        EXPECT_TRUE(ToUtf16(text, &units) && ToUtf8(units) == text && ToUtf16(text) == units) << text;
    for (const std::string bad : {"n\xE9", "\xC0\x80", "\xE0\x80\x80", "\xE9\x99", "\xED\xA0\xBD\xED\xB8\x80", "\xF4\x90\x80\x80"})
        EXPECT_TRUE(!ToUtf16(bad, &units) && units.find(0xFFFD) != units.npos && ToUtf16(bad) == units) << bad;
}

class NoReplace : public ::testing::TestWithParam<int> {};

TEST_P(NoReplace, RenameNeverReplacesATakenName) {
    TempDir dir;
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "Map.unr", "old");
    PlatformDisk disk;
#ifndef _WIN32
    disk.PretendUnsupported(GetParam() > 0, GetParam() > 1);
#endif
    // At the disk level, as when the target appears after the caller looked.
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "a.uxx", dir / "Map.unr"); }), "58 File already exists: " + dir / "Map.unr");
    EXPECT_TRUE(TempDir::Read(dir / "a.uxx") == "new" && TempDir::Read(dir / "Map.unr") == "old");
    disk.RenameNoReplace(dir / "a.uxx", dir / "Free.unr");
    EXPECT_TRUE(TempDir::Read(dir / "Free.unr") == "new" && !std::filesystem::exists(NativePath(dir / "a.uxx")));
    // A missing file is named, and so is a target in a missing folder.
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "gone", dir / "x"); }), "53 File not found: " + dir / "gone");
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "Free.unr", dir / "no/x"); }), "76 Path not found: " + dir / "no/x");
#ifndef _WIN32
    // To another file system (a tmpfs) the rename is refused as one between devices.
    EXPECT_EQ(ErrorText([&] { disk.RenameNoReplace(dir / "Free.unr", "/dev/shm/tcc-" + LastComponent(dir.path())); }),
              "74 Can't rename with different drive: " + dir / "Free.unr");
#endif
}

// Linux: renameat2; where the file system lacks it, a hard link, else look then rename. Windows: MoveFileExW.
const char* const kRenames[] = {model::kFoldingDisk ? "MoveFileExW" : "Renameat2", "LinkFallback", "LookThenRename"};
INSTANTIATE_TEST_SUITE_P(Disk, NoReplace, ::testing::Range(0, model::kFoldingDisk ? 1 : 3),
                         [](const auto& info) { return std::string(kRenames[info.param]); });

// A cache folder on an in-memory disk, the state and a recording window.
class CacheFixture : public ::testing::Test {
protected:
    static inline const std::string kDir = "/home/p/game/Cache";

    explicit CacheFixture(bool foldCase = false) : disk(foldCase), state(disk) { disk.AddFolder(kDir); }

    void File(const std::string& name) { disk.AddFile(kDir + "/" + name, name); }  // a file holding its name
    std::string At(const std::string& name) const { return disk.Content(kDir + "/" + name); }
    bool Has(const std::string& name) const { return disk.HasFile(kDir + "/" + name); }
    // A command in the folder, chosen first as the window chooses it.
    void Run(CommandFunction command, const std::string& folder = kDir) {
        state.ChooseFolder(folder);
        command(state, window);
    }

    MemoryDisk disk;
    CacheFolderState state;
    RecordingReporter window;
};

using Conversion = CacheFixture;

TEST_F(Conversion, ChecksTheFolderAndTheIndexFirst) {
    RunConvert(state, window);
    disk.AddFile("/g/CACHE/cache.ini", "[Cache]\r\nA=b.unr\r\n");
    Run(RunConvert, "/g/CACHE");
    Run(RunConvert);
    EXPECT_EQ(window.messages, (std::vector<RecordingReporter::Message>{
                                   {"Locate the game's Cache directory.", "", Buttons::Ok, Icon::None},
                                   {"This is not a 'Cache' Folder", "'Cache' folder not found", Buttons::Ok, Icon::None},
                                   {"'Cache.ini' is missing, Conversion cannot proceed.", "'Cache.ini' file not found.", Buttons::Ok, Icon::None}}));
    EXPECT_FALSE(state.cacheConverted || window.Shown(Label::Warning));
    File("A.uxx");
    disk.AddFile(kDir + "/Cache.INI", "[Cache]\r\nA=Found.unr\r\n");  // the index in other letter case
    Run(RunConvert);
    EXPECT_TRUE(Has("Found.unr") && state.cacheConverted && window.Count("files") == 1);  // the list per rename
    // An index without records renames nothing but counts, with the notice.
    for (const std::string content : {"", "[Cache]\r\n"}) {
        disk.AddFile(kDir + "/cache.ini", content);
        state.cacheConverted = false;
        window.events.clear();
        Run(RunConvert);
        EXPECT_TRUE(state.cacheConverted && disk.count("rename") == 1 && disk.count("create") == 0);
        EXPECT_EQ(window.events, (std::vector<std::string>{"label:0", "label:1", "label:2"}));
    }
}

using Reset = CacheFixture;

// Asked first until a conversion has finished; once converted, an index is
// reset in any folder, whatever its name, and a missing one is made only in a
// cache folder; the file list is left alone. A read-only folder or index is
// refused, naming it; a temporary name left by a run cut short is passed over;
// a failure names the index, and the old index stays.
TEST_F(Reset, AsksUntilConvertedRefusesWhatMayNotBeWrittenAndKeepsTheOldIndexOnAFailure) {
    const std::string old = "[Cache]\r\nA=Map.unr\r\nB=Tex.utx\r\n", fresh = "[Cache]\r\n";
    disk.AddFile("/g/Cache/cache.ini", old);
    window.answers = {Answer::No, Answer::Yes};
    Run(RunRefresh, "/g/Cache");
    EXPECT_EQ(window.messages.at(0), (RecordingReporter::Message{"You haven't converted the cache directory yet, are you sure you want "
                                                               "to delete the 'Cache.ini' settings?", "'Cache.ini' Overwrite", Buttons::YesNo, Icon::None}));
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), old);
    Run(RunRefresh, "/g/Cache");
    state.cacheConverted = true;  // no question now: an unscripted one throws
    disk.AddFile("/g/Other/Cache.INI", old);
    for (const std::string name : {"Other", "cache", "CACHE"}) disk.AddFolder("/g/" + name), Run(RunRefresh, "/g/" + name);
    EXPECT_EQ(std::tuple(window.messages.size(), window.messages.back().text, window.Count("files")),
              std::tuple(3u, "This is not a 'Cache' Folder", 0));
    disk.AddFolder("/g/Locked", true);
    disk.AddFile("/g/Locked/cache.ini", old);
    disk.AddFile("/g/Held/cache.ini", old, true);
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Locked"); }), "70 Permission denied: /g/Locked");
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Held"); }), "70 Permission denied: /g/Held/cache.ini");
    disk.AddFile("/g/Cache/cache.ini", old);
    int creates = 0;
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "create" && ++creates == 1) return kFileAlreadyExists;
        return op.kind == "write" && creates == 2 ? std::optional<int>(kDiskFull) : std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run(RunRefresh, "/g/Cache"); }), "61 Disk full: /g/Cache/cache.ini");
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), old);
    Run(RunRefresh, "/g/Cache");
    EXPECT_EQ(disk.Files(), (std::map<std::string, std::string>{{"/g/Cache/cache.ini", fresh}, {"/g/Other/Cache.INI", fresh},
                                                                {"/g/cache/cache.ini", fresh}, {"/g/Locked/cache.ini", old},
                                                                {"/g/Held/cache.ini", old}}));
    std::set<std::string> temporary;  // every attempt under a name of its own
    for (const MemoryDisk::Op& op : disk.log()) temporary.insert(op.kind == "create" ? op.path : "");
    EXPECT_EQ(temporary.size(), disk.count("create") + 1u);
    // A record whose cached file is still there (in any case) stays as it was, the last one too; a
    // folder of that name, a line without "=" and a record of a file gone do not.
    disk.AddFile("/g/Cache/cache.ini", "[Cache]\nA=Map.unr\r\nz=Gone.unr\r\nc=x=y\rb\r\nD=Dir.unr\n\nB=Tex.utx");
    for (const std::string name : {"a.UXX", "B.uxx", "C.uxx", "b.uxx"}) disk.AddFile("/g/Cache/" + name);
    disk.AddFolder("/g/Cache/D.uxx");
    Run(RunRefresh, "/g/Cache");
    EXPECT_EQ(disk.Content("/g/Cache/cache.ini"), "[Cache]\nA=Map.unr\r\nc=x=y\rB=Tex.utx");
    EXPECT_EQ(std::vector(window.notes.end() - 4, window.notes.end()),
              (std::vector{FileAction::Keep("A", "a.UXX not yet converted"), FileAction::Keep("c", "C.uxx not yet converted"),
                           FileAction::Keep("B", "B.uxx not yet converted"), FileAction::Write("cache.ini")}));
}

// On a disk where letter case counts and on one that folds case.
std::string CaseName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "FoldingCase" : "CaseSensitive"; }

class Sort : public CacheFixture, public ::testing::WithParamInterface<bool> {
protected:
    Sort() : CacheFixture(GetParam()) {}
};

// The moves, in their order, and what stays the random caches check against the model; this
// checks the refreshes of the lists and changes behind the sort's back: a name taken meanwhile
// is passed over, and a file that vanished ends the sort with its path.
TEST_P(Sort, KeepsTheListsUpToDateTellsTheUserAndMeetsChangesBehindItsBack) {
    for (const char* name : {"int.int", "BIG.UNR", "cache.ini", "Taken.utx", "Gone.uax"}) File(name);
    for (const char* folder : {"/folder.unr", "/Sounds"}) disk.AddFolder(kDir + folder);
    disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "mkdir" && op.path.ends_with("/Unknown Extensions")) window.events.push_back("mkdir unknown");
        if (op.kind == "rename" && op.path == kDir + "/Taken.utx") disk.AddFile(kDir + "/Textures/Taken.utx", "newcomer");
        if (op.kind == "rename" && op.path == kDir + "/Gone.uax" && Has("Gone.uax")) disk.Remove(op.path);
        return std::nullopt;
    });
    EXPECT_EQ(ErrorText([&] { Run(RunSort); }), "53 File not found: " + kDir + "/Gone.uax");
    EXPECT_TRUE(At("Textures/Taken.utx") == "newcomer" && At("Taken.utx") == "Taken.utx" && Has("Maps/BIG.UNR"));
    EXPECT_TRUE(disk.HasFolder(kDir + "/folder.unr") && window.notes.back() == FileAction::Skip("Taken.utx", "target taken"));
    // The folder list is brought up to date before the last folder is made
    // and after it; the file list once per pass.
    EXPECT_EQ(window.events, (std::vector<std::string>{"dirs", "mkdir unknown", "dirs", "files", "files"}));
    window.events.clear();
    disk.SetHook(nullptr);
    Run(RunSort);  // its closing message (whose text the command line shows) comes last
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(std::tuple(window.messages[0].title, window.events.back()), std::tuple("Finished Sorting", "message:" + window.messages[0].text));
}

INSTANTIATE_TEST_SUITE_P(Disk, Sort, ::testing::Bool(), CaseName);

const std::string kGame = "/u/game", kDir = kGame + "/Cache";

struct Command {
    const char* name;
    bool converted;  // cacheConverted before the command
    CommandFunction click;
    std::deque<Answer> answers;  // the user's answers to its questions
};

CommandResult Install(CacheFolderState& s, Reporter& w) { return RunInstall(s, w, {}); }
CommandResult InstallOverwriting(CacheFolderState& s, Reporter& w) { return RunInstall(s, w, {"", true}); }

// The folder whose tree a command changes: the install's holds the game's
// folder and the cache folder.
std::string Root(const Command& c) { return c.click == Install || c.click == InstallOverwriting ? ParentOf(kGame) : kDir; }

// What the rules say the command does to that tree; false for an error.
bool Apply(const Command& c, model::Tree& tree, bool foldCase) {
    model::Notes notes;
    if (Root(c) != kDir) return model::Install(tree, "game/Cache", "game", c.click == InstallOverwriting, {foldCase}, notes);
    if (c.click == RunConvert) return model::Convert(tree, tree.at("cache.ini").content, {foldCase}, notes);
    if (c.click == RunSort) return model::Sort(tree, {foldCase}, notes);
    // Refresh keeps the header and the records of cached files still there, line ends and all.
    std::string& index = tree.at("cache.ini").content;
    std::string kept;
    bool any = false;
    for (std::size_t start = 0, end; start < index.size(); start = end) {
        end = std::min(index.find_first_of("\r\n", start), index.size());
        end += index.compare(end, 2, "\r\n") == 0 ? 2 : end < index.size();
        const std::string line = index.substr(start, end - start), cached = model::Lookup(tree, line.substr(0, line.find('=')) + ".uxx");
        const bool keep = start > 0 && line.find('=') != std::string::npos && !cached.empty() && tree.at(cached).kind == model::Kind::File;
        if (start == 0 || keep) kept += line;
        any |= keep;
    }
    index = any ? kept : "[Cache]\r\n";
    return true;
}

// The command run on a copy of `start` with operation k failing (0: none); `seen` gets the files as they stand before
// each operation, `crashes` each state a crash before a change leaves (but one like a recent one), the process's or a
// power cut's on either device or both.
struct Attempt {
    MemoryDisk disk;
    CacheFolderState state;
    RecordingReporter window;
    long ops = 0;
    int error = 0;
    Attempt(const MemoryDisk& start, const Command& c, long k, std::vector<model::Files>* seen = nullptr, std::vector<MemoryDisk>* crashes = nullptr)
        : disk(start), state(disk) {
        state.cacheConverted = c.converted;
        state.ChooseFolder(kDir);
        window.answers = c.answers;
        disk.SetHook([this, k, seen, crashes](const MemoryDisk::Op& op) {
            if (seen) seen->push_back(disk.Files());
            for (int lose = -1; crashes && lose < 4 && !std::set<std::string>{"stat", "readdir", "open", "read"}.count(op.kind); ++lose) {
                MemoryDisk crashed = disk.AfterCrash(lose >= 0, lose & 1, lose & 2);
                if (std::none_of(crashes->end() - std::min<std::size_t>(crashes->size(), 8), crashes->end(), [&](const MemoryDisk& d) { return d.SameTree(crashed); })) crashes->push_back(std::move(crashed));
            }
            return ++ops == k ? std::optional(kPermissionDenied) : std::nullopt;
        });
        error = std::atoi(ErrorText([&] { c.click(state, window); }).c_str());
        disk.SetHook(nullptr);
    }
};

// Runs the command: it does what the rules say of the folder as it finds it, and removes the temporary files left there.
void AsTheRulesSay(const Command& c, MemoryDisk& disk, CacheFolderState& state, RecordingReporter& window) {
    model::Tree rules = Snapshot(disk, Root(c));
    std::erase_if(rules, [](const auto& entry) { return FileSystem::IsLeftover(LastComponent(entry.first)); });
    const bool ok = Apply(c, rules, disk.FoldsCase());
    window.answers = c.answers;
    EXPECT_EQ(ErrorText([&] { c.click(state, window); }).empty(), ok) << c.name;
    EXPECT_EQ(model::Diff(rules, Snapshot(disk, Root(c))), "") << c.name;
}

// Each command runs once per operation it makes, with that one failing. It
// must stop there with that error, the files as the clean run had them at that
// point but for what it makes for a moment, its state kept; run again, it must
// do what the rules say of the folder as the fault left it. Then it crashes before each change (but refresh): every
// file's bytes the clean run keeps are still there, and run again it does what the rules say.
long FailEachOperation(MemoryDisk start, const Command& c) {
    std::vector<model::Files> seen;
    std::vector<MemoryDisk> crashes;
    const Attempt clean(start, c, 0, &seen, c.click == RunRefresh ? nullptr : &crashes);
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
        EXPECT_EQ(run.disk.Files(), expected);
        AsTheRulesSay(c, run.disk, run.state, run.window);
        if (::testing::Test::HasFailure()) return k;
    }
    for (std::size_t i = 0; i < crashes.size() && !::testing::Test::HasFailure(); ++i) {
        SCOPED_TRACE(std::string(c.name) + " crash state " + std::to_string(i));
        std::set<std::string> held;
        for (const auto& [path, bytes] : crashes[i].Files()) held.insert(bytes);
        for (const auto& [path, bytes] : after) EXPECT_TRUE(held.count(bytes)) << "lost " << path;
        CacheFolderState state(crashes[i]);
        RecordingReporter window;
        state.cacheConverted = c.converted;
        state.ChooseFolder(kDir);
        AsTheRulesSay(c, crashes[i], state, window);
    }
    return clean.ops + crashes.size();
}

// The commands in the order a user runs them, each from the clean outcome of
// the one before, on random caches the rules see no error in, on a disk where
// case counts and on one that folds it.
class FaultLoop : public ::testing::TestWithParam<bool> {};

TEST_P(FaultLoop, EveryOperationOfEveryCommandFailsInTurn) {
    const Command convert{"convert", false, RunConvert, {}}, sort{"sort", true, RunSort, {}},
        install{"install", true, Install, {}}, overwrite{"install --overwrite", true, InstallOverwriting, {}};
    // Across devices a read-only file is copied read-only, and a sort folder nothing may leave stops the install before it copies anything.
    MemoryDisk locked(GetParam());
    locked.AddFolder(kDir + "/Textures", true);
    for (const std::string& path : {kDir + "/Maps/A.unr", kDir + "/Textures/T.utx", kGame + "/System/keep.u"}) locked.AddFile(path, path, path.ends_with(".unr"));
    locked.SetDevice(kDir);
    Attempt refused(locked, install, 0);
    EXPECT_TRUE(refused.error == kPermissionDenied && refused.disk.Stat(kGame + "/Maps/A.unr").readOnly && refused.disk.Files().count(kDir + "/Textures/T.utx") && refused.disk.Files().size() == 3);
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
    std::printf("fault points and crash states checked: %ld\n", points);
    EXPECT_GT(points, 300);
}

INSTANTIATE_TEST_SUITE_P(Disk, FaultLoop, ::testing::Bool(), CaseName);

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
        const model::Volume volume{foldCase, onDisk && model::kFoldingDisk, !onDisk, room, !onDisk && seed % 2, onDisk && !model::kFoldingDisk, onDisk};
        if (volume.cacheApart) memory.SetDevice(root + "/game/Cache");
        model::Tree start = RandomCache(seed, volume), around = kOutside;
        for (const auto& [path, entry] : RandomGame(seed, start, volume)) around["game/" + path] = entry;
        // On Windows' own disk the index is in the ANSI code page, as the game writes it.
        std::string text;
        start.at("cache.ini").content = AnsiOfText(start.at("cache.ini").content, onDisk, &text);
        model::Tree all = around;
        for (const auto& [path, entry] : start) all["game/Cache/" + path] = entry;
        if (!onDisk) Lay(memory, root, all);
        std::map<int, std::string> laid;  // the first name of each file, by its number
        for (const auto& [path, entry] : onDisk ? all : model::Tree{}) {
            const std::string at = root + "/" + path;
            if (!entry.link.empty()) std::filesystem::create_symlink(entry.link, NativePath(at));
            else if (entry.kind == model::Kind::Folder) std::filesystem::create_directories(NativePath(at));
            else if (entry.file && laid.count(entry.file)) std::filesystem::create_hard_link(NativePath(laid[entry.file]), NativePath(at));
            else TempDir::Write(at, entry.content), laid[entry.file] = at;
            if (entry.readOnly && entry.link.empty()) TempDir::SetReadOnly(at);
        }
        ASSERT_EQ(ConvertSortInstallAsTheRulesSay(onDisk ? static_cast<Disk&>(realDisk) : memory, root, start, volume, around,
                                                  seed % 4 < 2, &text), "");
    }
}

const char* const kDisks[] = {"OnDisk", "CaseSensitiveInMemory", "FoldingCaseInMemory"};
INSTANTIATE_TEST_SUITE_P(Disk, RandomCaches, ::testing::Range(0, 3), [](const auto& info) { return std::string(kDisks[info.param]); });

// Every input of the fuzz target's corpus, as libFuzzer replays them.
TEST(FuzzCorpus, ReplaysEveryInput) {
    int inputs = 0;
    for (const auto& file : std::filesystem::directory_iterator(TCC_FUZZ_CORPUS)) {
        const std::string bytes = TempDir::Read(file.path().string());
        inputs += LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) == 0;
    }
    EXPECT_GT(inputs, 0);  // an empty or missing corpus replays nothing
}

}  // namespace
}  // namespace tcc
