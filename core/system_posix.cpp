#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/paths.h"
#include "core/system.h"

namespace tcc {

void QuietSystemErrors() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string FullPath(const std::string& path) {
    std::filesystem::path full = std::filesystem::absolute(path);
    if (full.filename() == "." || full.filename() == "..") {
        std::error_code error;
        std::filesystem::path found = std::filesystem::canonical(full, error);
        if (!error) full = found;
    }
    return std::string(TrimmedPath(full.string()));  // "Cache/" is "Cache"; the root stays
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

bool ReaderGone() { return errno == EPIPE; }

bool WriteText(std::FILE* stream, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace tcc
