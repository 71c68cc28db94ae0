#pragma once

#include <QListView>

#include <string>
#include <vector>

#include "core/file_system.h"

class QStringListModel;

namespace tcc {

class Disk;

// The file list: the regular, non-hidden files of its folder whose names
// match its pattern without regard to letter case. Subfolders are never
// entries. The user selecting an entry, with the mouse or the keys, fires
// Click; the list getting the focus or being read again does not.
class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(Disk& disk, QWidget* parent = nullptr);

    const std::string& Path() const { return path_; }
    // Shows the files of folder. Throws FileError when it cannot be read;
    // the list then stays as it was.
    void SetPath(const std::string& folder);
    const std::string& Pattern() const { return pattern_; }
    void SetPattern(const std::string& pattern);

    int ListCount() const { return static_cast<int>(names_.size()); }
    std::string List(int index) const;
    // The selected file's name, or the first entry's when none is selected.
    std::string FileName() const;
    // Reads the folder again.
    void Refresh();

signals:
    void Click();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // A click on the entry that is already selected is a click too.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Show(const std::string& folder, const std::string& pattern);

    FileSystem fs_;
    QStringListModel* model_;
    std::string path_;
    std::string pattern_ = "*";
    std::vector<std::string> names_;
    bool filling_ = false;
    bool userSelecting_ = false;
    QPersistentModelIndex pressedOnCurrent_;
};

}  // namespace tcc
