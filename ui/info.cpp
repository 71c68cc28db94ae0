#include "ui/info.h"

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
        // Each opening starts centred, wherever the user left it before.
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        show();
    }
    raise();
    activateWindow();
}

void Info::cmdBack_Click() { close(); }

}  // namespace tcc
