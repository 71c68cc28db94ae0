// Every file operation fails in turn: each command runs once for every
// operation it makes, with that operation failing, and must then have
// stopped with that one error, kept its state consistent and lost no file.

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "core/cache_conversion.h"
#include "core/cache_reset.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "sort/sort_folders.h"
#include "tests/support/memory_disk.h"
#include "tests/support/recording_window.h"

namespace tcc {
namespace {

const std::string kDir = "/u/game/Cache";

// About fifty files: cached files with free targets, taken targets (some
// read-only), read-only cached files, files of other extensions, names that
// differ only in case, a hidden file, and the Maps folder present as "maps"
// with files that have the names of files the sort brings, in the same or
// in other letter case.
MemoryDisk MakeCache() {
    MemoryDisk disk;
    const char* exts[] = {".unr", ".utx", ".uax", ".umx", "", ".u", ".dll", ".int"};
    std::string index = "[Cache]\r\n";
    for (int i = 0; i < 38; ++i) {
        std::string key = "K" + std::to_string(i);
        std::string real = (i % 5 == 0 ? "name" : "Name") + std::to_string(i) + exts[i % 8];
        index += key + "=" + real + "\r\n";
        disk.AddFile(kDir + "/" + key + ".uxx", "cached " + key, i % 7 == 3);
    }
    // Targets already taken, two of them read-only and one in other case.
    disk.AddFile(kDir + "/Name1.utx", "taken Name1.utx", true);
    disk.AddFile(kDir + "/NAME2.UAX", "taken NAME2.UAX");
    disk.AddFile(kDir + "/Name9.utx", "taken Name9.utx", true);
    // Records whose cached file is missing, a line without "=", and a name
    // that would leave the folder.
    index += "GONE=Gone.unr\r\nnoequals\r\nK4=../System/out.u\r\n";
    // Files already in place, two that differ only in case, a hidden one.
    disk.AddFile(kDir + "/Loose.int", "loose Loose.int");
    disk.AddFile(kDir + "/loose.INT", "loose loose.INT");
    disk.AddFile(kDir + "/Extra.UNR", "loose Extra.UNR");
    disk.AddFile(kDir + "/.hidden.unr", "hidden");
    disk.AddFile(kDir + "/notes.txt", "notes");
    disk.AddFile(kDir + "/maps/extra.unr", "old maps/extra.unr");
    disk.AddFile(kDir + "/maps/Keep.unr", "old maps/Keep.unr");
    disk.AddFile(kDir + "/maps/Name8.unr", "old maps/Name8.unr");
    disk.AddFile(kDir + "/maps/NAME16.unr", "old maps/NAME16.unr");
    disk.AddFile(kDir + "/cache.ini", index);
    disk.AddFile("/u/game/System/keep.u", "sentinel");
    return disk;
}

using Files = std::map<std::string, std::string>;

std::multiset<std::string> Contents(const Files& files) {
    std::multiset<std::string> all;
    for (const auto& [path, content] : files) all.insert(content);
    return all;
}

// Where each content is, by content (every content is unique).
std::map<std::string, std::string> PathOf(const Files& files) {
    std::map<std::string, std::string> where;
    for (const auto& [path, content] : files) where[content] = path;
    return where;
}

// The folder and the name without regard to case: files with equal keys
// are same-named.
std::string SameNameKey(const std::string& path) {
    return ParentOf(path) + "/" + FoldCase(path.substr(ParentOf(path).size()));
}

// How the files moved in a run, by content: every path each file took, read
// from the disk's log of operations from `from` on, and for each file that
// the run replaced, the file that ends in its place and where.
struct Moves {
    std::map<std::string, std::set<std::string>> paths;
    std::map<std::string, std::pair<std::string, std::string>> replacedBy;
};

Moves Trace(const Files& before, const MemoryDisk& disk, std::size_t from) {
    Moves moves;
    std::map<std::string, std::string> at = before;  // path -> content
    std::map<std::string, std::string> last;         // content -> its last path
    for (const auto& [path, content] : before) {
        moves.paths[content].insert(path);
        last[content] = path;
    }
    for (std::size_t i = from; i < disk.log().size(); ++i) {
        const MemoryDisk::Op& op = disk.log()[i];
        if ((op.kind == "rename" || op.kind == "replace") && at.count(op.path)) {
            const std::string content = at[op.path];
            at[op.path2] = content;
            at.erase(op.path);
            moves.paths[content].insert(op.path2);
            last[content] = op.path2;
        } else if (op.kind == "remove") {
            at.erase(op.path);
        }
    }
    // A replaced file's place is taken by the file that ends there under
    // the same name.
    std::map<std::string, std::string> endsAt;  // same-name key -> content
    for (const auto& [path, content] : disk.Files()) endsAt[SameNameKey(path)] = content;
    const auto after = disk.Files();
    std::set<std::string> present;
    for (const auto& [path, content] : after) present.insert(content);
    for (const auto& [content, path] : last) {
        if (present.count(content)) continue;
        auto it = endsAt.find(SameNameKey(path));
        if (it == endsAt.end()) continue;
        for (const auto& [p, c] : after) {
            if (c == it->second) moves.replacedBy[content] = {c, p};
        }
    }
    return moves;
}

struct Command {
    std::string name;
    bool converted;                               // cacheConverted before the command
    std::function<void(CacheFolderState&, RecordingWindow&)> run;
    std::deque<Answer> answers;                   // the user's answers to its questions
};

class FaultLoop : public ::testing::Test {
protected:
    // Runs the command on a copy of `start`, with operation k failing (k = 0:
    // none). Answers whether the fault was reached.
    struct Run {
        MemoryDisk disk;
        CacheFolderState state;
        RecordingWindow window;
        int fileErrors = 0;
        int errorNumber = 0;
        bool reached = false;
        std::string failedOp;
        std::size_t firstOp = 0;
        explicit Run(const MemoryDisk& start) : disk(start), state(disk) {}
    };

