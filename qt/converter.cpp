// The main window on Qt: the form's controls, the user's input handed to the
// form, and the message boxes, the progress and the about window it asks for.
#include "qt/converter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <filesystem>

#include "qt/draw_layout.h"
#include "qt/info.h"
#include "qt/lists.h"

namespace tcc {

namespace {

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

std::string ProcessFolder() {
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    return error ? std::string() : folder;
}

}  // namespace

Converter::Converter() : Converter(nullptr, MakeSystemVolumeSource()) {}

Converter::Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes) : Converter(&disk, std::move(volumes)) {}

Converter::Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes) : QWidget(nullptr) {
    controls_ = BuildWindow(this, ConverterLayout(), [this](const ControlLayout& c, QWidget* window) -> QWidget* {
        switch (c.kind) {
        case ControlKind::DriveList: return drives_ = new DriveListBox(window);
        case ControlKind::FolderList: return folders_ = new DirListBox(window);
        default: return files_ = new FileListBox(window);
        }
    });
    drives_->setFocus();
    form_ = std::make_unique<ConverterForm>(*this, disk ? *disk : realDisk_, std::move(volumes), ProcessFolder());
    ConnectEvents();
    form_->Start();
}

Converter::~Converter() {
    // The controls go after the form: nothing they report reaches it then.
    for (const auto& [id, control] : controls_) control->disconnect(this);
    if (info_) info_->disconnect(this);
}

void Converter::ConnectEvents() {
    ConverterForm* form = form_.get();
    connect(drives_, &DriveListBox::Chosen, this, [form](int index) { form->DriveChosen(index); });
    connect(drives_, &DriveListBox::Opening, this, [form] { form->DriveListOpening(); });
    connect(folders_, &DirListBox::Highlighted, this, [form](int row) { form->FolderHighlighted(row); });
    connect(folders_, &DirListBox::Opened, this, [form](int row) { form->FolderOpened(row); });
    connect(files_, &FileListBox::Selected, this, [form](int row, bool click) { form->FileSelected(row, click); });
    for (ControlId id : {ControlId::cmdGetCache, ControlId::cmdRefresh, ControlId::cmdSort, ControlId::cmdExit})
        connect(static_cast<QPushButton*>(controls_.at(id)), &QPushButton::clicked, this,
                [form, id] { form->Pressed(id); });
    connect(static_cast<ClickLabel*>(controls_.at(ControlId::lblInfo)), &ClickLabel::clicked, this,
            [form] { form->Pressed(ControlId::lblInfo); });
}

void Converter::ShowDrives(const std::vector<std::string>& entries, int selected) { drives_->Show(entries, selected); }

void Converter::ShowFolders(const std::vector<FolderRow>& rows, int highlighted) { folders_->Show(rows, highlighted); }

void Converter::ShowFiles(const std::vector<std::string>& names, int selected) { files_->Show(names, selected); }

void Converter::SetVisible(ControlId control, bool visible) { controls_.at(control)->setVisible(visible); }

void Converter::SetCaption(ControlId control, const std::string& caption) {
    auto* label = static_cast<QLabel*>(controls_.at(control));
    label->setText(Local(caption));
    label->setAccessibleName(label->text());
}

Answer Converter::Ask(const Message& message) {
    if (messageHook_) return messageHook_(message);
    QMessageBox box(this);
    box.setWindowTitle(Local(message.title));
    box.setText(Local(message.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(message.icon == Icon::Error     ? QMessageBox::Critical
                : message.icon == Icon::Warning ? QMessageBox::Warning
                                                : QMessageBox::NoIcon);
    // The buttons keep the form's order on every platform: the first is the
    // default, the last answers Escape.
    const std::vector<Choice> choices = ChoicesOf(message.buttons);
    std::vector<QPushButton*> pressed;
    for (const Choice& choice : choices)
        pressed.push_back(box.addButton(QString::fromLatin1(choice.caption), QMessageBox::ActionRole));
    box.setDefaultButton(pressed.front());
    box.setEscapeButton(pressed.back());
    box.exec();
    for (std::size_t i = 0; i < pressed.size(); ++i)
        if (box.clickedButton() == pressed[i]) return choices[i].answer;
    return choices.back().answer;
}

void Converter::ShowProgress(const std::string& text) {
    if (progress_) return;
    progress_ = new CommandProgress(Local(text), this);
    progress_->show();
}

void Converter::SetProgress(int step) {
    // The dialog is modal: while it processes the events here, the other
    // windows take no input.
    if (progress_) progress_->setValue(step);
}

void Converter::HideProgress() {
    if (!progress_) return;
    // This may run inside the dialog's own setValue: it goes once that has
    // returned.
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
}

void Converter::TakeInput(bool take) {
    takingInput_ = take;
    if (take) qApp->removeEventFilter(this);
    else qApp->installEventFilter(this);
}

bool Converter::eventFilter(QObject* watched, QEvent* event) {
    if (!takingInput_ && watched->isWidgetType() && IsUserInput(event->type())) {
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        if (window == this || window == info_.get()) {
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Converter::closeEvent(QCloseEvent* event) {
    if (form_->MainClosing()) QWidget::closeEvent(event);
    else event->ignore();
}

void Converter::ShowAbout() {
    if (!info_) {
        info_ = std::make_unique<Info>();
        connect(info_.get(), &Info::backPressed, this, [this] { form_->Pressed(ControlId::cmdBack); });
        connect(info_.get(), &Info::closed, this, [this] { form_->AboutClosed(); });
    }
    info_->Open(screen());
}

void Converter::RaiseAbout() { info_->Raise(); }

void Converter::CloseAbout() { info_->close(); }

void Converter::CloseMain() { close(); }

// The event loop ends once the event that closed the last window returns.
void Converter::EndProgram() { QCoreApplication::exit(0); }

}  // namespace tcc
