#include <unistd.h>

#include <filesystem>

#include "core/system.h"

namespace tcc {

void QuietSystemErrors() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string FullPath(const std::string& path) {
    std::filesystem::path full = std::filesystem::absolute(path).lexically_normal();
    if (!full.has_filename()) full = full.parent_path();  // "Cache/" is "Cache"; the root stays
    return full.string();
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void WriteText(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace tcc
