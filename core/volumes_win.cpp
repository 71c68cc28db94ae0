// The drive list's volumes on Windows: the logical drives. The system's
// "no disk" boxes are turned off once, at the program's start; nothing here
// changes the process's error mode.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <map>

#include "core/answers.h"
#include "core/utf16.h"
#include "core/volumes.h"

namespace tcc {

namespace {

// The label of the volume at root; empty when it has none or cannot be asked.
std::string VolumeLabel(const std::wstring& root) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return {};
    return ToUtf8(name);
}

class DriveSource : public VolumeSource {
public:
    std::vector<Volume> Volumes() override {
        std::vector<Volume> volumes;
        std::wstring roots(512, L'\0');
        DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
        if (n > roots.size()) {
            roots.resize(n);
            n = GetLogicalDriveStringsW(n, roots.data());
        }
        // "A:\", "C:\", ... each ended by a NUL.
        for (const wchar_t* root = roots.c_str(); *root; root += wcslen(root) + 1) {
            // Every drive letter in use is listed, as Windows' own drive
            // lists do, even one with nothing behind it right now.
            Volume volume;
            volume.root = ToUtf8(root);
            // Removable and optical drives are not asked for a label: that
            // would spin them up or wait for a medium. A network drive whose
            // server went away may not answer for minutes: labels are asked
            // on the thread pool and shown as they came by the last reading.
            const UINT type = GetDriveTypeW(root);
            if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) {
                if (auto label = labels_.Take(volume.root)) names_[volume.root] = *label;
                else if (!labels_.Ask(volume.root, [path = std::wstring(root)] { return VolumeLabel(path); }))
                    names_.erase(volume.root);  // still asked since the last reading
                const auto known = names_.find(volume.root);
                if (known != names_.end()) volume.name = known->second;
            }
            volumes.push_back(std::move(volume));
        }
        return volumes;
    }

    void WaitForNames() override { labels_.Wait(kDriveAnswerLimit); }

    bool IsReady(const Volume& volume) override {
        std::wstring root;
        if (!ToUtf16(volume.root, &root)) return false;
        // An empty card reader or optical drive fails both; a drive letter
        // whose folder went away fails the second; a share whose server went
        // away may not answer for minutes.
        return ready_.Check(
            volume.root,
            [root] {
                wchar_t name[MAX_PATH + 1] = {};
                const DWORD attributes = GetFileAttributesW(root.c_str());
                return GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
                       attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            },
            kDriveAnswerLimit);
    }

private:
    Answers labels_, ready_;
    std::map<std::string, std::string> names_;  // root -> the label its last answer gave
};

}  // namespace

std::unique_ptr<VolumeSource> MakeSystemVolumeSource() { return std::make_unique<DriveSource>(); }

std::string VolumeEntryText(const Volume& volume) {
    // "c: [System]": the small drive letter and colon, then the label.
    std::string text = volume.root.substr(0, 2);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return volume.name.empty() ? text : text + " [" + volume.name + "]";
}

}  // namespace tcc
