#include "cli/Command.h"
#include "cli/RegCommand.h"

namespace veilport::cli {

std::span<const Command> AllCommands() {
    static const Command commands[] = {
        RegCommand(),
    };
    return commands;
}

}  // namespace veilport::cli
