// The main window's and the about window's events: the navigation through
// the three lists, the drive change's recovery, the commands behind the
// buttons with their progress, and the window operations the commands use.
#include "form/converter_form.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "commands/convert.h"
#include "commands/install.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "core/file_error.h"

namespace tcc {

namespace {

// While a command runs, the window is brought up to date at most this often.
constexpr std::int64_t kProgressIntervalMs = 100;
constexpr std::int64_t kFileListIntervalMs = 250;
// A command that runs longer than this shows its progress.
constexpr std::int64_t kProgressDelayMs = 1000;

// A list that cannot be read again keeps what it showed: what the command
// reports must not be replaced by a failure to show its result.
template <typename List>
bool RefreshOrKeep(List& list) {
    try {
        list.Refresh();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// "1 file", "2 files".
std::string Files(std::size_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }

// What the install from the window did, for its closing box: how many files
// went into the game, how many it had already, and those kept in the sort
// folders, a few of them by name.
std::string InstallReport(const std::vector<FileAction>& actions, const std::string& game, const std::string& cache) {
    constexpr std::size_t kNamed = 3;
    std::size_t installed = 0, same = 0;
    std::vector<std::string> kept;
    for (const FileAction& action : actions) {
        if (action.kind == FileAction::Kind::Install) ++installed;
        if (action.kind == FileAction::Kind::Same) ++same;
        if (action.kind == FileAction::Kind::Skip) kept.push_back(action.name);
    }
    std::string text = Files(installed) + " installed into the game's folders in " + game + ".\r\n" + Files(same) +
                       " already there in the same version.\r\n" + Files(kept.size()) +
                       " kept in the Cache folder's sort folders, the game holding another file of that name";
    if (kept.empty()) return text + ".";
    for (std::size_t i = 0; i < kept.size() && i < kNamed; ++i) text += (i ? ", " : ": ") + kept[i];
    if (kept.size() > kNamed) text += " and " + std::to_string(kept.size() - kNamed) + " more";
    return text + ";\r\nthey are in " + cache + ".";
}

}  // namespace

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<Choice> ChoicesOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo: return {{"&Yes", Answer::Yes}, {"&No", Answer::No}};
    case Buttons::RetryCancel: return {{"&Retry", Answer::Retry}, {"Cancel", Answer::Cancel}};
    case Buttons::Ok: break;
    }
    return {{"OK", Answer::Ok}};
}

ConverterForm::ConverterForm(ConverterView& view, Disk& disk, std::unique_ptr<VolumeSource> volumes,
                             std::string startFolder, Clock clock)
    : view_(view),
      disk_(disk),
      startFolder_(std::move(startFolder)),
      clock_(std::move(clock)),
      state_(disk),
      drives_(std::move(volumes), startFolder_),
      folders_(disk),
      files_(disk) {}

// Every event ends here when something fails: the user is told what and
// the program goes on.
template <typename Body>
void ConverterForm::RunEvent(Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ReportError(error.what());
    }
}

void ConverterForm::ReportError(const std::string& text) {
    MessageBox(text, std::string(), Buttons::Ok, Icon::Warning);
}

void ConverterForm::ShowFiles() { view_.ShowFiles(files_.Names(), files_.Selected()); }
void ConverterForm::ShowFolders() { view_.ShowFolders(folders_.Rows(), folders_.ListIndex()); }

void ConverterForm::Start() {
    drives_.SelectVolumeOf(startFolder_);
    try {
        folders_.SetPath(startFolder_);
        drives_.NoteOpened(folders_.Path());
        files_.SetPath(folders_.Path());
    } catch (const std::exception&) {
        // An unreadable start folder leaves the lists empty until the user
        // picks a drive or a folder.
    }
    view_.ShowDrives(drives_.Entries(), drives_.Selected());
    ShowFolders();
    ShowFiles();
    Form_Load();
}

void ConverterForm::Form_Load() {
    RunEvent([this] { state_.cacheConverted = false; });
}

// --- What the user does ------------------------------------------------------

void ConverterForm::DriveChosen(int index) {
    if (drives_.Select(index)) drvDriveBox_Change();
}

void ConverterForm::DriveListOpening() {
    drives_.Reread();
    view_.ShowDrives(drives_.Entries(), drives_.Selected());
}

void ConverterForm::FolderHighlighted(int row) { folders_.Highlight(row); }

void ConverterForm::FolderOpened(int row) {
    RunEvent([&] { SetFolder(folders_.List(row)); });
}

void ConverterForm::FileSelected(int row, bool click) {
    files_.Select(row);
    if (click) filFileBox_Click();
}

void ConverterForm::Pressed(ControlId control) {
    switch (control) {
    case ControlId::cmdGetCache: RunCommand(&tcc::RunConvert, "Converting the cache..."); break;
    case ControlId::cmdRefresh: RunCommand(&tcc::RunRefresh, "Writing the cache index..."); break;
    case ControlId::cmdSort: RunCommand(&tcc::RunSort, "Sorting into folders..."); break;
    case ControlId::cmdExit: cmdExit_Click(); break;
    case ControlId::lblInfo: lblInfo_Click(); break;
    case ControlId::cmdBack: cmdBack_Click(); break;
    default: break;
    }
}

