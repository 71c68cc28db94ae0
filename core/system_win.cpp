#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cerrno>

#include "core/disk.h"
#include "core/paths.h"
#include "core/system.h"
#include "core/utf16.h"

namespace tcc {
namespace {

HANDLE HandleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

// A console answers its mode; a file, a pipe or the NUL device does not (the
// C runtime's isatty takes every character device for a terminal).
bool IsConsole(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

}  // namespace

void QuietSystemErrors() { SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(ToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::string FullPath(const std::string& path) {
    std::wstring wide, full;
    if (!ToUtf16(path, &wide) || path.empty()) return path;
    full.resize(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr));
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    // Each part that exists takes its name as the disk holds it: its letter
    // case, and its long name for an 8.3 one. The long form is the disk's
    // business: the user's path is the plain one.
    std::wstring onDisk = SystemPath(ToUtf8(full));
    if (!onDisk.starts_with(L"\\\\?\\")) return std::string(TrimmedPath(ToUtf8(full)));  // a device
    const bool network = onDisk.starts_with(L"\\\\?\\UNC\\");
    for (std::size_t at = network ? onDisk.find(L'\\', onDisk.find(L'\\', 8) + 1) : 6; at < onDisk.size();) {
        const std::size_t end = std::min(onDisk.find(L'\\', at + 1), onDisk.size());
        const std::wstring_view name = std::wstring_view(onDisk).substr(at + 1, end - at - 1);
        WIN32_FIND_DATAW found;
        const HANDLE find = name.empty() || name.find_first_of(L"*?") != std::wstring_view::npos
                                ? INVALID_HANDLE_VALUE
                                : FindFirstFileExW(onDisk.substr(0, end).c_str(), FindExInfoBasic, &found,
                                                   FindExSearchNameMatch, nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) break;
        FindClose(find);
        onDisk.replace(at + 1, name.size(), found.cFileName);
        at = onDisk.find(L'\\', at + 1);
    }
    if (network) onDisk.replace(0, 8, L"\\\\");
    else onDisk.erase(0, 4);
    return std::string(TrimmedPath(ToUtf8(onDisk)));
}

bool IsTerminal(std::FILE* stream) { return IsConsole(stream); }

bool ReaderGone() {
    // The C runtime tells a closed pipe as EINVAL (ERROR_NO_DATA from the
    // system) or EPIPE (ERROR_BROKEN_PIPE).
    const DWORD err = GetLastError();
    return errno == EPIPE || errno == EINVAL || err == ERROR_NO_DATA || err == ERROR_BROKEN_PIPE;
}

bool WriteText(std::FILE* stream, std::string_view text) {
    // Asked once per stream: most output goes to a file or pipe, line by line.
    static const bool console[3] = {IsConsole(stdin), IsConsole(stdout), IsConsole(stderr)};
    const int fd = _fileno(stream);
    if (fd < 0 || fd > 2 || !console[fd]) return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    std::fflush(stream);
    const std::wstring units = ToUtf16(text);
    for (std::size_t done = 0; done < units.size();) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(units.size() - done, 8192));
        if (!WriteConsoleW(HandleOf(stream), units.data() + done, want, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

}  // namespace tcc
