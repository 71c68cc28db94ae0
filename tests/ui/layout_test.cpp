// The look of both windows: every control's place, font, colours and
// visibility, the start look, the keyboard order and the access keys.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "ui/info.h"
#include "ui_harness.h"

namespace tcc {
namespace {

struct ControlLook {
    const char* name;
    int left, top, width, height;  // twips
    const char* family;            // nullptr: the toolkit's default font
    qreal points;
    const char* text;              // #RRGGBB, nullptr: the default colour
    const char* background;        // #RRGGBB, nullptr: not painted by the control
    bool shownAtStart;
};

const ControlLook kConverterControls[] = {
    {"Label1", 750, 150, 4665, 540, "Arial", 24, "#c0c0c0", nullptr, true},
    {"drvDriveBox", 240, 825, 2775, 315, nullptr, 0, nullptr, nullptr, true},
    {"dirDirBox", 240, 1275, 2775, 4365, nullptr, 0, nullptr, nullptr, true},
    {"filFileBox", 3150, 825, 5295, 5160, "Courier", 9.75, nullptr, nullptr, true},
    {"lblFolder", 225, 6075, 8220, 225, "Courier", 9.75, nullptr, "#ffffff", false},
    {"cmdGetCache", 225, 6450, 2175, 420, "Arial", 12, nullptr, nullptr, false},
    {"lblFolderName", 225, 5700, 1695, 375, "Arial", 14.25, "#ffffff", nullptr, false},
    {"cmdExit", 7575, 6450, 920, 420, "Arial", 12, nullptr, nullptr, true},
    {"cmdRefresh", 2550, 6450, 2415, 420, "Arial", 12, nullptr, nullptr, false},
    {"lblWarning", 825, 6975, 6840, 315, nullptr, 0, "#c0c0c0", "#000080", false},
    {"lblLocate", 225, 6450, 7215, 390, "Arial", 14.25, "#ffffff", nullptr, true},
    {"cmdSort", 5100, 6450, 2340, 420, "Arial", 12, nullptr, nullptr, false},
    {"lblInfo", 7200, 300, 1215, 315, nullptr, 0, "#ffffff", "#000080", true},
    {"imgLogo", 225, 150, 480, 480, nullptr, 0, nullptr, nullptr, true},
};

const ControlLook kInfoControls[] = {
    {"Label1", 525, 375, 3690, 315, "Arial", 9.75, "#e0e0e0", "#000080", true},
    {"Label2", 525, 900, 3690, 315, "Arial", 9.75, "#e0e0e0", "#000080", true},
    {"Label3", 525, 1500, 3690, 315, "Arial", 9.75, "#e0e0e0", "#000080", true},
    {"Label4", 75, 2175, 4515, 315, "Arial", 9.75, "#ffff00", "#000080", true},
    {"Label5", 525, 1200, 3690, 315, "Arial", 9.75, "#e0e0e0", "#000080", true},
    {"Label6", 3525, 150, 915, 390, nullptr, 0, "#808080", "#000080", true},
    {"cmdBack", 1650, 2550, 1215, 390, "Arial", 12, nullptr, nullptr, true},
};

// 15 twips to the device-independent pixel.
int Px(int twips) { return qRound(twips / 15.0); }

void ExpectLook(QWidget* window, const ControlLook& look) {
    SCOPED_TRACE(look.name);
    auto* control = window->findChild<QWidget*>(QString::fromLatin1(look.name));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(Px(look.left), Px(look.top), Px(look.width), Px(look.height)));
    if (look.family) {
        EXPECT_EQ(control->font().family(), QString::fromLatin1(look.family));
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), look.points);
        EXPECT_FALSE(control->font().bold());
        EXPECT_FALSE(control->font().underline());
    } else {
        EXPECT_EQ(control->font(), QApplication::font(control));
    }
    if (look.text) {
        EXPECT_EQ(control->palette().color(QPalette::Active, QPalette::WindowText).name(),
                  QString::fromLatin1(look.text));
    }
    if (look.background) {
        EXPECT_TRUE(control->autoFillBackground());
        EXPECT_EQ(control->palette().color(QPalette::Window).name(),
                  QString::fromLatin1(look.background));
    } else if (qobject_cast<QLabel*>(control)) {
        EXPECT_FALSE(control->autoFillBackground()) << "a transparent label";
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        EXPECT_EQ(button->palette().color(QPalette::Button).name(), QStringLiteral("#e0e0e0"));
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    EXPECT_EQ(control->isVisible(), look.shownAtStart);
}

