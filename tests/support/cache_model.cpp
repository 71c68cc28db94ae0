#include "tests/support/cache_model.h"

#include <algorithm>
#include <set>
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

// A name that stays inside the folder: one component.
bool Inside(std::string_view name) {
    return name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos;
}

// A name the disk can give as written.
bool Holds(std::string_view name, const Volume& volume) {
    if (!volume.windowsNames) return true;
    const bool control = std::any_of(name.begin(), name.end(), [](unsigned char c) { return c < 32; });
    return name.size() <= 255 && name.back() != '.' && name.back() != ' ' && !control && name.find_first_of("<>:\"|?*") == name.npos;
}

}  // namespace

std::string Lookup(const Tree& tree, const std::string& name, const std::string& folder) {
    const std::string prefix = folder.empty() ? "" : folder + "/", path = prefix + name;
    std::string found;
    for (auto it = tree.lower_bound(prefix); it != tree.end() && it->first.starts_with(prefix); ++it) {
        const std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (rest.find('/') == rest.npos && Fold(rest) == Fold(name) && (found.empty() || it->first == path)) found = it->first;
    }
    return found;
}

std::string Fold(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    for (std::size_t at; (at = out.find("\xC3\x89")) != std::string::npos;) out[at + 1] = '\xA9';
    return out;
}

bool Convert(Tree& tree, std::string_view index, const Volume& volume, Notes& notes) {
    std::vector<std::string_view> lines = Lines(index);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key(line.substr(0, eq)), real(line.substr(eq + 1, line.find('=', eq + 1) - eq - 1));
        const std::string cached = key + ".uxx", target = real.find('.') != std::string::npos ? real : real + ".unk";
        const std::string from = Lookup(tree, cached), taken = Lookup(tree, target);
        auto skip = [&](const char* why) { notes.push_back("skip " + key + ": " + why); };
        if (real.empty()) skip("no real name");
        else if ((key + real).find('\0') != std::string::npos) skip("name holds a NUL byte");
        else if (!Inside(cached) || !Inside(target)) skip("name leaves the folder");
        else if (!Holds(cached, volume) || !Holds(target, volume)) skip("name not allowed on this disk");
        else if (!volume.windowsNames && target[0] == '.') skip("name would be hidden");
        else if (from.empty() || tree.at(from).kind != Kind::File) skip("cached file missing");
        else if (!taken.empty() && tree.at(taken).kind == Kind::File) skip("target taken");
        else if (!taken.empty()) return false;  // a folder holds the name: the rename fails
        else if (target.size() > std::min<std::size_t>(255, volume.room)) skip("name too long");
        else {
            notes.push_back("rename " + from + " -> " + target);
            tree[target] = tree.at(from);
            tree.erase(from);
        }
    }
    return true;
}

