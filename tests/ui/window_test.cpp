// The main window and the about window, through their controls.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "core/file_error.h"
#include "tests/support/memory_disk.h"
#include "ui/converter.h"
#include "ui/dir_list_box.h"
#include "ui/drive_list_box.h"
#include "ui/file_list_box.h"
#include "ui/info.h"
#include "ui/volumes.h"

namespace tcc {
namespace {
using namespace std::chrono_literals;

struct FakeVolumes : VolumeSource {
    std::vector<Volume> volumes;
    std::set<std::string> unready;
    std::vector<Volume> Volumes() override { return volumes; }
    bool IsReady(const Volume& volume) override { return !unready.count(volume.root); }
};

struct Message { std::string text, title; Buttons buttons; Icon icon; };

QStringList Words(const char* text) { return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts); }

// A main window over an in-memory disk with the volumes /vol/x named X for each word x of `names`; its
// message boxes are recorded and answered by `answer`, else with Cancel or OK.
struct WindowHarness {
    explicit WindowHarness(const char* names = "a b c") {
        auto source = std::make_unique<FakeVolumes>();
        for (const QString& x : Words(names)) source->volumes.push_back({Root(x), x.toUpper().toStdString()}), disk.AddFolder(Root(x));
        disk.AddFile(startFolder + "/start.txt");
        volumes = source.get();
        window = std::make_unique<Converter>(disk, std::move(source));
        window->SetMessageHook([this](const std::string& text, const std::string& title, Buttons buttons, Icon icon) {
            messages.push_back({text, title, buttons, icon});
            return answer ? answer(messages.back()) : buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Ok;
        });
    }
    static std::string Root(const QString& x) { return "/vol/" + x.toStdString(); }
    static std::string Entry(const QString& x) { return Root(x) + " [" + x.toUpper().toStdString() + "]"; }
    template <typename T = QWidget> T* Get(const char* name) const { return window->findChild<T*>(QString::fromLatin1(name)); }
    DriveListBox* drives() const { return Get<DriveListBox>("drvDriveBox"); }
    DirListBox* dirs() const { return Get<DirListBox>("dirDirBox"); }
    FileListBox* files() const { return Get<FileListBox>("filFileBox"); }
    void Click(const char* name) const { QTest::mouseClick(Get(name), Qt::LeftButton); }
    void Open(const std::string& folder) { disk.AddFolder(folder), dirs()->SetPath(folder); }
    std::string Chosen() const {
        const std::string path = window->state().currentFolder ? window->state().currentFolder->path : "";
        const QLabel* shown = Get<QLabel>("lblFolder");  // on screen and for screen readers
        EXPECT_EQ(std::tuple(shown->text().toStdString(), shown->accessibleName().toStdString()), std::tuple(path, path));
        return path.empty() ? "none" : path;
    }
    bool FolderControlsShown() const {
        for (const char* name : {"lblFolder", "lblFolderName", "cmdGetCache", "cmdRefresh", "cmdSort"})
            if (Get(name)->isHidden()) return false;
        return Get("lblLocate")->isHidden();
    }

