// The about window's single instance, the end of the program, and the
// commands run from the window: their errors and their progress.
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <thread>

#include "core/file_error.h"
#include "ui/info.h"
#include "ui_harness.h"

namespace tcc {
namespace {

int VisibleInfoWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<Info*>(widget) && widget->isVisible()) ++count;
    return count;
}

void ClickLabelOrButton(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

TEST(AboutWindow, OneWindowShownModelessAndCentredEachTime) {
    WindowHarness harness;
    harness.window->show();
    QWidget* info = harness.Get<QWidget>("lblInfo");
    ClickLabelOrButton(info);
    ClickLabelOrButton(info);
    Info* about = harness.window->info();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(VisibleInfoWindows(), 1);
    EXPECT_EQ(about->parent(), nullptr);
    EXPECT_FALSE(about->isModal());

    // Moved away, closed with Back, opened again: the same window, centred.
    about->move(0, 0);
    ClickLabelOrButton(about->findChild<QPushButton*>("cmdBack"));
    EXPECT_EQ(VisibleInfoWindows(), 0);
    ClickLabelOrButton(info);
    EXPECT_EQ(harness.window->info(), about);
    EXPECT_EQ(VisibleInfoWindows(), 1);
    const QPoint centre = about->screen()->availableGeometry().center();
    EXPECT_LE((about->frameGeometry().center() - centre).manhattanLength(), 2);
    // The main window still works meanwhile.
    harness.dirs()->SetPath("/vol/a");
    EXPECT_EQ(harness.FolderCaption(), "/vol/a");
}

TEST(AboutWindow, ProgramEndsOnlyWhenBothWindowsAreClosed) {
    WindowHarness harness;
    bool aboutClosed = false;
    bool endedEarly = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] {
        if (!aboutClosed) endedEarly = true;
    });
    harness.window->show();
    QTimer::singleShot(0, [&] {
        ClickLabelOrButton(harness.Get<QWidget>("lblInfo"));
        ClickLabelOrButton(harness.Get<QWidget>("cmdExit"));
        EXPECT_FALSE(harness.window->isVisible());
        EXPECT_EQ(VisibleInfoWindows(), 1);
    });
    QTimer::singleShot(300, [&] {
        aboutClosed = true;
        harness.window->info()->close();
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(aboutClosed);
    EXPECT_FALSE(endedEarly);
}

// A cache folder of n records, each with its cached file.
void MakeCache(MemoryDisk& disk, int n) {
    std::string index = "[Cache]\r\n";
    for (int i = 0; i < n; ++i) {
        const std::string key = "K" + std::to_string(i);
        index += key + "=file" + std::to_string(i) + ".unr\r\n";
        disk.AddFile("/vol/a/Cache/" + key + ".uxx", "x");
    }
    disk.AddFile("/vol/a/Cache/cache.ini", index);
}

TEST(Commands, AFailingCommandIsToldAndTheWindowGoesOn) {
    WindowHarness harness;
    MakeCache(harness.disk, 3);
    harness.dirs()->SetPath("/vol/a/Cache");
    harness.disk.SetHook([](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename" && op.path == "/vol/a/Cache/K1.uxx") return kPermissionDenied;
        return std::nullopt;
    });
    harness.Get<QPushButton>("cmdGetCache")->click();
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_NE(harness.messages[0].text.find("Permission denied"), std::string::npos);
    EXPECT_EQ(harness.messages[0].icon, Icon::Warning);
    EXPECT_FALSE(harness.window->state().cacheConverted);
    // The file list shows what the command did before it stopped.
    const auto names = harness.files();
    EXPECT_EQ(names->ListCount(), 4);
    EXPECT_EQ(names->List(1), "file0.unr");
    EXPECT_EQ(names->List(2), "K1.uxx");

    harness.disk.SetHook(nullptr);
    harness.Get<QPushButton>("cmdGetCache")->click();
    EXPECT_EQ(harness.messages.size(), 1u);
    EXPECT_TRUE(harness.window->state().cacheConverted);
}

TEST(Commands, ConversionDoesNotReadTheFolderOncePerFile) {
    WindowHarness harness;
    const int n = 400;
    MakeCache(harness.disk, n);
    harness.dirs()->SetPath("/vol/a/Cache");
    const long before = harness.disk.count("readdir");
    harness.Get<QPushButton>("cmdGetCache")->click();
    EXPECT_TRUE(harness.window->state().cacheConverted);
    EXPECT_LT(harness.disk.count("readdir") - before, 10);
    // Brought up to date at the end all the same.
    EXPECT_EQ(harness.files()->ListCount(), n + 1);
    EXPECT_EQ(harness.files()->List(0), "cache.ini");
    EXPECT_EQ(harness.files()->List(1), "file0.unr");
}

TEST(Commands, ALongCommandShowsModalProgress) {
    WindowHarness harness;
    MakeCache(harness.disk, 600);
    harness.dirs()->SetPath("/vol/a/Cache");
    harness.window->show();
    QProgressDialog* shown = nullptr;
    bool modal = false;
    const auto start = std::chrono::steady_clock::now();
    harness.disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind != "rename") return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(500)) {
            // Not yet: a short command shows nothing.
            EXPECT_EQ(harness.window->findChild<QProgressDialog*>(), nullptr);
        }
        for (auto* dialog : harness.window->findChildren<QProgressDialog*>())
            if (dialog->isVisible()) {
                shown = dialog;
                modal = QApplication::activeModalWidget() == dialog;
            }
        return std::nullopt;
    });
    harness.Get<QPushButton>("cmdGetCache")->click();
    EXPECT_NE(shown, nullptr);
    EXPECT_TRUE(modal);
    EXPECT_EQ(harness.window->findChild<QProgressDialog*>(), nullptr) << "gone at the end";
    EXPECT_TRUE(harness.window->state().cacheConverted);
}

}  // namespace
}  // namespace tcc
