// The main window's events: the navigation through the three lists, the
// drive change's recovery, the commands behind the buttons and the window
// operations the commands use.
#include "ui/converter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "commands/convert.h"
#include "commands/refresh.h"
#include "core/file_error.h"
#include "commands/sort.h"
#include "ui/dir_list_box.h"
#include "ui/drive_list_box.h"
#include "ui/file_list_box.h"
#include "ui/info.h"
#include "ui/look.h"

namespace tcc {

namespace {

// While a command runs, the window is brought up to date at most this often.
constexpr qint64 kProgressIntervalMs = 100;
constexpr qint64 kFileListIntervalMs = 250;
// A command that runs longer than this shows its progress.
constexpr qint64 kProgressDelayMs = 1000;
constexpr int kProgressSteps = 1000;

QString Local(const std::string& text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }

// The progress of a running command. A command cannot be stopped halfway,
// so neither Escape nor the close box dismisses it; it has no close box.
class CommandProgress : public QProgressDialog {
public:
    CommandProgress(const QString& text, QWidget* parent)
        : QProgressDialog(text, QString(), 0, kProgressSteps, parent,
                          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
        setWindowTitle(QString::fromLatin1(kAppTitle));
        setWindowModality(Qt::ApplicationModal);
        setCancelButton(nullptr);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
    }
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// What the user does with mouse and keyboard, and the close box.
bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Close: return true;
    default: return false;
    }
}

// A list that cannot be read again keeps what it showed: what the command
// reports must not be replaced by a failure to show its result.
template <typename List>
void RefreshOrKeep(List* list) {
    try {
        list->Refresh();
    } catch (const std::exception&) {
    }
}

}  // namespace

Converter::Converter() : Converter(nullptr, MakeSystemVolumeSource()) {}

Converter::Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes)
    : Converter(&disk, std::move(volumes)) {}

Converter::Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes)
    : QWidget(nullptr), disk_(disk ? *disk : realDisk_), state_(disk_) {
    CreateWindowFrame();
    CreateTitle();
    CreateLists(std::move(volumes));
    CreateFolderLabels();
    CreateCommandButtons();
    CreateNotices();
    SetTabOrder();
    StartInCurrentFolder();
    ConnectEvents();
    Form_Load();
}

Converter::~Converter() = default;

void Converter::ConnectEvents() {
    connect(drvDriveBox, &DriveListBox::Change, this, &Converter::drvDriveBox_Change);
    connect(dirDirBox, &DirListBox::Change, this, &Converter::dirDirBox_Change);
    connect(dirDirBox, &DirListBox::OpenFailed, this,
            [this](const QString& message) { ReportError(message.toLocal8Bit().toStdString()); });
    connect(filFileBox, &FileListBox::Click, this, &Converter::filFileBox_Click);
    connect(cmdGetCache, &QPushButton::clicked, this, &Converter::cmdGetCache_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &Converter::cmdRefresh_Click);
    connect(cmdSort, &QPushButton::clicked, this, &Converter::cmdSort_Click);
    connect(cmdExit, &QPushButton::clicked, this, &Converter::cmdExit_Click);
    connect(lblInfo, &ClickLabel::clicked, this, &Converter::lblInfo_Click);
}

// Every event ends here when something fails: the user is told what and
// the program goes on.
template <typename Body>
void Converter::RunEvent(Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ReportError(error.what());
    }
}

void Converter::ReportError(const std::string& text) {
    MessageBox(text, std::string(), Buttons::Ok, Icon::Warning);
}

void Converter::Form_Load() {
    RunEvent([this] { state_.cacheConverted = false; });
}

void Converter::ShowFolderControls() {
    lblFolder->show();
    lblFolderName->show();
    lblLocate->hide();
    cmdRefresh->show();
    cmdGetCache->show();
    cmdSort->show();
}

bool Converter::RunDriveStep(const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const FileError& error) {
            if (error.number() != kDeviceUnavailable) {
                ReportError(error.what());
                return true;
            }
            if (MessageBox("Drive is not available.", kAppTitle, Buttons::RetryCancel,
                           Icon::Error) == Answer::Retry)
                continue;
            // Fall back on the second drive; that change runs in full first.
            if (drvDriveBox->ListCount() < 2) return false;
            drvDriveBox->SetDrive(drvDriveBox->List(1));
            return true;
        } catch (const std::exception& error) {
            ReportError(error.what());
            return true;
        }
    }
}

void Converter::drvDriveBox_Change() {
    RunEvent([this] {
        const std::function<void()> steps[] = {
            [this] { filFileBox->Refresh(); },
            [this] { dirDirBox->Refresh(); },
            [this] { lblFolder->show(); },
            [this] { lblFolderName->show(); },
            [this] { lblLocate->hide(); },
            [this] { cmdRefresh->show(); },
            [this] { cmdGetCache->show(); },
            [this] { cmdSort->show(); },
            [this] { dirDirBox->SetPath(drvDriveBox->Drive()); },
        };
        for (const auto& step : steps)
            if (!RunDriveStep(step)) return;
    });
}

void Converter::ChooseFolder() {
    state_.ChooseFolder(dirDirBox->List(dirDirBox->ListIndex()));
    const QString path = QFile::decodeName(QByteArray::fromStdString(state_.currentFolder->path));
    lblFolder->setText(path);
    lblFolder->setAccessibleName(path);
}

void Converter::dirDirBox_Change() {
    RunEvent([this] {
        filFileBox->Refresh();
        ShowFolderControls();
        filFileBox->SetPath(dirDirBox->Path());
        ChooseFolder();
    });
}

