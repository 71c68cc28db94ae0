// The main window's look: its frame, its fourteen controls with their
// captions, positions, fonts and colours, what is shown at start, and the
// keyboard order.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>

#include <filesystem>

#include "ui/converter.h"
#include "ui/dir_list_box.h"
#include "ui/drive_list_box.h"
#include "ui/file_list_box.h"
#include "ui/look.h"

namespace tcc {

namespace {
const QColor kSilver{0xC0, 0xC0, 0xC0};
const QColor kWhite{0xFF, 0xFF, 0xFF};
}  // namespace

QLabel* Converter::CreateLabel(const char* name, const QString& caption, const QRect& geometry) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void Converter::CreateWindowFrame() {
    LoadArtwork();
    setObjectName(QStringLiteral("Converter"));
    setWindowTitle(tr("Tarnel Cache Converter"));
    setWindowIcon(QIcon(QStringLiteral(":/images/converter-icon.png")));
    resize(Twips(8670), Twips(7275));
    SetColours(this, QColor(), kNavy);
}

void Converter::CreateTitle() {
    // Wide enough for the whole title in "Arial" 24 on one line (about 340
    // pixels), short of "Information" at 7200.
    Label1 = CreateLabel("Label1", tr("Tarnel Cache Converter"), TwipsRect(750, 150, 5100, 540));
    Describe(Label1, Label1->text(), tr("The program's title"));
    Label1->setFont(ArialFont(24));
    SetColours(Label1, kSilver);
    Label1->setEnabled(false);
    // Like every label of the platform's toolkit, the title breaks between
    // words; what does not fit the box stays hidden.
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(TwipsRect(225, 150, 480, 480));
    imgLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    Describe(imgLogo, tr("Logo"), tr("The program's logo"));

    lblInfo = new ClickLabel(tr("Information"), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(TwipsRect(7200, 300, 1215, 315));
    lblInfo->setAlignment(Qt::AlignCenter);
    lblInfo->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblInfo->setLineWidth(1);
    lblInfo->setCursor(HandCursor());
    SetColours(lblInfo, kWhite, kNavy);
    Describe(lblInfo, lblInfo->text(), tr("Opens the window about the program's author and version"));
}

void Converter::CreateLists(std::unique_ptr<VolumeSource> volumes) {
    drvDriveBox = new DriveListBox(std::move(volumes), this);
    drvDriveBox->setObjectName(QStringLiteral("drvDriveBox"));
    drvDriveBox->setGeometry(TwipsRect(240, 825, 2775, 315));
    Describe(drvDriveBox, tr("Drives"), tr("The drive that holds the game's Cache folder"));

    dirDirBox = new DirListBox(disk_, this);
    dirDirBox->setObjectName(QStringLiteral("dirDirBox"));
    dirDirBox->setGeometry(TwipsRect(240, 1275, 2775, 4365));
    dirDirBox->SetDriveList(drvDriveBox);
    Describe(dirDirBox, tr("Folders"),
             tr("The open folder, the folders above it and its subfolders; Enter or a double click opens one"));

    filFileBox = new FileListBox(disk_, this);
    filFileBox->setObjectName(QStringLiteral("filFileBox"));
    filFileBox->setGeometry(TwipsRect(3150, 825, 5295, 5160));
    filFileBox->setFont(CourierFont(9.75));
    Describe(filFileBox, tr("Files"), tr("The files of the open folder; selecting one makes the highlighted folder current"));
}

void Converter::CreateFolderLabels() {
    lblFolderName = CreateLabel("lblFolderName", tr("Current Path:"), TwipsRect(225, 5700, 1695, 375));
    lblFolderName->setFont(ArialFont(14.25));
    lblFolderName->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetColours(lblFolderName, kWhite);
    Describe(lblFolderName, lblFolderName->text(), tr("Heading of the current path"));
    lblFolderName->hide();

    // A fixed white box: a path too long for it is cut off, never wrapped.
    lblFolder = CreateLabel("lblFolder", QString(), TwipsRect(225, 6075, 8220, 225));
    lblFolder->setFont(CourierFont(9.75));
    lblFolder->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblFolder->setWordWrap(false);
    SetColours(lblFolder, QColor(), kWhite);
    Describe(lblFolder, QString(), tr("The folder the commands work in"));
    lblFolder->hide();
}

void Converter::CreateCommandButtons() {
    auto make = [this](const char* name, const QString& caption, const QRect& geometry, const QString& description) {
        auto* button = new CommandButton(caption, description, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        return button;
    };
    cmdGetCache = make("cmdGetCache", tr("1. &Convert Cache"), TwipsRect(225, 6450, 2175, 420),
                       tr("Renames the cached files to the names the cache index gives them"));
    cmdRefresh = make("cmdRefresh", tr("2. &Refresh \".ini\" File"), TwipsRect(2550, 6450, 2415, 420),
                      tr("Writes the cache index anew with its header alone"));
    cmdSort = make("cmdSort", tr("3. &Sort Into Folders"), TwipsRect(5100, 6450, 2340, 420),
                   tr("Moves the converted files into folders by their kind"));
    cmdExit = make("cmdExit", tr("E&xit"), TwipsRect(7575, 6450, 920, 420), tr("Closes the window"));
    cmdGetCache->hide();
    cmdRefresh->hide();
    cmdSort->hide();
}

void Converter::CreateNotices() {
    lblLocate = CreateLabel("lblLocate", tr("Locate the game's Cache directory."),
                            TwipsRect(225, 6450, 7215, 390));
    lblLocate->setFont(ArialFont(14.25));
    lblLocate->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetColours(lblLocate, kWhite);
    Describe(lblLocate, lblLocate->text(), tr("Hint"));

    lblWarning = CreateLabel(
        "lblWarning",
        tr("Notice: Some files may not be able to be converted due to 'cache.ini' file records "
           "not available."),
        TwipsRect(825, 6975, 6840, 315));
    lblWarning->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetColours(lblWarning, kSilver, kNavy);
    Describe(lblWarning, lblWarning->text(), tr("Notice"));
    lblWarning->hide();
}

void Converter::SetTabOrder() {
    // The order of the controls that can take the focus; labels never do.
    for (QLabel* label : {Label1, lblFolder, lblFolderName, lblWarning, lblLocate,
                          static_cast<QLabel*>(lblInfo), imgLogo})
        label->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {drvDriveBox, dirDirBox, filFileBox, cmdGetCache, cmdExit, cmdRefresh, cmdSort};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    drvDriveBox->setFocus();
}

void Converter::StartInCurrentFolder() {
    // The lists start on the process's current drive and folder; nothing
    // fires for that.
    std::error_code error;
    const std::string cwd = std::filesystem::current_path(error).string();
    if (error) return;
    drvDriveBox->SelectVolumeOf(cwd);
    try {
        dirDirBox->StartAt(cwd);
        filFileBox->SetPath(cwd);
    } catch (const std::exception&) {
        // An unreadable start folder leaves the lists empty until the user
        // picks a drive or a folder.
    }
}

}  // namespace tcc
