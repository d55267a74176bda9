#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veilport::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // nothing there: no such value, no list, no answer
inline constexpr int kExitUsage = 2;
// A change was refused or could not be made, wholly or in part (a file not
// written, a port taken, a target of the proxy switch that failed).
inline constexpr int kExitFailed = 3;

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
