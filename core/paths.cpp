#include "core/paths.h"

#include <algorithm>

#include "core/disk.h"

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

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + name.size() + 1);
    path.append(folder);
    // A path keeps the one separator it was written with ("C:/x/y" as Qt
    // writes paths on Windows), else the platform's.
    const std::size_t last = folder.find_last_of(kSeparators);
    if (path.empty() || !IsSeparator(path.back())) path.push_back(last == std::string_view::npos ? kSeparator : folder[last]);
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
