#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tcc {

#ifdef _WIN32
std::filesystem::path NativePath(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string NarrowPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    std::string narrow(wide.size() * 2, '\0');
    narrow.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                               narrow.data(), static_cast<int>(narrow.size()),
                                                               nullptr, nullptr)));
    return narrow;
}
#else
std::filesystem::path NativePath(const std::string& path) { return path; }
std::string NarrowPath(const std::filesystem::path& path) { return path.native(); }
#endif

}  // namespace tcc
