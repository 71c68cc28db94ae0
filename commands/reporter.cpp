#include "commands/reporter.h"

namespace tcc {

std::string Describe(const FileAction& action) {
    switch (action.kind) {
    case FileAction::Kind::Rename: return "rename " + action.from + " -> " + action.to;
    case FileAction::Kind::Move: return "move " + action.from + " -> " + action.to;
    case FileAction::Kind::Replace: return "replace " + action.to;
    case FileAction::Kind::Write: return "write " + action.to;
    case FileAction::Kind::MakeFolder: return "make folder " + action.to;
    case FileAction::Kind::Skip: return "skip " + action.from + ": " + action.reason;
    case FileAction::Kind::Install:
        return "install " + action.from + (action.to.empty() ? "" : ", the game's old copy kept as " + action.to);
    case FileAction::Kind::Same: return "same " + action.from + ": " + action.reason;
    case FileAction::Kind::RemoveFolder: return "remove folder " + action.to;
    }
    return "";
}

}  // namespace tcc
