#include "qt/info.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>

#include "form/layout.h"
#include "qt/draw_layout.h"

namespace tcc {

Info::Info() : QWidget(nullptr) {
    const auto controls = BuildWindow(this, InfoLayout(), nullptr);
    back_ = controls.at(ControlId::cmdBack);
    connect(static_cast<QPushButton*>(back_), &QPushButton::clicked, this, &Info::backPressed);
    // Focus given to the window goes to its only control.
    setFocusProxy(back_);
    back_->setFocus();
}

void Info::Open(QScreen* screen) {
    // Each opening shows the window as laid out, centred by its frame,
    // whatever size and place the user gave it before. The frame's size is
    // known once the window exists, on some systems only once shown.
    resize(TwipsToPixels(InfoLayout().width), TwipsToPixels(InfoLayout().height));
    create();
    Centre(screen);
    show();
    Centre(screen);
    Raise();
}

void Info::Raise() {
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) back_->setFocus(Qt::ActiveWindowFocusReason);
    QWidget::changeEvent(event);
}

void Info::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

}  // namespace tcc
