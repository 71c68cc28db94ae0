#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tcc {

// A volume a user can pick in the drive list: where it is mounted and the
// name it goes by.
struct Volume {
    std::string root;
    std::string name;
};

// A volume's entry in the drive list, as the system's own lists show it:
// "/media/x [LABEL]" on Linux, "c: [System]" on Windows.
std::string VolumeEntryText(const Volume& volume);

// Where the drive list gets its volumes. Tests offer their own, with
// volumes that are not available.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // The volumes in the order the list shows them. Never waits for a drive:
    // a volume whose name the system must ask the drive for (a label on
    // Windows) is named as its last answer gave it, and asked again; one
    // whose earlier question has not answered yet goes without its name.
    virtual std::vector<Volume> Volumes() = 0;
    // Waits, no longer than for a drive's readiness, for the names the last
    // reading asked for; the drive list waits so once, when it starts.
    virtual void WaitForNames() {}
    // Can the volume be used right now? A volume that does not answer within
    // a limit is not.
    virtual bool IsReady(const Volume& volume) = 0;
    // Its entry in the drive list.
    virtual std::string EntryText(const Volume& volume) { return VolumeEntryText(volume); }
};

// The volumes of this machine. Linux: the root, a separate home, and
// removable and network volumes mounted on or under /media and /mnt, and
// under /run/media, named by their labels or devices; a volume is ready when
// its root answers within two seconds. Windows: the logical drives, named by
// their labels, each asked on the system's thread pool.
std::unique_ptr<VolumeSource> MakeSystemVolumeSource();

#ifndef _WIN32
// Picks the volumes a user would choose from a mount table in the format of
// /proc/self/mounts. labels maps a device path to its volume label.
std::vector<Volume> UserVolumesFromMountTable(const std::string& table,
                                              const std::vector<std::pair<std::string, std::string>>& labels);
#endif

}  // namespace tcc
