#include "tests/support/temp_dir.h"

namespace tcc {

#ifdef _WIN32
std::filesystem::path NativePath(const std::string& path) {
    std::wstring wide;
    ToWide(path, &wide);
    return wide;
}

std::string NarrowPath(const std::filesystem::path& path) {
    std::string narrow;
    ToNarrow(path.native(), &narrow);
    return narrow;
}
#else
std::filesystem::path NativePath(const std::string& path) { return path; }
std::string NarrowPath(const std::filesystem::path& path) { return path.native(); }
#endif

}  // namespace tcc
