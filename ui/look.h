#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRect>

class QKeyEvent;
class QMouseEvent;

namespace tcc {

// Layouts are kept in twips; 15 twips make one device-independent pixel.
constexpr int Twips(int twips) { return (twips + 7) / 15; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

// The colours both windows share.
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kButtonFace{0xE0, 0xE0, 0xE0};

// Makes the pictures, icons and the hand pointer available.
void LoadArtwork();

QFont ArialFont(qreal points, bool italic = false);
QFont CourierFont(qreal points);

// Gives a widget its own text colour and, when background is valid, an
// opaque background of that colour. An invalid background leaves the
// widget transparent over its parent.
void SetColours(QWidget* widget, const QColor& text, const QColor& background = QColor());

// What a screen reader reads for a control: its name and what it is for.
void Describe(QWidget* widget, const QString& name, const QString& description);

// The pointing hand shown over every clickable control.
const QCursor& HandCursor();

// A command button of both windows: "Arial" 12 on a #E0E0E0 face, the hand
// pointer, never the window's default button. Enter or Return presses it
// when it has the focus, like Space. A screen reader reads its caption
// without the access key's "&", then the description.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(const QString& caption, const QString& description, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
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