bool ConverterForm::MainClosing() {
    // A command runs to its end before the window can go.
    if (busy_) return false;
    mainOpen_ = false;
    // The program ends once neither window is open.
    if (!aboutOpen_) view_.EndProgram();
    return true;
}

void ConverterForm::AboutClosed() {
    if (!aboutOpen_) return;
    aboutOpen_ = false;
    if (!mainOpen_) view_.EndProgram();
}

// --- Writing the lists -------------------------------------------------------

void ConverterForm::SetDrive(const std::string& text) {
    const int index = drives_.IndexOfText(text);
    if (index < 0) throw FileError(kDeviceUnavailable, text);
    SelectDrive(index);
}

void ConverterForm::SelectDrive(int index) {
    if (!drives_.Select(index)) return;
    view_.ShowDrives(drives_.Entries(), drives_.Selected());
    drvDriveBox_Change();  // runs to its end before the write returns
}

void ConverterForm::SetFolder(const std::string& text) {
    // A drive's text opens that drive's current folder.
    const bool changed = folders_.SetPath(drives_.IsDriveText(text) ? drives_.CurrentFolderOf(text) : text);
    drives_.NoteOpened(folders_.Path());
    ShowFolders();
    if (changed) dirDirBox_Change();
}

// --- The events --------------------------------------------------------------

void ConverterForm::ShowFolderControls() {
    view_.SetVisible(ControlId::lblFolder, true);
    view_.SetVisible(ControlId::lblFolderName, true);
    view_.SetVisible(ControlId::lblLocate, false);
    view_.SetVisible(ControlId::cmdRefresh, true);
    view_.SetVisible(ControlId::cmdGetCache, true);
    view_.SetVisible(ControlId::cmdSort, true);
}

bool ConverterForm::RunDriveStep(const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const FileError& error) {
            if (error.number() != kDeviceUnavailable) {
                ReportError(error.what());
                return true;
            }
            if (MessageBox("Drive is not available.", kAppTitle, Buttons::RetryCancel, Icon::Error) == Answer::Retry)
                continue;
            // Fall back on the second drive; that change runs in full first.
            if (drives_.ListCount() < 2) return false;
            SelectDrive(1);
            return true;
        } catch (const std::exception& error) {
            ReportError(error.what());
            return true;
        }
    }
}

void ConverterForm::drvDriveBox_Change() {
    RunEvent([this] {
        const std::function<void()> steps[] = {
            [this] { files_.Refresh(), ShowFiles(); },
            [this] { folders_.Refresh(), ShowFolders(); },
            [this] { view_.SetVisible(ControlId::lblFolder, true); },
            [this] { view_.SetVisible(ControlId::lblFolderName, true); },
            [this] { view_.SetVisible(ControlId::lblLocate, false); },
            [this] { view_.SetVisible(ControlId::cmdRefresh, true); },
            [this] { view_.SetVisible(ControlId::cmdGetCache, true); },
            [this] { view_.SetVisible(ControlId::cmdSort, true); },
            [this] { SetFolder(drives_.Drive()); },
        };
        for (const auto& step : steps)
            if (!RunDriveStep(step)) return;
    });
}

void ConverterForm::ChooseFolder() {
    state_.ChooseFolder(folders_.List(folders_.ListIndex()));
    view_.SetCaption(ControlId::lblFolder, state_.currentFolder->path);
}

void ConverterForm::dirDirBox_Change() {
    RunEvent([this] {
        // The folder shown before may have gone away (or the start folder
        // could not be read): the list keeps what it showed, and the change
        // goes on to the new folder.
        if (RefreshOrKeep(files_)) ShowFiles();
        ShowFolderControls();
        files_.SetPath(folders_.Path());
        ShowFiles();
        ChooseFolder();
    });
}

void ConverterForm::filFileBox_Click() {
    RunEvent([this] { ChooseFolder(); });
}

void ConverterForm::cmdExit_Click() {
    RunEvent([this] { view_.CloseMain(); });
}

void ConverterForm::lblInfo_Click() {
    // One about window: shown afresh when closed, else brought to the front.
    RunEvent([this] {
        if (aboutOpen_) {
            view_.RaiseAbout();
        } else {
            view_.ShowAbout();
            aboutOpen_ = true;
        }
    });
}

void ConverterForm::cmdBack_Click() {
    RunEvent([this] { view_.CloseAbout(); });
}

// --- The commands ------------------------------------------------------------

void ConverterForm::StartProgress(const char* progressText) {
    EndProgress();
    progressText_ = progressText;
    commandStart_ = clock_();
    lastProgressUpdate_ = 0;
    lastFileListRead_ = 0;
}

