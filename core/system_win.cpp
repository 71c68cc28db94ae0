#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <io.h>
#include <shellapi.h>

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
    // The long form is the disk's business: the user's path is the plain one.
    if (full.starts_with(L"\\\\?\\UNC\\")) full.replace(0, 8, L"\\\\");
    else if (full.starts_with(L"\\\\?\\")) full.erase(0, 4);
    return std::string(TrimmedPath(ToUtf8(full)));
}

bool IsTerminal(std::FILE* stream) { return IsConsole(stream); }

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
