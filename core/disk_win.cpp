#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/disk.h"
#include "core/file_error.h"

namespace tcc {

namespace {

// Maps a Win32 error code to the error numbers of FileError.
int ErrorNumberFromWin32(unsigned long err) {
    switch (err) {
    case ERROR_FILE_NOT_FOUND: return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_PATHNAME: return kPathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return kBadFileName;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_DIR_NOT_EMPTY: return kFileAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED: return kPermissionDenied;
    case ERROR_NOT_READY:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_SEM_TIMEOUT:
    case ERROR_CRC:
    case ERROR_GEN_FAILURE: return kDeviceUnavailable;
    case ERROR_HANDLE_EOF: return kInputPastEndOfFile;
    case ERROR_NOT_SAME_DEVICE: return kRenameAcrossDrives;
    default: return kPathFileAccessError;
    }
}

[[noreturn]] void Fail(DWORD err, const std::string& path) { throw FileError(ErrorNumberFromWin32(err), path); }

// The ANSI code page may be UTF-8 (a Windows option); the conversion flags
// that report unconvertible text differ for it.
bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

}  // namespace

bool ToWide(std::string_view text, std::wstring* out) {
    out->clear();
    if (text.empty()) return true;
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    out->resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                               out->data(), n) == n;
}

// No best-fit look-alikes, no "?".
bool ToNarrow(std::wstring_view text, std::string* out) {
    out->clear();
    if (text.empty()) return true;
    const bool utf8 = AnsiIsUtf8();
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, used);
    if (n <= 0 || usedDefault) return false;
    out->resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), out->data(), n, nullptr,
                               used) == n &&
           !usedDefault;
}

namespace {

// The wide form of a path; a path that is not text in the ANSI code page
// names nothing that can exist.
std::wstring Wide(const std::string& path) {
    std::wstring wide;
    if (path.find('\0') != std::string::npos || !ToWide(path, &wide)) Fail(ERROR_PATH_NOT_FOUND, path);
    return wide;
}

bool IsMissing(DWORD err) {
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_INVALID_NAME ||
           err == ERROR_BAD_PATHNAME || err == ERROR_DIRECTORY || err == ERROR_INVALID_DRIVE ||
           err == ERROR_FILENAME_EXCED_RANGE;
}

EntryType TypeOf(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryType::Other;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryType::Folder : EntryType::File;
}

// The attributes of path, or false when nothing is there.
bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    std::wstring wide;
    if (path.find('\0') != std::string::npos || !ToWide(path, &wide)) return false;
    if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, data)) return true;
    const DWORD err = GetLastError();
    if (IsMissing(err)) return false;
    Fail(err, path);
}

// A move failed: which of the two paths is at fault.
[[noreturn]] void FailMove(DWORD err, const std::string& from, const std::string& to) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) Fail(err, to);
    if (err == ERROR_PATH_NOT_FOUND && Attributes(from, &data)) Fail(err, to);
    Fail(err, from);
}

class HandleReadStream : public ReadStream {
public:
    HandleReadStream(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~HandleReadStream() override { CloseHandle(handle_); }

    std::size_t Read(char* buffer, std::size_t n) override {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
        if (!ReadFile(handle_, buffer, want, &got, nullptr)) {
            const DWORD err = GetLastError();
            if (err == ERROR_HANDLE_EOF || err == ERROR_BROKEN_PIPE) return 0;
            Fail(err, path_);
        }
        return got;
    }

private:
    HANDLE handle_;
    std::string path_;
};

class HandleWriteStream : public WriteStream {
public:
    HandleWriteStream(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~HandleWriteStream() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    void Write(const char* data, std::size_t n) override {
        while (n > 0) {
            DWORD put = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
            if (!WriteFile(handle_, data, want, &put, nullptr)) Fail(GetLastError(), path_);
            data += put;
            n -= put;
        }
    }

    void Close() override {
        // The data must be on disk before the file is renamed into place.
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!FlushFileBuffers(handle)) {
            const DWORD err = GetLastError();
            CloseHandle(handle);
            Fail(err, path_);
        }
        if (!CloseHandle(handle)) Fail(GetLastError(), path_);
    }

private:
    HANDLE handle_;
    std::string path_;
};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
               return up(x) == up(y);
           });
}

}  // namespace

EntryInfo WinDisk::Stat(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(path, &data)) return {};
    const EntryType type = TypeOf(data.dwFileAttributes);
    const bool readOnly = type == EntryType::File && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return {type, readOnly, size};
}

