// What only Windows has: names Windows cannot give, letter case folded by
// the file system itself, long paths, busy files, and the logical drives of
// the drive list. The index's code pages are checked end to end
// (tools/test-windows).

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "commands/install.h"
#include "commands/sort.h"
#include "core/disk.h"
#include "core/dry_run_disk.h"
#include "core/file_error.h"
#include "core/system.h"
#include "core/text_reader.h"
#include "core/utf16.h"
#include "core/volumes.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"

#include <windows.h>  // last: its macros rename DeleteFile and MoveFile
#include <sddl.h>

namespace tcc {
namespace {

// Every name the system would take for a device or trim is refused; paths go to the system in their long form, only
// the part relative to the current folder or drive resolved by it, every name after the root as written.
TEST(WinDisk, RefusesNamesWindowsWouldChangeAndGivesTheSystemLongPathsOfTheNamesAsWritten) {
    WinDisk disk;
    const std::pair<std::string, bool> names[] = {
        {"Map.unr", true}, {"n\xC3\xA9.unr", true}, {"\xE9\x99\xB0.unr", true}, {".hidden.unr", true}, {"COM0.u", true},
        {"CONSOLE.u", true}, {ToUtf8(std::wstring(255, 0xE9)), true}, {ToUtf8(std::wstring(256, 0xE9)), false},
        {"", false}, {"x.", false}, {"x ", false}, {"a:b.unr", false}, {"a?.unr", false}, {"a\tb", false},
        {"CON", false}, {"con.txt", false}, {"Nul .unr", false}, {"lpt9.u", false}, {"COM\xC2\xB9.u", false},
        {"a/b", false}, {"n\xE9.unr", false}, {"CONIN$", false}, {"conOut$ .unr", false}, {"CONIN$x.u", true}};
    for (const auto& [name, holds] : names) EXPECT_EQ(disk.CanHoldName(name), holds) << name;
    for (const char* device : {"con", "PRN", "Aux", "nul", "com1", "LPT9", "conin$", "CONOUT$", "COM\xC2\xB9", "lpt\xC2\xB3"}) {
        for (const char* end : {"", ".unr", " .unr", ".x.y", "  "}) {
            const std::wstring path = L"C:\\d\\" + ToUtf16(std::string(device) + end);
            wchar_t full[MAX_PATH];
            GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
            EXPECT_TRUE(path == full || !disk.CanHoldName(std::string(device) + end)) << device << end;
        }
    }
    wchar_t current[MAX_PATH];
    const std::wstring here(current, GetCurrentDirectoryW(MAX_PATH, current));
    const std::pair<std::string, std::wstring> paths[] = {
        {"C:\\Games\\..\\Cache", L"\\\\?\\C:\\Cache"}, {"C:/Games/./Cache/", L"\\\\?\\C:\\Games\\Cache"}, {"C:\\n\xE9", L""},
        {"C:\\Cache\\CON.unr", L"\\\\?\\C:\\Cache\\CON.unr"}, {"C:\\..\\x.unr .", L"\\\\?\\C:\\x.unr ."}, {"C:\\", L"\\\\?\\C:\\"},
        {"Cache\\..\\aux.utx", L"\\\\?\\" + here + L"\\aux.utx"}, {"\\\\server\\share\\Games\\..\\..\\Cache", L"\\\\?\\UNC\\server\\share\\Cache"}};
    for (const auto& [path, system] : paths) EXPECT_EQ(SystemPath(path), system) << path;
}

// Names as the disk holds them reach their files: devices' names and a trailing space or dot (made through the long
// form, as archive tools and WSL make them) are sorted and installed, and a case-only rename of a name of 255
// units goes by a temporary name no longer. A name the file system cannot store (a lone surrogate under Wine) is
// blamed on itself; a folder typed in other case or by its 8.3 name is named as the disk holds it; a folder the
// process may not write and a path longer than the system takes are refused by the dry run too. The index is
// decoded a line at a time: a lead byte at a line's end (code page 932) takes no line end along.
TEST(WinDisk, ReachesEveryNameAsListedAndRefusesWhatTheSystemRefuses) {
    TempDir dir;
    WinDisk disk;
    const std::string name(251, 'n'), lone = dir / ToUtf8(L"\xD800.unr");
    // What the temporary folder's removal cannot reach, or takes for a device (and waits on), however the test ends.
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) { for (const std::string& gone : {dir / "game/Cache/x.unr ", dir / "game/Cache/x.unr.", dir / "game/Maps/A.unr ", dir / "game/Maps/CON.unr", dir / "game/Textures/aux.utx", dir / "game/Cache/aux.utx", dir / name + ".UNR"}) ErrorText([&] { disk.Remove(gone); }); });
    for (const char* folder : {"game", "game/System", "game/Cache", "game/Cache/Maps"}) disk.MakeDir(dir / folder);
    for (const char* name : {"CON.unr", "aux.utx", "x.unr ", "x.unr.", "Maps/A.unr "}) {
        CloseHandle(CreateFileW((L"\\\\?\\" + ToUtf16(dir / ("game/Cache/" + std::string(name)))).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    CacheFolderState state(disk);
    RecordingReporter window;
    EXPECT_EQ(ErrorText([&] { state.ChooseFolder(dir / "game/Cache"), RunSort(state, window), RunInstall(state, window, {}); }), "");
    std::string tree;
    for (const auto& [path, entry] : Snapshot(disk, dir.path())) tree += path + "|";
    EXPECT_EQ(tree, "game|game/Cache|game/Cache/x.unr |game/Cache/x.unr.|game/Maps|game/Maps/A.unr |"
                    "game/Maps/CON.unr|game/System|game/Textures|game/Textures/aux.utx|");
    disk.CreateNew(dir / name + ".unr")->Close();
    disk.RenameNoReplace(dir / name + ".unr", dir / name + ".UNR");
    EXPECT_EQ(disk.ReadDir(dir.path()).back().name, name + ".UNR");
    const std::string error = ErrorText([&] { disk.RenameNoReplace(dir / name + ".UNR", lone); });
    EXPECT_TRUE(error.empty() || error == "52 Bad file name or number: " + lone) << error;

    wchar_t shortPath[MAX_PATH];
    disk.MakeDir(dir / "A Folder Of The Game"), disk.MakeDir(dir / "A Folder Of The Game/Cache");
    GetShortPathNameW(NativePath(dir / "A Folder Of The Game").c_str(), shortPath, MAX_PATH);
    EXPECT_EQ(FullPath(ToUtf8(shortPath) + "\\CACHE").substr(dir.path().size()), "\\A Folder Of The Game\\Cache") << ToUtf8(shortPath);

    EXPECT_TRUE(disk.SameEntry(dir / "game/System", dir / "GAME/./system/") && !disk.SameEntry(dir / "game", dir / "game/System"));
    disk.MakeDir(dir / "Locked");
    PSECURITY_DESCRIPTOR none = nullptr;  // an empty list of who may do what: no one may do anything there
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &none, nullptr);
    ASSERT_TRUE(SetFileSecurityW(NativePath(dir / "Locked").c_str(), DACL_SECURITY_INFORMATION, none) && !LocalFree(none));
    DryRunDisk dry(disk);
    std::string deep = dir.path();
    while (deep.size() <= 32767) deep += "\\" + std::string(200, 'd');
    EXPECT_EQ(std::tuple(disk.MayWrite(dir.path()), disk.MayWrite(dir / "gone"), ErrorText([&] { dry.CreateNew(dir / "Locked/a"); }),
                         ErrorText([&] { dry.MakeDir(deep); })),
              std::tuple(true, true, "70 Permission denied: " + dir / "Locked", "52 Bad file name or number: " + deep));

    TempDir::Write(dir / "cache.ini", "[Cache]\nH1=ab\x83\nH2=Tex.utx\r\nH3=n\xE9.unr");
    std::string lines;
    for (TextReader index(disk.ReadText(disk.OpenRead(dir / "cache.ini")), ""); !index.AtEndOfStream();) lines += index.ReadLine() + "|";
    EXPECT_TRUE(lines.find("|H2=Tex.utx|H3=n") != std::string::npos && (GetACP() != 1252 || lines == "[Cache]|H1=ab\xC6\x92|H2=Tex.utx|H3=n\xC3\xA9.unr|")) << lines;
}

// Letter case is the system's: a name taken in other case is taken. A file another program holds open without
// sharing it (the game, a virus scanner) is waited for about a second; one held longer fails with its path.
// (Names in no code page are listed by the random caches on this disk, engine_test.)
TEST(WinDisk, FoldsCaseAsTheSystemDoesAndWaitsForABusyFile) {
    TempDir dir;
    for (const auto& [name, text] : {std::pair{"Map.unr", "old"}, {"a.uxx", "new"}, {"n\xC3\xA9.unr", "e acute"}})
        TempDir::Write(dir / name, text);
    WinDisk disk;
    EXPECT_EQ(disk.Stat(dir / "MAP.UNR").type, EntryType::File);
    EXPECT_EQ(disk.Stat(dir / "N\xC3\x89.UNR").type, EntryType::File);

    // The file held open meanwhile ("" for none), the call, and the error it ends with.
    const std::string exists = "58 File already exists: ", notFound = "53 File not found: ", noPath = "76 Path not found: ";
    const std::tuple<const char*, std::function<void()>, std::string> cases[] = {
        {"", [&] { disk.RenameNoReplace(dir / "a.uxx", dir / "map.UNR"); }, exists + dir / "map.UNR"},
        {"", [&] { disk.RenameNoReplace(dir / "a.uxx", dir / "N\xC3\x89.unr"); }, exists + dir / "N\xC3\x89.unr"},
        {"", [&] { disk.CreateNew(dir / "MAP.unr"); }, exists + dir / "MAP.unr"},
        {"", [&] { disk.MakeDir(dir / "map.unr"); }, exists + dir / "map.unr"},
        {"", [&] { disk.OpenRead(dir / "gone.unr"); }, notFound + dir / "gone.unr"},
        {"", [&] { disk.ReadDir(dir / "gone"); }, noPath + dir / "gone"},
        {"", [&] { disk.ReadDir(dir / "Map.unr"); }, noPath + dir / "Map.unr"},
        {"", [&] { disk.Remove(dir / "gone.unr"); }, notFound + dir / "gone.unr"},
        {"Map.unr", [&] { disk.OpenRead(dir / "Map.unr"); }, ""},
        {"a.uxx", [&] { disk.RenameNoReplace(dir / "a.uxx", dir / "A.unr"); }, ""},
        {"n\xC3\xA9.unr", [&] { disk.Remove(dir / "n\xC3\xA9.unr"); }, ""},
        {"Map.unr", [&] { disk.RenameReplace(dir / "A.unr", dir / "Map.unr"); }, "70 Permission denied: " + dir / "Map.unr"},
    };
    for (const auto& [held, call, error] : cases) {
        const HANDLE file = *held ? CreateFileW(NativePath(dir / held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : nullptr;
        // Let go within the second of tries, or only after it.
        std::thread release([file, wait = error.empty() ? 300 : 1500] { if (file) Sleep(wait), CloseHandle(file); });
        EXPECT_EQ(ErrorText(call), error) << held;
        release.join();
    }
    EXPECT_EQ(std::tuple(TempDir::Read(dir / "Map.unr"), TempDir::Read(dir / "A.unr")), std::tuple("old", "new"));

    // Every key is a form of its letter to the system, and a letter and its
    // small form that the system takes for one have one key.
    const auto keyOf = [](wchar_t unit) { return SystemCaseKey(ToUtf8(std::wstring(1, unit))); };
    for (wchar_t unit = 1, small; unit != 0; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        std::wstring key;
        ASSERT_TRUE(ToUtf16(keyOf(unit), &key)) << int(unit);
        ASSERT_EQ(CompareStringOrdinal(&unit, 1, key.data(), int(key.size()), TRUE), CSTR_EQUAL) << int(unit);
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &unit, 1, &small, 1, nullptr, nullptr, 0);
        ASSERT_TRUE(CompareStringOrdinal(&unit, 1, &small, 1, TRUE) != CSTR_EQUAL || keyOf(small) == keyOf(unit)) << int(unit);
    }
}

TEST(Volumes, TheLogicalDrivesAsWindowsListsThem) {
    auto source = MakeSystemVolumeSource();
    EXPECT_EQ(VolumeEntryText({"D:\\", "Games"}), "d: [Games]");
    // A drive that went away since the list was read (a card taken out), and
    // a drive letter with nothing behind it: listed, but not ready.
    char letter = 'R';
    while (GetLogicalDrives() & (1u << (letter - 'A'))) ++letter;
    const std::string device = std::string(1, letter) + ":";
    EXPECT_FALSE(source->IsReady({device + "\\", ""}));
    ASSERT_TRUE(DefineDosDeviceA(0, device.c_str(), "C:\\tcc-no-such-card"));
    bool c = false, listed = false;
    for (const Volume& v : source->Volumes()) {
        ASSERT_EQ(v.root.substr(1), ":\\");
        const std::string text = VolumeEntryText(v);
        EXPECT_EQ(text.substr(0, 2), std::string(1, static_cast<char>(std::tolower(v.root[0]))) + ":");
        EXPECT_EQ(text.size() > 2, !v.name.empty()) << text;
        // A loaded machine may keep the answer past its limit now and then:
        // C: is asked again, and must be ready at one of three asks.
        for (int ask = 0; v.root == "C:\\" && !c && ask < 3; ++ask) c = source->IsReady(v);
        listed = listed || (v.root == device + "\\" && text.size() == 2 && !source->IsReady(v));
    }
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
    EXPECT_TRUE(c) << "drive C: ready";
    EXPECT_TRUE(listed) << device << " listed, not ready";
}

}  // namespace
}  // namespace tcc