    static std::unique_ptr<Run> RunCommand(const MemoryDisk& start, const Command& command, long k, int number) {
        auto run = std::make_unique<Run>(start);
        run->state.cacheConverted = command.converted;
        run->state.ChooseFolder(kDir);
        run->window.answers = command.answers;
        const long before = run->disk.operations();
        run->firstOp = run->disk.log().size();
        if (k > 0) run->disk.FailAt(k, number);
        try {
            command.run(run->state, run->window);
        } catch (const FileError& e) {
            ++run->fileErrors;
            run->errorNumber = e.number();
        }
        run->reached = k > 0 && run->disk.operations() - before >= k;
        if (run->reached) {
            const MemoryDisk::Op& op = run->disk.log()[run->disk.log().size() - (run->disk.operations() - before - k) - 1];
            run->failedOp = op.kind + " " + op.path;
        }
        return run;
    }

    // Fails each operation of the command in turn, checking each run against
    // the clean run. Returns the number of fault points checked.
    long FailEachOperation(const MemoryDisk& start, const Command& command) {
        auto clean = RunCommand(start, command, 0, 0);
        EXPECT_EQ(clean->fileErrors, 0) << command.name << " fails without a fault";
        if (command.name == "refresh") {
            EXPECT_EQ(clean->disk.Content(kDir + "/cache.ini"), "[Cache]\r\n");
        }
        const Files before = start.Files();
        const Files cleanAfter = clean->disk.Files();
        const auto cleanPath = PathOf(cleanAfter);
        const Moves moves = Trace(before, clean->disk, clean->firstOp);
        // The contents the clean run replaces by design.
        std::set<std::string> replaced;
        for (const std::string& c : Contents(before)) {
            if (!cleanPath.count(c)) replaced.insert(c);
        }

        long points = 0;
        for (long k = 1;; ++k) {
            for (int number : {kPermissionDenied, kDeviceUnavailable}) {
                auto run = RunCommand(start, command, k, number);
                if (!run->reached) {
                    // Past the last operation: the command completes as the clean run.
                    EXPECT_EQ(run->fileErrors, 0) << command.name << " k=" << k;
                    EXPECT_EQ(run->disk.Files(), cleanAfter) << command.name << " k=" << k;
                    std::printf("%s (cacheConverted %d): %ld operations, each failed in turn\n",
                                command.name.c_str(), command.converted, k - 1);
                    return points;
                }
                ++points;
                SCOPED_TRACE(command.name + " failing operation " + std::to_string(k) + " (" + run->failedOp +
                             ") with " + std::to_string(number));
                Check(*run, number, before, cleanAfter, moves, replaced, command);
                // The user runs the command again in the same window: the
                // service's kept listings must not have gone stale, so it
                // finishes the work as the clean run does. Only a file that
                // the clean run replaces by one of other letter case may be
                // left on its way, when the fault came between the newcomer's
                // move and its removal: kept, not lost.
                run->window.answers = command.answers;
                EXPECT_NO_THROW(command.run(run->state, run->window)) << "again after the fault";
                const Files again = run->disk.Files();
                for (const auto& [path, content] : cleanAfter) {
                    EXPECT_TRUE(again.count(path) && again.at(path) == content) << "again: " << path;
                }
                for (const auto& [path, content] : again) {
                    EXPECT_TRUE(cleanAfter.count(path) ||
                                (replaced.count(content) && moves.paths.at(content).count(path)))
                        << "again: extra " << path;
                }
                if (HasFailure()) return points;
            }
        }
    }

