#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/disk.h"
#include "core/file_error.h"
#include "core/utf16.h"

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
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kDiskFull;
    default: return kPathFileAccessError;
    }
}

[[noreturn]] void Fail(DWORD err, const std::string& path) { throw FileError(ErrorNumberFromWin32(err), path); }

// The system's upper-case table, one UTF-16 unit for one, as its file
// systems compare names (without LCMAP_LINGUISTIC_CASING the mapping is the
// file system's); built at its first use.
const std::array<wchar_t, 0x10000>& UpperCase() {
    static const std::array<wchar_t, 0x10000> table = [] {
        std::array<wchar_t, 0x10000> upper;
        std::wstring units;
        for (unsigned u = 0; u < upper.size(); ++u) {
            upper[u] = static_cast<wchar_t>(u);
            if (u != 0 && (u < 0xD800 || u > 0xDFFF)) units.push_back(static_cast<wchar_t>(u));
        }
        std::wstring mapped(units.size(), L'\0');
        const int n = static_cast<int>(units.size());
        if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, units.data(), n, mapped.data(), n, nullptr, nullptr,
                          0) == n) {
            for (int i = 0; i < n; ++i) upper[static_cast<std::uint16_t>(units[i])] = mapped[i];
        }
        return upper;
    }();
    return table;
}

}  // namespace

std::string SystemCaseKey(std::string_view name) {
    std::string key(name);
    bool ascii = true;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    }
    std::wstring units;
    if (ascii || !ToUtf16(name, &units)) return key;  // text that is not UTF-8: its ASCII letters alone
    const auto& upper = UpperCase();
    for (wchar_t& u : units) u = upper[static_cast<std::uint16_t>(u)];
    return ToUtf8(units);
}

namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// The absolute form of what a relative path starts from ("" for the current
// folder, "C:" for that drive's, "\\" for the current drive's root), as the
// system resolves it; empty when it cannot.
std::wstring BaseOf(const std::wstring& start) {
    const std::wstring asked = start.empty() ? L"." : start;
    std::wstring full(std::max<DWORD>(GetFullPathNameW(asked.c_str(), 0, nullptr, nullptr), 1), L'\0');
    const DWORD n = GetFullPathNameW(asked.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return {};
    full.resize(n);
    return full;
}

}  // namespace

std::wstring SystemPath(std::string_view path) {
    std::wstring wide;
    if (path.empty() || path.find('\0') != std::string_view::npos || !ToUtf16(path, &wide)) return {};
    if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
    // Only the part the user wrote relative to the current folder or drive
    // goes through the system's resolution; the names after the root are
    // taken as they stand, so that a name read from the disk ("CON.unr",
    // "x.unr ") reaches the same file. "/" separates too, and "." and ".."
    // are resolved on the text, as the system resolves them.
    const bool drive = wide.size() >= 2 && wide[1] == L':';
    if (!(drive && wide.size() >= 3 && IsSlash(wide[2])) &&
        !(wide.size() >= 2 && IsSlash(wide[0]) && IsSlash(wide[1]))) {
        const std::size_t start = drive ? 2 : !wide.empty() && IsSlash(wide[0]) ? 1 : 0;
        const std::wstring base = BaseOf(wide.substr(0, start));
        if (base.size() < 3 || IsSlash(base[0]) != IsSlash(base[1])) return {};
        wide = base + L"\\" + wide.substr(start);
    }
    std::wstring out = L"\\\\?\\" + wide.substr(0, 2);
    std::size_t at = 2;
    if (IsSlash(wide[0])) {
        // \\server\share: both are part of the root.
        const std::size_t server = std::min(wide.find_first_of(L"\\/", 2), wide.size());
        const std::size_t share = std::min(server + 1, wide.size());
        at = std::min(wide.find_first_of(L"\\/", share), wide.size());
        out = L"\\\\?\\UNC\\" + wide.substr(2, server - 2) + L"\\" + wide.substr(share, at - share);
    }
    const std::size_t root = out.size();
    while (at < wide.size()) {
        const std::size_t end = std::min(wide.find_first_of(L"\\/", at + 1), wide.size());
        const std::wstring_view name = std::wstring_view(wide).substr(at + 1, end - at - 1);
        at = end;
        if (name.empty() || name == L".") continue;
        if (name == L"..") out.resize(std::max(root, out.find_last_of(L'\\')));
        else out.append(L"\\").append(name);
    }
    if (out.size() == root) out += L'\\';
    return out;
}

