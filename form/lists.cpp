#include "form/lists.h"

#include <algorithm>

#include "core/disk.h"
#include "core/file_error.h"
#include "core/paths.h"

namespace tcc {

namespace {

// Is path on the volume mounted at root ("/", "/media/x", "C:\\")?
bool Holds(std::string root, const std::string& path) {
    if (root.size() == 1 && IsPathSeparator(root[0])) return !path.empty() && IsPathSeparator(path[0]);
    while (!root.empty() && IsPathSeparator(root.back())) root.pop_back();
    return path.compare(0, root.size(), root) == 0 &&
           (path.size() == root.size() || IsPathSeparator(path[root.size()]));
}

// The folders from the root down to folder, each as a full path.
std::vector<std::string> Ancestry(const std::string& folder) {
    const std::size_t root = std::max<std::size_t>(PathRootLength(folder), 1);
    std::vector<std::string> chain{folder.substr(0, root)};
    std::size_t start = root;
    while (start < folder.size()) {
        const std::size_t slash = std::find_if(folder.begin() + start, folder.end(), IsPathSeparator) - folder.begin();
        chain.push_back(folder.substr(0, slash));
        start = slash + 1;
    }
    return chain;
}

// Sorted without regard to letter case, names equal so in byte order; each
// name is folded once.
void SortNames(std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(FoldCase(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) names[i] = std::move(keyed[i].second);
}

}  // namespace

DriveList::DriveList(std::unique_ptr<VolumeSource> source, std::string startFolder)
    : source_(std::move(source)), startFolder_(std::move(startFolder)) {
    // The one wait for the drives' names: the window is not shown yet.
    source_->Volumes();
    source_->WaitForNames();
    Fill(source_->Volumes());
}

void DriveList::Fill(std::vector<Volume> volumes) {
    if (selected_ >= 0) {
        const Volume kept = volumes_[static_cast<std::size_t>(selected_)];
        const auto same = [&](const Volume& v) { return v.root == kept.root; };
        if (std::none_of(volumes.begin(), volumes.end(), same)) volumes.push_back(kept);
        selected_ = static_cast<int>(std::find_if(volumes.begin(), volumes.end(), same) - volumes.begin());
    }
    volumes_ = std::move(volumes);
    entries_.clear();
    for (const Volume& volume : volumes_) entries_.push_back(source_->EntryText(volume));
}

void DriveList::Reread() { Fill(source_->Volumes()); }

bool DriveList::Select(int index) {
    if (index < 0 || index >= ListCount() || index == selected_) return false;
    selected_ = index;
    return true;
}

std::string DriveList::List(int index) const {
    return index >= 0 && index < ListCount() ? entries_[static_cast<std::size_t>(index)] : std::string();
}

int DriveList::IndexOfText(const std::string& text) const {
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (entries_[i] == text) return static_cast<int>(i);
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (volumes_[i].root == text) return static_cast<int>(i);
    return -1;
}

bool DriveList::IsDriveText(const std::string& text) const {
    return std::find(entries_.begin(), entries_.end(), text) != entries_.end();
}

int DriveList::VolumeIndexOf(const std::string& path) const {
    int best = -1;
    for (std::size_t i = 0; i < volumes_.size(); ++i)
        if (Holds(volumes_[i].root, path) &&
            (best < 0 || volumes_[i].root.size() > volumes_[static_cast<std::size_t>(best)].root.size()))
            best = static_cast<int>(i);
    return best;
}

std::string DriveList::CurrentFolderOf(const std::string& text) {
    const int index = IndexOfText(text);
    if (index < 0) throw FileError(kDeviceUnavailable, text);
    const Volume& volume = volumes_[static_cast<std::size_t>(index)];
    if (!source_->IsReady(volume)) throw FileError(kDeviceUnavailable, volume.root);
    if (!startFolder_.empty() && VolumeIndexOf(startFolder_) == index) return startFolder_;
    auto last = lastOpened_.find(volume.root);
    return last != lastOpened_.end() ? last->second : volume.root;
}

void DriveList::NoteOpened(const std::string& folder) {
    const int index = VolumeIndexOf(folder);
    if (index >= 0) lastOpened_[volumes_[static_cast<std::size_t>(index)].root] = folder;
}

std::string FolderList::List(int index) const {
    return index >= 0 && index < ListCount() ? rows_[static_cast<std::size_t>(index)].path : std::string();
}

std::vector<std::string> FolderList::ReadSubfolders(const std::string& folder) {
    if (disk_.Stat(folder).type != EntryType::Folder) throw FileError(kPathNotFound, folder);
    std::vector<std::string> names;
    for (const DirEntry& entry : disk_.ReadDir(folder)) {
        if (entry.type == EntryType::Folder ||
            (entry.type == EntryType::Other && disk_.Stat(JoinPath(folder, entry.name)).type == EntryType::Folder))
            names.push_back(entry.name);
    }
    SortNames(names);
    return names;
}

void FolderList::Show(const std::string& folder, const std::vector<std::string>& subfolders,
                      const std::string& highlight) {
    rows_.clear();
    const auto chain = Ancestry(folder);
    int depth = 0;
    highlighted_ = static_cast<int>(chain.size()) - 1;
    for (const std::string& above : chain) {
        const bool root = above.size() == PathRootLength(above);
        rows_.push_back({root ? above : LastComponent(above), above, depth++, true});
        if (above == highlight) highlighted_ = ListCount() - 1;
    }
    for (const std::string& name : subfolders) {
        rows_.push_back({name, JoinPath(folder, name), depth, false});
        if (rows_.back().path == highlight) highlighted_ = ListCount() - 1;
    }
}

bool FolderList::SetPath(const std::string& text) {
    const std::string folder(TrimmedPath(text));
    const auto subfolders = ReadSubfolders(folder);
    const bool changed = folder != path_;
    path_ = folder;
    Show(folder, subfolders, folder);
    return changed;
}

void FolderList::Refresh() {
    const std::string highlighted = List(ListIndex());
    Show(path_, ReadSubfolders(path_), highlighted);
}

void FileList::Show(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names = fs_.ListFiles(folder, pattern);
    SortNames(names);
    const std::string selected = selected_ >= 0 && folder == path_ ? names_[static_cast<std::size_t>(selected_)] : "";
    names_ = std::move(names);
    path_ = folder;
    pattern_ = pattern;
    const auto found = selected.empty() ? names_.end() : std::find(names_.begin(), names_.end(), selected);
    selected_ = found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

std::string FileList::List(int index) const {
    return index >= 0 && index < ListCount() ? names_[static_cast<std::size_t>(index)] : std::string();
}

std::string FileList::FileName() const { return selected_ >= 0 ? List(selected_) : List(0); }

}  // namespace tcc
