#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/volumes.h"
#include "form/view.h"

namespace tcc {

class Disk;

// What the drive list holds: one entry per volume, shown as its path and its
// name, and the selected one. No event fires here; the form fires the drive
// change when the selection moves.
class DriveList {
public:
    // startFolder is the process's current folder.
    DriveList(std::unique_ptr<VolumeSource> source, std::string startFolder);

    const std::vector<std::string>& Entries() const { return entries_; }
    int Selected() const { return selected_; }
    // Selects an entry; true when the selection moved.
    bool Select(int index);
    // Reads the volumes again, so that a volume plugged in since shows up,
    // without waiting for any drive: names that have come since the last
    // reading show, and the others are asked for again. The selected volume
    // stays, even when it went away, so that reading them never changes the
    // selection by itself.
    void Reread();

    // The selected entry's text, which the folder list accepts as a path.
    std::string Drive() const { return List(selected_); }
    std::string List(int index) const;
    int ListCount() const { return static_cast<int>(volumes_.size()); }
    // The entry of that text (or of that volume root); -1 when none has it.
    int IndexOfText(const std::string& text) const;
    bool IsDriveText(const std::string& text) const;
    // The folder a drive's text opens: the process's current folder when it
    // is on that volume, else the folder last opened there in this run,
    // else the volume's root. Throws FileError kDeviceUnavailable when the
    // volume is not ready.
    std::string CurrentFolderOf(const std::string& text);
    // The folder list tells which folder it opened.
    void NoteOpened(const std::string& folder);
    // Selects the volume holding path (the start).
    void SelectVolumeOf(const std::string& path) { selected_ = VolumeIndexOf(path); }

private:
    void Fill(std::vector<Volume> volumes);
    // The listed volume holding path (the longest root that contains it).
    int VolumeIndexOf(const std::string& path) const;

    std::unique_ptr<VolumeSource> source_;
    std::string startFolder_;
    std::vector<Volume> volumes_;
    std::vector<std::string> entries_;
    int selected_ = -1;
    std::map<std::string, std::string> lastOpened_;  // root -> folder
};

// What the folder list holds: the folders above the open folder and the
// open folder itself, then its subfolders, hidden ones included, and the
// highlighted entry. Each entry holds the full path of its folder.
class FolderList {
public:
    explicit FolderList(Disk& disk) : disk_(disk) {}

    const std::string& Path() const { return path_; }
    // Opens a folder, highlighted. Throws FileError when it cannot be read;
    // the list then stays as it was. True when the open folder changed.
    bool SetPath(const std::string& folder);
    // Reads the subfolders of the open folder again; the highlighted entry
    // stays highlighted while it is there.
    void Refresh();
    void Highlight(int row) { highlighted_ = row; }

    const std::vector<FolderRow>& Rows() const { return rows_; }
    int ListIndex() const { return highlighted_; }
    int ListCount() const { return static_cast<int>(rows_.size()); }
    std::string List(int index) const;

private:
    std::vector<std::string> ReadSubfolders(const std::string& folder);
    void Show(const std::string& folder, const std::vector<std::string>& subfolders, const std::string& highlight);

    Disk& disk_;
    std::string path_;
    std::vector<FolderRow> rows_;
    int highlighted_ = -1;
};

// What the file list holds: the regular, non-hidden files of its folder
// whose names match its pattern without regard to letter case, sorted so,
// and the selected one. Subfolders are never entries.
class FileList {
public:
    explicit FileList(Disk& disk) : fs_(disk) {}

    const std::string& Path() const { return path_; }
    // Shows the files of folder. Throws FileError when it cannot be read;
    // the list then stays as it was.
    void SetPath(const std::string& folder) { Show(folder, pattern_); }
    const std::string& Pattern() const { return pattern_; }
    void SetPattern(const std::string& pattern) { Show(path_, pattern); }
    // Reads the folder again; the selected file stays selected while it is
    // there.
    void Refresh() { Show(path_, pattern_); }
    void Select(int row) { selected_ = row >= 0 && row < ListCount() ? row : -1; }

    const std::vector<std::string>& Names() const { return names_; }
    int Selected() const { return selected_; }
    int ListCount() const { return static_cast<int>(names_.size()); }
    std::string List(int index) const;
    // The selected file's name, or the first entry's when none is selected.
    std::string FileName() const;

private:
    void Show(const std::string& folder, const std::string& pattern);

    FileSystem fs_;
    std::string path_;
    std::string pattern_ = "*";
    std::vector<std::string> names_;
    int selected_ = -1;
};

}  // namespace tcc
