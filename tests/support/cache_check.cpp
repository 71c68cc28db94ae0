#include "tests/support/cache_check.h"

#include <algorithm>
#include <random>

#include "commands/convert.h"
#include "commands/install.h"
#include "core/dry_run_disk.h"
#include "core/file_error.h"
#include "core/file_system.h"
#include "commands/sort.h"
#include "tests/support/recording_window.h"

namespace tcc {
namespace {

const model::Entry kFolder{model::Kind::Folder, "", false};

// One run of Convert, Sort and Install: what it noted and showed, its error numbers (0: none).
struct CommandRun : RecordingWindow {
    int convert = 0, sort = 0, install = 0;
    bool converted = false, overwrite = false;
    std::string fault;  // an operation outside the folder, a stream left open
};

// `log` is the in-memory disk below `disk`, if any, whose operations are checked.
void ConvertSortInstall(Disk& disk, const std::string& folder, CommandRun& run, const MemoryDisk* log) {
    CacheFolderState state(disk);
    state.ChooseFolder(folder);
    const std::size_t firstOp = log ? log->log().size() : 0;
    run.convert = ErrorOf([&] { RunConvert(state, run); });
    run.converted = state.cacheConverted;
    if (!run.convert) run.sort = ErrorOf([&] { RunSort(state, run); });
    const std::size_t installOp = log ? log->log().size() : 0;
    if (!run.convert && !run.sort) run.install = ErrorOf([&] { RunInstall(state, run, {"", run.overwrite}); });
    for (std::size_t i = firstOp; log && i < log->log().size(); ++i) {
        const std::string place = i < installOp ? folder : ParentOf(folder);  // install's is the game's folder
        for (const std::string& p : {log->log()[i].path, log->log()[i].path2}) {
            if (!p.empty() && p != place && !p.starts_with(place + "/")) run.fault = log->log()[i].kind + " outside: " + p;
        }
    }
    if (log && log->openStreams()) run.fault = "a stream left open";
}

}  // namespace

model::Tree Snapshot(Disk& disk, const std::string& root, const std::string& below) {
    model::Tree tree;
    std::string folder = below.empty() ? root : root + "/" + below;
    // One path, one spelling: the separator the root is written with.
    std::replace(folder.begin(), folder.end(), '/', root.find('\\') != std::string::npos ? '\\' : '/');
    for (const DirEntry& e : disk.ReadDir(folder)) {
        const std::string path = below.empty() ? e.name : below + "/" + e.name;
        if (e.type == EntryType::Folder) {
            tree[path] = kFolder;
            tree.merge(Snapshot(disk, root, path));
            continue;
        }
        std::string content;
        char buffer[4096];
        const auto stream = disk.OpenRead(JoinPath(folder, e.name));
        while (const std::size_t n = stream->Read(buffer, sizeof buffer)) content.append(buffer, n);
        tree[path] = {model::Kind::File, content, disk.Stat(JoinPath(folder, e.name)).readOnly};
    }
    return tree;
}

void Lay(MemoryDisk& disk, const std::string& root, const model::Tree& tree) {
    for (const auto& [path, entry] : tree) {
        if (entry.kind == model::Kind::Folder) disk.AddFolder(root + "/" + path);
        else disk.AddFile(root + "/" + path, entry.content, entry.readOnly);
    }
}

// Its index has odd headers, line ends, names with and without dots,
// duplicates, case variants, "/", "\\", "..", empty names, a second "="; then
// cached files present or missing, taken targets, other files, and sometimes
// a sort folder in some letter case holding files of the names the sort
// brings. Where the disk folds case, no two names in a folder differ only in case.
model::Tree RandomCache(unsigned seed, bool foldCase) {
    foldCase = foldCase || model::kFoldingDisk;
    std::mt19937 rng(seed);
    auto pick = [&](auto const& options) { return std::string(options[rng() % std::size(options)]); };
    const char* const keys[] = {"k1", "K1", "k2", "kA", "KA", "k.dot", "", "..", ".", "a/b", "a\\b", "../k1", "k\xe9"};
    const char* const names[] = {"a", "A", "b", "Map", "map", "MAP", "tex", "x y", "n\xe9", "e"};
    const char* const exts[] = {".unr", ".UNR", ".utx", ".uax", ".umx", ".u", ".U", ".dll", ".int", ".unk", ".txt",
                                ".uxx", ".un", ""};
    const char* const odd[] = {"", ".", "..", "a/b.unr", "a\\b.unr", "../System/keep.u", ".hidden.unr", "x.", ".unr",
                               "cache.ini", "Cache.INI", "k1.uxx", "Maps"};
    const char* const ends[] = {"\r\n", "\r\n", "\n", "\r"};
    const char* const folders[] = {"Maps", "maps", "System", "SYSTEM", "Unknown Extensions", "music"};
    model::Tree tree;
    int serial = 0;
    auto taken = [&](const std::string& path) {
        if (!foldCase) return tree.count(path) != 0;
        return std::any_of(tree.begin(), tree.end(), [&](const auto& e) { return model::Fold(e.first) == model::Fold(path); });
    };
    auto add = [&](const std::string& path, bool readOnly = false) {
        const std::size_t slash = path.find('/');
        const std::string base = path.substr(slash + 1);  // the whole path when it has no "/"
        if (base.empty() || base == "." || base == ".." || base.find_first_of(model::kFoldingDisk ? "/\\" : "/") != std::string::npos ||
            taken(path) || (model::kFoldingDisk && (base.back() == '.' || base.back() == ' ')) ||
            (slash != std::string::npos && !tree.count(path.substr(0, slash)))) {
            return;
        }
        tree[path] = {model::Kind::File, "#" + std::to_string(++serial) + " " + path, readOnly};
    };
    const char* const headers[] = {"[Cache]", "k1=Header.unr", ""};  // a header like a record is still a header
    std::string index = pick(headers);
    std::vector<std::pair<std::string, std::string>> records;
    for (int i = rng() % 25; i > 0; --i) {
        const std::string key = pick(keys), real = rng() % 5 ? pick(names) + pick(exts) : pick(odd);
        records.push_back({key, real});
        index += pick(ends) + key + (rng() % 10 == 0 ? "" : "=" + real) + (rng() % 10 == 0 ? "=" + pick(names) : "");
    }
    tree["cache.ini"] = {model::Kind::File, index + (rng() % 2 ? pick(ends) : ""), false};
    for (const auto& [key, real] : records) {
        std::string upper = key;
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (rng() % 5) add((rng() % 6 ? key : upper) + (rng() % 6 ? ".uxx" : ".UXX"));
        if (rng() % 6 == 0) add(real.find('.') == std::string::npos ? real + ".unk" : real);
    }
    for (int i = rng() % 6; i > 0; --i) add(pick(names) + pick(exts));
    if (rng() % 3 == 0) {
        const std::string folder = pick(folders);
        if (foldCase && taken(folder)) return tree;
        tree[folder] = kFolder;
        for (int i = 1 + rng() % 6; i > 0; --i) add(folder + "/" + pick(names) + pick(exts), rng() % 8 == 0);
    }
    return tree;
}

std::string ConvertSortInstallAsTheRulesSay(Disk& disk, const std::string& root, const model::Tree& start,
                                            const model::Tree& outside, bool windowsDisk, bool overwrite) {
    // Errors where the rules see them and only there, the sort's message the
    // only one, every file where the rules put it, and the dry run changing
    // nothing while foreseeing every action, error and file of the real run.
    const std::string cache = root + "/game/Cache";
    model::Tree rules = start;
    const bool convertOk = model::Convert(rules, start.at("cache.ini").content, windowsDisk),
               sortOk = convertOk && model::Sort(rules, windowsDisk);
    model::Tree expected = outside;
    for (const auto& [path, entry] : rules) expected["game/Cache/" + path] = entry;
    const bool installOk = sortOk && model::Install(expected, "game/Cache/", "game/", overwrite, windowsDisk);
    const MemoryDisk* log = dynamic_cast<const MemoryDisk*>(&disk);
    DryRunDisk dryRunDisk(disk);
    const model::Tree before = Snapshot(disk, root);
    CommandRun dry, real;
    dry.overwrite = real.overwrite = overwrite;
    ConvertSortInstall(dryRunDisk, cache, dry, log);
    const model::Tree foreseen = Snapshot(dryRunDisk, root);
    if (std::string diff = model::Diff(before, Snapshot(disk, root)); !diff.empty()) return "the dry run wrote: " + diff;
    ConvertSortInstall(disk, cache, real, log);
    if (!dry.fault.empty() || !real.fault.empty()) return dry.fault + real.fault;
    if (std::tuple(real.convert != 0, real.converted, real.sort != 0, real.install != 0) !=
        std::tuple(!convertOk, convertOk, convertOk && !sortOk, sortOk && !installOk)) {
        return "errors " + std::to_string(real.convert) + " " + std::to_string(real.sort) + " " +
               std::to_string(real.install) + " where the rules say otherwise";
    }
    if (real.messages.size() != std::size_t(sortOk)) return "a message other than the sort's last";
    if (!(dry.notes == real.notes) || std::tie(dry.convert, dry.sort, dry.install) != std::tie(real.convert, real.sort, real.install)) {
        return "the dry run foresaw other actions or errors";
    }
    const model::Tree got = Snapshot(disk, root);
    if (std::string diff = model::Diff(expected, got); !diff.empty()) return "not as the rules say: " + diff;
    if (std::string diff = model::Diff(got, foreseen); !diff.empty()) return "not as the dry run foresaw: " + diff;
    return "";
}

model::Tree RandomGame(unsigned seed, const model::Tree& start, bool windowsDisk) {
    model::Tree cache = start, game = {{"System", kFolder}};
    model::Convert(cache, start.at("cache.ini").content, windowsDisk);
    model::Sort(cache, windowsDisk);
    std::mt19937 rng(seed);
    for (const auto& [path, entry] : cache) {
        const std::size_t slash = path.find('/');
        if (entry.kind != model::Kind::File || slash == std::string::npos || rng() % 3 == 0) continue;
        std::string folder = model::Lookup(game, path.substr(0, slash)), name = path.substr(slash + 1);
        if (folder.empty()) game[folder = path.substr(0, slash)] = kFolder;
        if (!model::Lookup(game, name, folder + "/").empty()) continue;
        const std::string at = folder + "/" + (rng() % 3 ? name : model::Fold(name));
        const unsigned kind = rng() % 6;
        game[at] = kind == 5 ? kFolder : model::Entry{model::Kind::File, kind == 0 ? entry.content : "game's " + at, kind == 1};
        if (kind == 3 || kind == 4) game[at + ".bak"] = {model::Kind::File, kind == 3 ? game[at].content : "older", false};
    }
    if (rng() % 10 == 0 && model::Lookup(game, "sounds").empty()) game["sounds"] = {model::Kind::File, "a file", false};
    return game;
}

}  // namespace tcc
