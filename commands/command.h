#pragma once

#include <exception>
#include <string>
#include <utility>

namespace tcc {

class CacheFolderState;
class Reporter;

// The commands, known by their type wherever they are told apart.
enum class Command { Convert, Refresh, Sort, Install };
inline constexpr Command kCommands[] = {Command::Convert, Command::Refresh, Command::Sort, Command::Install};

// The command's name, as the command line takes and prints it: "convert", ...
std::string NameOf(Command command);

// How a command ended, short of an error (which it throws).
enum class Outcome {
    Done,          // it ran to its end
    Refused,       // it refused the folder or was answered No; its message has been shown
    NoGameFolder,  // install: none was named and the cache folder's parent holds no System folder
};

// What a command returns.
struct CommandResult {
    CommandResult(Outcome outcome = Outcome::Done, std::string folder = {})
        : outcome(outcome), folder(std::move(folder)) {}

    Outcome outcome;
    // NoGameFolder: the folder that was not taken for the game's, the cache
    // folder's parent ("" when it has none).
    std::string folder;

    bool Ran() const { return outcome == Outcome::Done; }
};

// What a command throws when it stops at the user's request
// (Reporter::StopRequested), between two files.
class Stopped : public std::exception {
public:
    const char* what() const noexcept override { return "stopped at the user's request"; }
};

// A command as the window's buttons run it.
using CommandFunction = CommandResult (*)(CacheFolderState& state, Reporter& reporter);

}  // namespace tcc
