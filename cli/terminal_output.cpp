#include "cli/terminal_output.h"

#include <cerrno>
#include <csignal>
#include <iostream>

#include "core/system.h"

namespace tcc {
namespace {

constexpr const char* kProgram = "tarnel-cache: ";

// The caption of the main window's notice label, shown by every conversion.
constexpr const char* kNotice =
    "Notice: Some files may not be able to be converted due to 'cache.ini' file records not available.";

// Control characters in a name would break the one-line-per-action output (a
// file name may hold a line feed): they are shown as \xNN, the C1 controls
// U+0080 to U+009F (UTF-8 C2 80 to C2 9F) by their code.
std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
            c = static_cast<unsigned char>(text[++i]);
        } else if (c >= 0x20 && c != 0x7f) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        static const char kHex[] = "0123456789abcdef";
        out += "\\x";
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 15]);
    }
    return out;
}

volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t asking = 0;

extern "C" void OnStopSignal(int signal) {
    if (stopSignal == 0 && asking == 0) {
        stopSignal = signal;
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void CatchStopSignals() {
    for (const int signal : {SIGINT, SIGTERM}) {
        if (std::signal(signal, OnStopSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
    }
}

int StopSignal() { return stopSignal; }

TerminalOutput::TerminalOutput(const CliOptions& options) : options_(options) {}

void TerminalOutput::Begin(Command command, bool installFollows) {
    command_ = command;
    installFollows_ = installFollows;
    held_.clear();
    noticeShown_ = false;
    renamed_ = moved_ = replaced_ = skipped_ = installed_ = same_ = 0;
    started_ = std::chrono::steady_clock::now();
}

void TerminalOutput::End(const CommandResult& result) {
    // The way to name the game's folder is this program's flag.
    if (result.outcome == Outcome::NoGameFolder) {
        held_.push_back({"'" + result.folder +
                             "' holds no System folder, so it is not taken for the game's folder: "
                             "name the game's folder with --game GAME_FOLDER.",
                         false});
    }
    const bool ran = result.Ran();
    ClearProgress();
    // The sort's closing advice, to copy its folders into the game's by hand,
    // is moot when install does it next.
    if (ran && installFollows_) std::erase_if(held_, [](const Held& held) { return !held.problem; });
    PrintHeld(ran);
    if (!ran) return;
    const std::string summary = Summary();
    // Files the sort or install passed over stay in the cache folder: a
    // warning even when nothing else is printed.
    if (!options_.quiet) Line(stdout, summary);
    else if (command_ != Command::Convert && skipped_ > 0) Message(stderr, summary);
}

void TerminalOutput::Stop(int signal, bool withinCommand) {
    if (withinCommand) {
        ClearProgress();
        PrintHeld(false);
        if (!options_.quiet) Line(stdout, Summary());
    }
    Error(std::string("stopped by ") +
          (signal == SIGINT    ? "SIGINT"
           : signal == SIGTERM ? "SIGTERM"
                               : "a signal") +
          (withinCommand ? " after the file at hand; run the commands again for the rest" : ""));
}

std::string TerminalOutput::Summary() const {
    std::string summary = (options_.dryRun ? "would " : "") + NameOf(command_) + ": ";
    switch (command_) {
    case Command::Convert:
        summary += std::to_string(renamed_) + " renamed, " + std::to_string(skipped_) + " passed over";
        break;
    case Command::Refresh: summary += "cache.ini reset"; break;
    case Command::Sort:
        summary += std::to_string(moved_) + " moved, " + std::to_string(replaced_) + " replaced, " +
                   std::to_string(skipped_) + " passed over";
        break;
    case Command::Install:
        summary += std::to_string(installed_) + " installed, " + std::to_string(same_) + " already installed, " +
                   std::to_string(skipped_) + " passed over";
        break;
    }
    return summary;
}

void TerminalOutput::Fail(const std::string& error) {
    ClearProgress();
    PrintHeld(false);
    Error(error);
}

void TerminalOutput::Error(const std::string& text) { Message(stderr, text); }

void TerminalOutput::PrintHeld(bool ran) {
    for (const Held& held : held_) {
        const bool problem = held.problem || !ran;
        if (!problem && options_.quiet) continue;
        Message(problem ? stderr : stdout, held.text);
    }
    held_.clear();
}

Answer TerminalOutput::MessageBox(const std::string& text, const std::string&, Buttons buttons, Icon icon) {
    if (buttons == Buttons::Ok) {
        held_.push_back({text, icon != Icon::None});
        return Answer::Ok;
    }
    if (buttons == Buttons::YesNo) {
        if (options_.yes) return Answer::Yes;
        if (options_.askOnTerminal) {
            ClearProgress();
            std::fflush(stdout);
            WriteText(stderr, kProgram + Printable(text) + " [y/N] ");
            std::fflush(stderr);
            std::string reply;
            asking = 1;  // nothing has been done yet that a stop would have to finish
            std::getline(std::cin, reply);
            asking = 0;
            if (reply == "y" || reply == "Y" || reply == "yes" || reply == "Yes") return Answer::Yes;
            held_.push_back({NameOf(command_) + " was not run", true});
            return Answer::No;
        }
        held_.push_back({text, true});
        held_.push_back(
            {"no terminal to answer on, so " + NameOf(command_) + " was not run (--yes answers yes)", true});
        return Answer::No;
    }
    held_.push_back({text, true});
    return Answer::Cancel;
}

void TerminalOutput::ShowLabel(Label label) {
    if (label != Label::Warning || noticeShown_) return;
    noticeShown_ = true;
    if (!options_.quiet) Message(stdout, kNotice);
}

void TerminalOutput::Note(const FileAction& action) {
    switch (action.kind) {
    case FileAction::Kind::Rename: ++renamed_; break;
    case FileAction::Kind::Move: ++moved_; break;
    case FileAction::Kind::Replace: ++replaced_; break;
    case FileAction::Kind::Skip: ++skipped_; break;
    case FileAction::Kind::Install: ++installed_; break;
    case FileAction::Kind::Same: ++same_; break;
    default: break;
    }
    const std::string line = Describe(action);
    if (!options_.quiet) Line(stdout, (options_.dryRun ? "would " : "") + line);
}

void TerminalOutput::Progress(std::uint64_t done, std::uint64_t total) {
    if (!options_.progressOnTerminal || total == 0) return;
    // Shown once the command has run a second, at most ten times a second.
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < std::chrono::seconds(1)) return;
    if (progressShown_ && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    progress_ = NameOf(command_) + ": " + std::to_string(done * 100 / total) + "%";
    progressShown_ = true;
    DrawProgress();
}

void TerminalOutput::DrawProgress() {
    WriteText(stderr, "\r" + progress_);
    std::fflush(stderr);
}

void TerminalOutput::EraseProgress() {
    std::string blank(progress_.size() + 2, ' ');
    blank.front() = blank.back() = '\r';
    WriteText(stderr, blank);
}

void TerminalOutput::ClearProgress() {
    if (!progressShown_) return;
    progressShown_ = false;
    EraseProgress();
    std::fflush(stderr);
}

void TerminalOutput::Line(std::FILE* stream, const std::string& text) {
    // A line for the terminal the progress is on goes above it.
    const bool aboveProgress = progressShown_ && (stream == stderr || options_.outputOnTerminal);
    if (aboveProgress) EraseProgress();
    Put(stream, Printable(text) + "\n");
    // Out at once, in one write: a log in a file never lags behind the disk by
    // more than the file at hand, and the lines keep their order when both
    // streams go to one place.
    if (stream == stdout) Flush();
    if (aboveProgress) DrawProgress();
}

void TerminalOutput::Put(std::FILE* stream, const std::string& text) {
    bool& gone = stream == stderr ? errorGone_ : outputGone_;
    if (gone || WriteText(stream, text)) return;
    if (ReaderGone()) gone = true;
    else if (stream == stdout) outputFailed_ = true;
}

bool TerminalOutput::Flush() {
    if (!outputGone_ && std::fflush(stdout) != 0) (ReaderGone() ? outputGone_ : outputFailed_) = true;
    return !outputFailed_;
}

void TerminalOutput::Message(std::FILE* stream, const std::string& text) {
    // A line break inside a message (CR LF) starts a new output line.
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        Line(stream, kProgram + text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return;
        start = end + 2;
    }
}

}  // namespace tcc
