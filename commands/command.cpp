#include "commands/command.h"

namespace tcc {

std::string NameOf(Command command) {
    switch (command) {
    case Command::Convert: return "convert";
    case Command::Refresh: return "refresh";
    case Command::Sort: return "sort";
    case Command::Install: return "install";
    }
    return "";
}

}  // namespace tcc
