#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace veilport::testing {

// A program started with its stdout on a pipe. The destructor kills and reaps
// it if it is still running, so a failing test leaves no process behind.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One line of the child's stdout without its newline; false at end of output.
    bool readLine(std::string& line);
    // Sends the signal and waits for the child; returns the wait status.
    int killAndWait(int signal);
    // Waits for the child to end by itself; returns its exit code, or -1.
    int wait();

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
};

// Runs a command to completion and gives its exit code and standard output.
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CommandResult RunCommand(const std::vector<std::string>& argv);

// Path of a program built into the helpers folder.
std::string HelperPath(const std::string& name);
// Path of veilportctl.
std::string VeilportctlPath();

}  // namespace veilport::testing
