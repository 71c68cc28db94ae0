// The built tarnel-cache run as a process on real temporary folders.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/version.h"
#include "tests/support/cache_check.h"
#include "tests/support/temp_dir.h"

namespace tcc {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
};

// Where the streams go: apart, standard error into standard output, the
// input piped in while standard error is a terminal, or standard output into
// a pipe nobody reads.
enum class Streams { Apart, Together, PipedIn, Gone };

// Runs tarnel-cache with args ("%" stands for the folder temp) through the
// shell, its input from /dev/null or else a terminal fed with `input`.
Result RunCli(std::string args, const TempDir& temp, const char* input = nullptr, Streams streams = Streams::Apart) {
    for (std::size_t at; (at = args.find('%')) != std::string::npos;) args.replace(at, 1, temp.path());
    std::string command = std::string(TCC_CLI) + " " + args;
    if (streams == Streams::PipedIn) command = "script -qec \"printf '" + std::string(input) + "' | " + command + "\" /dev/null </dev/null";
    else if (input) command = "printf '" + std::string(input) + "' | script -qec '" + command + "' /dev/null";
    else command += " </dev/null";
    int pipe[2];
    if (::pipe(pipe) != 0) return {-2, "", ""};
    ::close(pipe[0]);
    command += streams == Streams::Gone ? " >&" + std::to_string(pipe[1]) : " >" + temp / "out";
    const int status = std::system((command + (streams == Streams::Together ? " 2>&1" : " 2>" + temp / "err")).c_str());
    ::close(pipe[1]);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDir::Read(temp / "out"), TempDir::Read(temp / "err")};
}

// What the commands did, line by line, as the dry run foresaw it; that they
// did it is checked on the random caches.
TEST(CommandLine, ConvertAndSortTellEveryChangeAndADryRunForeseesThem) {
    // Keys in other letter case on disk, a target taken before and one taken
    // by an earlier record in other case, a name leaving the folder, a missing
    // cached file, no real name, a blank and an "="-less line, names too long
    // to hold, a key with a control byte, a sort folder in other case to
    // replace in and one holding a name in other case, and the cache folder so
    // deep that one name fits there but not in a sort folder and another not
    // even there; a last record without line end.
    const std::string tooLong(300, 'n'), fits(190, 'm'), wide(200, 'w');
    const std::string index = "[Cache]\r\nL=" + tooLong + "\r\nabc=Map.unr\r\nK2=Tex.utx\r\nK3=../Evil.unr\r\nK4=Gone.uax\r\n\r\n"
                              "K5=Song.umx\r\nK6=song.umx\r\nK9=\nnoequals\nK7=Readme\r\n" + tooLong + "=x.unr\r\nK8=Lib.u\r\n"
                              "Esc\x1b=Esc.unr\nM=" + fits + "\nN=" + wide + ".unr";
    model::Tree start = {{"cache.ini", {model::Kind::File, index}}, {"music", {model::Kind::Folder, ""}},
                         {"Maps", {model::Kind::Folder, ""}}};
    for (const char* name : {"L.uxx", "AbC.UXX", "K2.uxx", "K3.uxx", "K5.uxx", "K6.uxx", "k7.uxx", "K8.uxx", "tex.UTX",
                             "music/Song.umx", "notes.txt", "Esc\x1b.uxx", "M.uxx", "N.uxx", "Maps/map.UNR"}) {
        start[name] = {model::Kind::File, std::string("was ") + name};
    }
    TempDir temp;
    std::string game = temp.path();  // its Cache folder's path 3900 bytes long
    while (game.size() < 3900 - 11) game += "/" + std::string(std::min<std::size_t>(200, 3900 - 12 - game.size()), 'd');
    game += "/game";
    for (const auto& [path, entry] : start) {
        if (entry.kind == model::Kind::Folder) fs::create_directories(game + "/Cache/" + path);
        else TempDir::Write(game + "/Cache/" + path, entry.content);
    }
    PlatformDisk disk;
    const model::Tree before = Snapshot(disk, game);
    const Result dry = RunCli("--dry-run convert sort " + game + "/Cache", temp);
    EXPECT_EQ(model::Diff(before, Snapshot(disk, game)), "");  // every name and byte as it was
    const Result real = RunCli("convert sort " + game + "/Cache", temp);
    EXPECT_EQ(std::tuple(dry.status, real.status, dry.err, real.err), std::tuple(0, 0, "", ""));
    std::string foreseen = "\n" + dry.out;
    for (std::size_t at; (at = foreseen.find("\nwould ")) != std::string::npos;) foreseen.erase(at + 1, 6);
    EXPECT_EQ(foreseen.substr(1), real.out);
    EXPECT_EQ(real.out,
              "tarnel-cache: Notice: Some files may not be able to be converted due to 'cache.ini' file records "
              "not available.\nskip L: name too long\n"
              "rename AbC.UXX -> Map.unr\nskip K2: target taken\nskip K3: name leaves the folder\n"
              "skip K4: cached file missing\nrename K5.uxx -> Song.umx\nskip K6: target taken\nskip K9: no real name\n"
              "rename k7.uxx -> Readme.unk\nskip " + tooLong + ": cached file missing\nrename K8.uxx -> Lib.u\n"
              "rename Esc\\x1b.uxx -> Esc.unr\nrename M.uxx -> " + fits + ".unk\nskip N: name too long\n"
              "convert: 6 renamed, 8 passed over\nmake folder System\nmake folder Textures\n"
              "make folder Sounds\nmake folder Unknown Extensions\nmove Esc.unr -> Maps/Esc.unr\n"
              "skip Map.unr: Maps/map.UNR holds its name in other case\nmove tex.UTX -> Textures/tex.UTX\n"
              "replace music/Song.umx\nmove Readme.unk -> Unknown Extensions/Readme.unk\nskip " + fits + ".unk: name too long\n"
              "move Lib.u -> System/Lib.u\n"
              "tarnel-cache: Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\n"
              "tarnel-cache: the 'Cache' directory to the game's main directory, choosing overwrite.\n"
              "sort: 4 moved, 1 replaced, 2 passed over\n");
}

