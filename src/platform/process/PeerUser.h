#pragma once

namespace veilport::process {

// Whether the program at the other end of a connected local socket runs as
// this user (the kernel's record of it, SO_PEERCRED). Both ends of the window
// channel ask: a window takes commands only from its own user, and a program
// hands its commands only to a window of its own user.
[[nodiscard]] bool peerIsThisUser(int fd);

}  // namespace veilport::process