    static void Check(const Run& run, int number, const Files& before, const Files& cleanAfter,
                      const Moves& moves,
                      const std::set<std::string>& replaced, const Command& command) {
        // The one injected error reached the caller, as itself.
        EXPECT_EQ(run.fileErrors, 1);
        EXPECT_EQ(run.errorNumber, number);
        EXPECT_EQ(run.disk.openStreams(), 0);
        // A failed command shows nothing: the error is its only report.
        for (const auto& m : run.window.messages) {
            EXPECT_NE(m.title, "Finished Sorting");
        }
        EXPECT_EQ(run.state.cacheConverted, command.converted);

        // Every file is still there, under its old name or one that the clean
        // run gives it on its way; only the clean run's replacements may be
        // gone; no other file has appeared.
        const Files after = run.disk.Files();
        const auto afterPath = PathOf(after);
        EXPECT_EQ(after.size(), afterPath.size()) << "two files with one content";
        for (const auto& [path, content] : before) {
            if (path == kDir + "/cache.ini" && command.name == "refresh") continue;
            auto it = afterPath.find(content);
            if (it == afterPath.end()) {
                // Gone only as the clean run replaces it, and only once the
                // file that replaces it is in its place.
                EXPECT_TRUE(replaced.count(content)) << "lost " << path;
                auto by = moves.replacedBy.find(content);
                if (by != moves.replacedBy.end()) {
                    auto newcomer = afterPath.find(by->second.first);
                    EXPECT_TRUE(newcomer != afterPath.end() && newcomer->second == by->second.second)
                        << path << " is gone but " << by->second.second << " is not in its place";
                }
                continue;
            }
            EXPECT_TRUE(moves.paths.at(content).count(it->second)) << path << " is at " << it->second;
        }
        for (const auto& [path, content] : after) {
            EXPECT_TRUE(before.count(path) || cleanAfter.count(path) || (moves.paths.count(content) && moves.paths.at(content).count(path)))
                << "new file " << path;
        }
        if (command.name == "refresh") {
            // The index is the old one or the complete new one, never gone,
            // empty or cut short.
            const std::string index = run.disk.Content(kDir + "/cache.ini");
            EXPECT_TRUE(run.disk.HasFile(kDir + "/cache.ini"));
            EXPECT_TRUE(index == before.at(kDir + "/cache.ini") || index == "[Cache]\r\n") << index;
        }
    }
};

// The commands in the order a user runs them, each from the clean outcome of
// the one before.
TEST_F(FaultLoop, EveryOperationOfEveryCommandFailsInTurn) {
    MemoryDisk start = MakeCache();
    const Command convert{"convert", false, cmdGetCache_Click, {}};
    const Command sort{"sort", true, cmdSort_Click, {}};
    const Command refresh{"refresh", true, cmdRefresh_Click, {}};
    const Command refreshAsked{"refresh", false, cmdRefresh_Click, {Answer::Yes}};

    long points = FailEachOperation(start, convert);
    ASSERT_FALSE(HasFailure());
    MemoryDisk converted = std::move(RunCommand(start, convert, 0, 0)->disk);
    points += FailEachOperation(converted, sort);
    ASSERT_FALSE(HasFailure());
    MemoryDisk sorted = std::move(RunCommand(converted, sort, 0, 0)->disk);
    points += FailEachOperation(sorted, refresh);
    points += FailEachOperation(sorted, refreshAsked);
    // A failed conversion that had been run before must keep cacheConverted.
    points += FailEachOperation(start, Command{"convert", true, cmdGetCache_Click, {}});
    std::printf("fault points checked: %ld\n", points);
    EXPECT_GT(points, 200);
}

}  // namespace
}  // namespace tcc
