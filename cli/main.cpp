// tarnel-cache: the commands of the main window, run from a shell.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/terminal_output.h"
#include "commands/command.h"
#include "commands/convert.h"
#include "commands/install.h"
#include "commands/refresh.h"
#include "commands/cache_state.h"
#include "core/dry_run_disk.h"
#include "core/system.h"
#include "core/version.h"
#include "commands/sort.h"

namespace {

constexpr int kRefused = 1;  // a command stopped on an error or was refused
constexpr int kUsage = 2;

// The help: usage, then the description with the commands, the options and
// the footer; the positional words are explained by the description.
class Formatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        return "Usage: tarnel-cache [--dry-run] [--yes] [--quiet] [--game GAME_FOLDER] [--overwrite] COMMAND... FOLDER\n"
               "       tarnel-cache --help | --version\n\n" +
               app->get_description() + "\n" + make_groups(app, mode) + "\n" + make_footer(app) + "\n";
    }
};

// The command of a name; none for an unknown name.
std::optional<tcc::Command> CommandNamed(const std::string& name) {
    for (const tcc::Command command : tcc::kCommands) {
        if (tcc::NameOf(command) == name) return command;
    }
    return std::nullopt;
}

tcc::CommandResult RunCommand(tcc::Command command, tcc::CacheFolderState& state, tcc::Reporter& reporter,
                              const tcc::InstallOptions& install) {
    switch (command) {
    case tcc::Command::Convert: return tcc::RunConvert(state, reporter);
    case tcc::Command::Refresh: return tcc::RunRefresh(state, reporter);
    case tcc::Command::Sort: return tcc::RunSort(state, reporter);
    case tcc::Command::Install: return tcc::RunInstall(state, reporter, install);
    }
    return tcc::Outcome::Refused;
}

}  // namespace

int main(int argc, char** argv) {
    tcc::QuietSystemErrors();
    tcc::CliOptions options;
    tcc::InstallOptions install;
    std::vector<std::string> words;

    CLI::App app{
        "Runs the commands of Tarnel Cache Converter on the game's Cache folder FOLDER,\n"
        "in the order given. COMMAND is one or more of:\n"
        "  convert  rename the cached files to the real names that cache.ini gives\n"
        "  refresh  rewrite cache.ini with its header line alone (asks first unless\n"
        "           convert ran before it)\n"
        "  sort     move the files into Maps, System, Textures, Sounds, Music and\n"
        "           Unknown Extensions by their extension\n"
        "  install  move the sorted files into the game's folders of those names; a\n"
        "           file the game already has is removed from the cache when its\n"
        "           bytes are the same and kept there when they differ; the sort\n"
        "           folders left empty are removed. The game's folder is FOLDER's\n"
        "           parent when that holds a System folder, else give --game",
        "tarnel-cache"};
    app.formatter(std::make_shared<Formatter>());
    app.add_flag("-n,--dry-run", options.dryRun, "Print what would be done; change nothing, not even cache.ini");
    app.add_flag("-y,--yes", options.yes, "Answer yes to the question of refresh");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print only errors and warnings (a sort or install that passed\nfiles over is one)");
    app.add_option("--game", install.gameFolder, "The game's folder, for install")->type_name("GAME_FOLDER");
    app.add_flag("--overwrite", install.overwrite, "Let install replace a game file of other bytes,\nkeeping the old one as NAME.bak");
    app.set_version_flag("--version", std::string("tarnel-cache ") + tcc::kVersion);
    app.add_option("COMMAND... FOLDER", words);
    app.footer(
        "Exit status: 0 when every command ran to its end, 1 when one stopped on an error\n"
        "or was refused, 2 for a usage error.\n\n"
        "Example:\n"
        "  tarnel-cache convert sort install ~/.game/Cache");
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("tarnel-cache: ") + e.what() + "\nRun 'tarnel-cache --help' for more information.\n";
    });
    try {
        // UTF-8 on every platform, whatever the system's code page.
        const std::vector<std::string> arguments = tcc::ProgramArguments(argc, argv);
        std::vector<const char*> pointers;
        for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
        app.parse(static_cast<int>(pointers.size()), pointers.data());
        if (words.size() < 2) throw CLI::ValidationError("give one or more commands, then the folder");
        if (words.back().empty()) throw CLI::ValidationError("the folder is an empty name");
        for (std::size_t i = 0; i + 1 < words.size(); ++i) {
            if (!CommandNamed(words[i])) {
                throw CLI::ValidationError("unknown command '" + words[i] + "' (convert, refresh, sort or install)");
            }
        }
        if ((!install.gameFolder.empty() || install.overwrite) &&
            std::find(words.begin(), words.end() - 1, "install") == words.end() - 1) {
            throw CLI::ValidationError("--game and --overwrite are for install, which is not among the commands");
        }
        if (!install.gameFolder.empty()) install.gameFolder = tcc::FullPath(install.gameFolder);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kUsage;
    }

    options.askOnTerminal = tcc::IsTerminal(stdin);
    options.progressOnTerminal = tcc::IsTerminal(stderr);
    options.outputOnTerminal = tcc::IsTerminal(stdout);
#ifdef SIGPIPE
    // A reader that goes away (| head) ends the output, not the commands.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Many lines may follow: a larger buffer when they go to a file or pipe.
    if (!options.outputOnTerminal) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);

    tcc::TerminalOutput window(options);
    tcc::PlatformDisk realDisk;
    tcc::DryRunDisk dryRunDisk(realDisk);
    tcc::CacheFolderState state(options.dryRun ? static_cast<tcc::Disk&>(dryRunDisk) : realDisk);
    int status = 0;
    // Absolute, so that its last part is its name, as in the window's folder
    // list.
    const std::string folder = tcc::FullPath(words.back());
    try {
        state.ChooseFolder(folder);
    } catch (const std::exception& e) {
        window.Error(state.fs().FileExists(folder) ? "Not a folder: " + folder : e.what());
        status = kRefused;
    }
    // Each command runs as its button would; the first that stops ends the
    // run, and the work done before it stays done.
    for (std::size_t i = 0; status == 0 && i + 1 < words.size(); ++i) {
        window.Begin(*CommandNamed(words[i]), std::find(words.begin() + i, words.end() - 1, "install") != words.end() - 1);
        try {
            const tcc::CommandResult result = RunCommand(*CommandNamed(words[i]), state, window, install);
            const bool ran = result.Ran();
            window.End(result);
            if (!ran) status = kRefused;
        } catch (const std::exception& e) {
            window.Fail(e.what());
            status = kRefused;
        }
    }
    if (!window.Flush()) {
        window.Error("could not write to standard output");
        return kRefused;
    }
    return status;
}