namespace {

// The system's form of a path; a path that is not text names nothing that
// can exist.
std::wstring SystemPathOrFail(const std::string& path) {
    std::wstring wide = SystemPath(path);
    if (wide.empty()) Fail(ERROR_PATH_NOT_FOUND, path);
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

// Is an entry of these attributes and reparse tag a link, symbolic or a
// junction? Other reparse points (cloud placeholders, deduplicated files)
// are files as any other.
bool IsLink(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT);
}

// The attributes of path, or false when nothing is there.
bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return false;
    if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, data)) return true;
    const DWORD err = GetLastError();
    if (IsMissing(err)) return false;
    Fail(err, path);
}

// May this process make and remove names in the folder (in the system's
// form)? Asked of the volume (read-only media) and of the folder's security
// for the process's own token, without writing anything, so that a dry run
// may ask too. What cannot be asked is no refusal: the operation answers.
bool FolderMayBeWritten(const std::wstring& folder) {
    const HANDLE handle = CreateFileW(folder.c_str(), READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;
    DWORD flags = 0, size = 0;
    bool may = !GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
               !(flags & FILE_READ_ONLY_VOLUME);
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                        DACL_SECURITY_INFORMATION;
    GetKernelObjectSecurity(handle, wanted, nullptr, 0, &size);
    std::vector<char> descriptor(std::max<DWORD>(size, 1));
    HANDLE process = nullptr, token = nullptr;
    if (may && GetKernelObjectSecurity(handle, wanted, descriptor.data(), size, &size) &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process) &&
        DuplicateToken(process, SecurityImpersonation, &token)) {
        GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges;
        DWORD privilegesSize = sizeof privileges, granted = 0;
        BOOL allowed = TRUE;
        if (AccessCheck(descriptor.data(), token, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, &mapping, &privileges,
                        &privilegesSize, &granted, &allowed)) {
            may = allowed;
        }
    }
    for (HANDLE h : {token, process, handle}) {
        if (h) CloseHandle(h);
    }
    return may;
}

// The folder a path in the system's form lies in.
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Did a call fail on a file that another program holds open (the game, a
// virus scanner reading a file just written): a sharing or lock violation,
// or access denied where one of the paths is a file that may be written, in
// folders that may be written?
bool IsBusy(DWORD err, std::initializer_list<const std::wstring*> paths) {
    if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return true;
    if (err != ERROR_ACCESS_DENIED) return false;
    return std::any_of(paths.begin(), paths.end(),
                       [](const std::wstring* path) {
                           const DWORD attributes = GetFileAttributesW(path->c_str());
                           return attributes != INVALID_FILE_ATTRIBUTES &&
                                  !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
                       }) &&
           std::all_of(paths.begin(), paths.end(),
                       [](const std::wstring* path) { return FolderMayBeWritten(FolderOf(*path)); });
}

// Makes a call (true on success) and makes it again while it fails on a busy
// file, for about a second; answers its last error, or ERROR_SUCCESS.
template <typename Call>
DWORD Retrying(Call call, std::initializer_list<const std::wstring*> paths) {
    static constexpr DWORD kWaitsMs[] = {20, 40, 80, 160, 300, 400};
    for (std::size_t attempt = 0;; ++attempt) {
        if (call()) return ERROR_SUCCESS;
        const DWORD err = GetLastError();
        if (attempt == std::size(kWaitsMs) || !IsBusy(err, paths)) return err;
        Sleep(kWaitsMs[attempt]);
    }
}

DWORD Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
    return Retrying([&] { return MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0; },
                    {&from, &to});
}

// Does another program hold path open, so that it cannot be moved or removed?
bool HeldOpen(const std::wstring& path) {
    HANDLE handle = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

// A move failed: which of the two paths is at fault.
[[noreturn]] void FailMove(DWORD err, const std::string& from, const std::string& to, const std::wstring& wideFrom,
                           const std::wstring& wideTo) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) Fail(err, to);
    // The source is there, yet the system finds nothing: the target's folder
    // is missing, or its name is one the file system cannot store (a lone
    // UTF-16 surrogate where names are stored as UTF-8).
    if (IsMissing(err) && Attributes(from, &data)) Fail(err == ERROR_FILE_NOT_FOUND ? ERROR_INVALID_NAME : err, to);
    if (IsBusy(err, {&wideFrom, &wideTo}) && !HeldOpen(wideFrom) && HeldOpen(wideTo)) Fail(err, to);
    Fail(err, from);
}

