#pragma once

#include <QComboBox>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/volumes.h"

namespace tcc {

// The drive list: one entry per volume, shown as its path and its name.
// Changing the selection, by the user or by writing Drive, fires Change,
// which runs to its end before the write returns.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(std::unique_ptr<VolumeSource> source, QWidget* parent = nullptr);

    // The selected entry's text, which the directory list accepts as a path.
    std::string Drive() const;
    // Selects the entry of that text (or of that volume root). Throws
    // FileError 68 when no entry has it.
    void SetDrive(const std::string& text);
    std::string List(int index) const;
    int ListCount() const;

    // Is text the text of one of the entries?
    bool IsDriveText(const std::string& text) const;
    // The folder a drive's text opens: the process's current folder when it
    // is on that volume, else the folder last opened there in this run,
    // else the volume's root. Throws FileError 68 when the volume is not
    // ready.
    std::string CurrentFolderOf(const std::string& text);
    // The directory list tells which folder it opened.
    void NoteOpened(const std::string& folder);
    // Selects the volume holding path without firing Change (the start).
    void SelectVolumeOf(const std::string& path);

    static std::string EntryText(const Volume& volume);

signals:
    void Change();

protected:
    // The volumes are read again each time the list drops down, so a volume
    // plugged in since shows up.
    void showPopup() override;

private:
    void Fill(const std::vector<Volume>& volumes);
    int IndexOfText(const std::string& text) const;
    // The listed volume holding path (the longest root that contains it).
    int VolumeIndexOf(const std::string& path) const;

    std::unique_ptr<VolumeSource> source_;
    std::vector<Volume> volumes_;
    std::map<std::string, std::string> lastOpened_;  // root -> folder
};

}  // namespace tcc
