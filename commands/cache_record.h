#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tcc {

// A record of the index: the key and the real name. Field 1, the real name,
// ends at the next "="; further fields are ignored.
struct Record {
    std::string_view key, realName;
};

// The record of an index line; none for a line without "=", which has no
// real name.
inline std::optional<Record> ReadRecord(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::size_t end = line.find('=', eq + 1);
    return Record{line.substr(0, eq), line.substr(eq + 1, end == std::string_view::npos ? end : end - eq - 1)};
}

// The name of a record's cached file, its key and ".uxx", into `name`.
inline void CachedName(std::string_view key, std::string& name) { name.assign(key).append(".uxx"); }

}  // namespace tcc
