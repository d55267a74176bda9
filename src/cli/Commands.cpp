#include "cli/AnonymityCommand.h"
#include "cli/BrowsersCommand.h"
#include "cli/CleanCommand.h"
#include "cli/Command.h"
#include "cli/FailoverCommand.h"
#include "cli/GatewayCommand.h"
#include "cli/PoolCommands.h"
#include "cli/ProxyCommand.h"
#include "cli/RegCommand.h"
#include "cli/SupplyCommands.h"

namespace veilport::cli {

std::span<const Command> AllCommands() {
    static const Command commands[] = {
        RegCommand(),    ListCommand(),      TestCommand(),     TestedCommand(),
        AdoptCommand(),  UpdateCommand(),    AnonymityCommand(), BrowsersCommand(),
        ProxyCommand(),  GatewayCommand(),   CleanCommand(),     FailoverCommand(),
        SourcesCommand(), WhatIsMyIpCommand(),
    };
    return commands;
}

}  // namespace veilport::cli
