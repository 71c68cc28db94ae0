#pragma once

#include <chrono>
#include <functional>
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
    // The volumes in the order the list shows them.
    virtual std::vector<Volume> Volumes() = 0;
    // Can the volume be used right now?
    virtual bool IsReady(const Volume& volume) = 0;
    // Its entry in the drive list.
    virtual std::string EntryText(const Volume& volume) { return VolumeEntryText(volume); }
};

// The volumes of this machine. Linux: the root, a separate home, and
// removable and network volumes mounted on or under /media and /mnt, and
// under /run/media; a volume is ready when its root answers within two
// seconds. Windows: the logical drives.
std::unique_ptr<VolumeSource> MakeSystemVolumeSource();

// Runs check on a thread of its own and waits at most limit for its answer;
// no answer by then counts as false. A dead network mount can keep the
// thread for minutes; it is left to end on its own.
bool AnswersWithin(std::function<bool()> check, std::chrono::milliseconds limit);

// Runs each question on a thread of its own, all at once, and waits at most
// limit in all for their answers; a question not answered by then (or that
// failed) gets an empty answer. Its thread is left to end on its own.
std::vector<std::string> AnswersWithin(std::vector<std::function<std::string()>> questions,
                                       std::chrono::milliseconds limit);

#ifndef _WIN32
// Picks the volumes a user would choose from a mount table in the format of
// /proc/self/mounts. labels maps a device path to its volume label.
std::vector<Volume> UserVolumesFromMountTable(const std::string& table,
                                              const std::vector<std::pair<std::string, std::string>>& labels);
#endif

}  // namespace tcc
