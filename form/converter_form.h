#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/reporter.h"
#include "core/volumes.h"
#include "form/layout.h"
#include "form/lists.h"
#include "form/view.h"

namespace tcc {

// Milliseconds on a steady clock. The form times a command's progress by
// it; tests pass a clock they move themselves.
using Clock = std::function<std::int64_t()>;
std::int64_t SteadyMilliseconds();

// The main window and the about window without their drawing: what their
// events do, the state the commands share, and what the three lists hold.
// It talks to the windows on screen through a ConverterView, and the
// commands report to it as their Reporter. Every event catches its own errors
// and reports them in a message box, so the program keeps running.
class ConverterForm : public Reporter {
public:
    // disk must outlive the form; startFolder is the process's current
    // folder, where the lists start.
    ConverterForm(ConverterView& view, Disk& disk, std::unique_ptr<VolumeSource> volumes, std::string startFolder,
                  Clock clock = SteadyMilliseconds);

    // Shows the lists on the start folder's drive and folder; no drive
    // change, folder change or file click fires for that. Then the load.
    void Start();

    // What the user does, as the view reports it. None of these runs while
    // a command runs (the view takes no input then).
    void DriveChosen(int index);  // picked an entry of the drive list
    void DriveListOpening();      // the drive list drops down
    void FolderHighlighted(int row);
    void FolderOpened(int row);  // a double click, or Enter
    // The file list's selection moved to row (-1: none); click when the
    // user chose it (with the mouse or the keys), also a click on the entry
    // already selected. The list getting the focus is no click.
    void FileSelected(int row, bool click);
    void Pressed(ControlId control);  // a button or "Information"
    // The main window's close box (or Exit): false while a command runs,
    // when the window stays.
    bool MainClosing();
    // The about window's close box closed it.
    void AboutClosed();

    // Writes to the lists as the events do them (the benchmark uses them to
    // open a folder). SetDrive throws FileError kDeviceUnavailable for a text no entry has.
    void SetDrive(const std::string& text);
    void SetFolder(const std::string& text);

    const DriveList& drives() const { return drives_; }
    const FolderList& folders() const { return folders_; }
    const FileList& files() const { return files_; }
    CacheFolderState& state() { return state_; }
    bool busy() const { return busy_; }
    bool aboutOpen() const { return aboutOpen_; }

    // What the commands need of the window.
    Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) override;
    void ShowLabel(Label label) override;
    void RefreshFileList() override;
    void RefreshDirList() override;
    void Progress(std::uint64_t done, std::uint64_t total) override;
    void Note(const FileAction& action) override;
    // Held until the sort has returned; then, where the game's folder is
    // found, the window offers to install into it instead.
    void SortFinished(const std::string& text, const std::string& title) override;

private:
    // The events, each named control_event after its control in the layout
    // table, whose names the tests and users' notes find the controls by.
    void Form_Load();
    void drvDriveBox_Change();
    void dirDirBox_Change();
    void filFileBox_Click();
    void cmdExit_Click();
    void lblInfo_Click();
    void cmdBack_Click();

    template <typename Body>
    void RunEvent(Body&& body);
    void ReportError(const std::string& text);
    // One step of the drive change with its recovery; false ends the change.
    bool RunDriveStep(const std::function<void()>& step);
    void SelectDrive(int index);
    void ShowFolderControls();
    void ChooseFolder();
    void RunCommand(CommandFunction command, const char* progressText);
    void StartProgress(const char* progressText);
    void FinishSort(const Message& finished);
    void ReadFileListNow();
    void EndProgress();
    void ShowFiles();
    void ShowFolders();

    ConverterView& view_;
    Disk& disk_;
    std::string startFolder_;
    Clock clock_;
    CacheFolderState state_;
    DriveList drives_;
    FolderList folders_;
    FileList files_;
    bool mainOpen_ = true;
    bool aboutOpen_ = false;

    // A command in progress.
    bool busy_ = false;
    std::optional<Message> sortFinished_;
    std::vector<FileAction>* noted_ = nullptr;  // where the actions go while the install runs
    const char* progressText_ = "";
    bool progressShown_ = false;
    std::int64_t commandStart_ = 0;
    std::int64_t lastProgressUpdate_ = 0;
    std::int64_t lastFileListRead_ = 0;
    std::int64_t fileListReadCost_ = 0;
    bool fileListDirty_ = false;
};

}  // namespace tcc
