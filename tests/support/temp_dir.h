#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/disk.h"

namespace tcc {

// A narrow path as the platform disk takes it (bytes on POSIX, UTF-8 on
// Windows, where the standard library would take the ANSI code page).
std::filesystem::path NativePath(const std::string& path);
// UTF-8 text in the ANSI code page, as the game writes its index on Windows
// ("?" for a letter the code page lacks); elsewhere, or without ansi, the
// bytes as they are. `read` gets the text those bytes stand for: the text
// with "?" for each letter lacking.
std::string AnsiOfText(const std::string& text, bool ansi = true, std::string* read = nullptr);

// A fresh folder under the system's temporary folder, removed at the end.
// Paths it gives use the platform's separator.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        std::filesystem::path path;
        do path = std::filesystem::temp_directory_path() / ("tcc-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path));
        const std::u8string utf8 = path.u8string();  // the bytes on POSIX, UTF-8 on Windows
        path_.assign(utf8.begin(), utf8.end());
    }
    ~TempDir() {
        std::error_code ec;
        // Windows refuses to remove read-only files.
        for (const auto& e : std::filesystem::recursive_directory_iterator(NativePath(path_), ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(NativePath(path_), ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string name) const {
        for (char& c : name) c = c == '/' ? kSeparator : c;
        return path_ + kSeparator + name;
    }

    static void Write(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(NativePath(path).parent_path());
        std::ofstream(NativePath(path), std::ios::binary) << content;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(NativePath(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Read-only: no write bits on POSIX, the read-only attribute on Windows.
    static void SetReadOnly(const std::string& path) {
        using std::filesystem::perms;
        std::filesystem::permissions(NativePath(path), perms::owner_read | perms::group_read | perms::others_read);
    }

private:
    std::string path_;
};

}  // namespace tcc
