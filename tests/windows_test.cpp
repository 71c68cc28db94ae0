// What only Windows has: names Windows cannot give, names
// outside the ANSI code page, names that fold case in the file system itself,
// and the logical drives of the drive list.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/disk.h"
#include "core/file_error.h"
#include "tests/support/cache_fixture.h"
#include "tests/support/temp_dir.h"
#include "form/volumes.h"

#include <windows.h>  // last: its macros rename DeleteFile and MoveFile

namespace tcc {
namespace {

TEST(WinDisk, RefusesNamesWindowsWouldChange) {
    WinDisk disk;
    const std::pair<const char*, bool> names[] = {
        {"Map.unr", true}, {"n\xe9.unr", true}, {".hidden.unr", true}, {"COM0.u", true}, {"CONSOLE.u", true},
        {"", false}, {"x.", false}, {"x ", false}, {"a:b.unr", false}, {"a?.unr", false}, {"a\tb", false},
        {"CON", false}, {"con.txt", false}, {"Nul .unr", false}, {"lpt9.u", false}, {"a/b", false}};
    for (const auto& [name, holds] : names) EXPECT_EQ(disk.CanHoldName(name), holds) << name;
}

TEST(WinDisk, FoldsCaseRefusesTakenNamesAndPassesOverNamesOutsideTheCodePage) {
    TempDir dir;
    TempDir::Write(dir / "Map.unr", "old");
    TempDir::Write(dir / "a.uxx", "new");
    TempDir::Write(dir / "n\xe9.unr", "e acute");  // in the ANSI code page (1252 under Wine)
    std::filesystem::create_directory(NativePath(dir.path()) / L"\u4e2d.unr");  // not in it
    WinDisk disk;
    std::vector<std::string> names;
    for (const DirEntry& e : disk.ReadDir(dir.path())) names.push_back(e.name + (e.type == EntryType::File ? "" : "/"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Map.unr", "a.uxx", "n\xe9.unr"}));
    EXPECT_EQ(disk.Stat(dir / "MAP.UNR").type, EntryType::File);

    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { disk.RenameNoReplace(dir / "a.uxx", dir / "map.UNR"); }, kFileAlreadyExists},
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
}

TEST(Volumes, TheLogicalDrivesAsWindowsListsThem) {
    auto source = MakeSystemVolumeSource();
    bool c = false;
    for (const Volume& v : source->Volumes()) {
        ASSERT_EQ(v.root.substr(1), ":\\");
        const std::string text = VolumeEntryText(v);
        EXPECT_EQ(text.substr(0, 2), std::string(1, static_cast<char>(std::tolower(v.root[0]))) + ":");
        EXPECT_EQ(text.size() > 2, !v.name.empty()) << text;
        // A loaded machine may keep the answer past its limit now and then:
        // C: is asked again, and must be ready at one of three asks.
        for (int ask = 0; v.root == "C:\\" && !c && ask < 3; ++ask) c = source->IsReady(v);
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
