#pragma once

#include <QWidget>

class QLabel;
class QScreen;

namespace tcc {

class CommandButton;

// The about window: who wrote the tool, how to reach them, and the version.
// A top-level window of its own with no owner; "Back" or the close box
// closes it, and the same window opens again on the next "Information".
class Info : public QWidget {
    Q_OBJECT
public:
    Info();

    // Shows the window modeless, as laid out and centred on screen when it
    // was closed, and brings it to the front.
    void Open(QScreen* screen);

protected:
    void changeEvent(QEvent* event) override;

private:
    static QSize LaidOutSize();
    void Centre(QScreen* screen);

    // Construction (info_layout.cpp).
    void CreateWindowFrame();
    void CreateLabels();
    void CreateBackButton();
    QLabel* CreateLabel(const char* name, const QString& caption, const QRect& geometry,
                        const QFont& font, const QColor& colour, Qt::Alignment alignment);

    void cmdBack_Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    CommandButton* cmdBack = nullptr;
};

}  // namespace tcc
