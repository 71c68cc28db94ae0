#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/reporter.h"
#include "core/disk.h"
#include "core/file_system.h"

namespace tcc {

// The state the main window keeps for its commands: the chosen folder, the
// file-system service and whether a conversion reached its end in this run.
// A command takes the chosen folder once, at its start.
class CacheFolderState {
public:
    // disk is the disk the file-system service works on; it must outlive
    // this state.
    explicit CacheFolderState(Disk& disk);

    std::optional<Folder> currentFolder;
    std::unique_ptr<FileSystem> fileSystem;
    bool cacheConverted = false;

    // The service, created on first use.
    FileSystem& fs();

    // Chooses the folder of a directory list entry (the directory change and
    // the file click): looked up afresh; fails when it does not exist.
    void ChooseFolder(const std::string& path);

    // Is the chosen folder named "cache" or "Cache" (letter case counts)?
    // Otherwise shows "This is not a 'Cache' Folder" and answers false.
    bool IsCacheFolder(Reporter& reporter);

    // A command needs a chosen folder. Without one it shows "Locate the
    // game's Cache directory." and answers false.
    bool HasFolder(Reporter& reporter);

    // The chosen folder's path joined with a name.
    std::string PathIn(const std::string& name) const;

private:
    Disk& disk_;
};

}  // namespace tcc