// The last name of a path in the system's form.
std::wstring_view LastName(std::wstring_view path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The name of path as it stands on disk, in its own letter case; empty when
// it cannot be read.
std::wstring NameOnDisk(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return {};
    FindClose(find);
    return found.cFileName;
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

    void Flush() override {
        if (!FlushFileBuffers(handle_)) Fail(GetLastError(), path_);
    }

    void Close() override {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(handle)) Fail(GetLastError(), path_);
    }

private:
    HANDLE handle_;
    std::string path_;
};

// The index as text, handed out as UTF-8: UTF-16 after its byte-order mark,
// UTF-8 after that mark, else text in the ANSI code page, as the game wrote
// it and as the system's ANSI calls read it. Each line goes through the code
// page alone: a line end is never part of a double-byte character.
class TextStream : public ReadStream {
public:
    explicit TextStream(std::unique_ptr<ReadStream> bytes) : bytes_(std::move(bytes)), chunk_(64 * 1024) {}

    std::size_t Read(char* buffer, std::size_t n) override {
        while (pos_ == out_.size() && !end_) Convert();
        n = std::min(n, out_.size() - pos_);
        std::memcpy(buffer, out_.data() + pos_, n);
        pos_ += n;
        return n;
    }

    std::uint64_t FileOffset(std::uint64_t handedOut) const override {
        if (made_ == 0) return 0;
        return static_cast<std::uint64_t>(static_cast<double>(handedOut) * static_cast<double>(used_) /
                                          static_cast<double>(made_));
    }

private:
    enum class Form { Unknown, Ansi, Utf8, Utf16Le, Utf16Be };

    void Convert() {
        const std::size_t got = bytes_->Read(chunk_.data(), chunk_.size());
        end_ = got == 0;
        in_.append(chunk_.data(), got);
        if (form_ == Form::Unknown) {
            if (in_.size() < 3 && !end_) return;
            form_ = in_.starts_with("\xFF\xFE")       ? Form::Utf16Le
                    : in_.starts_with("\xFE\xFF")     ? Form::Utf16Be
                    : in_.starts_with("\xEF\xBB\xBF") ? Form::Utf8
                                                      : Form::Ansi;
            const std::size_t mark = form_ == Form::Utf8 ? 3 : form_ == Form::Ansi ? 0 : 2;
            in_.erase(0, mark);
            used_ += mark;
        }
        // What can be converted now: whole lines of the code page, whole
        // UTF-16 units and pairs; at the end, all.
        std::size_t take = in_.size();
        if (!end_ && form_ == Form::Ansi) {
            const std::size_t lineEnd = in_.find_last_of("\r\n");
            take = lineEnd == std::string::npos ? 0 : lineEnd + 1;
        } else if (!end_ && form_ != Form::Utf8) {
            take &= ~std::size_t{1};
            if (take >= 2 && (Unit(take - 2) & 0xFC00) == 0xD800) take -= 2;
        }
        out_.clear();
        pos_ = 0;
        if (form_ == Form::Utf8) {
            out_.assign(in_, 0, take);
        } else if (form_ == Form::Ansi) {
            // Line by line: a lead byte at a line's end never takes the line
            // end, and the next line, with it.
            for (std::size_t at = 0; at < take;) {
                const std::size_t end = std::min(in_.find_first_of("\r\n", at), take);
                const std::size_t next = std::min(in_.find_first_not_of("\r\n", end), take);
                out_ += AnsiText(std::string_view(in_).substr(at, end - at));
                out_.append(in_, end, next - end);
                at = next;
            }
        } else if (form_ != Form::Ansi) {
            std::wstring units(take / 2, L'\0');
            for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<wchar_t>(Unit(2 * i));
            out_ = ToUtf8(units);  // an odd last byte at the end is no character
        }
        in_.erase(0, take);
        used_ += take;
        made_ += out_.size();
    }

    static std::string AnsiText(std::string_view bytes) {
        if (bytes.empty()) return {};
        const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring units(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), units.data(), n);
        return ToUtf8(units);
    }

    unsigned Unit(std::size_t at) const {
        const unsigned a = static_cast<unsigned char>(in_[at]), b = static_cast<unsigned char>(in_[at + 1]);
        return form_ == Form::Utf16Le ? a | b << 8 : a << 8 | b;
    }

    std::unique_ptr<ReadStream> bytes_;
    std::vector<char> chunk_;
    Form form_ = Form::Unknown;
    std::string in_;   // read, not converted yet
    std::string out_;  // converted, not handed out yet
    std::size_t pos_ = 0;
    bool end_ = false;
    std::uint64_t used_ = 0, made_ = 0;  // bytes of the file converted, and the text they made
};

}  // namespace

