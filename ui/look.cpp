#include "ui/look.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>

// The artwork is compiled into this static library; its initialiser must be
// called by name, or the linker leaves it out.
static void InitArtwork() { Q_INIT_RESOURCE(resources); }

namespace tcc {

void LoadArtwork() {
    static const bool loaded = (InitArtwork(), true);
    (void)loaded;
}

QFont ArialFont(qreal points, bool italic) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(italic);
    return font;
}

QFont CourierFont(qreal points) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

void SetColours(QWidget* widget, const QColor& text, const QColor& background) {
    QPalette palette = widget->palette();
    if (text.isValid()) {
        // Only the enabled states: a disabled control keeps the greyed text
        // of the platform's style.
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::WindowText, text);
            palette.setColor(group, QPalette::Text, text);
        }
    }
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void Describe(QWidget* widget, const QString& name, const QString& description) {
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

const QCursor& HandCursor() {
    LoadArtwork();
    static const QCursor cursor(QPixmap(QStringLiteral(":/images/hand.png")), 12, 1);
    return cursor;
}

CommandButton::CommandButton(const QString& caption, const QString& description, QWidget* parent)
    : QPushButton(caption, parent) {
    Describe(this, QString(caption).remove(QLatin1Char('&')), description);
    setFont(ArialFont(12));
    setCursor(HandCursor());
    setAutoDefault(false);
    setDefault(false);
    QPalette face = palette();
    face.setColor(QPalette::Button, kButtonFace);
    setPalette(face);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace tcc