std::vector<DirEntry> WinDisk::ReadDir(const std::string& folder) {
    std::wstring pattern = Wide(folder);
    if (pattern.empty() || (pattern.back() != L'\\' && pattern.back() != L'/')) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    std::vector<DirEntry> entries;
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND) return entries;  // an empty drive root
        Fail(err == ERROR_DIRECTORY || err == ERROR_INVALID_NAME ? ERROR_PATH_NOT_FOUND : err, folder);
    }
    std::string name;
    do {
        const std::wstring_view wide = found.cFileName;
        if (wide == L"." || wide == L"..") continue;
        // A name the ANSI code page cannot spell could not be asked for
        // again: it is left out, as any name that cannot be given.
        if (!ToNarrow(wide, &name)) continue;
        // Hidden is an attribute here, not a leading ".".
        entries.push_back({name, TypeOf(found.dwFileAttributes),
                           (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0});
    } while (FindNextFileW(find, &found));
    const DWORD err = GetLastError();
    FindClose(find);
    if (err != ERROR_NO_MORE_FILES) Fail(err, folder);
    return entries;
}

std::unique_ptr<ReadStream> WinDisk::OpenRead(const std::string& path) {
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(GetLastError(), path);
    return std::make_unique<HandleReadStream>(handle, path);
}

std::unique_ptr<WriteStream> WinDisk::CreateNew(const std::string& path) {
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(GetLastError(), path);
    return std::make_unique<HandleWriteStream>(handle, path);
}

void WinDisk::RenameNoReplace(const std::string& from, const std::string& to) {
    if (from != to && EqualsIgnoringAsciiCase(from, to)) {
        // A new letter case alone: some file systems (Wine's) report success
        // and keep the old case, so the name goes by a free temporary one.
        const std::string temp = from + ".case~";
        if (!MoveFileExW(Wide(from).c_str(), Wide(temp).c_str(), MOVEFILE_WRITE_THROUGH)) {
            FailMove(GetLastError(), from, temp);
        }
        if (!MoveFileExW(Wide(temp).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD err = GetLastError();
            MoveFileExW(Wide(temp).c_str(), Wide(from).c_str(), MOVEFILE_WRITE_THROUGH);
            FailMove(err, from, to);
        }
        return;
    }
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name, in
    // any letter case, however late it was taken.
    if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
        FailMove(GetLastError(), from, to);
    }
}

void WinDisk::RenameReplace(const std::string& from, const std::string& to) {
    if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FailMove(GetLastError(), from, to);
    }
}

void WinDisk::Remove(const std::string& path) {
    const std::wstring wide = Wide(path);
    if (DeleteFileW(wide.c_str())) return;
    DWORD err = GetLastError();
    // Windows will not delete a read-only file; POSIX asks only the folder.
    // Callers decide about the read-only mark before they remove.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (DeleteFileW(wide.c_str())) return;
        err = GetLastError();
        SetFileAttributesW(wide.c_str(), attributes);
    }
    Fail(err, path);
}

void WinDisk::MakeDir(const std::string& path) {
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr)) Fail(GetLastError(), path);
}

void WinDisk::RemoveDir(const std::string& path) {
    if (!RemoveDirectoryW(Wide(path).c_str())) Fail(GetLastError(), path);
}

bool WinDisk::SameEntry(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    for (int i = 0; i < 2; ++i) {
        std::wstring wide;
        if (!ToWide(i == 0 ? a : b, &wide)) return false;
        // Folders open only with backup semantics; no access is asked for.
        const HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        const BOOL got = GetFileInformationByHandle(handle, &info[i]);
        CloseHandle(handle);
        if (!got) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool WinDisk::CanHoldName(std::string_view name) {
    // NTFS holds at most 255 UTF-16 units in a name.
    if (name.empty() || name.size() > 255 || name.back() == '.' || name.back() == ' ') return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
    }
    // Device names stay devices whatever extension follows.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (EqualsIgnoringAsciiCase(stem, device)) return false;
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (EqualsIgnoringAsciiCase(stem.substr(0, 3), "COM") || EqualsIgnoringAsciiCase(stem.substr(0, 3), "LPT"))) {
        return false;
    }
    // The name must come back from UTF-16 byte for byte.
    std::wstring wide;
    std::string back;
    return ToWide(name, &wide) && ToNarrow(wide, &back) && back == name;
}

}  // namespace tcc