    MemoryDisk disk;
    const std::string startFolder = std::filesystem::current_path().string();  // where the window starts
    FakeVolumes* volumes = nullptr;
    std::unique_ptr<Converter> window;
    std::vector<Message> messages;
    std::function<Answer(const Message&)> answer;
};

// Place and size in twips (15 to the pixel); no family: the toolkit's font; no text colour: the default; no
// background: not painted; align L, C or R for a label; the caption; the name a screen reader reads, when it
// is not the caption without "&".
struct Look { const char* name; int left, top, width, height; const char* family; qreal points;
              const char *text, *background; bool shown; char align; const char *caption, *access = nullptr; };
const char *const A = "Arial", *const C = "Courier", *const N = nullptr, *const W = "#ffffff", *const B = "#000080",
           *const G = "#c0c0c0", *const E = "#e0e0e0";
const Look kConverter[] = {
    {"Label1", 750, 150, 5100, 540, A, 24, G, N, 1, 'L', "Tarnel Cache Converter"},
    {"drvDriveBox", 240, 825, 2775, 315, N, 0, N, N, 1, 0, N, "Drives"},
    {"dirDirBox", 240, 1275, 2775, 4365, N, 0, N, N, 1, 0, N, "Folders"},
    {"filFileBox", 3150, 825, 5295, 5160, C, 9.75, N, N, 1, 0, N, "Files"},
    {"lblFolder", 225, 6075, 8220, 225, C, 9.75, N, W, 0, 'C', ""}, {"cmdSort", 5100, 6450, 2340, 420, A, 12, N, N, 0, 0, "3. &Sort Into Folders"},
    {"cmdGetCache", 225, 6450, 2175, 420, A, 12, N, N, 0, 0, "1. &Convert Cache"},
    {"lblFolderName", 225, 5700, 1695, 375, A, 14.25, W, N, 0, 'R', "Current Path:"}, {"cmdExit", 7575, 6450, 920, 420, A, 12, N, N, 1, 0, "E&xit"},
    {"cmdRefresh", 2550, 6450, 2415, 420, A, 12, N, N, 0, 0, "2. &Refresh \".ini\" File"},
    {"lblWarning", 825, 6975, 6840, 315, N, 0, G, B, 0, 'C',
     "Notice: Some files may not be able to be converted due to 'cache.ini' file records not available."},
    {"lblLocate", 225, 6450, 7215, 390, A, 14.25, W, N, 1, 'C', "Locate the game's Cache directory."},
    {"lblInfo", 7200, 300, 1215, 315, N, 0, W, B, 1, 'C', "Information"}, {"imgLogo", 225, 150, 480, 480, N, 0, N, N, 1, 'L', "", "Logo"},
};
const Look kInfo[] = {
    {"Label1", 525, 375, 3690, 315, A, 9.75, E, B, 1, 'L', "Application Written By:"},
    {"Label2", 525, 900, 3690, 315, A, 9.75, E, B, 1, 'C', "Ada Marsh"}, {"cmdBack", 1650, 2550, 1215, 390, A, 12, N, N, 1, 0, "Back"},
    {"Label3", 525, 1500, 3690, 315, A, 9.75, E, B, 1, 'C', "ada.marsh@example.org"},
    {"Label4", 75, 2175, 4515, 315, A, 9.75, "#ffff00", B, 1, 'C', "Feel free to e-mail me with any bugs or problems."},
    {"Label5", 525, 1200, 3690, 315, A, 9.75, E, B, 1, 'C', "Tarnel Workshop"},
    {"Label6", 3525, 150, 915, 390, N, 0, "#808080", B, 1, 'R', "Version1.1", "Version 1.1"},
};

void ExpectLooks(QWidget& window, const Look* begin, const Look* end, QSize size, const char* title) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(std::tuple(window.size(), window.windowTitle(), window.palette().color(QPalette::Window).name(), window.windowIcon()
                         .isNull()), std::tuple(size, QString::fromLatin1(title), QString(B), false));
    const auto px = [](int twips) { return qRound(twips / 15.0); };
    for (const Look* look = begin; look != end; ++look) {
        SCOPED_TRACE(look->name);
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(look->name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(px(look->left), px(look->top), px(look->width), px(look->height)));
        const QFont font = control->font(), plain = QApplication::font(control);
        const bool own = look->family;
        EXPECT_EQ(std::tuple(font.family(), font.pointSizeF(), font.bold(), font.underline()),
                  std::tuple(own ? look->family : plain.family(), own ? look->points : plain.pointSizeF(), false, false));
        if (look->text) { EXPECT_EQ(control->palette().color(QPalette::Active, QPalette::WindowText).name(), look->text); }
        EXPECT_EQ(control->autoFillBackground(), look->background != nullptr);
        if (look->background) { EXPECT_EQ(control->palette().color(QPalette::Window).name(), look->background); }
        const auto [button, label] = std::tuple(qobject_cast<QPushButton*>(control), qobject_cast<QLabel*>(control));
        if (button) {
            EXPECT_EQ(std::tuple(button->palette().color(QPalette::Button).name(), button->isDefault(), button->autoDefault()),
                      std::tuple(QString(E), false, false));
        }
        if (label) {
            EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask,
                      look->align == 'L' ? Qt::AlignLeft : look->align == 'R' ? Qt::AlignRight : Qt::AlignHCenter);
        }
        if (look->caption) { EXPECT_EQ(label ? label->text() : button->text(), look->caption); }
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
        EXPECT_EQ(std::tuple(reader->text(QAccessible::Name), reader->text(QAccessible::Description).isEmpty()),
                  std::tuple(QString(look->access ? look->access : look->caption).remove('&'), false));
        // The pointing hand, hot spot at the fingertip, over the clickable controls only.
        const QCursor cursor = control->cursor();
        const bool pointer = button || look->name == std::string("lblInfo");
        EXPECT_EQ(std::tuple(control->isVisible(), control->testAttribute(Qt::WA_SetCursor)), std::tuple(look->shown, pointer));
        if (pointer) {
            EXPECT_EQ(std::tuple(cursor.shape(), cursor.hotSpot(), cursor.pixmap().size()),
                      std::tuple(Qt::BitmapCursor, QPoint(12, 1), QSize(32, 32)));
        }
    }
}