TEST(ConverterLayout, EveryControlStandsAsLaidOut) {
    WindowHarness harness;
    Converter& window = *harness.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tarnel Cache Converter"));
    EXPECT_EQ(window.size(), QSize(578, 485));
    EXPECT_EQ(window.palette().color(QPalette::Window).name(), QStringLiteral("#000080"));
    EXPECT_FALSE(window.windowIcon().isNull());
    for (const ControlLook& look : kConverterControls) ExpectLook(&window, look);

    EXPECT_FALSE(harness.Get<QLabel>("Label1")->isEnabled());
    EXPECT_EQ(harness.Get<QLabel>("lblFolderName")->alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    for (const char* centred : {"lblFolder", "lblWarning", "lblLocate", "lblInfo"})
        EXPECT_EQ(harness.Get<QLabel>(centred)->alignment() & Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter)
            << centred;
    EXPECT_EQ(harness.Get<QLabel>("lblInfo")->frameShape(), QFrame::Box);

    // The logo is shown at its natural size, and it is not the window icon.
    const QPixmap logo = harness.Get<QLabel>("imgLogo")->pixmap();
    EXPECT_EQ(logo.size(), QSize(32, 32));
    EXPECT_FALSE(harness.Get<QLabel>("imgLogo")->hasScaledContents());
    EXPECT_NE(logo.toImage(), window.windowIcon().pixmap(32, 32).toImage());
}

TEST(InfoLayout, EveryControlStandsAsLaidOut) {
    Info info;
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    EXPECT_EQ(info.windowTitle(), QStringLiteral("Information"));
    EXPECT_EQ(info.size(), QSize(312, 213));
    EXPECT_EQ(info.palette().color(QPalette::Window).name(), QStringLiteral("#000080"));
    EXPECT_FALSE(info.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(info.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(info.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(info.parent(), nullptr);
    for (const ControlLook& look : kInfoControls) ExpectLook(&info, look);

    EXPECT_TRUE(info.findChild<QLabel*>("Label4")->font().italic());
    EXPECT_EQ(info.findChild<QLabel*>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(info.findChild<QLabel*>("Label6")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(info.findChild<QLabel*>("Label6")->text(), QStringLiteral("Version1.1"));
    // Back is the only control that takes the focus.
    EXPECT_EQ(QApplication::focusWidget(), info.findChild<QWidget*>("cmdBack"));
    QTest::keyClick(&info, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), info.findChild<QWidget*>("cmdBack"));
}

TEST(ConverterLayout, PointerIsTheHandOnlyOverClickableControls) {
    WindowHarness harness;
    const QStringList hand{"cmdGetCache", "cmdRefresh", "cmdSort", "cmdExit", "lblInfo"};
    for (QWidget* control : harness.window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        SCOPED_TRACE(control->objectName().toStdString());
        if (hand.contains(control->objectName())) {
            ASSERT_EQ(control->cursor().shape(), Qt::BitmapCursor);
            EXPECT_EQ(control->cursor().hotSpot(), QPoint(12, 1));
            EXPECT_EQ(control->cursor().pixmap().size(), QSize(32, 32));
        } else {
            EXPECT_FALSE(control->testAttribute(Qt::WA_SetCursor));
        }
    }
    Info info;
    EXPECT_EQ(info.findChild<QWidget*>("cmdBack")->cursor().hotSpot(), QPoint(12, 1));
}

std::vector<std::string> TabCycle(QWidget* window, int presses) {
    std::vector<std::string> order;
    for (int i = 0; i < presses; ++i) {
        order.push_back(QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "");
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
    }
    return order;
}

TEST(ConverterLayout, StartLookFocusAndTabOrder) {
    WindowHarness harness;
    Converter& window = *harness.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    EXPECT_EQ(TabCycle(&window, 5),
              (std::vector<std::string>{"drvDriveBox", "dirDirBox", "filFileBox", "cmdExit", "drvDriveBox"}));

    harness.disk.AddFolder("/vol/a/Cache");
    harness.dirs()->SetPath("/vol/a/Cache");
    harness.drives()->setFocus();
    EXPECT_EQ(TabCycle(&window, 8),
              (std::vector<std::string>{"drvDriveBox", "dirDirBox", "filFileBox", "cmdGetCache",
                                        "cmdExit", "cmdRefresh", "cmdSort", "drvDriveBox"}));
}

TEST(ConverterLayout, AccessKeysAnswerOnlyForShownButtons) {
    WindowHarness harness;
    Converter& window = *harness.window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QSignalSpy convert(harness.Get<QPushButton>("cmdGetCache"), &QPushButton::clicked);
    QSignalSpy refresh(harness.Get<QPushButton>("cmdRefresh"), &QPushButton::clicked);
    QSignalSpy sort(harness.Get<QPushButton>("cmdSort"), &QPushButton::clicked);
    // An access key presses its button with a short animation.
    const int pressTime = 250;
    for (Qt::Key key : {Qt::Key_C, Qt::Key_R, Qt::Key_S}) QTest::keyClick(&window, key, Qt::AltModifier);
    QTest::qWait(pressTime);
    EXPECT_EQ(convert.count() + refresh.count() + sort.count(), 0);
    // Enter and Escape in a list press nothing: there is no default button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(harness.messages.empty());

    harness.disk.AddFolder("/vol/a/Cache");
    harness.dirs()->SetPath("/vol/a/Cache");
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
    QTest::qWait(pressTime);
    EXPECT_EQ(convert.count(), 1);
    EXPECT_EQ(refresh.count(), 1);
    EXPECT_EQ(sort.count(), 1);

    // Enter presses the button that has the focus.
    harness.Get<QPushButton>("cmdSort")->setFocus();
    QTest::keyClick(harness.Get<QPushButton>("cmdSort"), Qt::Key_Return);
    EXPECT_EQ(sort.count(), 2);

    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    QTest::qWait(pressTime);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tcc