void ConverterForm::RunCommand(CommandFunction command, const char* progressText) {
    if (busy_) return;
    busy_ = true;
    StartProgress(progressText);
    fileListDirty_ = false;
    // While a command runs, neither window takes input; its progress and
    // its message boxes, windows of their own, do.
    view_.TakeInput(false);

    std::string failure;
    try {
        command(state_, *this);
        if (sortFinished_) FinishSort(*std::exchange(sortFinished_, std::nullopt));
    } catch (const std::exception& error) {
        failure = error.what();
    }
    sortFinished_.reset();
    noted_ = nullptr;

    EndProgress();
    view_.TakeInput(true);
    busy_ = false;
    if (fileListDirty_) ReadFileListNow();
    if (!failure.empty()) ReportError(failure);
}

// The sort's end: where the Cache folder's parent is the game's folder, the
// user may install into it at once, as `tarnel-cache install` does; else
// the sort's own closing message.
void ConverterForm::FinishSort(const Message& finished) {
    const std::string cache = state_.currentFolder->path;
    // A parent that cannot be read holds no game the sort could tell of.
    GameFolder game;
    try {
        game = FindGameFolder(state_.fs(), cache);
    } catch (const std::exception&) {
    }
    if (!game.found) {
        MessageBox(finished.text, finished.title, Buttons::Ok, Icon::None);
        return;
    }
    const std::string question = "Install the sorted files into the game's folders in " + game.folder +
                                 " now?\r\nA file the game holds in another version is kept in the Cache folder, "
                                 "never replaced.";
    if (MessageBox(question, finished.title, Buttons::YesNo, Icon::None) != Answer::Yes) return;
    std::vector<FileAction> actions;
    noted_ = &actions;
    StartProgress("Installing into the game...");
    const CommandResult result = RunInstall(state_, *this, InstallOptions{});
    noted_ = nullptr;
    // The sort folders it emptied are gone.
    fileListDirty_ = true;
    RefreshDirList();
    if (result.Ran())
        MessageBox(InstallReport(actions, game.folder, cache), "Finished Installing", Buttons::Ok, Icon::None);
}

void ConverterForm::ReadFileListNow() {
    fileListDirty_ = false;
    const std::int64_t start = clock_();
    if (RefreshOrKeep(files_)) ShowFiles();
    const std::int64_t end = clock_();
    fileListReadCost_ = end - start;
    lastFileListRead_ = end - commandStart_;
}

void ConverterForm::EndProgress() {
    if (!progressShown_) return;
    progressShown_ = false;
    view_.HideProgress();
}

Answer ConverterForm::MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) {
    // The user sees the folder as it is and no progress behind the message.
    if (busy_) {
        if (fileListDirty_) ReadFileListNow();
        EndProgress();
    }
    return view_.Ask({text, title.empty() ? std::string(kAppTitle) : title, buttons, icon});
}

void ConverterForm::Note(const FileAction& action) {
    if (noted_) noted_->push_back(action);
}

void ConverterForm::SortFinished(const std::string& text, const std::string& title) {
    sortFinished_ = Message{text, title, Buttons::Ok, Icon::None};
}

void ConverterForm::ShowLabel(Label label) {
    switch (label) {
    case Label::Folder: view_.SetVisible(ControlId::lblFolder, true); break;
    case Label::FolderName: view_.SetVisible(ControlId::lblFolderName, true); break;
    case Label::Warning: view_.SetVisible(ControlId::lblWarning, true); break;
    }
}

void ConverterForm::RefreshFileList() {
    // During a command the folder is read again only while its progress is
    // on screen, at most every quarter second, and once at its end: not
    // once per changed file.
    if (busy_) fileListDirty_ = true;
    else if (RefreshOrKeep(files_)) ShowFiles();
}

void ConverterForm::RefreshDirList() {
    if (RefreshOrKeep(folders_)) ShowFolders();
}

void ConverterForm::Progress(std::uint64_t done, std::uint64_t total) {
    // Called for every record or file: all but one call in 100 ms end here,
    // after one look at the clock.
    if (!busy_) return;
    const std::int64_t now = clock_() - commandStart_;
    if (now - lastProgressUpdate_ < kProgressIntervalMs) return;
    lastProgressUpdate_ = now;
    // Nothing is drawn before the progress shows, so the list waits too.
    if (now < kProgressDelayMs) return;
    // A big folder takes a while to read: read it no more than a tenth of
    // the time.
    if (fileListDirty_ && now - lastFileListRead_ >= std::max(kFileListIntervalMs, 10 * fileListReadCost_))
        ReadFileListNow();
    if (!progressShown_) {
        view_.ShowProgress(progressText_);
        progressShown_ = true;
    }
    const std::uint64_t step = total == 0 ? 0 : std::min(done, total) * kProgressSteps / total;
    view_.SetProgress(static_cast<int>(step));
}

}  // namespace tcc
