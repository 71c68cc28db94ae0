#include "ui/drive_list_box.h"

#include <QFile>
#include <QSignalBlocker>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/disk.h"
#include "core/file_error.h"

namespace tcc {

namespace {

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// Is path on the volume mounted at root ("/", "/media/x", "C:\\")?
bool Holds(std::string root, const std::string& path) {
    if (root.size() == 1 && IsSeparator(root[0])) return !path.empty() && IsSeparator(path[0]);
    while (!root.empty() && IsSeparator(root.back())) root.pop_back();
    return path.compare(0, root.size(), root) == 0 &&
           (path.size() == root.size() || IsSeparator(path[root.size()]));
}

}  // namespace

DriveListBox::DriveListBox(std::unique_ptr<VolumeSource> source, QWidget* parent)
    : QComboBox(parent), source_(std::move(source)) {
    Fill(source_->Volumes());
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change);
}

std::string DriveListBox::EntryText(const Volume& volume) { return VolumeEntryText(volume); }

void DriveListBox::Fill(const std::vector<Volume>& volumes) {
    const QSignalBlocker quiet(this);
    const std::string selected =
        currentIndex() >= 0 ? volumes_[static_cast<std::size_t>(currentIndex())].root : std::string();
    std::vector<Volume> keep = volumes;
    // The selected volume stays in the list even when it went away, so that
    // reading the volumes again never changes the selection by itself.
    if (!selected.empty() &&
        std::none_of(keep.begin(), keep.end(), [&](const Volume& v) { return v.root == selected; }))
        keep.push_back(volumes_[static_cast<std::size_t>(currentIndex())]);
    clear();
    volumes_ = std::move(keep);
    int index = -1;
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        addItem(QFile::decodeName(QByteArray::fromStdString(EntryText(volumes_[i]))));
        if (volumes_[i].root == selected) index = static_cast<int>(i);
    }
    setCurrentIndex(index);
}

void DriveListBox::showPopup() {
    Fill(source_->Volumes());
    QComboBox::showPopup();
}

std::string DriveListBox::Drive() const {
    return currentIndex() >= 0 ? EntryText(volumes_[static_cast<std::size_t>(currentIndex())])
                               : std::string();
}

int DriveListBox::IndexOfText(const std::string& text) const {
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (EntryText(volumes_[i]) == text) return static_cast<int>(i);
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (volumes_[i].root == text) return static_cast<int>(i);
    return -1;
}

void DriveListBox::SetDrive(const std::string& text) {
    const int index = IndexOfText(text);
    if (index < 0) throw FileError(kDeviceUnavailable, text);
    setCurrentIndex(index);  // fires Change when the selection moves
}

std::string DriveListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) return std::string();
    return EntryText(volumes_[static_cast<std::size_t>(index)]);
}

int DriveListBox::ListCount() const { return static_cast<int>(volumes_.size()); }

bool DriveListBox::IsDriveText(const std::string& text) const {
    for (const auto& volume : volumes_)
        if (EntryText(volume) == text) return true;
    return false;
}

int DriveListBox::VolumeIndexOf(const std::string& path) const {
    int best = -1;
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (Holds(volumes_[i].root, path) &&
            (best < 0 || volumes_[i].root.size() > volumes_[static_cast<std::size_t>(best)].root.size()))
            best = static_cast<int>(i);
    return best;
}

std::string DriveListBox::CurrentFolderOf(const std::string& text) {
    const int index = IndexOfText(text);
    if (index < 0) throw FileError(kDeviceUnavailable, text);
    const Volume& volume = volumes_[static_cast<std::size_t>(index)];
    if (!source_->IsReady(volume)) throw FileError(kDeviceUnavailable, volume.root);

    std::error_code error;
    const std::string cwd = std::filesystem::current_path(error).string();
    if (!error && VolumeIndexOf(cwd) == index) return cwd;
    auto last = lastOpened_.find(volume.root);
    if (last != lastOpened_.end()) return last->second;
    return volume.root;
}

void DriveListBox::NoteOpened(const std::string& folder) {
    const int index = VolumeIndexOf(folder);
    if (index >= 0) lastOpened_[volumes_[static_cast<std::size_t>(index)].root] = folder;
}

void DriveListBox::SelectVolumeOf(const std::string& path) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(VolumeIndexOf(path));
}

}  // namespace tcc
