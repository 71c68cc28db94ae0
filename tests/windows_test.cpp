// What only Windows has: names Windows cannot give, names beyond ASCII in
// any code page, letter case folded by the file system itself, long paths,
// busy files, the index's code page, and the logical drives of the drive list.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/disk.h"
#include "core/file_error.h"
#include "core/text_reader.h"
#include "core/utf16.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/volumes.h"

#include <windows.h>  // last: its macros rename DeleteFile and MoveFile

namespace tcc {
namespace {

std::string Times(int n, const std::string& text) {
    std::string out;
    while (n-- > 0) out += text;
    return out;
}

TEST(WinDisk, RefusesNamesWindowsWouldChange) {
    WinDisk disk;
    const std::pair<std::string, bool> names[] = {
        {"Map.unr", true}, {"n\xC3\xA9.unr", true}, {"\xE9\x99\xB0.unr", true}, {".hidden.unr", true},
        {"COM0.u", true}, {"CONSOLE.u", true}, {Times(255, "\xC3\xA9"), true}, {Times(256, "\xC3\xA9"), false},
        {"", false}, {"x.", false}, {"x ", false}, {"a:b.unr", false}, {"a?.unr", false}, {"a\tb", false},
        {"CON", false}, {"con.txt", false}, {"Nul .unr", false}, {"lpt9.u", false}, {"COM\xC2\xB9.u", false},
        {"a/b", false}, {"n\xE9.unr", false}};
    for (const auto& [name, holds] : names) EXPECT_EQ(disk.CanHoldName(name), holds) << name;
}

TEST(WinDisk, ListsEveryNameAndFoldsCaseAsTheSystemDoes) {
    TempDir dir;
    TempDir::Write(dir / "Map.unr", "old");
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "n\xC3\xA9.unr", "e acute");
    std::filesystem::create_directory(NativePath(dir.path()) / L"\u4e2d.unr");  // in no code page of Wine's
    WinDisk disk;
    std::vector<std::string> names;
    for (const DirEntry& e : disk.ReadDir(dir.path())) names.push_back(e.name + (e.type == EntryType::File ? "" : "/"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Map.unr", "a.uxx", "n\xC3\xA9.unr", "\xE4\xB8\xAD.unr/"}));
    EXPECT_EQ(disk.Stat(dir / "MAP.UNR").type, EntryType::File);
    EXPECT_EQ(disk.Stat(dir / "N\xC3\x89.UNR").type, EntryType::File);

    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { disk.RenameNoReplace(dir / "a.uxx", dir / "map.UNR"); }, kFileAlreadyExists},
        {[&] { disk.RenameNoReplace(dir / "a.uxx", dir / "N\xC3\x89.unr"); }, kFileAlreadyExists},
        {[&] { disk.CreateNew(dir / "MAP.unr"); }, kFileAlreadyExists},
        {[&] { disk.MakeDir(dir / "map.unr"); }, kFileAlreadyExists},
        {[&] { disk.OpenRead(dir / "gone.unr"); }, kFileNotFound},
        {[&] { disk.ReadDir(dir / "gone"); }, kPathNotFound},
        {[&] { disk.ReadDir(dir / "Map.unr"); }, kPathNotFound},
        {[&] { disk.RenameNoReplace(dir / "a.uxx", dir / "gone/a.unr"); }, kPathNotFound},
        {[&] { disk.Remove(dir / "gone.unr"); }, kFileNotFound},
    };
    for (const auto& [call, number] : cases) EXPECT_EQ(ErrorOf(call), number);
    EXPECT_EQ(TempDir::Read(dir / "Map.unr"), "old");
    EXPECT_EQ(TempDir::Read(dir / "a.uxx"), "new");

    // A letter and its small form have one key where the system takes them
    // for one, and every key is a form of its letter to the system.
    for (wchar_t unit = 1; unit != 0; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        const std::string key = SystemCaseKey(ToUtf8(std::wstring(1, unit)));
        std::wstring keyUnits;
        wchar_t small = unit;
        ASSERT_TRUE(ToUtf16(key, &keyUnits));
        ASSERT_EQ(CompareStringOrdinal(&unit, 1, keyUnits.data(), static_cast<int>(keyUnits.size()), TRUE), CSTR_EQUAL) << int(unit);
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &unit, 1, &small, 1, nullptr, nullptr, 0);
        if (CompareStringOrdinal(&unit, 1, &small, 1, TRUE) == CSTR_EQUAL) {
            ASSERT_EQ(SystemCaseKey(ToUtf8(std::wstring(1, small))), key) << int(unit);
        }
    }
}

TEST(WinDisk, GivesTheSystemLongNormalisedPaths) {
    const std::pair<std::string, std::wstring> paths[] = {
        {"C:\\Games\\..\\Cache", L"\\\\?\\C:\\Cache"},
        {"C:/Games/./Cache/", L"\\\\?\\C:\\Games\\Cache\\"},
        {"\\\\server\\share\\Games\\..\\Cache", L"\\\\?\\UNC\\server\\share\\Cache"},
        {"\\\\?\\C:\\Cache", L"\\\\?\\C:\\Cache"},
        {"C:\\\xC3\x89t\xC3\xA9", L"\\\\?\\C:\\\u00c9t\u00e9"},
        {"C:\\n\xE9", L""}};
    for (const auto& [path, system] : paths) EXPECT_EQ(SystemPath(path), system) << path;
}