TEST(CommandLine, AnswersRefusalsErrorsAndUsageWithTheirStatus) {
    const std::string version = std::string("tarnel-cache ") + kVersion + "\n";
    const std::string index = "[Cache]\r\nk=A.unr\r\nj=B.unr";
    struct Case {
        const char* args;
        const char* input;   // fed through a terminal; null: no terminal
        int status;
        std::string out;     // found in standard output; "" means it is empty
        const char* err;     // found in standard error; "" means it is empty
        std::string after;   // Cache/cache.ini afterwards
        const char* exists;  // a path that must exist afterwards
        Streams streams = Streams::Apart;
    };
    const Case cases[] = {
        {"refresh %/Cache", nullptr, 1, "", "(--yes answers yes)", index, "Cache/k.uxx"},
        {"refresh %/Cache", "n\\n", 1, "tarnel-cache: refresh was not run", "", index, "Cache/k.uxx"},
        // The question is answered on standard input, which is no terminal here.
        {"refresh %/Cache", "y\\n", 1, "(--yes answers yes)", "", index, "Cache/k.uxx", Streams::PipedIn},
        {"refresh %/Cache", "y\\n", 0, "refresh: cache.ini reset", "", "[Cache]\r\n", "Cache/k.uxx"},
        {"--yes refresh %/Cache", nullptr, 0, "write cache.ini\nrefresh: cache.ini reset\n", "", "[Cache]\r\n",
         "Cache/k.uxx"},
        {"--dry-run --yes refresh %/Cache", nullptr, 0, "would write cache.ini\n", "", index, "Cache/k.uxx"},
        // A file the sort passes over is told even then.
        {"-q convert refresh sort %/Cache", nullptr, 0, "", "tarnel-cache: sort: 1 moved, 0 replaced, 1 passed over\n",
         "[Cache]\r\n", "Cache/Maps/B.unr"},
        // A reader that goes away (| head) ends the output, not the commands.
        {"convert sort %/Cache", nullptr, 0, "", "", index, "Cache/Maps/B.unr", Streams::Gone},
        // The rename before the error stays done, and is told before it.
        {"convert sort %/Jam/cache", nullptr, 1, "rename k.uxx -> A.unr\ntarnel-cache: File already exists: %/Jam/cache/B.unr",
         "", index, "Jam/cache/A.unr", Streams::Together},
        {"convert %/Nowhere", nullptr, 1, "", "tarnel-cache: Path not found: %/Nowhere\n", index, "Cache/k.uxx"},
        {"convert %/Cache/k.uxx", nullptr, 1, "", "tarnel-cache: Not a folder: %/Cache/k.uxx\n", index, "Cache/k.uxx"},
        // ".." after a link is the link's target's parent, as the system has it.
        {"sort %/b/link/../cache", nullptr, 0, "make folder Maps", "", index, "Jam/cache/Maps"},
        {"sort %/Cache/..", nullptr, 1, "", "This is not a 'Cache' Folder", index, "Cache/k.uxx"},
        {"convert %/Jam/cache/B.unr/cache", nullptr, 1, "", "'Cache.ini' is missing", index, "Cache/k.uxx"},
        {"", nullptr, 2, "", "give one or more commands", index, "Cache/k.uxx"},
        {"convert move %/Cache", nullptr, 2, "", "unknown command 'move'", index, "Cache/k.uxx"},
        {"--version", nullptr, 0, version, "", index, "Cache/k.uxx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.args) + (c.input ? " answering " + std::string(c.input) : ""));
        TempDir temp;
        for (const std::string folder : {"Cache/", "Jam/cache/"}) {
            TempDir::Write(temp / folder + "cache.ini", index);
            TempDir::Write(temp / folder + "k.uxx", "k");
            TempDir::Write(temp / folder + "j.uxx", "j");
        }
        fs::create_directories(temp / "Jam/cache/B.unr/cache");  // a folder takes a target
        TempDir::Write(temp / "Cache/Maps/a.UNR", "a");  // a name in other case
        fs::create_directories(temp / "b");
        fs::create_directory_symlink(temp / "Jam/cache", temp / "b/link");
        const Result r = RunCli(c.args, temp, c.input, c.streams);
        std::string out = c.out, err = c.err;
        for (std::string* text : {&out, &err}) {
            if (text->find('%') != std::string::npos) text->replace(text->find('%'), 1, temp.path());
        }
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(out.empty() ? r.out.empty() : r.out.find(out) != std::string::npos) << r.out;
        EXPECT_TRUE(err.empty() ? r.err.empty() : r.err.find(err) != std::string::npos) << r.err;
        EXPECT_EQ(TempDir::Read(temp / "Cache/cache.ini"), c.after);
        EXPECT_TRUE(fs::exists(temp / c.exists));
    }
}

}  // namespace
}  // namespace tcc
