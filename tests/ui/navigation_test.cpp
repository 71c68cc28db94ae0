// The directory change, the file click and the lists' contents.
#include <QMouseEvent>
#include <QSignalSpy>

#include "core/file_error.h"
#include "ui_harness.h"

namespace tcc {
namespace {

std::vector<std::string> Entries(const DirListBox* list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list->ListCount(); ++i) paths.push_back(list->List(i));
    return paths;
}

std::vector<std::string> Entries(const FileListBox* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->ListCount(); ++i) names.push_back(list->List(i));
    return names;
}

int RowOf(const DirListBox* list, const std::string& path) {
    for (int i = 0; i < list->ListCount(); ++i)
        if (list->List(i) == path) return i;
    return -1;
}

void Send(QWidget* target, QEvent::Type type, const QPoint& at) {
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Clicks an entry of a list once, or twice as a double click.
void ClickRow(QAbstractItemView* view, int row, bool twice = false) {
    ASSERT_GE(row, 0);
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    Send(view->viewport(), QEvent::MouseButtonPress, at);
    Send(view->viewport(), QEvent::MouseButtonRelease, at);
    if (twice) {
        Send(view->viewport(), QEvent::MouseButtonDblClick, at);
        Send(view->viewport(), QEvent::MouseButtonRelease, at);
    }
}

class Navigation : public ::testing::Test {
protected:
    Navigation() {
        harness.disk.AddFile("/vol/a/Cache/b.uxx");
        harness.disk.AddFile("/vol/a/Cache/A.UNR");
        harness.disk.AddFile("/vol/a/Cache/.hidden");
        harness.disk.AddFolder("/vol/a/Cache/sub");
        harness.disk.AddFolder("/vol/a/Cache/.game");
        harness.window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(harness.window.get()));
    }
    WindowHarness harness;
};

TEST_F(Navigation, OpeningAnEntryRunsTheDirectoryChange) {
    harness.dirs()->SetPath("/vol/a");
    QSignalSpy changes(harness.dirs(), &DirListBox::Change);
    ClickRow(harness.dirs(), RowOf(harness.dirs(), "/vol/a/Cache"), true);

    ASSERT_EQ(changes.count(), 1);
    // The folders above and the open folder, then the subfolders, hidden too.
    EXPECT_EQ(Entries(harness.dirs()),
              (std::vector<std::string>{"/", "/vol", "/vol/a", "/vol/a/Cache", "/vol/a/Cache/.game",
                                        "/vol/a/Cache/sub"}));
    EXPECT_EQ(harness.dirs()->ListIndex(), 3);
    // Regular files only, hidden ones left out.
    EXPECT_EQ(Entries(harness.files()), (std::vector<std::string>{"A.UNR", "b.uxx"}));
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/a/Cache");
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache");
    EXPECT_FALSE(harness.Get<QWidget>("cmdSort")->isHidden());
    EXPECT_TRUE(harness.Get<QWidget>("lblLocate")->isHidden());

    // Enter opens the highlighted entry too.
    harness.dirs()->setFocus();
    harness.dirs()->setCurrentRow(RowOf(harness.dirs(), "/vol/a/Cache/sub"));
    QTest::keyClick(harness.dirs(), Qt::Key_Return);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache/sub");

    // Writing the folder that is already open changes nothing.
    harness.dirs()->SetPath("/vol/a/Cache/sub");
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(Navigation, FileClickChoosesTheHighlightedFolder) {
    harness.dirs()->SetPath("/vol/a/Cache");
    ClickRow(harness.dirs(), RowOf(harness.dirs(), "/vol/a/Cache/sub"));
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache") << "a single click only highlights";

    ClickRow(harness.files(), 1);
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/a/Cache/sub");
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache/sub");
    EXPECT_EQ(harness.files()->Path(), "/vol/a/Cache");
    EXPECT_EQ(harness.files()->FileName(), "b.uxx");

    // Clicking the selected file again after highlighting another folder.
    ClickRow(harness.dirs(), RowOf(harness.dirs(), "/vol/a/Cache/.game"));
    ClickRow(harness.files(), 1);
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache/.game");
    EXPECT_TRUE(harness.messages.empty());
}

TEST_F(Navigation, FileClickBeforeAnyChangeShowsNoControl) {
    ASSERT_EQ(harness.dirs()->Path(), harness.startFolder);
    ASSERT_EQ(Entries(harness.files()), (std::vector<std::string>{"start.txt"}));
    ClickRow(harness.files(), 0);
    EXPECT_EQ(harness.window->state().currentFolder->path, harness.startFolder);
    EXPECT_EQ(harness.FolderCaption(), harness.startFolder);
    EXPECT_TRUE(harness.Get<QWidget>("lblFolder")->isHidden());
    EXPECT_TRUE(harness.Get<QWidget>("cmdGetCache")->isHidden());
    EXPECT_FALSE(harness.Get<QWidget>("lblLocate")->isHidden());
}

TEST_F(Navigation, AnErrorInAnEventIsToldAndTheWindowGoesOn) {
    harness.dirs()->SetPath("/vol/a/Cache");
    ClickRow(harness.dirs(), RowOf(harness.dirs(), "/vol/a/Cache/sub"));
    // The highlighted folder is gone by the time the file is clicked.
    harness.disk.SetHook([](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.path.rfind("/vol/a/Cache/sub", 0) == 0) return kPathNotFound;
        return std::nullopt;
    });
    ClickRow(harness.files(), 0);
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_NE(harness.messages[0].text.find("Path not found"), std::string::npos);
    EXPECT_NE(harness.messages[0].text.find("/vol/a/Cache/sub"), std::string::npos);
    EXPECT_EQ(harness.messages[0].icon, Icon::Warning);
    EXPECT_EQ(harness.window->state().currentFolder->path, "/vol/a/Cache");
    EXPECT_EQ(harness.FolderCaption(), "/vol/a/Cache");

    // Opening it by a double click is told the same way, and the list stays.
    ClickRow(harness.dirs(), RowOf(harness.dirs(), "/vol/a/Cache/sub"), true);
    EXPECT_EQ(harness.messages.size(), 2u);
    EXPECT_EQ(harness.dirs()->Path(), "/vol/a/Cache");
    EXPECT_TRUE(harness.window->isVisible());
}

}  // namespace
}  // namespace tcc
