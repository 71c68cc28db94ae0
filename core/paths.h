#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tcc {

// The platform's path separator. Paths are strings: bytes as they are on
// Linux, UTF-8 text on Windows (UTF-16 only at the system's interface).
// On Windows "/" separates too, as the system itself takes it.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr std::string_view kSeparators = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparators = "/";
#endif

// Does name match a pattern of "*" and "?" wildcards, without regard to case?
bool MatchesPattern(const std::string& name, const std::string& pattern);
// Compare names without regard to letter case (ASCII letters fold).
std::string FoldCase(std::string_view name);
// Are two names equal without regard to letter case, and a hash that is the
// same for such names (without making the folded copy).
bool EqualFolded(std::string_view a, std::string_view b);
std::size_t HashFolded(std::string_view name);
// Is c a path separator here ("/"; "\\" or "/" on Windows)?
bool IsPathSeparator(char c);
// The length of the root a path starts with: 1 for "/", 3 for "C:\\" on
// Windows, 0 for a relative path.
std::size_t PathRootLength(std::string_view path);
// A path without separators at its end, but with its root.
std::string_view TrimmedPath(std::string_view path);
// The last component of a path.
std::string LastComponent(std::string_view path);
// Splits a trimmed path into parent and name; the parent of "/x" is "/".
// False when it has no parent.
bool SplitPath(std::string_view path, std::string_view* parent, std::string_view* name);
// Joins a folder path and a name with the platform separator.
std::string JoinPath(std::string_view folder, std::string_view name);
// The same into `path`, whose buffer is reused.
const std::string& JoinPathInto(std::string& path, std::string_view folder, std::string_view name);

}  // namespace tcc