QStringList TabCycle(int presses) {
    QStringList order;
    for (int i = 0; i < presses; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        order << QApplication::focusWidget()->objectName();
    return order;
}

// Both windows as laid out; then the start focus, the tab order and the access keys of the main window.
TEST(Look, BothWindowsLaidOutThenFocusTabOrderAndAccessKeys) {
    Info info;
    ExpectLooks(info, std::begin(kInfo), std::end(kInfo), {312, 213}, "Information");
    EXPECT_TRUE(info.findChild<QLabel*>("Label4")->font().italic());
    EXPECT_EQ(info.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
              Qt::WindowCloseButtonHint);
    QTest::keyClick(&info, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), info.findChild<QWidget*>("cmdBack")) << "the only control with the focus";
    EXPECT_EQ(info.accessibleDescription(), "Application Written By: Ada Marsh, Tarnel Workshop, ada.marsh@example.org. "
                                            "Feel free to e-mail me with any bugs or problems. Version 1.1.");
    info.hide();

    WindowHarness h;
    ExpectLooks(*h.window, std::begin(kConverter), std::end(kConverter), {578, 485}, "Tarnel Cache Converter");
    const QLabel* title = h.Get<QLabel>("Label1");
    EXPECT_EQ(std::tuple(title->isEnabled(), title->fontMetrics().boundingRect(title->text()).width() <= title->width()),
              std::tuple(false, true)) << "disabled; the whole title on one line";
    EXPECT_EQ(h.Get<QLabel>("lblInfo")->frameShape(), QFrame::Box);
    const QLabel* logo = h.Get<QLabel>("imgLogo");
    EXPECT_EQ(std::tuple(logo->pixmap().size(), logo->hasScaledContents()), std::tuple(QSize(32, 32), false));
    EXPECT_NE(logo->pixmap().toImage(), h.window->windowIcon().pixmap(32, 32).toImage()) << "not the window icon";
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    EXPECT_EQ(TabCycle(5), QStringList({"drvDriveBox", "dirDirBox", "filFileBox", "cmdExit", "drvDriveBox"}));
    EXPECT_EQ(h.Chosen(), "none") << "the file list getting the focus is no file click";
    QStringList pressed;
    for (const char* name : {"cmdGetCache", "cmdRefresh", "cmdSort"})
        QObject::connect(h.Get<QPushButton>(name), &QPushButton::clicked, [&pressed, name] { pressed << name; });
    const auto keys = [&](std::initializer_list<Qt::Key> keys) {  // an access key presses its button with a short animation
        for (Qt::Key key : keys) QTest::keyClick(h.window.get(), key, Qt::AltModifier);
        QTest::qWait(250);
    };
    keys({Qt::Key_C, Qt::Key_R, Qt::Key_S});
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_TRUE(pressed.empty() && h.window->isVisible()) << "hidden buttons answer no key; no default or cancel button";

    h.Open("/vol/a/Cache");
    h.drives()->setFocus();
    EXPECT_EQ(TabCycle(8), QStringList({"drvDriveBox", "dirDirBox", "filFileBox", "cmdGetCache", "cmdExit", "cmdRefresh",
                                        "cmdSort", "drvDriveBox"}));
    keys({Qt::Key_C, Qt::Key_R, Qt::Key_S});
    h.Get("cmdSort")->setFocus();
    QTest::keyClick(h.Get("cmdSort"), Qt::Key_Return);
    EXPECT_EQ(pressed, QStringList({"cmdGetCache", "cmdRefresh", "cmdSort", "cmdSort"})) << "Enter presses the focused one";
    keys({Qt::Key_X});
    EXPECT_FALSE(h.window->isVisible());
}

