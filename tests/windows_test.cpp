// What only Windows has: names Windows cannot give, letter case folded by
// the file system itself, long paths, busy files, and the logical drives of
// the drive list. The index's code pages are checked end to end
// (tools/test-windows).

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/disk.h"
#include "core/file_error.h"
#include "core/utf16.h"
#include "tests/support/cache_check.h"
#include "tests/support/temp_dir.h"
#include "core/volumes.h"

#include <windows.h>  // last: its macros rename DeleteFile and MoveFile

namespace tcc {
namespace {

TEST(WinDisk, RefusesNamesWindowsWouldChangeAndGivesTheSystemLongNormalisedPaths) {
    WinDisk disk;
    const std::pair<std::string, bool> names[] = {
        {"Map.unr", true}, {"n\xC3\xA9.unr", true}, {"\xE9\x99\xB0.unr", true}, {".hidden.unr", true}, {"COM0.u", true},
        {"CONSOLE.u", true}, {ToUtf8(std::wstring(255, 0xE9)), true}, {ToUtf8(std::wstring(256, 0xE9)), false},
        {"", false}, {"x.", false}, {"x ", false}, {"a:b.unr", false}, {"a?.unr", false}, {"a\tb", false},
        {"CON", false}, {"con.txt", false}, {"Nul .unr", false}, {"lpt9.u", false}, {"COM\xC2\xB9.u", false},
        {"a/b", false}, {"n\xE9.unr", false}};
    for (const auto& [name, holds] : names) EXPECT_EQ(disk.CanHoldName(name), holds) << name;
    const std::pair<std::string, std::wstring> paths[] = {
        {"C:\\Games\\..\\Cache", L"\\\\?\\C:\\Cache"}, {"C:/Games/./Cache/", L"\\\\?\\C:\\Games\\Cache\\"}, {"C:\\n\xE9", L""},
        {"\\\\server\\share\\Games\\..\\Cache", L"\\\\?\\UNC\\server\\share\\Cache"}};
    for (const auto& [path, system] : paths) EXPECT_EQ(SystemPath(path), system) << path;
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
