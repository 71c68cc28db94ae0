#pragma once

#include <QListWidget>

#include <string>
#include <vector>

namespace tcc {

class Disk;
class DriveListBox;

// The directory list: the folders above the open folder and the open folder
// itself (open-folder icons, indented by depth), then its subfolders
// (closed-folder icons), hidden ones included. A single click highlights an
// entry; a double click or Enter opens it. Each entry holds the full path
// of its folder.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(Disk& disk, QWidget* parent = nullptr);

    // Drive texts written to Path open that drive's current folder.
    void SetDriveList(DriveListBox* drives) { drives_ = drives; }

    const std::string& Path() const { return path_; }
    // Opens the folder (or a drive's current folder). When the open folder
    // changes, Change runs to its end before this returns. Throws FileError
    // when the folder cannot be read; the list then stays as it was.
    void SetPath(const std::string& path);
    // Opens a folder without firing Change (the start).
    void StartAt(const std::string& folder);

    int ListIndex() const { return currentRow(); }
    std::string List(int index) const;
    int ListCount() const { return count(); }
    // Reads the subfolders of the open folder again.
    void Refresh();

signals:
    void Change();
    // Opening an entry that the user chose failed; message says why.
    void OpenFailed(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OpenEntry(QListWidgetItem* item);
    std::string FolderFor(const std::string& text) const;
    std::vector<std::string> ReadSubfolders(const std::string& folder);
    void Show(const std::string& folder, const std::vector<std::string>& subfolders,
              const std::string& highlight);

    Disk& disk_;
    DriveListBox* drives_ = nullptr;
    std::string path_;
};

}  // namespace tcc
