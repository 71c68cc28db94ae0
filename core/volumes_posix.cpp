#include "core/volumes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/answers.h"
#include "core/paths.h"

namespace tcc {

namespace {

// The mount table escapes space, tab, newline and backslash as octal.
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

bool IsUserMount(const std::string& mountPoint) {
    return mountPoint == "/" || mountPoint == "/home" || mountPoint == "/media" || mountPoint == "/mnt" ||
           StartsWithFolder(mountPoint, "/media") || StartsWithFolder(mountPoint, "/mnt") ||
           StartsWithFolder(mountPoint, "/run/media");
}

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Device path -> label, from the links under /dev/disk/by-label.
std::vector<std::pair<std::string, std::string>> DeviceLabels() {
    std::vector<std::pair<std::string, std::string>> labels;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/disk/by-label", error)) {
        auto device = std::filesystem::canonical(entry.path(), error);
        if (error) continue;
        labels.emplace_back(device.string(), Unescape(entry.path().filename().string()));
    }
    return labels;
}

class SystemVolumeSource : public VolumeSource {
public:
    std::vector<Volume> Volumes() override {
        return UserVolumesFromMountTable(ReadFile("/proc/self/mounts"), DeviceLabels());
    }

    bool IsReady(const Volume& volume) override {
        // A removable volume that was taken out is no longer mounted; a
        // network volume whose server went away fails to answer.
        const auto mounted = UserVolumesFromMountTable(ReadFile("/proc/self/mounts"), {});
        bool listed = std::any_of(mounted.begin(), mounted.end(),
                                  [&](const Volume& v) { return v.root == volume.root; });
        return listed && ready_.Check(
                             volume.root,
                             [root = volume.root] {
                                 struct stat info {};
                                 return ::stat(root.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
                             },
                             kDriveAnswerLimit);
    }

private:
    Answers ready_;
};

}  // namespace

std::vector<Volume> UserVolumesFromMountTable(const std::string& table,
                                              const std::vector<std::pair<std::string, std::string>>& labels) {
    std::vector<Volume> volumes;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        device = Unescape(device);
        mountPoint = Unescape(mountPoint);
        if (!IsUserMount(mountPoint)) continue;

        std::string name;
        std::error_code error;
        std::string canonical = device.rfind("/dev/", 0) == 0
                                    ? std::filesystem::weakly_canonical(device, error).string()
                                    : device;
        for (const auto& [labelDevice, label] : labels)
            if (labelDevice == canonical || labelDevice == device) name = label;
        if (name.empty()) name = device.rfind("/dev/", 0) == 0 ? LastComponent(device) : device;

        // A later mount on the same point hides the earlier one.
        auto same = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.root == mountPoint; });
        if (same != volumes.end()) same->name = name;
        else volumes.push_back({mountPoint, name});
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return volumes;
}

std::string VolumeEntryText(const Volume& volume) {
    return volume.name.empty() ? volume.root : volume.root + " [" + volume.name + "]";
}

std::unique_ptr<VolumeSource> MakeSystemVolumeSource() { return std::make_unique<SystemVolumeSource>(); }

}  // namespace tcc