TEST(DriveList, OffersTheVolumesAUserWouldPickAndTheLastMountOnAPoint) {
    const auto volumes = UserVolumesFromMountTable(
        "/dev/sda2 / ext4 rw 0 0\nproc /proc proc rw 0 0\ntmpfs /run tmpfs rw 0 0\n/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/sda4 /home/user/data ext4 rw 0 0\n/dev/sdb1 /media/user/MY\\040STICK vfat rw 0 0\n"
        "server:/share /mnt/share nfs rw 0 0\n/dev/sdc1 /run/media/user/disk ext4 rw 0 0\n/dev/sdg1 /media ext4 rw 0 0\n"
        "/dev/sdd1 /mediaX ext4 rw 0 0\n/dev/sde1 /mnt ext4 rw 0 0\n/dev/sdf1 /run/media/user/disk ext4 rw 0 0\n",
        {{"/dev/sdb1", "MY STICK"}});
    std::vector<std::string> entries;
    for (const Volume& volume : volumes) entries.push_back(DriveListBox::EntryText(volume));
    EXPECT_EQ(entries, (std::vector<std::string>{"/ [sda2]", "/home [sda3]", "/media [sdg1]", "/media/user/MY STICK [MY STICK]",
                                                 "/mnt [sde1]", "/mnt/share [server:/share]", "/run/media/user/disk [sdf1]"}));
    const auto start = std::chrono::steady_clock::now();  // a volume that does not answer in time is not ready
    EXPECT_EQ(std::tuple(AnswersWithin([] { return std::this_thread::sleep_for(1s), true; }, 50ms), AnswersWithin([] { return true; }, 2s)),
              std::tuple(false, true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

const std::string kNotAvailable = "Drive is not available.";
const char* const kCache = "/vol/a/Cache";

// A change to the drive `to` with the volumes `names`, after `opened` was opened; the first operation
// under `failPath` fails once; the user answers Retry `retries` times before the drive is ready, then Cancel.
struct DriveCase { const char *what, *names, *unready, *opened, *to, *failPath; int failNumber, retries;
                   std::string told; int messages, driveChanges, dirChanges; const char *endDrive, *chosen; };
const DriveCase kDriveCases[] = {
    {"Retry asks again", "a b c", "b", nullptr, "b", "", 0, 2, kNotAvailable, 2, 1, 1, "b", "/vol/b"},
    {"Cancel: to the second entry, inside", "a c b", "b", "/vol/a", "b", "", 0, 0, kNotAvailable, 1, 2, 1, "c", "/vol/c"},
    {"second entry unavailable too", "a b d", "b d", kCache, "d", "", 0, 0, kNotAvailable, 2, 2, 0, "b", kCache},
    {"Cancel with one entry", "b", "b", nullptr, "b", "", 0, 0, kNotAvailable, 1, 1, 0, "b", "none"},
    {"fallback, then its drive", "a c d", "", kCache, "d", kCache, kDeviceUnavailable, 0, kNotAvailable, 1, 2, 1, "c", "/vol/c"},
    {"other error", "a d", "", kCache, "d", "/vol/d", kPermissionDenied, 0, "Permission denied: /vol/d", 1, 1, 0, "d", kCache},
    {"a root is a whole path component", "a ab", "", "/vol/abc", "ab", "", 0, 0, "", 0, 1, 1, "ab", "/vol/ab"},
};

TEST(DriveChange, StepsNestingAndRecovery) {
    for (const DriveCase& c : kDriveCases) {
        SCOPED_TRACE(c.what);
        WindowHarness h(c.names);
        if (c.opened) h.Open(c.opened);
        for (const QString& x : Words(c.unready)) h.volumes->unready.insert(h.Root(x));
        h.answer = [&](const Message&) {  // the drive gets ready on the last Retry
            const int n = int(h.messages.size());
            return n < c.retries ? Answer::Retry : n == c.retries ? (h.volumes->unready.clear(), Answer::Retry) : Answer::Cancel;
        };
        h.disk.SetHook([&, failed = false](const MemoryDisk::Op& op) mutable -> std::optional<int> {
            if (failed || !*c.failPath || op.path.rfind(c.failPath, 0)) return std::nullopt;
            return failed = true, c.failNumber;
        });
        QSignalSpy driveChanges(h.drives(), &DriveListBox::Change), dirChanges(h.dirs(), &DirListBox::Change);
        h.drives()->SetDrive(h.Entry(c.to));
        ASSERT_EQ(h.messages.size(), std::size_t(c.messages));
        const auto told = c.told == kNotAvailable ? std::tuple(c.told, "Tarnel Cache Converter", Buttons::RetryCancel, Icon::Error)
                                                  : std::tuple(c.told, "", Buttons::Ok, Icon::Warning);
        for (const Message& m : h.messages) EXPECT_EQ(std::tuple(m.text, m.title, m.buttons, m.icon), told);
        EXPECT_EQ(std::tuple(driveChanges.count(), dirChanges.count()), std::tuple(c.driveChanges, c.dirChanges));
        EXPECT_EQ(std::tuple(h.drives()->Drive(), h.Chosen(), h.FolderControlsShown()),
                  std::tuple(h.Entry(c.endDrive), c.chosen, true));
        if (*c.chosen == '/') { EXPECT_EQ(h.files()->Path(), c.chosen); }
    }
}

template <typename List> std::vector<std::string> Entries(const List* list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list->ListCount(); ++i) entries.push_back(list->List(i));
    return entries;
}

// Clicks the entry of a list at `row`, or with the text `entry`, once or twice as a double click.
void Click(QAbstractItemView* list, int row, bool twice = false) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}
void Click(DirListBox* list, const std::string& entry, bool twice = false) {
    const auto all = Entries(list);
    Click(list, int(std::find(all.begin(), all.end(), entry) - all.begin()), twice);
}

int ShownInfoWindows() {
    const QWidgetList all = QApplication::topLevelWidgets();
    return int(std::count_if(all.begin(), all.end(), [](QWidget* w) { return qobject_cast<Info*>(w) && w->isVisible(); }));
}

TEST(Navigation, DirectoryChangeFileClickAnErrorInAnEventAndTheAboutWindow) {
    WindowHarness h;
    for (const char* file : {"b.uxx", "A.UNR", ".hidden", "sub/x", ".game/x"}) h.disk.AddFile(std::string("/vol/a/Cache/") + file);
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    Click(h.files(), 0);  // start.txt
    EXPECT_EQ(h.Chosen(), h.startFolder);
    EXPECT_TRUE(h.Get("lblFolder")->isHidden() && !h.Get("lblLocate")->isHidden()) << "no control before a change";

    h.dirs()->SetPath("/vol/a");
    QSignalSpy changes(h.dirs(), &DirListBox::Change);
    Click(h.dirs(), "/vol/a/Cache", true);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(std::tuple(Entries(h.dirs()), h.dirs()->ListIndex()),
              std::tuple(std::vector<std::string>{"/", "/vol", "/vol/a", "/vol/a/Cache", "/vol/a/Cache/.game",
                                                  "/vol/a/Cache/sub"}, 3))
        << "the folders above and the open folder, then the subfolders, hidden too";
    EXPECT_EQ(Entries(h.files()), (std::vector<std::string>{"A.UNR", "b.uxx"})) << "regular files only, not hidden";
    EXPECT_EQ(std::tuple(h.Chosen(), h.FolderControlsShown()), std::tuple("/vol/a/Cache", true));

    Click(h.dirs(), "/vol/a/Cache/sub");
    EXPECT_EQ(h.Chosen(), "/vol/a/Cache") << "a single click only highlights";
    Click(h.files(), 1);
    EXPECT_EQ(std::tuple(h.Chosen(), h.files()->Path(), h.files()->FileName()),
              std::tuple("/vol/a/Cache/sub", "/vol/a/Cache", "b.uxx"));
    Click(h.dirs(), "/vol/a/Cache/.game");
    Click(h.files(), 1);
    EXPECT_EQ(std::tuple(h.Chosen(), h.messages.size()), std::tuple("/vol/a/Cache/.game", 0u)) << "the file clicked again";

    Click(h.dirs(), "/vol/a/Cache/sub");  // an error in an event is told once and the window goes on
    h.disk.SetHook([](const MemoryDisk::Op& op) {
        return op.path.rfind("/vol/a/Cache/sub", 0) ? std::nullopt : std::optional(kPathNotFound);
    });
    QTest::keyClick(h.files(), Qt::Key_Up);  // the arrow keys select as the mouse does
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(std::tuple(h.messages[0].text, h.messages[0].icon), std::tuple("Path not found: /vol/a/Cache/sub", Icon::Warning));
    EXPECT_EQ(h.Chosen(), "/vol/a/Cache/.game");
    Click(h.dirs(), "/vol/a/Cache/sub", true);  // a folder that cannot be opened is told too
    EXPECT_EQ(h.messages.size(), 2u);
    h.disk.SetHook(nullptr);

    h.dirs()->setFocus();
    h.dirs()->setCurrentRow(5);
    QTest::keyClick(h.dirs(), Qt::Key_Return);
    EXPECT_EQ(std::tuple(changes.count(), h.Chosen()), std::tuple(2, "/vol/a/Cache/sub")) << "Enter opens the highlighted entry";
    h.dirs()->SetPath("/vol/a/Cache/sub");
    EXPECT_EQ(changes.count(), 2) << "writing the open folder changes nothing";
    for (const char* drive : {"/vol/b [B]", "/vol/a [A]"}) h.drives()->SetDrive(drive);
    EXPECT_EQ(h.dirs()->Path(), "/vol/a/Cache/sub") << "back on a drive, the folder last opened there";

    // One modeless centred about window; the program ends when both windows are closed.
    for (int twice = 0; twice < 2; ++twice) h.Click("lblInfo");
    Info* about = h.window->info();
    ASSERT_NE(about, nullptr);
    const auto offCentre = [about] { return (about->frameGeometry().center() - about->screen()->availableGeometry().center()).manhattanLength(); };
    EXPECT_EQ(std::tuple(ShownInfoWindows(), about->parent(), about->isModal(), offCentre()), std::tuple(1, nullptr, false, 0));
    about->setGeometry(0, 0, 500, 400);
    QTest::mouseClick(about->findChild<QPushButton*>("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(ShownInfoWindows(), 0);
    h.Click("lblInfo");
    EXPECT_EQ(std::tuple(ShownInfoWindows(), h.window->info(), about->size(), offCentre()), std::tuple(1, about, QSize(312, 213), 0));

    bool aboutClosed = false, endedEarly = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { endedEarly = !aboutClosed; });
    QTimer::singleShot(0, [&] {
        h.Click("cmdExit");
        EXPECT_EQ(std::tuple(h.window->isVisible(), ShownInfoWindows()), std::tuple(false, 1));
        about->setFocus();  // the window itself given the focus: Back holds it
        about->activateWindow();
    });
    QTimer::singleShot(300, [&] { aboutClosed = true, QTest::keyClick(about->windowHandle(), Qt::Key_Return); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(endedEarly);
}

// The real message box of each kind, read and answered with a key by a timer.
TEST(Commands, TheMessageBoxOfEachKind) {
    struct Box { Buttons buttons; Icon icon; const char* title; QMessageBox::Icon shown; const char* captions; Qt::Key key; Answer answer; };
    const Box boxes[] = {
        {Buttons::Ok, Icon::None, "Finished Sorting", QMessageBox::NoIcon, "OK", Qt::Key_Return, Answer::Ok},
        {Buttons::YesNo, Icon::Warning, "", QMessageBox::Warning, "&Yes &No", Qt::Key_Return, Answer::Yes},
        {Buttons::RetryCancel, Icon::Error, kAppTitle, QMessageBox::Critical, "&Retry Cancel", Qt::Key_Escape, Answer::Cancel},
    };
    WindowHarness h;
    h.window->SetMessageHook(nullptr);
    for (const Box& b : boxes) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QStringList captions;
            for (const QAbstractButton* button : box->buttons()) captions << button->text();
            seen = {box->windowTitle(), box->text(), captions.join(' '), box->defaultButton()->text(), QString::number(box->icon())};
            QTest::keyClick(box, b.key);
        });
        EXPECT_EQ(h.window->MessageBox("Some & text.", b.title, b.buttons, b.icon), b.answer);
        EXPECT_EQ(seen, QStringList({*b.title ? b.title : "Tarnel Cache Converter", "Some & text.", b.captions,
                                     QString(b.captions).section(' ', 0, 0), QString::number(b.shown)}));
    }
}

TEST(Commands, ALongConversionShowsProgressThatNoInputGetsPast) {
    WindowHarness h;
    std::string index = "[Cache]\r\n";  // 600 records, each with its cached file
    for (int i = 0; i < 600; ++i) {
        index += "K" + std::to_string(i) + "=file" + std::to_string(i) + (i % 2 ? ".unr\r\n" : ".utx\r\n");
        h.disk.AddFile("/vol/a/Cache/K" + std::to_string(i) + ".uxx", "x");
    }
    h.disk.AddFile("/vol/a/Cache/cache.ini", index);
    h.disk.AddFile("/vol/a/Cache/z.int", "x");
    h.Open(kCache);
    h.window->show();
    h.disk.SetHook([](const MemoryDisk::Op& op) {
        return op.kind == "rename" && op.path == "/vol/a/Cache/K1.uxx" ? std::optional(kPermissionDenied) : std::nullopt;
    });
    h.Click("cmdGetCache");
    EXPECT_EQ(std::tuple(h.messages.size(), h.files()->ListCount(), h.files()->List(1), h.files()->List(2)),
              std::tuple(1u, 602, "file0.utx", "K1.uxx")) << "the list shows what the failed command did";

    bool shown = false, shownEarly = false, tried = false, moved = false;
    const auto start = std::chrono::steady_clock::now();
    h.disk.SetHook([&](const MemoryDisk::Op& op) -> std::optional<int> {
        if (op.kind == "rename") std::this_thread::sleep_for(3ms);
        for (auto* dialog : h.window->findChildren<QProgressDialog*>())
            shown |= dialog->isVisible() && QApplication::activeModalWidget() == dialog,
                shownEarly |= std::chrono::steady_clock::now() - start < 950ms;
        return std::nullopt;
    });
    QTimer::singleShot(1300, [&] {  // Escape, the close box, a click on another folder, a file and "Information"
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QTest::keyClick(dialog, Qt::Key_Escape), dialog->close();
        Click(h.dirs(), "/vol/a", true), Click(h.files(), 0), h.Click("lblInfo");
        tried = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
    });
    const long reads = h.disk.count("readdir");
    h.Click("cmdGetCache");
    EXPECT_TRUE(shown && !shownEarly && tried) << "modal progress after about a second, which nothing dismisses";
    EXPECT_LT(h.disk.count("readdir") - reads, 10) << "not once per file";
    EXPECT_EQ(std::tuple(h.Chosen(), h.dirs()->Path(), h.window->info()), std::tuple(kCache, kCache, nullptr)) << "no input taken";
    EXPECT_EQ(std::tuple(h.window->state().cacheConverted, h.files()->ListCount(), h.files()->List(1), QApplication::activeModalWidget()),
              std::tuple(true, 602, "file0.utx", nullptr)) << "the list brought up to date, the progress gone";

    // The list cannot be read again after the last move: the sort still reports that it finished.
    h.disk.SetHook([&](const MemoryDisk::Op& op) {
        moved |= op.path2 == "/vol/a/Cache/System/z.int";
        return moved && op.kind == "readdir" ? std::optional(kPathNotFound) : std::nullopt;
    });
    h.messages.clear();
    h.Click("cmdSort");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(std::tuple(moved, h.messages[0].title, h.files()->ListCount()), std::tuple(true, "Finished Sorting", 602));
}

}  // namespace
}  // namespace tcc

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
