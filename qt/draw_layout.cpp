#include "qt/draw_layout.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

// The artwork is compiled into this static library; its initialiser must be
// called by name, or the linker leaves it out.
static void InitArtwork() { Q_INIT_RESOURCE(resources); }

namespace tcc {

namespace {

void LoadArtwork() {
    static const bool loaded = (InitArtwork(), true);
    (void)loaded;
}

QString Artwork(const char* file) { return QStringLiteral(":/images/") + QString::fromLatin1(file); }

QRect PixelRect(const ControlLayout& c) {
    return QRect(TwipsToPixels(c.left), TwipsToPixels(c.top), TwipsToPixels(c.width), TwipsToPixels(c.height));
}

QColor Colour(int rgb) { return rgb == kNoColour ? QColor() : QColor::fromRgb(static_cast<QRgb>(rgb)); }

// Gives a widget its own text colour and, when background is valid, an
// opaque background of that colour. An invalid background leaves the
// widget transparent over its parent.
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

// What a screen reader finds of a clickable label: a label with the action
// "Press", which clicks it as the mouse does. It takes no focus for that.
class PressableLabel : public QAccessibleWidget {
public:
    explicit PressableLabel(ClickLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) emit static_cast<ClickLabel*>(widget())->clicked();
    }
};

QAccessibleInterface* MakePressableLabel(const QString&, QObject* object) {
    auto* label = qobject_cast<ClickLabel*>(object);
    return label ? new PressableLabel(label) : nullptr;
}

QWidget* MakeLabel(const ControlLayout& c, QWidget* window) {
    if (c.kind == ControlKind::Image) {
        auto* image = new QLabel(window);
        image->setPixmap(QPixmap(Artwork(c.caption.c_str())));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return image;
    }
    static const bool readable = (QAccessible::installFactory(MakePressableLabel), true);
    (void)readable;
    QLabel* label = c.kind == ControlKind::ClickLabel ? new ClickLabel(window)
                    : c.PathText()                    ? new PathLabel(window)
                                                      : new QLabel(window);
    label->setText(Local(c.caption));
    label->setTextFormat(Qt::PlainText);
    const Qt::Alignment across = c.align == Align::Left    ? Qt::AlignLeft
                                 : c.align == Align::Right ? Qt::AlignRight
                                                           : Qt::AlignHCenter;
    // A framed label is a box with its text in the middle; the others start
    // at their top.
    label->setAlignment(across | (c.Framed() ? Qt::AlignVCenter : Qt::AlignTop));
    if (c.Framed()) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    label->setWordWrap(c.Wraps());
    return label;
}

QWidget* MakeButton(const ControlLayout& c, QWidget* window) {
    auto* button = new CommandButton(Local(c.caption), window);
    button->setAutoDefault(false);
    button->setDefault(false);
    if (HighContrast()) return button;
    QPalette face = button->palette();
    face.setColor(QPalette::Button, Colour(kButtonFace));
    for (auto group : {QPalette::Active, QPalette::Inactive})
        face.setColor(group, QPalette::ButtonText, Colour(kButtonText));
    button->setPalette(face);
    return button;
}

}  // namespace

QString Local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QFont FontOf(const FontStyle& style) {
    QFont font(QString::fromLatin1(style.family));
    font.setStyleHint(style.fixedPitch ? QFont::Monospace : QFont::SansSerif);
    font.setFixedPitch(style.fixedPitch);
    font.setPointSizeF(style.points);
    font.setWeight(QFont::Normal);
    font.setItalic(style.italic);
    return font;
}

bool HighContrast() {
    return qEnvironmentVariable("GTK_THEME").contains(QLatin1String("HighContrast"), Qt::CaseInsensitive);
}

const QCursor& HandCursor() {
    LoadArtwork();
    static const QCursor cursor(QPixmap(Artwork("hand.png")), 12, 1);
    return cursor;
}

std::map<ControlId, QWidget*> BuildWindow(QWidget* window, const WindowLayout& layout, const ListMaker& makeList) {
    LoadArtwork();
    window->setObjectName(QString::fromLatin1(layout.name));
    window->setWindowTitle(Local(layout.title));
    if (!layout.minimiseAndMaximise)
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint);
    QIcon icon;
    for (const char* image : layout.icons) icon.addFile(Artwork(image));
    window->setWindowIcon(icon);
    window->resize(TwipsToPixels(layout.width), TwipsToPixels(layout.height));
    // In high contrast every control keeps the system's colours.
    const bool contrast = HighContrast();
    if (!contrast) SetColours(window, QColor(), Colour(layout.background));
    if (!layout.description.empty()) {
        window->setAccessibleName(Local(layout.title));
        window->setAccessibleDescription(Local(layout.description));
    }

    std::map<ControlId, QWidget*> controls;
    QWidget* previous = nullptr;
    for (const ControlLayout& c : layout.controls) {
        QWidget* control = c.kind == ControlKind::Button ? MakeButton(c, window)
                           : c.TakesFocus()              ? makeList(c, window)
                                                         : MakeLabel(c, window);
        control->setObjectName(QString::fromLatin1(c.name));
        control->setGeometry(PixelRect(c));
        if (c.font.family) control->setFont(FontOf(c.font));
        if (!contrast) SetColours(control, Colour(c.text), Colour(c.background));
        control->setEnabled(c.Enabled());
        control->setAccessibleName(Local(c.ReaderName()));
        control->setAccessibleDescription(Local(c.description));
        if (c.Clickable()) control->setCursor(HandCursor());
        if (c.TakesFocus()) {
            if (previous) QWidget::setTabOrder(previous, control);
            previous = control;
        } else {
            control->setFocusPolicy(Qt::NoFocus);
        }
        if (!c.Shown()) control->hide();
        controls[c.id] = control;
    }
    return controls;
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QString PathLabel::Shown() const { return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width()); }

void PathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()), Shown());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace tcc
