// The drive list's volumes on Windows: the logical drives. The system's
// "no disk" boxes are turned off once, at the program's start; nothing here
// changes the process's error mode.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <chrono>

#include "core/disk.h"
#include "core/utf16.h"
#include "core/volumes.h"

namespace tcc {

namespace {

// A drive that does not answer within this long counts as not ready, and
// shows without its label.
constexpr std::chrono::seconds kDriveAnswerLimit{2};

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
        std::vector<std::function<std::string()>> labels;
        std::vector<std::size_t> labelled;  // the volume each question is for
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
            // server went away may not answer for minutes: every label is
            // read on a thread of its own, and the list waits for them no
            // longer than for a drive's readiness.
            const UINT type = GetDriveTypeW(root);
            if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) {
                labels.push_back([path = std::wstring(root)] { return VolumeLabel(path); });
                labelled.push_back(volumes.size());
            }
            volumes.push_back(std::move(volume));
        }
        const auto answers = AnswersWithin(std::move(labels), kDriveAnswerLimit);
        for (std::size_t i = 0; i < answers.size(); ++i) volumes[labelled[i]].name = answers[i];
        return volumes;
    }

    bool IsReady(const Volume& volume) override {
        std::wstring root;
        if (!ToUtf16(volume.root, &root)) return false;
        // An empty card reader or optical drive fails both; a drive letter
        // whose folder went away fails the second; a share whose server went
        // away may not answer for minutes.
        return AnswersWithin(
            [root] {
                wchar_t name[MAX_PATH + 1] = {};
                const DWORD attributes = GetFileAttributesW(root.c_str());
                return GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
                       attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            },
            kDriveAnswerLimit);
    }
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
