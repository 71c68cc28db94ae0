// The built tarnel-cache run as a process on real temporary folders.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/version.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

namespace fs = std::filesystem;

// Where the streams go: apart, standard error into standard output, the
// input piped in while standard error is a terminal, standard output into a pipe nobody
// reads, or into one read until a file is moved, then SIGTERM (the output waits meanwhile).
enum class Streams { Apart, Together, PipedIn, Gone, Stopped };

// Runs tarnel-cache with args through the shell, its input from /dev/null or
// else a terminal fed with `input`; its exit status, its output in temp's
// "out" and "err".
int RunCli(const std::string& args, const TempDir& temp, const char* input, Streams streams) {
    std::string command = std::string(TCC_CLI) + " " + args;
    if (streams == Streams::PipedIn) command = "script -qec \"printf '" + std::string(input) + "' | " + command + "\" /dev/null </dev/null";
    else if (input) command = "printf '" + std::string(input) + "' | script -qec '" + command + "' /dev/null";
    else command += " </dev/null";
    int pipe[2];
    if (::pipe(pipe) != 0) return -2;
    ::close(pipe[0]);
    const std::string fifo = temp / "fifo", err = " 2>" + temp / "err";
    if (streams == Streams::Stopped) command = "mkfifo " + fifo + "; " + command + " >" + fifo + err + " & { while read -r l; do echo \"$l\"; case $l in move*) break;; esac; done; kill -TERM $!; cat; } <" + fifo + " >" + temp / "out; wait $!";
    else command += (streams == Streams::Gone ? " >&" + std::to_string(pipe[1]) : " >" + temp / "out") + (streams == Streams::Together ? " 2>&1" : err);
    const int status = std::system(command.c_str());
    ::close(pipe[1]);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kIndex = "[Cache]\r\nk=A.unr\r\nj=B.unr\nm=C.unr", kKept = "[Cache]\r\nk=A.unr\r\nj=B.unr\n";

TEST(CommandLine, AnswersRefusalsErrorsAndUsageWithTheirStatus) {
    struct Case {
        const char* args;
        const char* input;   // fed through a terminal; null: no terminal
        int status;
        std::string out;     // found in standard output; "" means it is empty
        const char* err;     // found in standard error; "" means it is empty
        const char* exists = "Cache/k.uxx";  // a path that must exist afterwards
        std::string after = kIndex;          // Cache/cache.ini afterwards
        Streams streams = Streams::Apart;
    };
    const Case cases[] = {
        {"refresh %/Cache", nullptr, 1, "", "(--yes answers yes)"},
        {"refresh %/Cache", "n\\n", 1, "tarnel-cache: refresh was not run", ""},
        // The question is answered on standard input, which is no terminal here.
        {"refresh %/Cache", "y\\n", 1, "(--yes answers yes)", "", "Cache/k.uxx", kIndex, Streams::PipedIn},
        // The records of files not yet converted stay, as they were.
        {"refresh %/Cache", "y\\n", 0, "refresh: cache.ini reset", "", "Cache/k.uxx", kKept},
        {"--yes refresh %/Cache", nullptr, 0, "keep k: k.uxx not yet converted\nkeep j: j.uxx not yet converted\nwrite "
         "cache.ini\nrefresh: cache.ini reset\n", "", "Cache/k.uxx", kKept},
        {"--dry-run --yes refresh %/Cache", nullptr, 0, "would keep k: k.uxx not yet converted\nwould keep j: j.uxx not yet "
         "converted\nwould write cache.ini\n", ""},
        // A file the sort passes over is told even then.
        {"-q convert refresh sort %/Cache", nullptr, 0, "", "tarnel-cache: sort: 1 moved, 0 replaced, 1 passed over\n",
         "Cache/Maps/B.unr", "[Cache]\r\n"},
        // A reader that goes away (| head) ends the output, not the commands.
        {"convert sort %/Cache", nullptr, 0, "", "", "Cache/Maps/B.unr", kIndex, Streams::Gone},
        // The rename before the error stays done, and is told before it.
        {"convert sort %/Jam/cache", nullptr, 1, "rename k.uxx -> A.unr\ntarnel-cache: File already exists: %/Jam/cache/B.unr",
         "", "Jam/cache/A.unr", kIndex, Streams::Together},
        // A control character in a name is shown as \xNN, a C1 one (U+0085) too.
        {"convert %/No\x1bwhere\xC2\x85", nullptr, 1, "", "tarnel-cache: Path not found: %/No\\x1bwhere\\x85\n"},
        {"convert %/Cache/k.uxx", nullptr, 1, "", "tarnel-cache: Not a folder: %/Cache/k.uxx\n"},
        // ".." after a link is the link's target's parent, as the system has it.
        {"sort %/b/link/../cache", nullptr, 0, "make folder Unknown Extensions\ntarnel-cache: Simply copy the 'Map', "
         "'Textures', 'Sounds', 'Music', & 'System' folders from\ntarnel-cache: the 'Cache' directory to the game's main "
         "directory, choosing overwrite.\nsort: 0 moved", "", "Jam/cache/System"},
        {"sort %/Cache/..", nullptr, 1, "", "This is not a 'Cache' Folder"},
        {"install %/Cache", nullptr, 1, "", "holds no System folder, so it is not taken for the game's folder: name"},
        // Stopped after the file at hand, every file moved told and counted.
        {"sort %/Many/Cache", nullptr, 143, "make folder Maps\n", "tarnel-cache: stopped by SIGTERM after the file at hand", "Many/Cache/Maps/f10000.unr",
         kIndex, Streams::Stopped},
        {"convert sort install --game %/Cache/ %/Cache", nullptr, 1, "sort: 1 moved", "cannot be the Cache folder or lie inside it",
         "Cache/Maps/B.unr"},
        // A game folder is held to the rule the game's own meets, and lies outside the cache, a link's target too.
        {"install --game %/b/sub %/Jam/cache", nullptr, 1, "", "cannot be the Cache folder or lie inside it", "Jam/cache/j.uxx"},
        {"--dry-run install --game %/b %/Cache", nullptr, 1, "", "tarnel-cache: '%/b' holds no System folder, so it is not taken for the game's folder.\n"},
        {"install --game %/Cache/k.uxx %/Cache", nullptr, 1, "", "tarnel-cache: Not a folder: %/Cache/k.uxx\n"},
        {"install --game %/G %/Cache", nullptr, 0, "skip Maps/a.UNR: the game's Maps/a.UNR is not a regular file\n", "", "G/Maps/a.UNR"},
        {"install --game %/Jam %/Jam/cache", nullptr, 0, "skip Maps/B.unr: the sort folder is the game's own\n", "", "Jam/Maps/a.UNR"},
        // Every change told, a line each.
        {"--overwrite convert sort install --game %/Jam %/Cache", nullptr, 0,
         "tarnel-cache: Notice: Some files may not be able to be converted due to 'cache.ini' file records not "
         "available.\nrename k.uxx -> A.unr\nrename j.uxx -> B.unr\nskip m: cached file missing\nconvert: 2 renamed, 1 passed over\nmake folder System\n"
         "make folder Textures\nmake folder Sounds\nmake folder Music\nmake folder Unknown Extensions\nskip A.unr: "
         "Maps/a.UNR holds its name in other case\nmove B.unr -> Maps/B.unr\nsort: 1 moved, 0 replaced, 1 passed over\n"
         "install Maps/B.unr, the game's old copy kept as B.unr.bak\nsame Maps/a.UNR: already installed\nremove folder "
         "Maps\nremove folder System\nremove folder Textures\nremove folder Sounds\nremove folder Music\nremove folder "
         "Unknown Extensions\ninstall: 1 installed, 1 already installed, 0 passed over\n", "", "Jam/Maps/B.unr.bak"},
        {"convert %/Jam/cache/B.unr/cache", nullptr, 1, "", "'Cache.ini' is missing"},
        {"", nullptr, 2, "", "give one or more commands"},
        {"convert move %/Cache", nullptr, 2, "", "unknown command 'move'"},
        {"--overwrite convert sort %/Cache", nullptr, 2, "", "--game and --overwrite are for install"},
        {"--version", nullptr, 0, std::string("tarnel-cache ") + kVersion + "\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.args) + (c.input ? " answering " + std::string(c.input) : ""));
        TempDir temp;
        for (const std::string folder : {"Cache/", "Jam/cache/"}) {
            TempDir::Write(temp / folder + "cache.ini", kIndex);
            for (const std::string key : {"k", "j"}) TempDir::Write(temp / folder + key + ".uxx", key);
        }
        fs::create_directories(temp / "Jam/cache/B.unr/cache");  // a folder takes a target
        TempDir::Write(temp / "Jam/Maps/a.UNR", "a");  // installed already; B.unr is another version
        TempDir::Write(temp / "Jam/Maps/B.unr", "old");
        fs::create_directory_symlink("../Maps", temp / "Jam/cache/Maps");  // sorted straight into the game
        TempDir::Write(temp / "Cache/Maps/a.UNR", "a");  // a name in other case
        fs::create_directories(temp / "b");
        fs::create_directory_symlink(temp / "Jam/cache", temp / "b/link");
        fs::create_directory_symlink(temp / "Jam/cache/B.unr", temp / "b/sub");
        for (const char* game : {"Jam/System", "G/System", "G/Maps"}) fs::create_directories(temp / game);
        ::mkfifo((temp / "G/Maps/a.UNR").c_str(), 0600);  // the game G has a pipe by that name
        const auto fill = [&temp](std::string text) {  // "%" stands for the folder temp
            for (std::size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, temp.path());
            return text;
        };
        for (int i = 0; c.streams == Streams::Stopped && i < 4000; ++i) TempDir::Write(temp / "Many/Cache/f" + std::to_string(10000 + i) + ".unr", "");
        EXPECT_EQ(RunCli(fill(c.args), temp, c.input, c.streams), c.status);
        const std::string gotOut = TempDir::Read(temp / "out"), gotErr = TempDir::Read(temp / "err");
        if (c.streams == Streams::Stopped) {  // the last file moved is the last told, and the summary counts them all
            const long moved = std::distance(fs::directory_iterator(temp / "Many/Cache/Maps"), fs::directory_iterator());
            const std::string last = "f" + std::to_string(9999 + moved) + ".unr";
            EXPECT_NE(gotOut.find("move " + last + " -> Maps/" + last + "\nsort: " + std::to_string(moved) + " moved"), std::string::npos) << gotOut;
        }
        const std::string out = fill(c.out), err = fill(c.err);
        EXPECT_TRUE(out.empty() ? gotOut.empty() : gotOut.find(out) != std::string::npos) << gotOut;
        EXPECT_TRUE(err.empty() ? gotErr.empty() : gotErr.find(err) != std::string::npos) << gotErr;
        EXPECT_EQ(TempDir::Read(temp / "Cache/cache.ini"), c.after);
        EXPECT_TRUE(fs::exists(temp / c.exists));
    }
}

}  // namespace
}  // namespace tcc
