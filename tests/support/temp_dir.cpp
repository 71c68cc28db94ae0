#include "tests/support/temp_dir.h"

#include "core/utf16.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tcc {

#ifdef _WIN32
std::filesystem::path NativePath(const std::string& path) { return ToUtf16(path); }

std::string AnsiOfText(const std::string& text, bool ansi) {
    std::wstring wide;
    if (!ansi || text.empty() || !ToUtf16(text, &wide)) return text;
    std::string bytes(wide.size() * 2, '\0');
    bytes.resize(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}
#else
std::filesystem::path NativePath(const std::string& path) { return path; }
std::string AnsiOfText(const std::string& text, bool) { return text; }
#endif

}  // namespace tcc
