#pragma once

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/disk.h"
#include "form/converter_form.h"
#include "form/view.h"

class QProgressDialog;

namespace tcc {

class DirListBox;
class DriveListBox;
class FileListBox;
class Info;

// The main window on Qt: it draws the form's controls, takes the user's
// input and hands it to the form; what the events do is the form's.
class Converter : public QWidget, public ConverterView {
    Q_OBJECT
public:
    // The window of this machine: its disk and its volumes.
    Converter();
    // A window on another disk and volume source (tests); disk must outlive
    // the window. Both start in the process's current folder.
    Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes);
    ~Converter() override;

    ConverterForm& form() { return *form_; }
    // The about window, once "Information" has been clicked.
    Info* info() const { return info_.get(); }

    // Answers message boxes instead of the user (tests, benchmarks).
    using MessageHook = std::function<Answer(const Message&)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

    // What the form needs of the windows.
    void ShowDrives(const std::vector<std::string>& entries, int selected) override;
    void ShowFolders(const std::vector<FolderRow>& rows, int highlighted) override;
    void ShowFiles(const std::vector<std::string>& names, int selected) override;
    void SetVisible(ControlId control, bool visible) override;
    void SetCaption(ControlId control, const std::string& caption) override;
    Answer Ask(const Message& message) override;
    void ShowProgress(const std::string& text) override;
    void SetProgress(int step) override;
    void HideProgress() override;
    void TakeInput(bool take) override;
    void ShowAbout() override;
    void RaiseAbout() override;
    void CloseAbout() override;
    void CloseMain() override;
    void EndProgram() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes);
    void ConnectEvents();

    PlatformDisk realDisk_;
    std::map<ControlId, QWidget*> controls_;
    DriveListBox* drives_ = nullptr;
    DirListBox* folders_ = nullptr;
    FileListBox* files_ = nullptr;
    std::unique_ptr<Info> info_;
    std::unique_ptr<ConverterForm> form_;
    MessageHook messageHook_;
    bool takingInput_ = true;
    QProgressDialog* progress_ = nullptr;
};

}  // namespace tcc
