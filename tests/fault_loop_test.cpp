// Every file operation fails in turn: each command runs once per operation it
// makes, with that one failing, and must stop with that error, keep its state,
// lose no file and leave none behind; run again, it must finish the work.

#include <gtest/gtest.h>

#include <set>

#include "core/cache_conversion.h"
#include "core/cache_reset.h"
#include "core/file_system.h"
#include "sort/sort_folders.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/cache_model.h"

namespace tcc {
namespace {

const std::string kDir = "/u/game/Cache";
const std::string kIndex = kDir + "/cache.ini";

// About fifty files: cached files with free and taken targets (some
// read-only, one in other case), read-only cached files, records without a
// cached file, without "=" or leaving the folder, loose files differing only
// in case (one file where the disk folds case), a hidden file, and the Maps folder as "maps" holding names the
// sort brings, in the same and in other case.
MemoryDisk MakeCache(bool foldCase) {
    MemoryDisk disk(foldCase);
    const char* exts[] = {".unr", ".utx", ".uax", ".umx", "", ".u", ".dll", ".int"};
    std::string index = "[Cache]\r\n";
    for (int i = 0; i < 38; ++i) {
        const std::string key = "K" + std::to_string(i);
        index += key + "=" + (i % 5 ? "Name" : "name") + std::to_string(i) + exts[i % 8] + "\r\n";
        disk.AddFile(kDir + "/" + key + ".uxx", "cached " + key, i % 7 == 3);
    }
    disk.AddFile(kIndex, index + "GONE=Gone.unr\r\nnoequals\r\nK4=../System/out.u\r\n");
    for (const char* name : {"Name1.utx", "NAME2.UAX", "Name9.utx", "Loose.int", "loose.INT", "Extra.UNR",
                             ".hidden.unr", "notes.txt", "maps/extra.unr", "maps/Keep.unr", "maps/Name8.unr",
                             "maps/NAME16.unr"}) {
        disk.AddFile(kDir + "/" + name, std::string("file ") + name, name[4] == '1' || name[4] == '9');
    }
    disk.AddFile("/u/game/System/keep.u", "sentinel");
    return disk;
}

// Files with equal keys are same-named: same folder, name equal but for case.
std::string SameName(const std::string& path) {
    return ParentOf(path) + "/" + FoldCase(path.substr(ParentOf(path).size() + 1));
}

struct Command {
    const char* name;
    bool converted;  // cacheConverted before the command
    bool (*click)(CacheFolderState&, Window&);
    std::deque<Answer> answers;  // the user's answers to its questions
};

// The command run on a copy of `start` with operation k failing (0: none).
struct Attempt {
    MemoryDisk disk;
    CacheFolderState state;
    RecordingWindow window;
    std::size_t firstOp;
    int error = 0;
    bool reached = false;
    Attempt(const MemoryDisk& start, const Command& c, long k) : disk(start), state(disk), firstOp(disk.log().size()) {
        state.cacheConverted = c.converted;
        state.ChooseFolder(kDir);
        window.answers = c.answers;
        const long before = disk.log().size();
        if (k > 0) disk.FailAt(k, kPermissionDenied);
        error = ErrorOf([&] { c.click(state, window); });
        reached = k > 0 && long(disk.log().size()) - before >= k;
    }
};

long FailEachOperation(const MemoryDisk& start, const Command& c) {
    const Attempt clean(start, c, 0);
    EXPECT_EQ(clean.error, 0) << c.name;
    if (c.click == cmdRefresh_Click) {
        EXPECT_EQ(clean.disk.Content(kIndex), "[Cache]\r\n");
    }
    const model::Files before = start.Files(), cleanAfter = clean.disk.Files();
    // Every path each content takes in the clean run, and its last one.
    std::map<std::string, std::set<std::string>> paths;
    std::map<std::string, std::string> at = before, last;
    for (const auto& [path, content] : before) paths[content].insert(last[content] = path);
    for (std::size_t i = clean.firstOp; i < clean.disk.log().size(); ++i) {
        const MemoryDisk::Op& op = clean.disk.log()[i];
        if ((op.kind == "rename" || op.kind == "replace") && at.count(op.path)) {
            const std::string content = at[op.path];
            at.erase(op.path);
            at[op.path2] = content;
            paths[content].insert(last[content] = op.path2);
        }
    }
    std::set<std::string> kept;  // the contents the clean run keeps; the others it replaces by design
    for (const auto& [path, content] : cleanAfter) kept.insert(content);

    for (long k = 1;; ++k) {
        Attempt run(start, c, k);
        if (!run.reached) {
            EXPECT_EQ(run.error, 0) << c.name;
            EXPECT_EQ(run.disk.Files(), cleanAfter) << c.name;
            std::printf("%s (cacheConverted %d): %ld operations, each failed in turn\n", c.name, c.converted, k - 1);
            return k - 1;
        }
        SCOPED_TRACE(std::string(c.name) + " failing operation " + std::to_string(k));
        EXPECT_EQ(run.error, kPermissionDenied);
        EXPECT_EQ(run.disk.openStreams(), 0);
        EXPECT_EQ(run.window.messages.size(), c.answers.size()) << "the error must be the only report";
        EXPECT_EQ(run.state.cacheConverted, c.converted);
        const model::Files after = run.disk.Files();
        std::map<std::string, std::string> where;  // content -> path
        std::set<std::string> occupied;
        for (const auto& [path, content] : after) {
            where[content] = path;
            occupied.insert(SameName(path));
            // No new file: no temporary file, no copy.
            EXPECT_TRUE(before.count(path) || cleanAfter.count(path) || (paths.count(content) && paths[content].count(path)))
                << "new file " << path;
        }
        EXPECT_EQ(where.size(), after.size()) << "two files with one content";
        for (const auto& [path, content] : before) {
            if (path == kIndex && c.click == cmdRefresh_Click) continue;
            if (where.count(content)) {
                EXPECT_TRUE(paths[content].count(where[content])) << path << " is at " << where[content];
            } else {  // gone only as the clean run replaces it, with a file in its place
                EXPECT_TRUE(!kept.count(content) && occupied.count(SameName(last[content]))) << "lost " << path;
            }
        }
        if (c.click == cmdRefresh_Click) {  // the old index or the whole new one, never gone or cut short
            const std::string index = run.disk.HasFile(kIndex) ? run.disk.Content(kIndex) : "gone";
            EXPECT_TRUE(index == before.at(kIndex) || index == "[Cache]\r\n") << index;
        }
        // Run again, it finishes as the clean run but for what the rules say of
        // a new command: a file that replaced another may keep that one's case,
        // a replaced file may remain on its way, and a file the first run moved
        // in is replaced by a same-named one as any found in a sort folder is.
        run.window.answers = c.answers;
        EXPECT_EQ(ErrorOf([&] { c.click(run.state, run.window); }), 0) << "again after the fault";
        const model::Files again = run.disk.Files();
        std::map<std::string, std::string> againAt, cleanAt;  // content -> path
        std::set<std::string> againNames, cleanNames;
        for (const auto& [path, content] : again) againNames.insert(SameName(againAt[content] = path));
        for (const auto& [path, content] : cleanAfter) cleanNames.insert(SameName(cleanAt[content] = path));
        EXPECT_EQ(againAt.size(), again.size()) << "again: two files with one content";
        for (const auto& [path, content] : cleanAfter) {
            EXPECT_TRUE(againAt.count(content) || againNames.count(SameName(path))) << "again: lost " << path;
        }
        for (const auto& [path, content] : again) {
            EXPECT_TRUE(cleanNames.count(SameName(path)) || (!kept.count(content) && paths[content].count(path)))
                << "again: " << path;
        }
        if (::testing::Test::HasFailure()) return k;
    }
}

// The commands in the order a user runs them, each from the clean outcome of
// the one before, on a disk where case counts and on one that folds it.
class FaultLoop : public ::testing::TestWithParam<bool> {};

TEST_P(FaultLoop, EveryOperationOfEveryCommandFailsInTurn) {
    const Command convert{"convert", false, cmdGetCache_Click, {}}, sort{"sort", true, cmdSort_Click, {}};
    const MemoryDisk start = MakeCache(GetParam()), converted = Attempt(start, convert, 0).disk,
                     sorted = Attempt(converted, sort, 0).disk;
    long points = FailEachOperation(start, convert);
    points += FailEachOperation(start, {"convert", true, cmdGetCache_Click, {}});  // cacheConverted stays true
    points += FailEachOperation(converted, sort);
    points += FailEachOperation(sorted, {"refresh", true, cmdRefresh_Click, {}});
    points += FailEachOperation(sorted, {"refresh", false, cmdRefresh_Click, {Answer::Yes}});
    std::printf("fault points checked: %ld over %zu files\n", points, start.Files().size());
    EXPECT_GT(points, 100);
}

INSTANTIATE_TEST_SUITE_P(Disk, FaultLoop, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FoldingCase" : "CaseSensitive"; });

}  // namespace
}  // namespace tcc
