#include "tests/support/cache_model.h"

#include <vector>

namespace tcc::model {
namespace {

// The index's lines: CR LF, LF or a lone CR ends a line; a last line
// without an end still counts.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool Inside(std::string_view name) {
    if (name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

std::string Join(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + "/" + name;
}

}  // namespace

std::string Fold(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return out;
}

std::string Lookup(const Tree& tree, const std::string& dir, const std::string& name) {
    std::string exact = Join(dir, name);
    if (tree.count(exact)) return exact;
    const std::string prefix = dir.empty() ? "" : dir + "/";
    const std::string folded = Fold(name);
    for (const auto& [path, entry] : tree) {  // in name order: the first is the smallest
        if (path.compare(0, prefix.size(), prefix) != 0) continue;
        std::string rest = path.substr(prefix.size());
        if (rest.find('/') == std::string::npos && Fold(rest) == folded) return path;
    }
    return {};
}

bool Convert(Tree& tree, std::string_view index) {
    std::vector<std::string_view> lines = Lines(index);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(line.substr(0, eq));
        std::size_t eq2 = line.find('=', eq + 1);
        std::string real(line.substr(eq + 1, eq2 == std::string_view::npos ? std::string_view::npos : eq2 - eq - 1));
        std::string cached = key + ".uxx";
        std::string target = real.find('.') != std::string::npos ? real : real + ".unk";
        if (!Inside(cached) || !Inside(target)) continue;

        std::string from = Lookup(tree, "", cached);
        if (from.empty() || tree[from].kind != Kind::File) continue;
        std::string taken = Lookup(tree, "", target);
        if (!taken.empty() && tree[taken].kind == Kind::File) continue;
        if (!taken.empty()) return false;  // a folder holds the name: the rename fails
        Entry moved = tree[from];
        tree.erase(from);
        tree[target] = moved;
    }
    return true;
}

bool Sort(Tree& tree) {
    for (const char* name : {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"}) {
        std::string found = Lookup(tree, "", name);
        if (found.empty()) {
            tree[name] = {Kind::Folder, "", false};
        } else if (tree[found].kind != Kind::Folder) {
            return false;  // a file holds the folder's name
        }
    }

    struct Pass {
        const char* extension;
        const char* folder;
    };
    const Pass passes[] = {{".unr", "Maps"},   {".utx", "Textures"}, {".uax", "Sounds"},
                           {".umx", "Music"},  {".unk", "Unknown Extensions"},
                           {".u", "System"},   {".dll", "System"},  {".int", "System"}};
    std::vector<std::string> names;  // the folder's visible files, in name order
    for (const auto& [path, entry] : tree) {
        if (entry.kind == Kind::File && path.find('/') == std::string::npos && path[0] != '.') names.push_back(path);
    }
    std::vector<std::vector<std::string>> byPass(std::size(passes));
    for (const std::string& name : names) {
        const std::string folded = Fold(name);
        for (std::size_t p = 0; p < std::size(passes); ++p) {
            std::string_view ext = passes[p].extension;
            if (folded.size() >= ext.size() && folded.compare(folded.size() - ext.size(), ext.size(), ext) == 0) {
                byPass[p].push_back(name);
                break;
            }
        }
    }
    for (std::size_t p = 0; p < std::size(passes); ++p) {
        const std::string folder = Lookup(tree, "", passes[p].folder);
        for (const std::string& name : byPass[p]) {
            std::vector<std::string> sameNamed;
            for (const auto& [path, entry] : tree) {
                if (path.compare(0, folder.size() + 1, folder + "/") != 0) continue;
                std::string rest = path.substr(folder.size() + 1);
                if (rest.find('/') == std::string::npos && Fold(rest) == Fold(name)) sameNamed.push_back(path);
            }
            for (const std::string& other : sameNamed) {
                if (tree[other].kind != Kind::File || tree[other].readOnly) return false;
            }
            for (const std::string& other : sameNamed) tree.erase(other);
            Entry moved = tree[name];
            tree.erase(name);
            tree[folder + "/" + name] = moved;
        }
    }
    return true;
}

}  // namespace tcc::model
