#pragma once

#include <cstdint>
#include <string>

namespace tcc {

inline constexpr const char* kAppTitle = "Tarnel Cache Converter";

enum class Buttons { Ok, YesNo, RetryCancel };
enum class Icon { None, Error, Warning };
enum class Answer { Ok, Yes, No, Retry, Cancel };

// One change a command made on disk, or a record or file it passed over.
// Names are relative to the chosen folder ("Map.unr", "Maps/Map.unr"); a
// folder made in the game's folder is given by its full path. The command
// line prints them; the window has no use for them.
struct FileAction {
    enum class Kind { Rename, Move, Replace, Write, MakeFolder, Skip, Install, Same, RemoveFolder };
    Kind kind = Kind::Skip;
    // Rename, Move: the old name. Skip: the record's key or the file's name.
    // Install, Same: the file's name.
    std::string from;
    // Rename, Move, Replace, Write, MakeFolder, RemoveFolder: the new name.
    // Install: the name the game's old copy was kept under, when it was replaced.
    std::string to;
    std::string reason;  // Skip, Same: why, in a few words ("target taken").
    bool operator==(const FileAction&) const = default;
};

// An action as a line for the user: "rename A -> B", "skip K: reason",
// "install Maps/A.unr, the game's old copy kept as A.unr.bak", ...
std::string Describe(const FileAction& action);

// Labels of the main window that the commands show.
enum class Label { Folder, FolderName, Warning };

// What the commands need of the main window. The real window implements it;
// tests use a recording fake with scripted answers.
class Reporter {
public:
    virtual ~Reporter() = default;

    // A modal message box. An empty title means the application's title.
    // With Yes/No the first button (Yes) is the default, with Retry/Cancel
    // Retry is. Returns the button the user chose.
    virtual Answer MessageBox(const std::string& text, const std::string& title,
                              Buttons buttons, Icon icon) = 0;
    virtual void ShowLabel(Label label) = 0;
    // The folder's files changed: the file list must show them as they are.
    virtual void RefreshFileList() = 0;
    // The folder's subfolders changed: the directory list must show them.
    virtual void RefreshDirList() = 0;
    // A command made a change or passed a record over.
    virtual void Note(const FileAction& action) { (void)action; }
    // A long command reports how far it has come (done of total units).
    virtual void Progress(std::uint64_t done, std::uint64_t total) {
        (void)done;
        (void)total;
    }
};

}  // namespace tcc
