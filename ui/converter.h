#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "commands/cache_state.h"
#include "core/disk.h"
#include "commands/window.h"
#include "ui/volumes.h"

class QLabel;
class QProgressDialog;

namespace tcc {

class ClickLabel;
class CommandButton;
class DirListBox;
class DriveListBox;
class FileListBox;
class Info;

// The main window. It owns the state of the commands, lets the user pick
// the cache folder with the three lists and runs the commands from its
// buttons. Every event catches its own errors and reports them in a message
// box, so the program keeps running.
class Converter : public QWidget, public Window {
    Q_OBJECT
public:
    // The window of this machine: its disk and its volumes.
    Converter();
    // A window on another disk and volume source (tests); disk must outlive
    // the window.
    Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes);
    ~Converter() override;

    // What the commands need of the window.
    Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons,
                      Icon icon) override;
    void ShowLabel(Label label) override;
    void RefreshFileList() override;
    void RefreshDirList() override;
    void Progress(std::uint64_t done, std::uint64_t total) override;

    // Answers message boxes instead of the user (tests, benchmarks).
    using MessageHook = std::function<Answer(const std::string& text, const std::string& title,
                                             Buttons buttons, Icon icon)>;
    void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }

    CacheFolderState& state() { return state_; }
    // The about window, once "Information" has been clicked.
    Info* info() const { return info_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes);

    // Construction (converter_layout.cpp).
    void CreateWindowFrame();
    void CreateTitle();
    void CreateLists(std::unique_ptr<VolumeSource> volumes);
    void CreateFolderLabels();
    void CreateCommandButtons();
    void CreateNotices();
    void SetTabOrder();
    void StartInCurrentFolder();
    QLabel* CreateLabel(const char* name, const QString& caption, const QRect& geometry);

    // Wiring and events (converter.cpp).
    void ConnectEvents();
    void Form_Load();
    void drvDriveBox_Change();
    void dirDirBox_Change();
    void filFileBox_Click();
    void cmdGetCache_Click();
    void cmdRefresh_Click();
    void cmdSort_Click();
    void cmdExit_Click();
    void lblInfo_Click();

    template <typename Body>
    void RunEvent(Body&& body);
    void ReportError(const std::string& text);
    // One step of the drive change with its recovery; false ends the change.
    bool RunDriveStep(const std::function<void()>& step);
    void ShowFolderControls();
    void ChooseFolder();
    using Command = bool (*)(CacheFolderState&, Window&);
    void RunCommand(Command command, const QString& progressText);
    void ReadFileListNow();
    void EndProgress();

    PlatformDisk realDisk_;
    Disk& disk_;
    CacheFolderState state_;
    std::unique_ptr<Info> info_;
    MessageHook messageHook_;

    // A command in progress.
    bool busy_ = false;
    QString progressText_;
    QElapsedTimer commandClock_;
    qint64 lastProgressUpdate_ = 0;
    qint64 lastFileListRead_ = 0;
    qint64 fileListReadCost_ = 0;
    bool fileListDirty_ = false;
    QProgressDialog* progress_ = nullptr;

    QLabel* Label1 = nullptr;
    DriveListBox* drvDriveBox = nullptr;
    DirListBox* dirDirBox = nullptr;
    FileListBox* filFileBox = nullptr;
    QLabel* lblFolder = nullptr;
    CommandButton* cmdGetCache = nullptr;
    QLabel* lblFolderName = nullptr;
    CommandButton* cmdExit = nullptr;
    CommandButton* cmdRefresh = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblLocate = nullptr;
    CommandButton* cmdSort = nullptr;
    ClickLabel* lblInfo = nullptr;
    QLabel* imgLogo = nullptr;
};

}  // namespace tcc
