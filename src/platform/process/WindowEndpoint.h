#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/io/UniqueFd.h"
#include "platform/process/WindowMessage.h"

namespace veilport::process {

// The answer channel of one request: the connection it came on. Sending
// writes the text and closes the connection; dropping the object unsent
// closes it with no text, which the asking program reads as "no answer".
class WindowReply {
public:
    explicit WindowReply(net::UniqueFd peer) : peer_(std::move(peer)) {}

    // False when the asker has gone or the answer was sent already.
    bool send(std::string_view text);
    bool sent() const { return !peer_; }

private:
    net::UniqueFd peer_;
};

// A request as the window receives it, with the way to answer it.
struct IncomingRequest {
    WindowRequest request;
    std::shared_ptr<WindowReply> reply;
};

// The receiving side of a top-level window: while this object lives, other
// programs of the same user find the window by its exact title and post it
// messages (TopLevelWindow). It listens on a local socket named after the
// title in the runtime folder.
//
// A socket file left by a process that died without cleaning up answers no
// connection; registration detects that and takes the name over. A name held
// by a live window is not taken: registration fails with "address in use".
class WindowEndpoint {
public:
    [[nodiscard]] static WindowEndpoint registerTitle(std::string_view title);

    WindowEndpoint() = default;
    ~WindowEndpoint();
    WindowEndpoint(WindowEndpoint&& other) noexcept;
    WindowEndpoint& operator=(WindowEndpoint&& other) noexcept;

    bool valid() const { return listener_.valid(); }
    std::error_code error() const { return error_; }
    const std::string& title() const { return title_; }

    // The listening descriptor (non-blocking): it turns readable when another
    // program connects, which an event loop can watch.
    int fd() const { return listener_.get(); }

    // Takes one waiting connection and reads its message. Returns nothing when
    // no connection waits, when the peer is another user, or when it sent no
    // valid message (a window search only connects and leaves). Waits at most
    // a fraction of a second for each of a slow peer's bytes: for programs
    // without a window. A window reads through a WindowRequestReader.
    [[nodiscard]] std::optional<WindowMessage> receive();

    // As receive, keeping the connection open for the answer.
    [[nodiscard]] std::optional<IncomingRequest> receiveRequest();

    // Blocks until a valid message arrives, for programs without an event loop.
    [[nodiscard]] std::optional<WindowMessage> waitForMessage();

private:
    void unregister();

    io::UniqueFd listener_;
    std::filesystem::path path_;
    std::string title_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::error_code error_;
};

}  // namespace veilport::process
