// What only the Qt windows show: both windows built from their layout, the
// keys, the mouse on the lists, the real message box, the progress dialog and
// the about window on screen. What the events do is the form's (form_test).
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include <gtest/gtest.h>

#include "qt/converter.h"
#include "qt/draw_layout.h"
#include "qt/info.h"
#include "qt/lists.h"
#include "tests/support/fake_volumes.h"
#include "tests/support/memory_disk.h"

namespace tcc {
namespace {

// A main window over an in-memory disk with the volumes /vol/a and /vol/b, started in the process's current
// folder; its message boxes are answered with their last button.
struct WindowHarness {
    WindowHarness() {
        for (const char* file : {"/vol/a/Cache/b.uxx", "/vol/a/Cache/c.uxx", "/vol/a/Cache/sub/x", "/vol/b/y"}) disk.AddFile(file);
        disk.AddFile(std::filesystem::current_path().string() + "/start.txt");
        window = std::make_unique<Converter>(disk, std::make_unique<FakeVolumes>());
        window->SetMessageHook([](const Message& m) { return ChoicesOf(m.buttons).back().answer; });
    }
    template <typename T = QWidget> T* Get(const char* name) const { return window->findChild<T*>(QString::fromLatin1(name)); }
    void Click(const char* name) const { QTest::mouseClick(Get(name), Qt::LeftButton); }
    std::string Chosen() const { return ChosenFolder(window->form()); }

