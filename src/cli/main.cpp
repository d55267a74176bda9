#include <iostream>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "settings/Installation.h"

namespace veilport::cli {

int UsageError(std::ostream& err, std::string_view message) {
    err << "veilportctl: " << message << "\n(see 'veilportctl --help')\n";
    return kExitUsage;
}

namespace {

void PrintHelp(std::ostream& out) {
    out << "Usage: veilportctl COMMAND [ARGS...]\n\n"
           "Command-line front end of Veilport. Settings live in registry.db in the\n"
           "Veilport home ($VEILPORT_HOME, else $XDG_CONFIG_HOME/veilport).\n\n"
           "Exit status: 0 success, 1 not found or no answer, 2 bad usage, 3 a change did\n"
           "not happen (see the commands below, and man veilportctl).\n\nCommands:\n";
    for (const auto& command : AllCommands()) out << command.help << '\n';
}

}  // namespace
}  // namespace veilport::cli

int main(int argc, char** argv) {
    using namespace veilport::cli;
    std::vector<std::string_view> words(argv + 1, argv + argc);
    if (words.empty()) return UsageError(std::cerr, "a command is expected");
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    for (const auto& command : AllCommands()) {
        if (command.name != words[0]) continue;
        veilport::RegisterInstallation(veilport::RunningProgramDir());
        return command.run(Args(words).subspan(1), std::cout, std::cerr);
    }
    return UsageError(std::cerr, "unknown command '" + std::string(words[0]) + "'");
}
