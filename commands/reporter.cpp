#include "commands/reporter.h"

namespace tcc {

namespace {

FileAction Action(FileAction::Kind kind, std::string_view name, std::string_view target = {},
                  std::string_view keptAs = {}, std::string_view reason = {}) {
    return {kind, std::string(name), std::string(target), std::string(keptAs), std::string(reason)};
}

}  // namespace

FileAction FileAction::Rename(std::string_view name, std::string_view target) {
    return Action(Kind::Rename, name, target);
}
FileAction FileAction::Move(std::string_view name, std::string_view target) { return Action(Kind::Move, name, target); }
FileAction FileAction::Replace(std::string_view name, std::string_view target) {
    return Action(Kind::Replace, name, target);
}
FileAction FileAction::Write(std::string_view name) { return Action(Kind::Write, name); }
FileAction FileAction::MakeFolder(std::string_view name) { return Action(Kind::MakeFolder, name); }
FileAction FileAction::RemoveFolder(std::string_view name) { return Action(Kind::RemoveFolder, name); }
FileAction FileAction::RemoveLeftover(std::string_view name) { return Action(Kind::RemoveLeftover, name); }
FileAction FileAction::Skip(std::string_view name, std::string_view reason) {
    return Action(Kind::Skip, name, {}, {}, reason);
}
FileAction FileAction::Install(std::string_view name, std::string_view keptAs) {
    return Action(Kind::Install, name, {}, keptAs);
}
FileAction FileAction::Same(std::string_view name, std::string_view reason) {
    return Action(Kind::Same, name, {}, {}, reason);
}
FileAction FileAction::Keep(std::string_view name, std::string_view reason) {
    return Action(Kind::Keep, name, {}, {}, reason);
}

std::string Describe(const FileAction& action) {
    switch (action.kind) {
    case FileAction::Kind::Rename: return "rename " + action.name + " -> " + action.target;
    case FileAction::Kind::Move: return "move " + action.name + " -> " + action.target;
    case FileAction::Kind::Replace: return "replace " + action.target;
    case FileAction::Kind::Write: return "write " + action.name;
    case FileAction::Kind::MakeFolder: return "make folder " + action.name;
    case FileAction::Kind::Skip: return "skip " + action.name + ": " + action.reason;
    case FileAction::Kind::Install:
        return "install " + action.name +
               (action.keptAs.empty() ? "" : ", the game's old copy kept as " + action.keptAs);
    case FileAction::Kind::Same: return "same " + action.name + ": " + action.reason;
    case FileAction::Kind::RemoveFolder: return "remove folder " + action.name;
    case FileAction::Kind::Keep: return "keep " + action.name + ": " + action.reason;
    case FileAction::Kind::RemoveLeftover: return "remove " + action.name + ": left by an interrupted run";
    }
    return "";
}

}  // namespace tcc
