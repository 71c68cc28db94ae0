#pragma once

#include <string_view>

#include "commands/command.h"
#include "commands/reporter.h"
#include "core/file_error.h"
#include "core/file_system.h"

namespace tcc {

// Runs a command's step on one file, unless the user asked to stop (then it
// throws Stopped). A name or path the file system cannot hold (kBadFileName)
// passes the file over, noted as "name too long", rather than ending the
// command.
template <typename Step>
void RunFileStep(Reporter& reporter, std::string_view name, Step&& step) {
    if (reporter.StopRequested()) throw Stopped();
    try {
        step();
    } catch (const FileError& e) {
        if (e.number() != kBadFileName) throw;
        reporter.Note(FileAction::Skip(name, "name too long"));
    }
}

// Removes what an interrupted run left in a folder a command writes into,
// noted a line each under `shown`, the folder as the command names it.
inline void RemoveLeftovers(FileSystem& fs, Listing& folder, std::string_view shown, Reporter& reporter) {
    for (const std::string& name : fs.RemoveLeftovers(folder))
        reporter.Note(FileAction::RemoveLeftover(JoinPath(shown, name)));
}

}  // namespace tcc
