#include "cli/Command.h"
#include "cli/GatewayCommand.h"
#include "cli/RegCommand.h"

namespace veilport::cli {

std::span<const Command> AllCommands() {
    static const Command commands[] = {
        RegCommand(),
        GatewayCommand(),
    };
    return commands;
}

}  // namespace veilport::cli
