#include "platform/process/PeerUser.h"

#include <sys/socket.h>
#include <unistd.h>

namespace veilport::process {

bool peerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof(peer) &&
           peer.uid == ::getuid();
}

}  // namespace veilport::process