EntryInfo WinDisk::Stat(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(path, &data)) return {};
    const EntryType type = TypeOf(data.dwFileAttributes);
    const bool readOnly = type == EntryType::File && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    bool link = false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The reparse tag comes with a search for the name.
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(SystemPath(path).c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) link = IsLink(found.dwFileAttributes, found.dwReserved0), FindClose(find);
    }
    return {type, readOnly, size, link};
}

std::vector<DirEntry> WinDisk::ReadDir(const std::string& folder) {
    std::wstring pattern = SystemPathOrFail(folder);
    if (pattern.back() != L'\\') pattern += L'\\';
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
    do {
        const std::wstring_view wide = found.cFileName;
        if (wide == L"." || wide == L"..") continue;
        // Hidden is an attribute here, not a leading ".".
        entries.push_back({ToUtf8(wide), TypeOf(found.dwFileAttributes),
                           (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0,
                           IsLink(found.dwFileAttributes, found.dwReserved0)});
    } while (FindNextFileW(find, &found));
    const DWORD err = GetLastError();
    FindClose(find);
    if (err != ERROR_NO_MORE_FILES) Fail(err, folder);
    return entries;
}

std::unique_ptr<ReadStream> WinDisk::OpenRead(const std::string& path) {
    const std::wstring wide = SystemPathOrFail(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    const DWORD err = Retrying(
        [&] {
            handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        },
        {&wide});
    if (err != ERROR_SUCCESS) Fail(err, path);
    return std::make_unique<HandleReadStream>(handle, path);
}

std::unique_ptr<WriteStream> WinDisk::CreateNew(const std::string& path) {
    const std::wstring wide = SystemPathOrFail(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    const DWORD err = Retrying(
        [&] {
            handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        },
        {&wide});
    if (err != ERROR_SUCCESS) Fail(err, path);
    return std::make_unique<HandleWriteStream>(handle, path);
}

std::unique_ptr<ReadStream> WinDisk::ReadText(std::unique_ptr<ReadStream> bytes) {
    return std::make_unique<TextStream>(std::move(bytes));
}

void WinDisk::RenameNoReplace(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = SystemPathOrFail(from), wideTo = SystemPathOrFail(to);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name, in
    // any letter case, however late it was taken.
    if (const DWORD err = Move(wideFrom, wideTo, 0)) FailMove(err, from, to, wideFrom, wideTo);
    // A new letter case alone: where the file system kept the old one
    // (Wine's does), the name goes by a free temporary one.
    if (from == to || SystemCaseKey(from) != SystemCaseKey(to)) return;
    const std::wstring onDisk = NameOnDisk(wideTo);
    if (onDisk.empty() || onDisk == LastName(wideTo)) return;
    // The temporary name is the name cut to leave room for its mark, at most
    // 255 units; one taken is passed over for the next.
    const std::wstring_view name = LastName(wideFrom);
    std::string temp;
    std::wstring wideTemp;
    for (int attempt = 0;; ++attempt) {
        const std::wstring mark = L".case~" + (attempt ? std::to_wstring(attempt) : std::wstring());
        std::size_t keep = std::min(name.size(), 255 - mark.size());
        if (keep < name.size() && (name[keep] & 0xFC00) == 0xDC00) --keep;  // a surrogate pair stays whole
        const std::wstring tempName = std::wstring(name.substr(0, keep)) + mark;
        temp = from.substr(0, from.find_last_of(kSeparators) + 1) + ToUtf8(tempName);
        wideTemp = wideFrom.substr(0, wideFrom.size() - name.size()) + tempName;
        const DWORD err = Move(wideFrom, wideTemp, 0);
        if (err == ERROR_SUCCESS) break;
        if ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt == 9) {
            FailMove(err, from, temp, wideFrom, wideTemp);
        }
    }
    if (const DWORD err = Move(wideTemp, wideTo, 0)) {
        // Back to the old name; where even that fails, the error says where
        // the file is.
        if (Move(wideTemp, wideFrom, 0) != ERROR_SUCCESS) Fail(err, temp);
        FailMove(err, from, to, wideFrom, wideTo);
    }
}

void WinDisk::RenameReplace(const std::string& from, const std::string& to) {
    const std::wstring wideFrom = SystemPathOrFail(from), wideTo = SystemPathOrFail(to);
    if (const DWORD err = Move(wideFrom, wideTo, MOVEFILE_REPLACE_EXISTING)) FailMove(err, from, to, wideFrom, wideTo);
}

void WinDisk::Remove(const std::string& path) {
    const std::wstring wide = SystemPathOrFail(path);
    auto remove = [&] { return Retrying([&] { return DeleteFileW(wide.c_str()) != 0; }, {&wide}); };
    DWORD err = remove();
    if (err == ERROR_SUCCESS) return;
    // Windows will not delete a read-only file; POSIX asks only the folder.
    // Callers decide about the read-only mark before they remove.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (err == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        err = remove();
        if (err == ERROR_SUCCESS) return;
        SetFileAttributesW(wide.c_str(), attributes);
    }
    Fail(err, path);
}

void WinDisk::MakeDir(const std::string& path) {
    if (!CreateDirectoryW(SystemPathOrFail(path).c_str(), nullptr)) Fail(GetLastError(), path);
}

void WinDisk::RemoveDir(const std::string& path) {
    if (!RemoveDirectoryW(SystemPathOrFail(path).c_str())) Fail(GetLastError(), path);
}

void WinDisk::CopyAttributes(const std::string& from, const std::string& to) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!Attributes(from, &data)) Fail(ERROR_FILE_NOT_FOUND, from);
    // Attributes alone may be written while the copy is still open for writing.
    const HANDLE handle = CreateFileW(SystemPathOrFail(to).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE) Fail(GetLastError(), to);
    const bool set = SetFileTime(handle, &data.ftCreationTime, &data.ftLastAccessTime, &data.ftLastWriteTime);
    const DWORD err = GetLastError();
    CloseHandle(handle);
    if (!set) Fail(err, to);
}

