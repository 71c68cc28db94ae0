// The about window's look: frame, six labels and the Back button.
#include <QIcon>
#include <QLabel>

#include "core/version.h"
#include "ui/info.h"
#include "ui/look.h"

namespace tcc {

namespace {
const QColor kLightGrey{0xE0, 0xE0, 0xE0};
const QColor kYellow{0xFF, 0xFF, 0x00};
const QColor kGrey{0x80, 0x80, 0x80};
}  // namespace

void Info::CreateWindowFrame() {
    LoadArtwork();
    setObjectName(QStringLiteral("Info"));
    // An ordinary frame with a close box, without minimise and maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Information"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/info-icon-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/images/info-icon-16.png"), QSize(16, 16));
    setWindowIcon(icon);
    resize(LaidOutSize());
    SetColours(this, QColor(), kNavy);
}

QSize Info::LaidOutSize() { return {Twips(4680), Twips(3195)}; }

QLabel* Info::CreateLabel(const char* name, const QString& caption, const QRect& geometry,
                          const QFont& font, const QColor& colour, Qt::Alignment alignment) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    SetColours(label, colour, kNavy);
    return label;
}

void Info::CreateLabels() {
    const QFont text = ArialFont(9.75);
    Label1 = CreateLabel("Label1", tr("Application Written By:"), TwipsRect(525, 375, 3690, 315),
                         text, kLightGrey, Qt::AlignLeft);
    Label2 = CreateLabel("Label2", tr("Ada Marsh"), TwipsRect(525, 900, 3690, 315), text,
                         kLightGrey, Qt::AlignHCenter);
    Label3 = CreateLabel("Label3", tr("ada.marsh@example.org"), TwipsRect(525, 1500, 3690, 315),
                         text, kLightGrey, Qt::AlignHCenter);
    Label4 = CreateLabel("Label4", tr("Feel free to e-mail me with any bugs or problems."),
                         TwipsRect(75, 2175, 4515, 315), ArialFont(9.75, true), kYellow,
                         Qt::AlignHCenter);
    Label5 = CreateLabel("Label5", tr("Tarnel Workshop"), TwipsRect(525, 1200, 3690, 315), text,
                         kLightGrey, Qt::AlignHCenter);
    const QString version = QString::fromLatin1(kVersion);
    Label6 = CreateLabel("Label6", QStringLiteral("Version") + version, TwipsRect(3525, 150, 915, 390), font(),
                         kGrey, Qt::AlignRight);

    Describe(Label1, Label1->text(), tr("Heading"));
    Describe(Label2, Label2->text(), tr("The author's name"));
    Describe(Label3, Label3->text(), tr("The author's e-mail address"));
    Describe(Label4, Label4->text(), tr("Where to report problems"));
    Describe(Label5, Label5->text(), tr("The author's organisation"));
    Describe(Label6, tr("Version %1").arg(version), tr("The program's version"));
    // The whole window as one text, in reading order.
    Describe(this, windowTitle(),
             tr("%1 %2, %3, %4. %5 %6.")
                 .arg(Label1->text(), Label2->text(), Label5->text(), Label3->text(), Label4->text(),
                      Label6->accessibleName()));
}

void Info::CreateBackButton() {
    cmdBack = new CommandButton(tr("Back"), tr("Closes this window"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setGeometry(TwipsRect(1650, 2550, 1215, 390));
    // Focus given to the window goes to its only control.
    setFocusProxy(cmdBack);
    cmdBack->setFocus();
}

}  // namespace tcc