    MemoryDisk disk;
    std::unique_ptr<Converter> window;
};

// Clicks the entry of a list at `row`, once or twice as a double click.
void Click(QAbstractItemView* list, int row, bool twice = false) {
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// The window as its layout says: size, title, colours (in high contrast, the system's), and each control's place,
// font, colours, caption, what a screen reader reads, whether it is shown, and the pointing hand (hot spot at the
// fingertip) over the clickable ones.
void ExpectBuiltFrom(QWidget& window, const WindowLayout& layout, bool contrast = false) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto rgb = [](const QColor& colour) { return int(colour.rgb() & 0xFFFFFF); };
    const auto system = [&rgb](QPalette::ColorRole role) { return rgb(QApplication::palette().color(QPalette::Active, role)); };
    EXPECT_EQ(std::tuple(window.width() * 15, window.height() * 15, window.windowTitle().toStdString(),
                         rgb(window.palette().color(QPalette::Window)), window.windowIcon().isNull()),
              std::tuple(layout.width, layout.height, layout.title, contrast ? system(QPalette::Window) : layout.background, false));
    for (const ControlLayout& c : layout.controls) {
        SCOPED_TRACE(c.name);
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr);
        const auto px = [](int twips) { return qRound(twips / 15.0); };
        const QFont font = control->font(), plain = QApplication::font(control);
        const QPalette colours = control->palette();
        const auto [button, label] = std::tuple(qobject_cast<QPushButton*>(control), qobject_cast<QLabel*>(control));
        const bool text = label && c.kind != ControlKind::Image, hand = control->testAttribute(Qt::WA_SetCursor);
        const int align = text ? int(label->alignment() & Qt::AlignHorizontal_Mask) : 0;
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
        EXPECT_EQ(std::tuple(control->geometry(), font.family(), font.pointSizeF(), font.bold() || font.underline(), font.italic(),
                             font.fixedPitch(), rgb(colours.color(QPalette::Active, QPalette::WindowText)),
                             control->autoFillBackground() ? rgb(colours.color(QPalette::Window)) : kNoColour,
                             button ? button->text().toStdString() : text ? label->text().toStdString() : c.caption,
                             align, text && label->wordWrap(), reader->text(QAccessible::Name).toStdString(),
                             reader->text(QAccessible::Description).toStdString(), control->isVisible(), control->isEnabled(),
                             control->focusPolicy() != Qt::NoFocus, hand ? control->cursor().hotSpot() : QPoint()),
                  std::tuple(QRect(px(c.left), px(c.top), px(c.width), px(c.height)), c.font.family ? c.font.family : plain.family(),
                             c.font.family ? c.font.points : plain.pointSizeF(), false, c.font.italic, c.font.fixedPitch,
                             contrast || c.text == kNoColour ? system(QPalette::WindowText) : c.text, contrast ? kNoColour : c.background,
                             c.caption, text ? int(c.align == Align::Left ? Qt::AlignLeft : c.align == Align::Right ? Qt::AlignRight
                                                                                                               : Qt::AlignHCenter) : 0,
                             c.Wraps(), c.ReaderName(), c.description, c.Shown(), c.Enabled(), c.TakesFocus(),
                             c.Clickable() ? QPoint(12, 1) : QPoint()));
        if (!button) continue;
        EXPECT_EQ(std::tuple(rgb(colours.color(QPalette::Button)), rgb(colours.color(QPalette::Active, QPalette::ButtonText)),
                             button->isDefault(), button->autoDefault(), button->cursor().shape()),
                  std::tuple(contrast ? system(QPalette::Button) : kButtonFace, contrast ? system(QPalette::ButtonText) : kButtonText,
                             false, false, Qt::BitmapCursor));
    }
}

QStringList TabCycle(int presses) {
    QStringList order;
    for (int i = 0; i < presses; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        order << QApplication::focusWidget()->objectName();
    return order;
}

int ShownInfoWindows() {
    const QWidgetList all = QApplication::topLevelWidgets();
    return int(std::count_if(all.begin(), all.end(), [](QWidget* w) { return qobject_cast<Info*>(w) && w->isVisible(); }));
}

// Both windows as laid out; then the main window's start focus, tab order and access keys, the mouse and the keys
// on its lists, and the about window on screen.
TEST(Look, BothWindowsLaidOutThenFocusKeysTheMouseOnTheListsAndTheAboutWindow) {
    Info info;
    ExpectBuiltFrom(info, InfoLayout());
    EXPECT_EQ(std::tuple(info.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
                         info.size(), info.accessibleDescription().toStdString()),
              std::tuple(Qt::WindowCloseButtonHint, QSize(312, 213), InfoLayout().description));
    QTest::keyClick(&info, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), info.findChild<QWidget*>("cmdBack")) << "the only control with the focus";
    info.hide();
    {
        qputenv("GTK_THEME", "HighContrastInverse");
        WindowHarness contrast;
        Info about;
        ExpectBuiltFrom(*contrast.window, ConverterLayout(), true), ExpectBuiltFrom(about, InfoLayout(), true);
        qunsetenv("GTK_THEME");
    }

    WindowHarness h;
    ExpectBuiltFrom(*h.window, ConverterLayout());
    const QLabel* title = h.Get<QLabel>("Label1");
    const QLabel* logo = h.Get<QLabel>("imgLogo");
    EXPECT_EQ(std::tuple(h.window->size(), title->fontMetrics().boundingRect(title->text()).width() <= title->width(),
                         h.Get<QLabel>("lblInfo")->frameShape(), logo->pixmap().size(), logo->hasScaledContents()),
              std::tuple(QSize(578, 485), true, QFrame::Box, QSize(32, 32), false)) << "the whole title on one line";
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

    auto* const drives = h.Get<DriveListBox>("drvDriveBox");
    auto* const dirs = h.Get<DirListBox>("dirDirBox");
    auto* const files = h.Get<FileListBox>("filFileBox");
    drives->setCurrentIndex(0);  // the user picks /vol/a: the drive change opens its root
    EXPECT_EQ(std::tuple(drives->currentText(), dirs->count(), dirs->currentItem()->text(), dirs->item(3)->text(), files->model()->rowCount()),
              std::tuple("/vol/a [A]", 4, "a", "Cache", 0));
    Click(dirs, 3, true);
    EXPECT_EQ(std::tuple(h.Chosen(), h.Get<QLabel>("lblFolder")->text(), h.Get<QLabel>("lblFolder")->accessibleName(), files->model()->rowCount()),
              std::tuple("/vol/a/Cache", "/vol/a/Cache", "/vol/a/Cache", 2)) << "a double click opens; the label read as shown";
    const QString path = "/vol/a/" + QString("Folder/").repeated(30) + "Cache";
    h.window->SetCaption(ControlId::lblFolder, path.toStdString());
    auto* const shown = h.Get<PathLabel>("lblFolder");
    EXPECT_EQ(std::tuple(shown->text(), shown->Shown().startsWith("/vol/a/"), shown->Shown().endsWith("Folder/Cache"), shown->Shown().contains(QChar(0x2026)),
                         shown->fontMetrics().horizontalAdvance(shown->Shown()) <= shown->width()),
              std::tuple(path, true, true, true, true)) << "a long path loses its middle, not its ends";
    h.window->SetCaption(ControlId::lblFolder, "/vol/a/Cache");
    Click(dirs, 4);  // sub
    EXPECT_EQ(h.Chosen(), "/vol/a/Cache") << "a single click only highlights";
    Click(files, 1);
    const std::string clicked = h.Chosen();
    Click(dirs, 3), Click(files, 1);
    EXPECT_EQ(std::tuple(clicked, h.Chosen()), std::tuple("/vol/a/Cache/sub", "/vol/a/Cache")) << "a click, then the file clicked again";
    Click(dirs, 4), QTest::keyClick(files, Qt::Key_Up);
    EXPECT_EQ(std::tuple(h.Chosen(), files->currentIndex().row()), std::tuple("/vol/a/Cache/sub", 0)) << "the arrow keys select as the mouse does";
    QTest::keyClick(dirs, Qt::Key_Return);
    EXPECT_EQ(std::tuple(h.window->form().folders().Path(), dirs->currentRow()), std::tuple("/vol/a/Cache/sub", 4)) << "Enter opens";

    EXPECT_EQ(TabCycle(8), QStringList({"dirDirBox", "filFileBox", "cmdGetCache", "cmdExit", "cmdRefresh", "cmdSort", "drvDriveBox",
                                        "dirDirBox"})) << "with a folder chosen";
    keys({Qt::Key_C, Qt::Key_R, Qt::Key_S});
    h.Get("cmdSort")->setFocus();
    QTest::keyClick(h.Get("cmdSort"), Qt::Key_Return);
    EXPECT_EQ(pressed, QStringList({"cmdGetCache", "cmdRefresh", "cmdSort", "cmdSort"})) << "Enter presses the focused one";

    // One modeless centred about window; Exit leaves it open, and the program ends when both windows are closed.
    QWidget* const label = h.Get("lblInfo");
    QTest::mousePress(label, Qt::LeftButton), QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, 5));
    EXPECT_EQ(h.window->info(), nullptr) << "\"Information\" opens neither on the press nor when let go outside it";
    QAccessibleActionInterface* reader = QAccessible::queryAccessibleInterface(label)->actionInterface();
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->actionNames(), QStringList{QAccessibleActionInterface::pressAction()}) << "a screen reader can press it";
    reader->doAction(QAccessibleActionInterface::pressAction()), h.Click("lblInfo");
    Info* about = h.window->info();
    ASSERT_NE(about, nullptr);
    const auto offCentre = [about] { return (about->frameGeometry().center() - about->screen()->availableGeometry().center()).manhattanLength(); };
    EXPECT_EQ(std::tuple(ShownInfoWindows(), about->parent(), about->isModal(), offCentre()), std::tuple(1, nullptr, false, 0));
    about->setGeometry(0, 0, 500, 400);
    QTest::mouseClick(about->findChild<QPushButton*>("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(ShownInfoWindows(), 0);
    h.Click("lblInfo");
    EXPECT_EQ(std::tuple(ShownInfoWindows(), h.window->info(), about->size(), offCentre()), std::tuple(1, about, QSize(312, 213), 0));

    QTimer::singleShot(0, [&] {
        keys({Qt::Key_X});
        EXPECT_EQ(std::tuple(h.window->isVisible(), ShownInfoWindows()), std::tuple(false, 1));
        about->setFocus();  // the window itself given the focus: Back holds it
        about->activateWindow();
    });
    QTimer::singleShot(600, [&] { QTest::keyClick(about->windowHandle(), Qt::Key_Return); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(ShownInfoWindows(), 0);
}

// The real message box of each kind, read and answered with a key by a timer; then, while a command runs, its
// progress, modal, that nothing dismisses, and neither window taking input.
TEST(Commands, TheMessageBoxOfEachKindAndTheProgressThatNoInputGetsPast) {
    struct Box { Buttons buttons; Icon icon; QMessageBox::Icon shown; const char* captions; Qt::Key key; Answer answer; };
    const Box boxes[] = {
        {Buttons::Ok, Icon::None, QMessageBox::NoIcon, "OK", Qt::Key_Return, Answer::Ok},
        {Buttons::YesNo, Icon::Warning, QMessageBox::Warning, "&Yes &No", Qt::Key_Return, Answer::Yes},
        {Buttons::RetryCancel, Icon::Error, QMessageBox::Critical, "&Retry Cancel", Qt::Key_Escape, Answer::Cancel},
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
        EXPECT_EQ(h.window->Ask({"Some & text.", "A title", b.buttons, b.icon}), b.answer);
        EXPECT_EQ(seen, QStringList({"A title", "Some & text.", b.captions, QString(b.captions).section(' ', 0, 0),
                                     QString::number(b.shown)}));
    }

    h.window->form().SetFolder("/vol/a/Cache");
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    h.window->TakeInput(false);
    h.window->ShowProgress("Converting the cache...");
    h.window->SetProgress(500);
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dialog, Qt::Key_Escape), dialog->close();
    Click(h.Get<DirListBox>("dirDirBox"), 2, true), Click(h.Get<FileListBox>("filFileBox"), 0), h.Click("lblInfo"), h.window->close();
    EXPECT_EQ(std::tuple(dialog->isVisible(), QApplication::activeModalWidget() == dialog, dialog->value(), dialog->windowTitle(),
                         dialog->labelText()), std::tuple(true, true, 500, "Tarnel Cache Converter", "Converting the cache..."));
    EXPECT_EQ(std::tuple(h.Chosen(), h.window->form().folders().Path(), h.window->info(), h.window->isVisible()),
              std::tuple("/vol/a/Cache", "/vol/a/Cache", nullptr, true)) << "no input taken";
}

}  // namespace
}  // namespace tcc

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
