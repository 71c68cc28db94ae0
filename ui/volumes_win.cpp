// The drive list's volumes on Windows: the logical drives.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <chrono>

#include "ui/volumes.h"

namespace tcc {

namespace {

// Display text in the ANSI code page; a character it lacks shows as "?".
std::string Narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

// No "insert a disk" box from the system while a drive is asked about.
class QuietCriticalErrors {
public:
    QuietCriticalErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietCriticalErrors() { SetErrorMode(old_); }

private:
    UINT old_;
};

bool VolumeLabel(const std::wstring& root, std::string* label) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        return false;
    }
    *label = Narrow(name);
    return true;
}

class DriveSource : public VolumeSource {
public:
    std::vector<Volume> Volumes() override {
        QuietCriticalErrors quiet;
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
            const UINT type = GetDriveTypeW(root);
            Volume volume{Narrow(root), {}};
            // Removable and optical drives are not asked for a label: that
            // would spin them up or wait for a medium.
            if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) VolumeLabel(root, &volume.name);
            volumes.push_back(std::move(volume));
        }
        return volumes;
    }

    bool IsReady(const Volume& volume) override {
        QuietCriticalErrors quiet;
        const int n = MultiByteToWideChar(CP_ACP, 0, volume.root.c_str(), -1, nullptr, 0);
        if (n <= 0) return false;
        std::wstring root(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, volume.root.c_str(), -1, root.data(), n);
        root.pop_back();
        // An empty card reader or optical drive fails both; a drive letter
        // whose folder went away fails the second; a share whose server went
        // away may not answer for minutes.
        return AnswersWithin(
            [root] {
                QuietCriticalErrors quiet;
                std::string label;
                const DWORD attributes = GetFileAttributesW(root.c_str());
                return VolumeLabel(root, &label) && attributes != INVALID_FILE_ATTRIBUTES &&
                       (attributes & FILE_ATTRIBUTE_DIRECTORY);
            },
            std::chrono::seconds(2));
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
