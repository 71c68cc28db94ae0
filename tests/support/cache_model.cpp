#include "tests/support/cache_model.h"

#include <algorithm>
#include <set>
#include <span>
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

}  // namespace

std::string Lookup(const Tree& tree, const std::string& name, const std::string& in) {
    if (tree.count(in + name)) return in + name;
    for (const auto& [path, entry] : tree) {
        if (path.starts_with(in) && path.find('/', in.size()) == std::string::npos && Fold(path.substr(in.size())) == Fold(name)) return path;
    }
    return {};
}

std::string Fold(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
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

bool Install(Tree& tree, const std::string& cache, const std::string& game, bool overwrite, bool onWindowsDisk) {
    std::set<std::string> movedIn;  // paths this install moved in or made
    const char* const folders[] = {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"};
    for (const char* name : std::span(folders, 5)) {
        const std::string from = Lookup(tree, name, cache) + "/", to = Lookup(tree, name, game), in = (to.empty() ? game + name : to) + "/";
        std::vector<std::string> files;  // visible files, in name order
        for (auto it = tree.lower_bound(from); from.size() > 1 && it != tree.end() && it->first.starts_with(from); ++it) {
            if (it->second.kind == Kind::File && it->first.find('/', from.size()) == std::string::npos && (onWindowsDisk || it->first[from.size()] != '.')) files.push_back(it->first);
        }
        if (files.empty()) continue;
        if (!to.empty() && tree[to].kind != Kind::Folder) return false;  // a file holds the folder's name
        tree[in.substr(0, in.size() - 1)].kind = Kind::Folder;
        for (const std::string& src : files) {
            std::string there = Lookup(tree, src.substr(from.size()), in);
            const Entry old = there.empty() ? tree[src] : tree[there];
            const std::string bak = there.empty() ? "" : Lookup(tree, there.substr(in.size()) + ".bak", in);
            if (there.empty()) there = in + src.substr(from.size());
            else if (movedIn.count(there) || old.kind != Kind::File) continue;
            else if (old.content == tree[src].content) there.clear();  // already installed
            else if (!overwrite || old.readOnly || (!bak.empty() && !(tree[bak] == old))) continue;
            else if (bak.empty()) movedIn.insert(there + ".bak"), tree[there + ".bak"] = old;
            if (!there.empty()) movedIn.insert(there), tree[there] = tree[src];
            tree.erase(src);
        }
    }
    for (const char* name : folders) {  // the sort folders left empty go
        const std::string sub = Lookup(tree, name, cache);
        const auto below = tree.lower_bound(sub + "/");
        if (!sub.empty() && tree[sub].kind == Kind::Folder && (below == tree.end() || !below->first.starts_with(sub + "/"))) tree.erase(sub);
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
