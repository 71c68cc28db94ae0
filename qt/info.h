#pragma once

#include <QWidget>

class QScreen;

namespace tcc {

// The about window: who wrote the tool, how to reach them, and the version.
// A top-level window of its own with no owner. Back holds the focus
// whenever the window is active.
class Info : public QWidget {
    Q_OBJECT
public:
    Info();

    // Shows the window modeless, as laid out and centred on screen, and
    // brings it to the front.
    void Open(QScreen* screen);
    void Raise();

signals:
    void backPressed();
    // Closed by its close box, or by close().
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Centre(QScreen* screen);

    QWidget* back_ = nullptr;
};

}  // namespace tcc
