#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/reporter.h"

namespace tcc {

struct CliOptions {
    bool dryRun = false;              // lines say "would ..."
    bool yes = false;                 // questions are answered Yes
    bool quiet = false;               // only errors and warnings are printed (and the passing progress line)
    bool askOnTerminal = false;       // standard input is a terminal to ask on
    bool progressOnTerminal = false;  // standard error is a terminal
    bool outputOnTerminal = false;    // standard output is a terminal
};

// From now on SIGINT and SIGTERM (Ctrl-C on a Windows console) ask the
// commands to stop after the file at hand; a second one, or one while a
// question waits for its answer, ends the program at once. A signal ignored
// when the program started (nohup, a background job) stays ignored.
void CatchStopSignals();
// The signal that asked to stop, or 0.
int StopSignal();

// The window of the command line: prints one line per change or record
// passed over, the window's messages and a summary per command.
//
// Messages are held until the command returns: from a command that ran to
// its end they are information (standard output), from one that refused or
// failed they say why (standard error).
class TerminalOutput : public Reporter {
public:
    explicit TerminalOutput(const CliOptions& options);

    // installFollows: install runs now or later in this run.
    void Begin(Command command, bool installFollows = false);
    // The command returned what it came to.
    void End(const CommandResult& result);
    // The command stopped on an error.
    void Fail(const std::string& error);
    // The run stopped on a signal, within the command begun (its summary is
    // printed) or between two commands.
    void Stop(int signal, bool withinCommand);
    // An error outside any command.
    void Error(const std::string& text);
    // Writes out what standard output holds; false when that fails, but not
    // when its reader has gone (a closed pipe): then the commands run on to
    // their end and nothing more is written there.
    bool Flush();

    Answer MessageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon) override;
    void ShowLabel(Label label) override;
    void RefreshFileList() override {}
    void RefreshDirList() override {}
    void Note(const FileAction& action) override;
    void Progress(std::uint64_t done, std::uint64_t total) override;
    bool StopRequested() override { return StopSignal() != 0; }

private:
    struct Held {
        std::string text;
        bool problem;  // a warning or an error, whatever the outcome
    };

    // One line of output, control bytes shown as \xNN.
    void Line(std::FILE* stream, const std::string& text);
    // Writes to a stream unless its reader has gone.
    void Put(std::FILE* stream, const std::string& text);
    // A message's lines, each prefixed with the program's name.
    void Message(std::FILE* stream, const std::string& text);
    void PrintHeld(bool ran);
    // The command's counts: "sort: 3 moved, 0 replaced, 1 passed over".
    std::string Summary() const;
    // The progress line is kept below the other lines on the terminal until
    // the command ends.
    void DrawProgress();
    void EraseProgress();
    void ClearProgress();

    CliOptions options_;
    Command command_ = Command::Convert;
    bool installFollows_ = false;
    std::vector<Held> held_;
    bool noticeShown_ = false;
    std::uint64_t renamed_ = 0, moved_ = 0, replaced_ = 0, skipped_ = 0, installed_ = 0, same_ = 0;
    std::chrono::steady_clock::time_point started_, drawn_;
    bool progressShown_ = false;
    std::string progress_;
    bool outputGone_ = false, errorGone_ = false, outputFailed_ = false;
};

}  // namespace tcc
