#include "tests/support/cache_model.h"

#include <algorithm>
#include <vector>

namespace tcc::model {
namespace {

// CR LF, LF or a lone CR ends a line; a last line without an end counts.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(text.size(), end + (text.substr(end, 2) == "\r\n" ? 2 : 1)));
    }
    return lines;
}

// A name the folder can hold: one component, at most 255 bytes.
bool Inside(std::string_view name, bool onWindowsDisk) {
    if (name.size() > 255 || onWindowsDisk && (name.back() == '.' || name.back() == ' ' || name.find_first_of("<>:\"|?*") != name.npos)) {
        return false;
    }
    return name != "." && name != ".." && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// The folder's own entry named `name` as the program finds it: the exact
// name, else the smallest that equals it without regard to case; "" if none.
std::string Lookup(const Tree& tree, const std::string& name) {
    if (tree.count(name)) return name;
    for (const auto& [path, entry] : tree) {
        if (path.find('/') == std::string::npos && Fold(path) == Fold(name)) return path;
    }
    return {};
}

}  // namespace

std::string Fold(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    for (std::size_t at; (at = out.find("\xC3\x89")) != std::string::npos;) out[at + 1] = '\xA9';
    return out;
}

bool Convert(Tree& tree, std::string_view index, bool onWindowsDisk) {
    std::vector<std::string_view> lines = Lines(index);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string cached = std::string(line.substr(0, eq)) + ".uxx";
        std::string real(line.substr(eq + 1, line.find('=', eq + 1) - eq - 1));
        if (real.empty()) continue;  // no real name
        std::string target = real.find('.') != std::string::npos ? real : real + ".unk";
        if (!Inside(cached, onWindowsDisk) || !Inside(target, onWindowsDisk)) continue;
        std::string from = Lookup(tree, cached), taken = Lookup(tree, target);
        if (from.empty() || tree[from].kind != Kind::File || (!taken.empty() && tree[taken].kind == Kind::File)) continue;
        if (!taken.empty()) return false;  // a folder holds the name: the rename fails
        tree[target] = tree[from];
        tree.erase(from);
    }
    return true;
}

bool Sort(Tree& tree, bool onWindowsDisk) {
    for (const char* name : {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"}) {
        std::string found = Lookup(tree, name);
        if (found.empty()) tree[name] = {Kind::Folder, "", false};
        else if (tree[found].kind != Kind::Folder) return false;  // a file holds the folder's name
    }
    const std::pair<std::string_view, const char*> passes[] = {
        {".unr", "Maps"}, {".utx", "Textures"}, {".uax", "Sounds"}, {".umx", "Music"},
        {".unk", "Unknown Extensions"}, {".u", "System"}, {".dll", "System"}, {".int", "System"}};
    std::vector<std::vector<std::string>> byPass(std::size(passes));
    for (const auto& [name, entry] : tree) {  // visible files, in name order, by their first matching pass
        if (entry.kind != Kind::File || name.find('/') != std::string::npos || (!onWindowsDisk && name[0] == '.')) continue;
        for (std::size_t p = 0; p < std::size(passes); ++p) {
            if (Fold(name).ends_with(passes[p].first)) {
                byPass[p].push_back(name);
                break;
            }
        }
    }
    std::vector<std::string> movedIn;  // folded paths this sort moved in
    for (std::size_t p = 0; p < std::size(passes); ++p) {
        const std::string folder = Lookup(tree, passes[p].second) + "/";
        for (const std::string& name : byPass[p]) {
            if (std::find(movedIn.begin(), movedIn.end(), Fold(folder + name)) != movedIn.end()) continue;
            movedIn.push_back(Fold(folder + name));
            std::vector<std::string> sameNamed;
            for (const auto& [path, entry] : tree) {
                std::string rest = path.substr(std::min(path.size(), folder.size()));
                if (path.starts_with(folder) && rest.find('/') == std::string::npos && Fold(rest) == Fold(name)) {
                    if (entry.kind != Kind::File || entry.readOnly) return false;
                    sameNamed.push_back(path);
                }
            }
            for (const std::string& other : sameNamed) tree.erase(other);
            tree[folder + name] = tree[name];
            tree.erase(name);
        }
    }
    return true;
}

std::string Diff(const Tree& want, const Tree& got) {
    for (const auto& [path, entry] : want) {
        if (!got.count(path) || !(got.at(path) == entry)) return (got.count(path) ? "changed " : "missing ") + path;
    }
    for (const auto& [path, entry] : got) {
        if (!want.count(path)) return "unexpected " + path;
    }
    return "";
}

}  // namespace tcc::model
