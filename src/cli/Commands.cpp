#include "cli/Command.h"
#include "cli/PoolCommands.h"
#include "cli/RegCommand.h"

namespace veilport::cli {

std::span<const Command> AllCommands() {
    static const Command commands[] = {
        RegCommand(),
        ListCommand(),
        TestCommand(),
        TestedCommand(),
        AdoptCommand(),
        UpdateCommand(),
    };
    return commands;
}

}  // namespace veilport::cli
