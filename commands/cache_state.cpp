#include "commands/cache_state.h"

namespace tcc {

CacheFolderState::CacheFolderState(Disk& disk) : disk_(disk) {}

FileSystem& CacheFolderState::fs() {
    if (!fileSystem) fileSystem = std::make_unique<FileSystem>(disk_);
    return *fileSystem;
}

void CacheFolderState::ChooseFolder(const std::string& path) { currentFolder = fs().GetFolder(path); }

bool CacheFolderState::IsCacheFolder(Reporter& reporter) {
    const std::string name = currentFolder ? currentFolder->Name() : std::string();
    if (name == "cache" || name == "Cache") return true;
    reporter.MessageBox("This is not a 'Cache' Folder", "'Cache' folder not found", Buttons::Ok, Icon::None);
    return false;
}

bool CacheFolderState::HasFolder(Reporter& reporter) {
    if (currentFolder) return true;
    reporter.MessageBox("Locate the game's Cache directory.", "", Buttons::Ok, Icon::None);
    return false;
}

std::string CacheFolderState::PathIn(const std::string& name) const {
    return JoinPath(currentFolder ? currentFolder->path : std::string(), name);
}

}  // namespace tcc
