#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tcc {

inline constexpr const char* kAppTitle = "Tarnel Cache Converter";

enum class Buttons { Ok, YesNo, RetryCancel };
enum class Icon { None, Error, Warning };
enum class Answer { Ok, Yes, No, Retry, Cancel };

// One change a command made on disk, or a record or file it passed over.
// Names are relative to the chosen folder ("Map.unr", "Maps/Map.unr"); a
// folder made in the game's folder is given by its full path. The command
// line prints them; the window counts an install's for its closing box.
struct FileAction {
    enum class Kind {
        Rename,
        Move,
        Replace,
        Write,
        MakeFolder,
        Skip,
        Install,
        Same,
        RemoveFolder,
        Keep,
        RemoveLeftover
    };
    Kind kind = Kind::Skip;
    // The file or folder acted on or passed over, by the name it had before;
    // for a record passed over or kept, its key.
    std::string name;
    // Rename, Move, Replace: the name the file was given.
    std::string target;
    // Install: the name the game's old copy was kept under, when it was replaced.
    std::string keptAs;
    std::string reason;  // Skip, Same, Keep: why, in a few words ("target taken").
    bool operator==(const FileAction&) const = default;

    static FileAction Rename(std::string_view name, std::string_view target);
    static FileAction Move(std::string_view name, std::string_view target);
    // The file took the place of the one at target.
    static FileAction Replace(std::string_view name, std::string_view target);
    static FileAction Write(std::string_view name);
    static FileAction MakeFolder(std::string_view name);
    static FileAction RemoveFolder(std::string_view name);
    // A temporary file that an interrupted run left behind was removed.
    static FileAction RemoveLeftover(std::string_view name);
    static FileAction Skip(std::string_view name, std::string_view reason);
    // keptAs: empty when the game had no copy to replace.
    static FileAction Install(std::string_view name, std::string_view keptAs = {});
    // The game has the file with the same bytes already.
    static FileAction Same(std::string_view name, std::string_view reason);
    // A record the new index keeps, by its key.
    static FileAction Keep(std::string_view name, std::string_view reason);
};

// An action as a line for the user: "rename A -> B", "skip K: reason",
// "install Maps/A.unr, the game's old copy kept as A.unr.bak", ...
std::string Describe(const FileAction& action);

// Labels of the main window that the commands show.
enum class Label { Folder, FolderName, Warning };

// What the commands need of whoever shows their work: both windows (through
// the form), the command line's terminal output, and the tests' recording
// fake with scripted answers.
class Reporter {
public:
    virtual ~Reporter() = default;

    // A modal message box. An empty title means the application's title.
    // With Yes/No the first button (Yes) is the default, with Retry/Cancel
    // Retry is. Returns the button the user chose.
    virtual Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) = 0;
    virtual void ShowLabel(Label label) = 0;
    // The folder's files changed: the file list must show them as they are.
    virtual void RefreshFileList() = 0;
    // The folder's subfolders changed: the directory list must show them.
    virtual void RefreshDirList() = 0;
    // The sort's closing message. A window may offer the next step instead.
    virtual void SortFinished(const std::string& text, const std::string& title) {
        MessageBox(text, title, Buttons::Ok, Icon::None);
    }
    // A command made a change or passed a record over.
    virtual void Note(const FileAction& action) { (void)action; }
    // A long command reports how far it has come (done of total units).
    virtual void Progress(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
    // Has the user asked the command to stop? Asked before each file, it
    // then throws Stopped: the file before is done, the next one untouched.
    virtual bool StopRequested() { return false; }
};

}  // namespace tcc