void Converter::filFileBox_Click() {
    RunEvent([this] { ChooseFolder(); });
}

void Converter::cmdGetCache_Click() {
    RunCommand(&tcc::RunConvert, tr("Converting the cache..."));
}

void Converter::cmdRefresh_Click() {
    RunCommand(&tcc::RunRefresh, tr("Writing the cache index..."));
}

void Converter::cmdSort_Click() {
    RunCommand(&tcc::RunSort, tr("Sorting into folders..."));
}

void Converter::cmdExit_Click() {
    RunEvent([this] { close(); });
}

void Converter::lblInfo_Click() {
    RunEvent([this] {
        if (!info_) info_ = std::make_unique<Info>();
        info_->Open(screen());
    });
}

bool Converter::eventFilter(QObject* watched, QEvent* event) {
    // While a command runs, neither window takes input; its progress and
    // its message boxes, windows of their own, do.
    if (busy_ && watched->isWidgetType() && IsUserInput(event->type())) {
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        if (window == this || window == info_.get()) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Converter::closeEvent(QCloseEvent* event) {
    // A command runs to its end before the window can go.
    if (busy_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void Converter::RunCommand(Command command, const QString& progressText) {
    if (busy_) return;
    busy_ = true;
    progressText_ = progressText;
    commandClock_.start();
    lastProgressUpdate_ = 0;
    lastFileListRead_ = 0;
    fileListDirty_ = false;
    qApp->installEventFilter(this);

    std::string failure;
    try {
        command(state_, *this);
    } catch (const std::exception& error) {
        failure = error.what();
    }

    EndProgress();
    qApp->removeEventFilter(this);
    busy_ = false;
    if (fileListDirty_) ReadFileListNow();
    if (!failure.empty()) ReportError(failure);
}

void Converter::ReadFileListNow() {
    fileListDirty_ = false;
    QElapsedTimer reading;
    reading.start();
    filFileBox->Refresh();
    fileListReadCost_ = reading.elapsed();
    lastFileListRead_ = commandClock_.isValid() ? commandClock_.elapsed() : 0;
}

void Converter::EndProgress() {
    if (!progress_) return;
    // This may run inside the dialog's own setValue: it goes once that has
    // returned.
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
}

Answer Converter::MessageBox(const std::string& text, const std::string& title, Buttons buttons,
                             Icon icon) {
    // The user sees the folder as it is and no progress behind the message.
    if (busy_) {
        if (fileListDirty_) ReadFileListNow();
        EndProgress();
    }
    if (messageHook_) return messageHook_(text, title, buttons, icon);

    QMessageBox box(this);
    box.setWindowTitle(Local(title.empty() ? std::string(kAppTitle) : title));
    box.setText(Local(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == Icon::Error     ? QMessageBox::Critical
                : icon == Icon::Warning ? QMessageBox::Warning
                                        : QMessageBox::NoIcon);
    // The buttons keep this order on every platform: the first is the
    // default.
    struct Choice {
        QString caption;
        Answer answer;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case Buttons::Ok: choices = {{tr("OK"), Answer::Ok}}; break;
    case Buttons::YesNo: choices = {{tr("&Yes"), Answer::Yes}, {tr("&No"), Answer::No}}; break;
    case Buttons::RetryCancel:
        choices = {{tr("&Retry"), Answer::Retry}, {tr("Cancel"), Answer::Cancel}};
        break;
    }
    std::vector<QPushButton*> pressed;
    for (const Choice& choice : choices)
        pressed.push_back(box.addButton(choice.caption, QMessageBox::ActionRole));
    box.setDefaultButton(pressed.front());
    box.setEscapeButton(pressed.back());
    box.exec();
    for (std::size_t i = 0; i < pressed.size(); ++i)
        if (box.clickedButton() == pressed[i]) return choices[i].answer;
    return choices.back().answer;
}

void Converter::ShowLabel(Label label) {
    switch (label) {
    case Label::Folder: lblFolder->show(); break;
    case Label::FolderName: lblFolderName->show(); break;
    case Label::Warning: lblWarning->show(); break;
    }
}

void Converter::RefreshFileList() {
    // During a command the folder is read again only while its progress is
    // on screen, at most every quarter second, and once at its end: not
    // once per changed file.
    if (busy_)
        fileListDirty_ = true;
    else
        RefreshOrKeep(filFileBox);
}

void Converter::RefreshDirList() { RefreshOrKeep(dirDirBox); }

void Converter::Progress(std::uint64_t done, std::uint64_t total) {
    // Called for every record or file: all but one call in 100 ms end here,
    // after one look at the clock.
    if (!busy_) return;
    const qint64 now = commandClock_.elapsed();
    if (now - lastProgressUpdate_ < kProgressIntervalMs) return;
    lastProgressUpdate_ = now;
    // Nothing is drawn before the progress shows, so the list waits too.
    if (now < kProgressDelayMs) return;
    // A big folder takes a while to read: read it no more than a tenth of
    // the time.
    if (fileListDirty_ && now - lastFileListRead_ >= std::max(kFileListIntervalMs, 10 * fileListReadCost_))
        ReadFileListNow();

    if (!progress_) {
        progress_ = new CommandProgress(progressText_, this);
        progress_->show();
    }
    const std::uint64_t step =
        total == 0 ? 0 : std::min<std::uint64_t>(done, total) * kProgressSteps / total;
    // The dialog is modal: while it processes the events here, the other
    // windows take no input.
    progress_->setValue(static_cast<int>(step));
}

}  // namespace tcc
