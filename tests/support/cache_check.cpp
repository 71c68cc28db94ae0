#include "tests/support/cache_check.h"

#include <algorithm>
#include <random>

#include "commands/convert.h"
#include "commands/install.h"
#include "core/dry_run_disk.h"
#include "commands/sort.h"
#include "tests/support/recording_reporter.h"

namespace tcc {
namespace {

// The commands each run makes, in order: a second round meets what the
// first left, and the install takes what the sorts made.
enum class Step { Convert, Sort, Install };
const Step kSteps[] = {Step::Convert, Step::Sort, Step::Convert, Step::Sort, Step::Install};
constexpr std::size_t kNoStep = std::size(kSteps);

// One run of the steps: what they noted and showed, the step that stopped
// with an error and its text.
struct CommandRun : RecordingReporter {
    std::size_t failed = kNoStep;
    std::string error;
    model::Notes lines;
    std::string fault;  // an operation outside the folder, a stream left open, a wrong progress
};

// All that a stream reads.
std::string ReadAll(ReadStream& stream) {
    std::string content;
    char buffer[4096];
    while (const std::size_t n = stream.Read(buffer, sizeof buffer)) content.append(buffer, n);
    return content;
}

// A note with paths as the model gives them: with "/" and below root (in
// either separator); the install's notes name files by their path.
std::string Line(FileAction a, const std::string& root, bool install) {
    std::string below = root + "/";
    for (std::string* path : {&a.name, &a.target, &a.reason, &below}) {
        if (path != &a.name || install) std::replace(path->begin(), path->end(), kSeparator, '/');
    }
    if (a.name.starts_with(below)) a.name.erase(0, below.size());
    return Describe(a);
}

// The progress of a command that ran to its end rises to `total` and stops there.
bool RisesTo(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& progress, std::uint64_t total) {
    return !progress.empty() && progress.back() == std::pair(total, total) && std::is_sorted(progress.begin(), progress.end()) &&
           std::all_of(progress.begin(), progress.end(), [&](const auto& p) { return p.second == total; });
}

// `log` is the in-memory disk below `disk`, if any, whose operations are checked.
void RunSteps(Disk& disk, const std::string& root, std::uint64_t indexSize, bool overwrite, CommandRun& run,
              const MemoryDisk* log) {
    const std::string folder = root + "/game/Cache";
    CacheFolderState state(disk);
    state.ChooseFolder(folder);
    const std::size_t firstOp = log ? log->log().size() : 0;
    std::size_t installOp = SIZE_MAX, installNote = SIZE_MAX;
    for (std::size_t step = 0; step < kNoStep && run.failed == kNoStep; ++step) {
        const std::size_t notes = run.notes.size();
        run.progress.clear();
        if (kSteps[step] == Step::Install) installOp = log ? log->log().size() : 0, installNote = notes;
        run.error = ErrorText([&] {
            if (kSteps[step] == Step::Convert) RunConvert(state, run);
            if (kSteps[step] == Step::Sort) RunSort(state, run);
            if (kSteps[step] == Step::Install) RunInstall(state, run, {"", overwrite});
        });
        if (!run.error.empty()) run.failed = step;
        // The sort and the install count the files they take up, one note
        // each; the conversion the index's bytes.
        const std::uint64_t total = kSteps[step] == Step::Convert ? indexSize : std::count_if(run.notes.begin() + notes, run.notes.end(), [](const FileAction& a) {
            return a.kind != FileAction::Kind::MakeFolder && a.kind != FileAction::Kind::RemoveFolder;
        });
        if (run.failed == kNoStep && !RisesTo(run.progress, total)) run.fault = "a progress not rising to its total";
    }
    for (std::size_t i = 0; i < run.notes.size(); ++i) run.lines.push_back(Line(run.notes[i], root, i >= installNote));
    for (std::size_t i = firstOp; log && i < log->log().size(); ++i) {
        const std::string place = i < installOp ? folder : ParentOf(folder);  // install's is the game's folder
        for (const std::string& p : {log->log()[i].path, log->log()[i].path2}) {
            if (!p.empty() && p != place && !p.starts_with(place + "/")) run.fault = log->log()[i].kind + " outside: " + p;
        }
    }
    if (log && log->openStreams()) run.fault = "a stream left open";
}

}  // namespace

const model::Tree kOutside = {{"game", model::kFolder}, {"game/Cache", model::kFolder}, {"game/System", model::kFolder},
                              {"game/System/keep.u", {model::Kind::File, "keep.u"}}, {"k1.uxx", {model::Kind::File, "k1.uxx"}},
                              {"game/k1.uxx", {model::Kind::File, "game k1.uxx"}}, {"game/Cache2", model::kFolder},
                              {"game/Cache2/A.uxx", {model::Kind::File, "Cache2"}}};

model::Tree Snapshot(Disk& disk, const std::string& root, const std::string& below) {
    model::Tree tree;
    std::string folder = below.empty() ? root : root + "/" + below;
    // One path, one spelling: the separator the root is written with.
    std::replace(folder.begin(), folder.end(), '/', root.find('\\') != std::string::npos ? '\\' : '/');
    for (const DirEntry& e : disk.ReadDir(folder)) {
        const std::string path = below.empty() ? e.name : below + "/" + e.name, file = JoinPath(folder, e.name);
        const std::string link = e.link ? "?" : "";  // a link is known as one: its text is not read, nor its folder entered
        if (e.type == EntryType::Folder) tree[path] = {model::Kind::Folder, "", false, link}, tree.merge(e.link ? model::Tree{} : Snapshot(disk, root, path));
        else tree[path] = {model::Kind::File, e.link ? "" : ReadAll(*disk.OpenRead(file)), disk.Stat(file).readOnly, link};
    }
    return tree;
}

void Lay(MemoryDisk& disk, const std::string& root, const model::Tree& tree) {
    for (const auto& [path, entry] : tree) {
        if (entry.kind == model::Kind::Folder) disk.AddFolder(root + "/" + path, entry.readOnly);
        else disk.AddFile(root + "/" + path, entry.content, entry.readOnly);
    }
}

// Its index has odd headers and line ends, names with no, one or several dots,
// a leading dot, control bytes, a NUL, too long for a sort folder or any,
// duplicates, case variants, letters beyond ASCII, "/", "\\", "..", empty names, a second "="; then
// cached files present, missing or folders, taken targets, other files, now
// and then a file named like a sort folder, and sometimes a sort folder
// (read-only where the disk keeps permissions) holding files of names the
// sort brings. Names fit the disk, and differ in more than case where it folds.
model::Tree RandomCache(unsigned seed, const model::Volume& volume) {
    using namespace std::literals;
    std::mt19937 rng(seed);
    auto pick = [&](auto const& options) { return std::string(options[rng() % std::size(options)]); };
    const std::string longName(30, 'L'), tooLong(300, 'T');
    // Beyond ASCII: é as a byte of Latin-1 where names are bytes and case
    // counts (Linux), as text on Windows and where the disk folds case; there
    // also É, and on Windows 陰, 餌, ソ and 表, whose second byte in code page
    // 932 is "A", "a", "\\", "\\".
    const std::string e = model::kFoldingDisk || volume.foldsCase ? "\xC3\xA9" : "\xE9";
    std::vector<std::string> keys = {"k1", "K1", "k2", "kA", "KA", "k.dot", "", "..", ".", "a/b", "a\\b", "../k1", "k" + e,
                                     ".k", std::string("k\0"sv), "k\x01"};
    std::vector<std::string> names = {"a", "A", "b", "Map", "map", "MAP", "tex", "x y", "n" + e, "e", "a.b", ".x", "c\x1b", longName,
#ifdef _WIN32
                                      "N\xC3\x89", "\xE9\x99\xB0", "\xE9\xA4\x8C", "\xE3\x82\xBD\xE8\xA1\xA8"
#endif
    };
    if (volume.foldsCase && !model::kFoldingDisk) keys.push_back("k\xC3\x89"), names.push_back("N\xC3\x89");
    const std::string_view exts[] = {".unr", ".UNR", ".utx", ".uax", ".umx", ".u", ".U", ".dll", ".int", ".unk", ".txt",
                                     ".uxx", ".un", ""};
    const std::string_view odd[] = {"", ".", "..", "a/b.unr", "a\\b.unr", "../System/keep.u", ".hidden.unr", "x.", ".unr",
                                    "cache.ini", "Cache.INI", "k1.uxx", "Maps", "a\0b.unr"sv, tooLong};
    const char* const ends[] = {"\r\n", "\r\n", "\n", "\r"};
    const char* const folders[] = {"Maps", "maps", "System", "SYSTEM", "Unknown Extensions", "music"};
    const char* const ownExts[] = {".unr", ".UNR", ".dll", ".u", ".unk", ".umx"};  // of files sorted there
    model::Tree tree;
    int serial = 0;
    auto taken = [&](const std::string& path) {
        if (!volume.foldsCase) return tree.count(path) != 0;
        return std::any_of(tree.begin(), tree.end(), [&](const auto& e) { return model::Fold(e.first) == model::Fold(path); });
    };
    // An entry of a name the disk can hold (on Windows none holds "\\"), in a folder there is.
    auto add = [&](const std::string& path, model::Kind kind = model::Kind::File, bool readOnly = false) {
        const std::size_t slash = path.find('/');
        const std::string base = path.substr(slash + 1);  // the whole path when it has no "/"
        const bool control = std::any_of(base.begin(), base.end(), [](unsigned char c) { return c < 32; });
        if (base.empty() || base == "." || base == ".." || base.size() > 255 || path.size() > volume.room ||
            base.find_first_of(model::kFoldingDisk ? "/\\\0"sv : "/\0"sv) != std::string::npos || taken(path) ||
            (volume.windowsNames && (base.back() == '.' || base.back() == ' ' || control)) ||
            (slash != std::string::npos && (!tree.count(path.substr(0, slash)) || tree.at(path.substr(0, slash)).kind != model::Kind::Folder))) {
            return;
        }
        std::string content = kind == model::Kind::File ? "#" + std::to_string(++serial) + " " + path : "";
        if (volume.large && !content.empty() && rng() % 8 == 0) content.resize(65536 + (rng() % 2 ? 0 : 1 + rng() % 5000), '.');  // a chunk and more
        tree[path] = {kind, content, readOnly, "", serial};
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
        if (rng() % 5) add((rng() % 6 ? key : upper) + (rng() % 6 ? ".uxx" : ".UXX"), rng() % 12 ? model::Kind::File : model::Kind::Folder);
        if (rng() % 6 == 0) add(real.find('.') == std::string::npos ? real + ".unk" : real);
    }
    for (int i = rng() % 6; i > 0; --i) add(pick(names) + pick(exts));
    if (rng() % 12 == 0) add(pick(folders));  // a file where a sort folder goes
    if (rng() % 3 == 0) {
        // Older copies, some read-only, of names the sort brings there, and now and then a newer one waiting.
        const std::size_t f = rng() % std::size(folders);
        add(folders[f], model::Kind::Folder, volume.permissions && rng() % 4 == 0);
        for (int i = 1 + rng() % 6; i > 0; --i) {
            const std::string name = pick(names) + (rng() % 2 ? std::string(ownExts[f]) : pick(exts));
            add(std::string(folders[f]) + "/" + name, model::Kind::File, rng() % 4 == 0);
            if (rng() % 3 == 0) add(name);
        }
    }
    // Links to a game's file in the cache and a sort folder, names (links, hard links) in the cache of files in a sort folder.
    std::vector<std::string> files;
    for (const auto& [path, entry] : volume.links ? tree : model::Tree{}) files.push_back(entry.kind == model::Kind::File && path != "cache.ini" ? path : "");
    for (int i = volume.links ? rng() % 4 : 0; i > 0; --i) {
        const std::string path = files[rng() % files.size()], name = path.substr(path.find('/') + 1);
        if (path.empty() || !tree.at(path).link.empty()) continue;
        if (rng() % 2) tree.at(path).link = path == name ? "../System/keep.u" : "../../System/keep.u";
        else if (path != name && !taken(name)) (tree[name] = tree.at(path)).link = rng() % 2 ? path : "";
    }
    // Sort folders linked to the cache folder and to the game's.
    if (volume.links && rng() % 4 == 0 && !taken("Music")) tree["Music"] = {model::Kind::Folder, "", false, "."};
    if (volume.links && rng() % 4 == 0 && !taken("Sounds")) tree["Sounds"] = {model::Kind::Folder, "", false, "../Sounds"};
    return tree;
}

std::string ConvertSortInstallAsTheRulesSay(Disk& disk, const std::string& root, const model::Tree& start,
                                            const model::Volume& volume, const model::Tree& outside, bool overwrite,
                                            const std::string* indexText) {
    // The rules take the index's text as it was written, not as the disk
    // under test decodes it; progress counts its bytes on disk.
    const std::string& index = indexText ? *indexText : start.at("cache.ini").content;
    const std::size_t indexSize = start.at("cache.ini").content.size();
    model::Tree rules = start, expected = outside;
    // The cache's Sounds folder may be a link to the game's, empty at first: the files the sort puts there are the game's.
    const bool linked = start.count("Sounds") && !start.at("Sounds").link.empty();
    const auto settle = [&] { for (const auto& [path, entry] : std::exchange(rules, {})) expected[(linked && path.starts_with("Sounds/") ? "game/" : "game/Cache/") + path] = entry; };
    model::Notes notes;
    std::size_t failed = kNoStep, sorts = 0;
    for (std::size_t step = 0; step < kNoStep && failed == kNoStep; ++step) {
        const Step what = kSteps[step];
        if (what == Step::Install) {
            settle();
            if (!model::Install(expected, "game/Cache", "game", overwrite, volume, notes)) failed = step;
        } else if (!(what == Step::Sort ? model::Sort(rules, volume, notes) : model::Convert(rules, index, volume, notes))) {
            failed = step;
        } else {
            sorts += what == Step::Sort;
        }
    }
    settle();
    const MemoryDisk* log = dynamic_cast<const MemoryDisk*>(&disk);
    DryRunDisk dryRunDisk(disk);
    const model::Tree before = Snapshot(disk, root);
    CommandRun dry, real;
    RunSteps(dryRunDisk, root, indexSize, overwrite, dry, log);
    model::Tree foreseen = Snapshot(dryRunDisk, root);
    // The dry run keeps its changes by path: what went through the link shows below it.
    if (linked) std::erase_if(foreseen, [](const auto& e) { return e.first.starts_with("game/Sounds/"); });
    for (const auto& [path, entry] : linked ? Snapshot(dryRunDisk, root, "game/Cache/Sounds") : model::Tree{}) foreseen["game/" + path.substr(11)] = entry;
    if (std::string diff = model::Diff(before, Snapshot(disk, root)); !diff.empty()) return "the dry run wrote: " + diff;
    RunSteps(disk, root, indexSize, overwrite, real, log);
    if (!dry.fault.empty() || !real.fault.empty()) return dry.fault + real.fault;
    if (real.failed != failed) {
        return "stopped at step " + std::to_string(real.failed) + " (" + real.error + ") where the rules say " + std::to_string(failed);
    }
    if (real.messages.size() != sorts) return "a message other than the sorts' last";
    if (real.lines != notes) {
        const auto [got, want] = std::mismatch(real.lines.begin(), real.lines.end(), notes.begin(), notes.end());
        return "line '" + (got != real.lines.end() ? *got : "") + "' where the rules say '" + (want != notes.end() ? *want : "") + "'";
    }
    if (std::tie(dry.lines, dry.failed, dry.error) != std::tie(real.lines, real.failed, real.error)) {
        return "the dry run foresaw other lines or errors: " + dry.error + " / " + real.error;
    }
    const model::Tree got = Snapshot(disk, root);
    if (std::string diff = model::Diff(expected, got); !diff.empty()) return "not as the rules say: " + diff;
    if (std::string diff = model::Diff(got, foreseen); !diff.empty()) return "not as the dry run foresaw: " + diff;
    return "";
}

model::Tree RandomGame(unsigned seed, const model::Tree& start, const model::Volume& volume) {
    model::Tree cache = start, game = {{"System", model::kFolder}};
    model::Notes notes;
    model::Convert(cache, start.at("cache.ini").content, volume, notes);
    model::Sort(cache, volume, notes);
    std::mt19937 rng(seed);
    if (start.count("Sounds") && !start.at("Sounds").link.empty()) game["Sounds"] = model::kFolder;  // the target of the cache's
    for (const auto& [path, entry] : cache) {
        const std::size_t slash = path.find('/');  // nothing in a sort folder linked to the game's
        if (entry.kind != model::Kind::File || slash == std::string::npos || !cache.at(path.substr(0, slash)).link.empty() || rng() % 3 == 0) continue;
        std::string folder = model::Lookup(game, path.substr(0, slash)), name = path.substr(slash + 1);
        if (folder.empty()) game[folder = path.substr(0, slash)] = model::kFolder;
        if (!model::Lookup(game, name, folder).empty()) continue;
        const std::string at = folder + "/" + (rng() % 3 ? name : model::Fold(name));
        const unsigned kind = rng() % (volume.links ? 10 : 7);
        model::Entry& file = game[at] = kind == 5 ? model::kFolder : model::Entry{model::Kind::File, kind == 0 ? entry.content : "game's " + at, kind == 1};
        if (kind == 6 || (kind == 2 && entry.content.size() > 65536)) file.content = entry.content, file.content.back() ^= 1;  // in its last byte alone
        if (kind == 7 || kind == 8) file = entry, file.link = kind == 8 ? "../Cache/" + path : "";  // the cached file itself: a hard link, a link
        if (kind == 3 || kind == 4) game[at + ".bak"] = {model::Kind::File, kind == 3 ? file.content : "older", false};
        if (kind == 9) file.file = -static_cast<int>(game.size()), (game[at + ".bak"] = file).link = rng() % 2 ? at.substr(at.rfind('/') + 1) : "";  // so is NAME.bak to the game's
    }
    if (rng() % 10 == 0 && model::Lookup(game, "sounds").empty()) game["sounds"] = {model::Kind::File, "a file", false};
    return game;
}

}  // namespace tcc
