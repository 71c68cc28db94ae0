// The built tarnel-cache run as a process on real temporary folders.

#include <gtest/gtest.h>
#include <sys/wait.h>

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

// Runs tarnel-cache with args ("%" stands for the folder temp) through the
// shell, its input from /dev/null or else a terminal fed with `input`.
Result RunCli(std::string args, const TempDir& temp, const char* input = nullptr) {
    for (std::size_t at; (at = args.find('%')) != std::string::npos;) args.replace(at, 1, temp.path());
    std::string command = std::string(TCC_CLI) + " " + args;
    command = input ? "printf '" + std::string(input) + "' | script -qec '" + command + "' /dev/null"
                    : command + " </dev/null";
    const int status = std::system((command + " >" + temp / "out" + " 2>" + temp / "err").c_str());
    return {WEXITSTATUS(status), TempDir::Read(temp / "out"), TempDir::Read(temp / "err")};
}

TEST(CommandLine, ConvertAndSortFollowTheRulesAndADryRunForeseesThem) {
    // Keys in other letter case on disk, a target taken before and one taken
    // by an earlier record in other case, a name leaving the folder, a missing
    // cached file, no real name, a blank and an "="-less line, names too long
    // to hold first and last, a last record without line end, a sort folder in
    // other case to replace in.
    const std::string tooLong(300, 'n');
    const std::string index = "[Cache]\r\nL=" + tooLong + "\r\nabc=Map.unr\r\nK2=Tex.utx\r\nK3=../Evil.unr\r\nK4=Gone.uax\r\n\r\n"
                              "K5=Song.umx\r\nK6=song.umx\r\nK9=\nnoequals\nK7=Readme\r\n" + tooLong + "=x.unr\r\nK8=Lib.u";
    model::Tree start = {{"cache.ini", {model::Kind::File, index}}, {"music", {model::Kind::Folder, ""}}};
    for (const char* name : {"L.uxx", "AbC.UXX", "K2.uxx", "K3.uxx", "K5.uxx", "K6.uxx", "k7.uxx", "K8.uxx", "tex.UTX",
                             "music/Song.umx", "notes.txt"}) {
        start[name] = {model::Kind::File, std::string("was ") + name};
    }
    TempDir temp;
    const std::string game = temp / "game";
    for (const auto& [path, entry] : start) {
        if (entry.kind == model::Kind::Folder) fs::create_directories(game + "/Cache/" + path);
        else TempDir::Write(game + "/Cache/" + path, entry.content);
    }
    model::Tree rules = start;
    ASSERT_TRUE(model::Convert(rules, index) && model::Sort(rules));

    PlatformDisk disk;
    const model::Tree before = Snapshot(disk, game);
    const Result dry = RunCli("--dry-run convert sort %/game/Cache", temp);
    EXPECT_EQ(model::Diff(before, Snapshot(disk, game)), "");  // every name and byte as it was
    const Result real = RunCli("convert sort %/game/Cache", temp);
    model::Tree expected = {{"Cache", {model::Kind::Folder, ""}}};  // nothing beside it
    for (const auto& [path, entry] : rules) expected["Cache/" + path] = entry;
    EXPECT_EQ(model::Diff(expected, Snapshot(disk, game)), "");

    EXPECT_EQ(std::tuple(dry.status, real.status, dry.err, real.err), std::tuple(0, 0, "", ""));
    std::string foreseen = "\n" + dry.out;
    for (std::size_t at; (at = foreseen.find("\nwould ")) != std::string::npos;) foreseen.erase(at + 1, 6);
    EXPECT_EQ(foreseen.substr(1), real.out);
    EXPECT_EQ(real.out,
              "tarnel-cache: Notice: Some files may not be able to be converted due to 'cache.ini' file records "
              "not available.\nskip L: name too long\n"
              "rename abc.uxx -> Map.unr\nskip K2: target taken\nskip K3: name leaves the folder\n"
              "skip K4: cached file missing\nrename K5.uxx -> Song.umx\nskip K6: target taken\nskip K9: no real name\n"
              "rename K7.uxx -> Readme.unk\nskip " + tooLong + ": cached file missing\nrename K8.uxx -> Lib.u\n"
              "convert: 4 renamed, 7 passed over\nmake folder Maps\nmake folder System\nmake folder Textures\n"
              "make folder Sounds\nmake folder Unknown Extensions\n"
              "move Map.unr -> Maps/Map.unr\nmove tex.UTX -> Textures/tex.UTX\nreplace music/Song.umx\n"
              "move Readme.unk -> Unknown Extensions/Readme.unk\nmove Lib.u -> System/Lib.u\n"
              "tarnel-cache: Simply copy the 'Map', 'Textures', 'Sounds', 'Music', & 'System' folders from\n"
              "tarnel-cache: the 'Cache' directory to the game's main directory, choosing overwrite.\n"
              "sort: 4 moved, 1 replaced\n");
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
    };
    const Case cases[] = {
        {"refresh %/Cache", nullptr, 1, "", "(--yes answers yes)", index, "Cache/k.uxx"},
        {"refresh %/Cache", "n\\n", 1, "[y/N]", "", index, "Cache/k.uxx"},
        {"refresh %/Cache", "y\\n", 0, "refresh: cache.ini reset", "", "[Cache]\r\n", "Cache/k.uxx"},
        {"--yes refresh %/Cache", nullptr, 0, "write cache.ini\nrefresh: cache.ini reset\n", "", "[Cache]\r\n",
         "Cache/k.uxx"},
        {"--dry-run --yes refresh %/Cache", nullptr, 0, "would write cache.ini\n", "", index, "Cache/k.uxx"},
        {"-q convert refresh sort %/Cache", nullptr, 0, "", "", "[Cache]\r\n", "Cache/Maps/B.unr"},
        // The rename before the error stays done.
        {"convert sort %/Jam/cache", nullptr, 1, "rename k.uxx -> A.unr\n", "File already exists: %/Jam/cache/B.unr",
         index, "Jam/cache/A.unr"},
        {"convert %/Nowhere", nullptr, 1, "", "tarnel-cache: Path not found: %/Nowhere\n", index, "Cache/k.uxx"},
        {"sort %/Cache/..", nullptr, 1, "", "This is not a 'Cache' Folder", index, "Cache/k.uxx"},
        {"install %/Cache", nullptr, 1, "", "holds no System folder", index, "Cache/k.uxx"},
        {"convert sort install --game %/Cache/ %/Cache", nullptr, 1, "sort: 2 moved", "cannot be the Cache folder itself",
         index, "Cache/Maps/B.unr"},
        {"install --game %/Jam %/Jam/cache", nullptr, 0, "skip Maps/A.unr: the sort folder is the game's own\n", "", index,
         "Jam/Maps/A.unr"},
        {"--overwrite convert sort install --game %/Jam %/Cache", nullptr, 0, "same Maps/A.unr: already installed\n"
         "install Maps/B.unr, the game's old copy kept as b.unr.bak\nremove folder Maps\nremove folder System\nremove folder "
         "Textures\nremove folder Sounds\nremove folder Music\nremove folder Unknown Extensions\ninstall: 1 installed, 1 "
         "already installed, 0 passed over\n", "", index, "Jam/Maps/b.unr.bak"},
        {"convert %/Jam/cache/B.unr/cache", nullptr, 1, "", "'Cache.ini' is missing", index, "Cache/k.uxx"},
        {"", nullptr, 2, "", "give one or more commands", index, "Cache/k.uxx"},
        {"convert move %/Cache", nullptr, 2, "", "unknown command 'move'", index, "Cache/k.uxx"},
        {"--overwrite convert sort %/Cache", nullptr, 2, "", "--game and --overwrite are for install", index, "Cache/k.uxx"},
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
        TempDir::Write(temp / "Jam/Maps/A.unr", "k");  // installed already; b.unr is another version
        TempDir::Write(temp / "Jam/Maps/b.unr", "old");
        fs::create_directory_symlink("../Maps", temp / "Jam/cache/Maps");  // sorted straight into the game
        const Result r = RunCli(c.args, temp, c.input);
        std::string err = c.err;
        if (err.find('%') != std::string::npos) err.replace(err.find('%'), 1, temp.path());
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(c.out.empty() ? r.out.empty() : r.out.find(c.out) != std::string::npos) << r.out;
        EXPECT_TRUE(err.empty() ? r.err.empty() : r.err.find(err) != std::string::npos) << r.err;
        EXPECT_EQ(TempDir::Read(temp / "Cache/cache.ini"), c.after);
        EXPECT_TRUE(fs::exists(temp / c.exists));
    }
}

}  // namespace
}  // namespace tcc
