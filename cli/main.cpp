// tarnel-cache: the commands of the main window, run from a shell.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/terminal_output.h"
#include "commands/cache_state.h"
#include "commands/command.h"
#include "commands/convert.h"
#include "commands/install.h"
#include "commands/refresh.h"
#include "commands/sort.h"
#include "core/dry_run_disk.h"
#include "core/file_error.h"
#include "core/system.h"
#include "core/version.h"

namespace {

// The exit statuses.
constexpr int kExitSuccess = 0;    // every command ran to its end
constexpr int kExitRefused = 1;    // a command stopped on an error or was refused
constexpr int kExitUsage = 2;      // the arguments were not understood
constexpr int kExitStopped = 128;  // and the signal's number: a signal stopped the run

// The help's description of the commands and its footer.
constexpr const char* kDescription =
    "Runs the commands of Tarnel Cache Converter on the game's Cache folder FOLDER,\n"
    "in the order given. COMMAND is one or more of:\n"
    "  convert  rename the cached files to the real names that cache.ini gives\n"
    "  refresh  rewrite cache.ini without the records of the files converted;\n"
    "           those of cached files still there stay (asks first unless\n"
    "           convert ran before it)\n"
    "  sort     move the files into Maps, System, Textures, Sounds, Music and\n"
    "           Unknown Extensions by their extension\n"
    "  install  move the sorted files into the game's folders of those names; a\n"
    "           file the game already has is removed from the cache when its\n"
    "           bytes are the same and kept there when they differ; the sort\n"
    "           folders left empty are removed. The game's folder is FOLDER's\n"
    "           parent when that holds a System folder, else give --game; the\n"
    "           folder named must hold a System folder too and lie outside FOLDER";
constexpr const char* kFooter =
    "Exit status: 0 when every command ran to its end, 1 when one stopped on an error\n"
    "or was refused, 2 for a usage error, 130 or 143 when Ctrl-C (SIGINT) or SIGTERM\n"
    "stopped it after the file at hand.\n\n"
    "Example:\n"
    "  tarnel-cache convert sort install ~/.game/Cache";

// The help: usage, then the description with the commands, the options and
// the footer; the positional words are explained by the description.
class Formatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        return "Usage: tarnel-cache [--dry-run] [--yes] [--quiet] [--game GAME_FOLDER] "
               "[--overwrite] COMMAND... FOLDER\n"
               "       tarnel-cache --help | --version\n\n" +
               app->get_description() + "\n" + make_groups(app, mode) + "\n" + make_footer(app) + "\n";
    }
};

// What the command line asks for.
struct Request {
    tcc::CliOptions options;
    tcc::InstallOptions install;
    std::vector<tcc::Command> commands;  // in the order they run
    std::string folder;                  // as given
};

// The command of a name; none for an unknown name.
std::optional<tcc::Command> CommandNamed(const std::string& name) {
    for (const tcc::Command command : tcc::kCommands) {
        if (tcc::NameOf(command) == name) return command;
    }
    return std::nullopt;
}

// Reads the arguments. For --help, --version and a usage error it prints what
// they call for and gives the exit status instead.
std::variant<Request, int> Parse(int argc, char** argv) {
    Request request;
    tcc::CliOptions& options = request.options;
    tcc::InstallOptions& install = request.install;
    std::vector<std::string> words;

    CLI::App app{kDescription, "tarnel-cache"};
    app.formatter(std::make_shared<Formatter>());
    app.add_flag("-n,--dry-run", options.dryRun, "Print what would be done; change nothing, not even cache.ini");
    app.add_flag("-y,--yes", options.yes, "Answer yes to the question of refresh");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print only errors and warnings (a sort or install that passed\nfiles over is one)");
    app.add_option("--game", install.gameFolder, "The game's folder, for install")->type_name("GAME_FOLDER");
    app.add_flag("--overwrite", install.overwrite,
                 "Let install replace a game file of other bytes,\nkeeping the old one as NAME.bak");
    app.set_version_flag("--version", std::string("tarnel-cache ") + tcc::kVersion);
    app.add_option("COMMAND... FOLDER", words);
    app.footer(kFooter);
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
            const std::optional<tcc::Command> command = CommandNamed(words[i]);
            if (!command)
                throw CLI::ValidationError("unknown command '" + words[i] + "' (convert, refresh, sort or install)");
            request.commands.push_back(*command);
        }
        if ((!install.gameFolder.empty() || install.overwrite) &&
            std::find(request.commands.begin(), request.commands.end(), tcc::Command::Install) ==
                request.commands.end()) {
            throw CLI::ValidationError("--game and --overwrite are for install, which is not among the commands");
        }
        if (!install.gameFolder.empty()) install.gameFolder = tcc::FullPath(install.gameFolder);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kExitSuccess : kExitUsage;
    }
    request.folder = words.back();
    return request;
}

// One command on the chosen folder.
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

// Runs the commands asked for on the folder; the exit status.
int Run(Request& request) {
    tcc::CliOptions& options = request.options;
    options.askOnTerminal = tcc::IsTerminal(stdin);
    options.progressOnTerminal = tcc::IsTerminal(stderr);
    options.outputOnTerminal = tcc::IsTerminal(stdout);
#ifdef SIGPIPE
    // A reader that goes away (| head) ends the output, not the commands.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    tcc::CatchStopSignals();

    tcc::TerminalOutput output(options);
    tcc::PlatformDisk realDisk;
    tcc::DryRunDisk dryRunDisk(realDisk);
    tcc::CacheFolderState state(options.dryRun ? static_cast<tcc::Disk&>(dryRunDisk) : realDisk);
    int status = kExitSuccess;
    // Absolute, so that its last part is its name, as in the window's folder
    // list.
    const std::string folder = tcc::FullPath(request.folder);
    try {
        state.ChooseFolder(folder);
    } catch (const std::exception& e) {
        output.Error(state.fs().FileExists(folder) ? tcc::NotAFolder(folder) : e.what());
        status = kExitRefused;
    }
    // Each command runs as its button would; the first that stops ends the
    // run, and the work done before it stays done. A signal ends it after
    // the file at hand, with 128 and the signal's number.
    const std::vector<tcc::Command>& commands = request.commands;
    for (auto next = commands.begin(); status == kExitSuccess && next != commands.end(); ++next) {
        if (tcc::StopSignal() != 0) {
            output.Stop(tcc::StopSignal(), false);
            status = kExitStopped + tcc::StopSignal();
            break;
        }
        output.Begin(*next, std::find(next, commands.end(), tcc::Command::Install) != commands.end());
        try {
            const tcc::CommandResult result = RunCommand(*next, state, output, request.install);
            output.End(result);
            if (!result.Ran()) status = kExitRefused;
        } catch (const tcc::Stopped&) {
            output.Stop(tcc::StopSignal(), true);
            status = kExitStopped + tcc::StopSignal();
        } catch (const std::exception& e) {
            output.Fail(e.what());
            status = kExitRefused;
        }
    }
    if (!output.Flush()) {
        output.Error("could not write to standard output");
        return kExitRefused;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    tcc::QuietSystemErrors();
    std::variant<Request, int> parsed = Parse(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    return Run(std::get<Request>(parsed));
}
