#include "tests/support/install_check.h"

#include <algorithm>
#include <random>

#include "commands/install.h"
#include "core/dry_run_disk.h"
#include "tests/support/cache_check.h"
#include "tests/support/recording_window.h"

namespace tcc {

model::Tree RandomGame(unsigned seed, const model::Tree& cache) {
    std::mt19937 rng(seed);
    model::Tree game = {{"System", {model::Kind::Folder, "", false}}};
    auto taken = [&](const std::string& name) {
        const auto it = std::find_if(game.begin(), game.end(), [&](const auto& e) { return model::Fold(e.first) == model::Fold(name); });
        return it == game.end() ? std::string() : it->first;
    };
    for (const auto& [path, entry] : cache) {
        const std::size_t slash = path.find('/');
        if (entry.kind != model::Kind::File || slash == std::string::npos || rng() % 3 == 0) continue;
        std::string folder = taken(path.substr(0, slash)), name = path.substr(slash + 1);
        if (folder.empty()) game[folder = path.substr(0, slash)] = {model::Kind::Folder, "", false};
        const std::string at = folder + "/" + (rng() % 3 ? name : model::Fold(name));
        if (!taken(at).empty()) continue;
        const unsigned kind = rng() % 6;
        game[at] = {kind == 5 ? model::Kind::Folder : model::Kind::File, kind == 0 ? entry.content : "game's " + at, kind == 1};
        if (kind == 3 || kind == 4) game[at + ".bak"] = {model::Kind::File, kind == 3 ? game[at].content : "older", false};
    }
    if (rng() % 10 == 0 && taken("sounds").empty()) game["sounds"] = {model::Kind::File, "a file", false};
    return game;
}

std::string InstallAsTheRulesSay(Disk& disk, const std::string& root, bool overwrite, bool windowsDisk) {
    const model::Tree before = Snapshot(disk, root);
    model::Tree rules = before;
    const bool ok = model::Install(rules, "game/Cache/", "game/", overwrite, windowsDisk);
    DryRunDisk dryRunDisk(disk);
    RecordingWindow dry, real;
    auto run = [&](Disk& on, RecordingWindow& window) {
        CacheFolderState state(on);
        state.ChooseFolder(root + "/game/Cache");
        return ErrorOf([&] { RunInstall(state, window, {"", overwrite}); });
    };
    const int dryError = run(dryRunDisk, dry);
    const model::Tree foreseen = Snapshot(dryRunDisk, root);
    if (std::string diff = model::Diff(before, Snapshot(disk, root)); !diff.empty()) return "the dry run wrote: " + diff;
    const int error = run(disk, real);
    if ((error == 0) != ok || !real.messages.empty()) return "error " + std::to_string(error) + " where the rules say otherwise";
    if (dryError != error || !(dry.notes == real.notes)) return "the dry run foresaw other actions or errors";
    const model::Tree got = Snapshot(disk, root);
    if (std::string diff = model::Diff(rules, got); !diff.empty()) return "not as the rules say: " + diff;
    if (std::string diff = model::Diff(got, foreseen); !diff.empty()) return "not as the dry run foresaw: " + diff;
    return "";
}

}  // namespace tcc
