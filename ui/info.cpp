#include "ui/info.h"

#include <QEvent>
#include <QScreen>

#include "ui/look.h"

namespace tcc {

Info::Info() : QWidget(nullptr) {
    CreateWindowFrame();
    CreateLabels();
    CreateBackButton();
    connect(cmdBack, &QPushButton::clicked, this, &Info::cmdBack_Click);
}

void Info::Open(QScreen* screen) {
    if (!isVisible()) {
        // Each opening shows the window as laid out, centred by its frame,
        // whatever size and place the user gave it before. The frame's size
        // is known once the window exists, on some systems only once shown.
        resize(LaidOutSize());
        create();
        Centre(screen);
        show();
        Centre(screen);
    }
    raise();
    activateWindow();
}

void Info::Centre(QScreen* screen) {
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void Info::changeEvent(QEvent* event) {
    // Back is the window's only control: it has the focus whenever the
    // window is active, so Enter and Space press it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        cmdBack->setFocus(Qt::ActiveWindowFocusReason);
    QWidget::changeEvent(event);
}

void Info::cmdBack_Click() { close(); }

}  // namespace tcc