bool Sort(Tree& tree, const Volume& volume, Notes& notes) {
    for (const std::string name : {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"}) {
        const std::string found = Lookup(tree, name);
        if (!found.empty() && tree.at(found).kind != Kind::Folder) return false;  // a file holds the folder's name
        if (found.empty()) tree[name] = kFolder, notes.push_back("make folder " + name);
    }
    const std::pair<std::string_view, const char*> passes[] = {
        {".unr", "Maps"}, {".utx", "Textures"}, {".uax", "Sounds"}, {".umx", "Music"},
        {".unk", "Unknown Extensions"}, {".u", "System"}, {".dll", "System"}, {".int", "System"}};
    const Tree top = tree;  // the visible files of each pass, in name order, taken before any move
    for (const auto& [extension, sub] : passes) {
        const std::string folder = Lookup(tree, sub);
        const bool itself = tree.at(folder).link == ".";  // a link to the cache folder
        for (const auto& [name, entry] : top) {
            const bool visible = entry.kind == Kind::File && name.find('/') == name.npos && (volume.windowsNames || name[0] != '.');
            if (!visible || !Fold(name).ends_with(extension)) continue;
            const std::string path = folder + "/" + name, held = Lookup(tree, name, folder);
            // Where case counts, a name in other case is another file's; neither a link nor a name of one file moves or is replaced.
            const std::string why = itself ? "the sort folder is the Cache folder" : !entry.link.empty() ? "a link" : held.empty() ? "" : held != path && !volume.foldsCase ? held + " holds its name in other case"
                                    : !tree.at(held).link.empty() ? held + " is a link" : entry.file && tree.at(held).file == entry.file ? "another name of " + held : "";
            if (!why.empty()) {
                notes.push_back("skip " + name + ": " + why);
            } else if (path.size() > volume.room) {
                notes.push_back("skip " + name + ": name too long");
            } else if ((!held.empty() && (tree.at(held).kind != Kind::File || tree.at(held).readOnly)) ||
                       (volume.permissions && tree.at(folder).readOnly)) {
                return false;
            } else {
                notes.push_back(held.empty() ? "move " + name + " -> " + path : "replace " + path);
                tree.erase(held);
                tree[path] = tree.at(name);
                tree.erase(name);
            }
        }
    }
    return true;
}


bool Install(Tree& tree, const std::string& cache, const std::string& game, bool overwrite, const Volume& volume,
             Notes& notes) {
    std::set<std::string> brought;  // the game's files this install made
    for (const std::string folder : {"Maps", "System", "Textures", "Sounds", "Music"}) {
        const std::string from = Lookup(tree, folder, cache);
        if (from.empty() || tree.at(from).kind != Kind::Folder) continue;
        // A linked sort folder holds its target's files (the caches' links: "." and "../NAME").
        const std::string link = tree.at(from).link, real = link.empty() ? from : link == "." ? cache : game + link.substr(2);
        if (real == cache) { notes.push_back("skip " + from.substr(cache.size() + 1) + ": the sort folder is the Cache folder"); continue; }
        std::vector<std::string> files;  // visible files, in name order
        for (auto it = tree.lower_bound(real + "/"); it != tree.end() && it->first.starts_with(real + "/"); ++it) {
            const std::string_view name = std::string_view(it->first).substr(real.size() + 1);
            if (it->second.kind == Kind::File && name.find('/') == name.npos && (volume.windowsNames || name[0] != '.')) {
                files.push_back(it->first);
            }
        }
        if (files.empty()) continue;
        std::string to = Lookup(tree, folder, game);
        if (to.empty()) tree[to = game + "/" + folder] = kFolder, notes.push_back("make folder " + to);
        if (tree.at(to).kind != Kind::Folder) return false;  // a file holds the folder's name
        // Nothing can be taken out of a read-only sort folder: a move fails
        // before anything is copied, also between devices.
        const bool locked = volume.permissions && tree.at(from).readOnly;
        for (const std::string& src : files) {
            const std::string name = src.substr(real.size() + 1), shown = from.substr(cache.size() + 1) + "/" + name;
            const std::string found = Lookup(tree, name, to), there = found.empty() ? to + "/" + name : found;
            const std::string onDisk = there.substr(to.size() + 1), held = "the game's " + there.substr(game.size() + 1);
            auto skip = [&](const std::string& why) { notes.push_back("skip " + shown + ": " + why); };
            auto bring = [&](const std::string& line) {
                if (locked) return false;
                brought.insert(there);
                tree[there] = tree.at(src);
                notes.push_back(line);
                tree.erase(src);
                return true;
            };
            const auto same = [&](const std::string& a, const std::string& b) { return tree.at(a).file && tree.at(a).file == tree.at(b).file; };
            if (real == to || !tree.at(src).link.empty()) {
                skip(real == to ? "the sort folder is the game's own" : "a link");
            } else if (found.empty()) {
                if (!bring("install " + shown)) return false;
            } else if (brought.count(there)) {
                skip("target taken");
            } else if (onDisk != name && !volume.foldsCase) {
                skip(held + " holds its name in other case");
            } else if (!tree.at(there).link.empty() || same(src, there)) {
                skip(tree.at(there).link.empty() ? "another name of " + held : held + " is a link");
            } else if (tree.at(there).kind != Kind::File) {
                skip("a folder of that name in the game");
            } else if (tree.at(there).content == tree.at(src).content) {
                if (locked) return false;
                notes.push_back("same " + shown + ": already installed");
                tree.erase(src);
            } else if (!overwrite) {
                skip("the game has another version");
            } else if (tree.at(there).readOnly) {
                skip("the game's copy is read-only");
            } else if (const std::string kept = Lookup(tree, onDisk + ".bak", to);
                       !kept.empty() && (!tree.at(kept).link.empty() || same(kept, there) || tree.at(kept).kind != Kind::File || tree.at(kept).content != tree.at(there).content)) {
                skip(kept.substr(to.size() + 1) + (!tree.at(kept).link.empty() ? " is a link" : same(kept, there) ? " is another name of " + onDisk : " already in the game"));
            } else {
                if (kept.empty()) brought.insert(there + ".bak"), tree[there + ".bak"] = {Kind::File, tree.at(there).content, false};
                if (!bring("install " + shown + ", the game's old copy kept as " + onDisk + ".bak")) return false;
            }
        }
    }
    for (const std::string folder : {"Maps", "System", "Textures", "Sounds", "Music", "Unknown Extensions"}) {
        const std::string sub = Lookup(tree, folder, cache);
        if (sub.empty() || tree.at(sub).kind != Kind::Folder || !tree.at(sub).link.empty()) continue;  // a link stays
        const auto below = tree.lower_bound(sub + "/");
        if (below != tree.end() && below->first.starts_with(sub + "/")) continue;
        notes.push_back("remove folder " + sub.substr(cache.size() + 1));
        tree.erase(sub);
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
