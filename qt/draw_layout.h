#pragma once

#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRect>

#include <functional>
#include <map>

#include "form/layout.h"

class QKeyEvent;
class QMouseEvent;

namespace tcc {

// Text from the program's byte strings: names as the file system gives
// them, messages in the local encoding.
QString Local(const std::string& text);

// The font of the layout; a style without a family is the program's font.
QFont FontOf(const FontStyle& style);

// Does the desktop ask for high contrast (a high-contrast theme)? The
// windows are then drawn in the system's colours alone.
bool HighContrast();

// The pointing hand shown over every clickable control.
const QCursor& HandCursor();

// Makes a list control of the layout (the drive, folder or file list).
using ListMaker = std::function<QWidget*(const ControlLayout&, QWidget* window)>;

// Builds a window's frame and its controls from its layout: places, fonts,
// colours, captions, what a screen reader says, what is shown at start and
// the tab order. The lists come from makeList. Answers each control by id.
std::map<ControlId, QWidget*> BuildWindow(QWidget* window, const WindowLayout& layout, const ListMaker& makeList);

// A command button of both windows: never the window's default button.
// Enter or Return presses it when it has the focus, like Space.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A label showing a path on one line: one too long loses its middle, so that
// its start and its end show. Its text stays the whole path.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // The text as drawn.
    QString Shown() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that answers a click of the left mouse button.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tcc