bool WinDisk::SameEntry(const std::string& a, const std::string& b) {
    FILE_ID_INFO id[2];
    for (int i = 0; i < 2; ++i) {
        const std::wstring wide = SystemPath(i == 0 ? a : b);
        if (wide.empty()) return false;
        // Folders open only with backup semantics; no access is asked for.
        const HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        // The 128-bit id, unique where the 64-bit index is not (ReFS); where
        // the system has no such id, the index.
        std::memset(&id[i], 0, sizeof id[i]);
        BY_HANDLE_FILE_INFORMATION info;
        bool got = GetFileInformationByHandleEx(handle, FileIdInfo, &id[i], sizeof id[i]);
        if (!got && GetFileInformationByHandle(handle, &info)) {
            got = true;
            id[i].VolumeSerialNumber = info.dwVolumeSerialNumber;
            const ULONGLONG index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            std::memcpy(id[i].FileId.Identifier, &index, sizeof index);
        }
        CloseHandle(handle);
        // A zero id (some network redirectors give it) tells nothing.
        static const FILE_ID_128 kUnknown{};
        if (!got || std::memcmp(&id[i].FileId, &kUnknown, sizeof kUnknown) == 0) return false;
    }
    return id[0].VolumeSerialNumber == id[1].VolumeSerialNumber &&
           std::memcmp(&id[0].FileId, &id[1].FileId, sizeof id[0].FileId) == 0;
}

bool WinDisk::MayWrite(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
           FolderMayBeWritten(wide);
}

std::size_t WinDisk::MaxPathLength() {
    // The long form takes 32,767 UTF-16 units with its closing NUL, and its
    // "\\?\UNC\" makes a network path 6 units longer. Paths here are
    // counted in UTF-8 bytes, never fewer than their units: a path the system
    // refuses is always over this bound, and one of ASCII letters only within
    // a few units of the system's limit.
    return 32767 - 1 - 6;
}

bool WinDisk::CanHoldName(std::string_view name) {
    // UTF-8 text, of at most 255 UTF-16 units (NTFS's limit).
    std::wstring units;
    if (name.empty() || name.back() == '.' || name.back() == ' ' || !ToUtf16(name, &units) || units.size() > 255) {
        return false;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c)) return false;
    }
    // Device names stay devices whatever extension follows, also with spaces
    // before it: the consoles too, and "COM" and "LPT" with a digit, also a
    // superscript one.
    std::string stem = FoldCase(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (stem == device) return false;
    }
    const std::string_view number = std::string_view(stem).substr(std::min<std::size_t>(stem.size(), 3));
    return !((stem.starts_with("com") || stem.starts_with("lpt")) &&
             ((number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
              number == "\xC2\xB2" || number == "\xC2\xB3"));
}

}  // namespace tcc