// A file another program holds open without sharing it (the game, a virus
// scanner) is waited for about a second; one held longer fails with its path.
TEST(WinDisk, WaitsForABusyFileAndNamesItWhenItStaysBusy) {
    TempDir dir;
    for (const char* name : {"a.uxx", "cache.ini", "old.unr", "b.uxx", "Map.unr"}) TempDir::Write(dir / name, name);
    auto hold = [&](const char* name) {
        return CreateFileW(NativePath(dir / name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    WinDisk disk;
    const std::pair<const char*, std::function<void()>> released[] = {
        {"a.uxx", [&] { disk.RenameNoReplace(dir / "a.uxx", dir / "A.unr"); }},
        {"cache.ini", [&] { disk.OpenRead(dir / "cache.ini"); }},
        {"old.unr", [&] { disk.Remove(dir / "old.unr"); }},
    };
    for (const auto& [name, call] : released) {
        HANDLE held = hold(name);
        std::thread release([held] { Sleep(300); CloseHandle(held); });
        EXPECT_EQ(ErrorText(call), "") << name;
        release.join();
    }
    HANDLE held = hold("Map.unr");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorText([&] { disk.RenameReplace(dir / "b.uxx", dir / "Map.unr"); }),
              "70 Permission denied: " + dir / "Map.unr");
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    CloseHandle(held);
    EXPECT_EQ(TempDir::Read(dir / "A.unr") + TempDir::Read(dir / "b.uxx"), "a.uxxb.uxx");
}

// The index as the game wrote it: in the ANSI code page (under Wine 1252, or
// 932 with LANG=ja_JP.UTF-8), or in UTF-16 after its byte-order mark; a
// character of several bytes lies across the end of the first read (64 KiB).
TEST(WinDisk, ReadsTheIndexInTheCodePageOrInUtf16) {
    // In 932 the second bytes of these are "A", "a", "\\" and "\\".
    const std::string name = GetACP() == 932 ? "\xE9\x99\xB0\xE9\xA4\x8C\xE3\x82\xBD\xE8\xA1\xA8" : "n\xC3\xA9\xC3\x89";
    const std::string emoji = "\xF0\x9F\x98\x80";
    auto utf16 = [](const std::string& text, bool little) {
        std::wstring units;
        ToUtf16(text, &units);
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (wchar_t u : units) bytes += little ? std::string{char(u), char(u >> 8)} : std::string{char(u >> 8), char(u)};
        return bytes;
    };
    const std::pair<std::string, std::function<std::string(const std::string&)>> forms[] = {
        {std::string(65524, 'x') + name, [](const std::string& text) { return AnsiOfText(text); }},
        {std::string(32755, 'x') + emoji + name, [&](const std::string& text) { return utf16(text, true); }},
        {std::string(32755, 'x') + emoji + name, [&](const std::string& text) { return utf16(text, false); }},
    };
    TempDir dir;
    WinDisk disk;
    for (const auto& [padded, encode] : forms) {
        const std::vector<std::string> lines = {"[Cache]", "p=" + padded, "k=" + name + ".unr"};
        const std::string bytes = encode(lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2]);
        TempDir::Write(dir / "cache.ini", bytes);
        TextReader reader(disk.ReadText(disk.OpenRead(dir / "cache.ini")), "cache.ini");
        std::vector<std::string> read;
        while (!reader.AtEndOfStream()) read.push_back(reader.ReadLine());
        EXPECT_EQ(read, lines);
        EXPECT_EQ(reader.Position(), bytes.size());
    }
}

TEST(Volumes, TheLogicalDrivesAsWindowsListsThem) {
    auto source = MakeSystemVolumeSource();
    bool c = false;
    for (const Volume& v : source->Volumes()) {
        ASSERT_EQ(v.root.substr(1), ":\\");
        const std::string text = VolumeEntryText(v);
        EXPECT_EQ(text.substr(0, 2), std::string(1, static_cast<char>(std::tolower(v.root[0]))) + ":");
        EXPECT_EQ(text.size() > 2, !v.name.empty()) << text;
        if (v.root == "C:\\") c = source->IsReady(v);
    }
    EXPECT_TRUE(c) << "drive C: ready";
    EXPECT_EQ(VolumeEntryText({"D:\\", "Games"}), "d: [Games]");
    // A drive that went away since the list was read (a card taken out), and
    // a drive letter with nothing behind it: listed, but not ready.
    char letter = 'R';
    while (GetLogicalDrives() & (1u << (letter - 'A'))) ++letter;
    const std::string device = std::string(1, letter) + ":";
    EXPECT_FALSE(source->IsReady({device + "\\", ""}));
    ASSERT_TRUE(DefineDosDeviceA(0, device.c_str(), "C:\\tcc-no-such-card"));
    const auto volumes = source->Volumes();
    auto listed = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == device + "\\"; });
    EXPECT_TRUE(listed != volumes.end() && VolumeEntryText(*listed) == std::string(1, std::tolower(letter)) + ":" &&
                !source->IsReady(*listed));
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
}

}  // namespace
}  // namespace tcc
