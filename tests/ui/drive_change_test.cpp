// The drive change: its steps, the directory change it runs inside, and
// its recovery from a drive that is not available.
#include <QSignalSpy>

#include "core/file_error.h"
#include "ui_harness.h"

namespace tcc {
namespace {

bool Shown(const WindowHarness& harness, const char* name) {
    return !harness.Get<QWidget>(name)->isHidden();
}

void ExpectFolderControlsShown(const WindowHarness& harness) {
    for (const char* name : {"lblFolder", "lblFolderName", "cmdGetCache", "cmdRefresh", "cmdSort"})
        EXPECT_TRUE(Shown(harness, name)) << name;
    EXPECT_FALSE(Shown(harness, "lblLocate"));
}

void ExpectDriveNotAvailable(const Message& message) {
    EXPECT_EQ(message.text, "Drive is not available.");
    EXPECT_EQ(message.title, "Tarnel Cache Converter");
    EXPECT_EQ(message.buttons, Buttons::RetryCancel);
    EXPECT_EQ(message.icon, Icon::Error);
}

TEST(DriveChange, OpensTheDrivesCurrentFolderThroughOneDirectoryChange) {
    WindowHarness harness;
    harness.disk.AddFolder("/vol/c/Data");
    QSignalSpy dirChanges(harness.dirs(), &DirListBox::Change);

    harness.drives()->SetDrive("/vol/c [C]");
    EXPECT_EQ(dirChanges.count(), 1);
    EXPECT_EQ(harness.dirs()->Path(), "/vol/c");
    EXPECT_EQ(harness.files()->Path(), "/vol/c");
    ASSERT_TRUE(harness.window->state().currentFolder);
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/c");
    EXPECT_EQ(harness.FolderCaption(), "/vol/c");
    ExpectFolderControlsShown(harness);
    EXPECT_TRUE(harness.messages.empty());

    // Back on a drive, the list returns to the folder last opened there.
    harness.dirs()->SetPath("/vol/c/Data");
    harness.drives()->SetDrive("/vol/a [A]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/a");
    harness.drives()->SetDrive("/vol/c [C]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/c/Data");
}

TEST(DriveChange, RetryAsksAgainUntilTheDriveIsReady) {
    WindowHarness harness;
    harness.volumes->SetReady("/vol/b", false);
    harness.answers = {Answer::Retry, Answer::Retry};
    harness.onMessage = [&](const Message&) {
        if (harness.messages.size() == 2) harness.volumes->SetReady("/vol/b", true);
    };

    harness.drives()->SetDrive("/vol/b [B]");
    ASSERT_EQ(harness.messages.size(), 2u);
    for (const Message& message : harness.messages) ExpectDriveNotAvailable(message);
    EXPECT_EQ(harness.dirs()->Path(), "/vol/b");
    EXPECT_EQ(harness.FolderCaption(), "/vol/b");
}

TEST(DriveChange, CancelRunsTheChangeToTheSecondEntryInsideTheFirst) {
    WindowHarness harness({{"/vol/a", "A"}, {"/vol/c", "C"}, {"/vol/b", "B"}});
    harness.drives()->SetDrive("/vol/a [A]");
    harness.volumes->SetReady("/vol/b", false);
    QSignalSpy driveChanges(harness.drives(), &DriveListBox::Change);
    QSignalSpy dirChanges(harness.dirs(), &DirListBox::Change);
    // The fallback change has run in full when the outer change asks nothing more.
    harness.answers = {Answer::Cancel};

    harness.drives()->SetDrive("/vol/b [B]");
    ASSERT_EQ(harness.messages.size(), 1u);
    ExpectDriveNotAvailable(harness.messages[0]);
    EXPECT_EQ(driveChanges.count(), 2);
    EXPECT_EQ(dirChanges.count(), 1);
    EXPECT_EQ(harness.drives()->Drive(), "/vol/c [C]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/c");
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/c");
}

TEST(DriveChange, UnavailableSecondEntryEndsBothChangesWhereTheyStand) {
    WindowHarness harness({{"/vol/a", "A"}, {"/vol/b", "B"}, {"/vol/d", "D"}});
    harness.disk.AddFolder("/vol/a/Cache");
    harness.dirs()->SetPath("/vol/a/Cache");
    harness.volumes->SetReady("/vol/b", false);
    harness.volumes->SetReady("/vol/d", false);
    QSignalSpy driveChanges(harness.drives(), &DriveListBox::Change);

    harness.drives()->SetDrive("/vol/d [D]");
    ASSERT_EQ(harness.messages.size(), 2u);
    EXPECT_EQ(driveChanges.count(), 2);
    EXPECT_EQ(harness.drives()->Drive(), "/vol/b [B]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/a/Cache");
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/a/Cache");
    ExpectFolderControlsShown(harness);
}

TEST(DriveChange, CancelWithOneEntryEndsTheChange) {
    WindowHarness harness(std::vector<Volume>{{"/vol/b", "B"}});
    harness.volumes->SetReady("/vol/b", false);
    harness.drives()->SetDrive("/vol/b [B]");
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_FALSE(harness.window->state().currentFolder);
    // The steps before the move have run: a command can be clicked now.
    ExpectFolderControlsShown(harness);
}

TEST(DriveChange, FallbackRunsFirstAndTheInterruptedChangeMovesToItsDrive) {
    WindowHarness harness({{"/vol/a", "A"}, {"/vol/c", "C"}, {"/vol/d", "D"}});
    harness.disk.AddFolder("/vol/a/Cache");
    harness.dirs()->SetPath("/vol/a/Cache");
    // The old folder's volume fails once while the file list reads it again.
    bool failed = false;
    harness.disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (!failed && op.path.rfind("/vol/a/Cache", 0) == 0) {
            failed = true;
            return kDeviceUnavailable;
        }
        return std::nullopt;
    });
    QSignalSpy dirChanges(harness.dirs(), &DirListBox::Change);

    harness.drives()->SetDrive("/vol/d [D]");
    ASSERT_EQ(harness.messages.size(), 1u);
    ExpectDriveNotAvailable(harness.messages[0]);
    EXPECT_EQ(harness.drives()->Drive(), "/vol/c [C]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/c");
    EXPECT_EQ(dirChanges.count(), 1);
}

TEST(DriveChange, OtherErrorIsToldOnceAndTheListsKeepTheOldFolder) {
    WindowHarness harness({{"/vol/a", "A"}, {"/vol/d", "D"}});
    harness.disk.AddFolder("/vol/a/Cache");
    harness.dirs()->SetPath("/vol/a/Cache");
    harness.disk.SetHook([](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "readdir" && op.path == "/vol/d") return kPermissionDenied;
        return std::nullopt;
    });

    harness.drives()->SetDrive("/vol/d [D]");
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_EQ(harness.messages[0].text, "Permission denied: /vol/d");
    EXPECT_EQ(harness.messages[0].icon, Icon::Warning);
    EXPECT_EQ(harness.messages[0].buttons, Buttons::Ok);
    EXPECT_EQ(harness.drives()->Drive(), "/vol/d [D]");
    EXPECT_EQ(harness.dirs()->Path(), "/vol/a/Cache");
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/a/Cache");
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache");
}

}  // namespace
}  // namespace tcc
