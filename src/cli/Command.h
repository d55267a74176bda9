#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "services/ExitStatus.h"

namespace veilport::cli {

// Exit codes shared by every subcommand and the running Veilport's answers.
using services::kExitFailed;
using services::kExitNotFound;
using services::kExitOk;
using services::kExitUsage;

using Args = std::span<const std::string_view>;

// One subcommand of veilportctl: its name, the lines of --help that describe
// it, and the routine that runs it with the words after its name.
struct Command {
    std::string_view name;
    std::string_view help;
    int (*run)(Args args, std::ostream& out, std::ostream& err);
};

// Every subcommand, in the order --help lists them.
std::span<const Command> AllCommands();

// Writes "veilportctl: <message>" and a pointer to --help; returns kExitUsage.
int UsageError(std::ostream& err, std::string_view message);

}  // namespace veilport::cli
