#include "tests/support/temp_dir.h"

#include "core/utf16.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tcc {

#ifdef _WIN32
std::filesystem::path NativePath(const std::string& path) { return ToUtf16(path); }

std::string AnsiOfText(const std::string& text, bool ansi, std::string* read) {
    std::wstring wide;
    if (read) *read = text;
    if (!ansi || text.empty() || !ToUtf16(text, &wide)) return text;
    std::string bytes;
    if (read) read->clear();
    // A character at a time, so that each one the code page lacks is known.
    for (std::size_t i = 0; i < wide.size();) {
        const int units = (wide[i] & 0xFC00) == 0xD800 && i + 1 < wide.size() ? 2 : 1;
        char buffer[16];
        BOOL lacking = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide[i], units, buffer, sizeof buffer, nullptr, &lacking);
        bytes.append(buffer, n);
        if (read) *read += lacking ? std::string(n, '?') : ToUtf8(wide.substr(i, units));
        i += units;
    }
    return bytes;
}
#else
std::filesystem::path NativePath(const std::string& path) { return path; }
std::string AnsiOfText(const std::string& text, bool, std::string* read) { return read ? *read = text : text; }
#endif

}  // namespace tcc
