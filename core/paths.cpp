#include "core/paths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tcc {
namespace {

bool IsSeparator(char c) { return IsPathSeparator(c); }
std::size_t RootLength(std::string_view p) { return PathRootLength(p); }

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view TrimmedPath(std::string_view p) {
    const std::size_t root = std::max<std::size_t>(RootLength(p), 1);
    while (p.size() > root && IsSeparator(p.back())) p.remove_suffix(1);
    return p;
}

std::string LastComponent(std::string_view path) {
    std::string_view p = TrimmedPath(path);
    auto pos = p.find_last_of(kSeparators);
    return std::string(pos == std::string_view::npos ? p : p.substr(pos + 1));
}

bool SplitPath(std::string_view path, std::string_view* parent, std::string_view* name) {
    auto pos = path.find_last_of(kSeparators);
    if (pos == std::string_view::npos || pos + 1 >= path.size()) return false;
    *parent = path.substr(0, std::max(pos, RootLength(path)));
    *name = path.substr(pos + 1);
    return true;
}

bool IsPathSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

// On Windows "C:" alone names the drive's current folder: "C:\" is the root.
std::size_t PathRootLength(std::string_view p) {
    if (kSeparator == '\\' && p.size() >= 3 && p[1] == ':' && IsPathSeparator(p[2])) return 3;
    return !p.empty() && IsPathSeparator(p[0]) ? 1 : 0;
}

std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = Fold(c);
    return folded;
}

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

std::size_t HashFolded(std::string_view name) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    std::uint64_t hash = 0x9e3779b97f4a7c15ull ^ name.size();
    for (std::size_t at = 0; at < name.size(); at += 8) {
        std::uint64_t word = 0;
        if (name.size() - at >= 8) {
            std::memcpy(&word, name.data() + at, 8);
        } else {
            for (std::size_t i = at; i < name.size(); ++i) word = word << 8 | static_cast<unsigned char>(name[i]);
        }
        // Eight bytes folded at once: a byte below 0x80, at least 'A' and at
        // most 'Z', gets 0x20.
        const std::uint64_t low = word & ~kHigh;
        const std::uint64_t capital = (low + (0x80 - 'A') * kOnes) & ~(low + (0x80 - 'Z' - 1) * kOnes) & ~word & kHigh;
        hash = (hash ^ (word | capital >> 2)) * 0xff51afd7ed558ccdull;
        hash ^= hash >> 32;
    }
    return static_cast<std::size_t>(hash);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    JoinPathInto(path, folder, name);
    return path;
}

const std::string& JoinPathInto(std::string& path, std::string_view folder, std::string_view name) {
    path.clear();
    path.reserve(folder.size() + name.size() + 1);
    path.append(folder);
    if (path.empty() || !IsSeparator(path.back())) {
        // A path keeps the one separator it was written with ("C:/x/y" as Qt
        // writes paths on Windows), else the platform's.
        const std::size_t last = kSeparators.size() > 1 ? folder.find_last_of(kSeparators) : std::string_view::npos;
        path.push_back(last == std::string_view::npos ? kSeparator : folder[last]);
    }
    path.append(name);
    return path;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    // Iterative wildcard match with backtracking to the last "*".
    std::size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace tcc
