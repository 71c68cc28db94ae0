#pragma once

#include <string_view>

#include "commands/reporter.h"
#include "core/file_error.h"

namespace tcc {

// Runs a command's step on one file. A name or path the file system cannot
// hold (kBadFileName) passes the file over, noted as "name too long", rather
// than ending the command.
template <typename Step>
void RunFileStep(Reporter& reporter, std::string_view name, Step&& step) {
    try {
        step();
    } catch (const FileError& e) {
        if (e.number() != kBadFileName) throw;
        reporter.Note(FileAction::Skip(name, "name too long"));
    }
}

}  // namespace tcc
