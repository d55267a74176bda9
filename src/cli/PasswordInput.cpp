#include "cli/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

#include <istream>
#include <ostream>

namespace veilport::cli {

namespace {

// Turns the terminal's echo off for its lifetime.
class HiddenInput {
public:
    HiddenInput() {
        if (::isatty(STDIN_FILENO) != 1 || ::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~HiddenInput() {
        if (active_) (void)::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;
    bool active() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

std::string ReadPasswordLine(std::istream& in, std::ostream* prompt) {
    HiddenInput hidden;
    if (hidden.active() && prompt) *prompt << "Password: " << std::flush;
    std::string password;
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (hidden.active() && prompt) *prompt << '\n';
    return password;
}

}  // namespace veilport::cli
