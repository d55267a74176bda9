#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <future>
#include <vector>

#include "platform/io/UniqueFd.h"
#include "platform/process/TopLevelWindow.h"
#include "platform/process/UnixSocketAddress.h"
#include "platform/process/WindowRequestBuffer.h"
#include "platform/process/WindowRequestReader.h"
#include "platform/process/WindowSocketName.h"
#include "support/TempHome.h"

namespace veilport::process {
namespace {

using namespace std::chrono_literals;
using State = WindowRequestBuffer::State;

TEST(WindowRequestBuffer, IsWholeAtTheLineFeedAndBadOtherwise) {
    WindowRequestBuffer pieces;
    for (const char c : std::string_view("adopt 1.2.3.4:8"))
        EXPECT_EQ(pieces.add(std::string_view(&c, 1)), State::Incomplete);
    EXPECT_EQ(pieces.add("0\n"), State::Complete);
    EXPECT_EQ(pieces.request(), (WindowRequest{WindowMessage::AdoptProxy, "1.2.3.4:80"}));

    WindowRequestBuffer trailing;
    EXPECT_EQ(trailing.add("show\nclose\n"), State::Bad) << "one request per connection";
    WindowRequestBuffer after;
    EXPECT_EQ(after.add("show\n"), State::Complete);
    EXPECT_EQ(after.add("x"), State::Bad);
    EXPECT_EQ(after.request(), std::nullopt);

    WindowRequestBuffer unknown;
    EXPECT_EQ(unknown.add("reboot\n"), State::Bad);
    WindowRequestBuffer cut;
    EXPECT_EQ(cut.add("show"), State::Incomplete);
    EXPECT_EQ(cut.end(), State::Bad);

    WindowRequestBuffer atLimit;
    const std::string longest = "adopt " + std::string(kLongestWindowMessage - 7, 'x');
    EXPECT_EQ(atLimit.add(longest), State::Incomplete);
    EXPECT_EQ(atLimit.add("\n"), State::Complete);
    WindowRequestBuffer overLimit;
    EXPECT_EQ(overLimit.add(longest + "x"), State::Incomplete);
    EXPECT_EQ(overLimit.add("\n"), State::Bad);
}

class WindowRequestReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        endpoint_ = WindowEndpoint::registerTitle("Veilport");
        ASSERT_TRUE(endpoint_.valid()) << endpoint_.error().message();
    }

    // A client connection, sending the bytes given (perhaps not a whole request).
    io::UniqueFd connectAndSend(std::string_view bytes) {
        std::error_code ec;
        const auto path = windowSocketPath("Veilport", ec);
        io::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        EXPECT_FALSE(ec || connectUnix(fd.get(), path));
        if (!bytes.empty()) {
            EXPECT_EQ(::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
                      static_cast<ssize_t>(bytes.size()));
        }
        return fd;
    }

    // What the window does: wait until requests are ready, then take them.
    static std::vector<IncomingRequest> nextRequests(WindowRequestReader& reader) {
        pollfd watch{reader.readyFd(), POLLIN, 0};
        if (::poll(&watch, 1, 10000) != 1) return {};
        return reader.take();
    }

    // Blocks until the reader has closed the connection.
    static bool closedByReader(int fd) {
        char byte;
        return ::recv(fd, &byte, 1, 0) == 0;
    }

    veilport::testing::TempHome home_;
    WindowEndpoint endpoint_;
};

// A client that sends its request a byte at a time (or not at all) holds
// nothing up: the command line's request is answered while it dawdles, and
// the dawdler's own request counts once whole.
TEST_F(WindowRequestReaderTest, ASlowClientDoesNotHoldUpAnother) {
    WindowRequestReader reader(endpoint_);
    ASSERT_TRUE(reader.running()) << reader.error().message();
    const auto slow = connectAndSend("anonym");
    const auto idle = connectAndSend("");

    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window);
    auto asked = std::async(std::launch::async, [&] {
        return window->ask({WindowMessage::AnonymityStatus, {}}, 10s);
    });
    auto requests = nextRequests(reader);
    // The window search above left a connection without a request: never delivered.
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.message, WindowMessage::AnonymityStatus);
    EXPECT_TRUE(requests[0].reply->send("0\nEnabled\n"));
    EXPECT_EQ(asked.get(), "0\nEnabled\n");

    ASSERT_EQ(::send(slow.get(), "ity-off\n", 8, MSG_NOSIGNAL), 8);
    requests = nextRequests(reader);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.message, WindowMessage::AnonymityOff);
}

TEST_F(WindowRequestReaderTest, EndsConnectionsPastTheirDeadlineOrWithBadRequests) {
    WindowRequestReader reader(endpoint_, {.deadline = 50ms, .openConnections = 8});
    ASSERT_TRUE(reader.running());
    const auto late = connectAndSend("sho");
    EXPECT_TRUE(closedByReader(late.get()));
    const auto bad = connectAndSend("show me\n");
    EXPECT_TRUE(closedByReader(bad.get()));
    EXPECT_TRUE(reader.take().empty());
}

// Past the bound, the connection that waited longest goes: a flood of idle
// connections cannot lock out a client that sends its request at once.
TEST_F(WindowRequestReaderTest, IdleConnectionsPastTheBoundMakeRoom) {
    WindowRequestReader reader(endpoint_, {.deadline = 600s, .openConnections = 4});
    ASSERT_TRUE(reader.running());
    std::vector<io::UniqueFd> idle;
    for (int i = 0; i < 40; ++i) idle.push_back(connectAndSend(""));
    const auto good = connectAndSend("update\n");
    const auto requests = nextRequests(reader);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.message, WindowMessage::UpdateProxyList);
    EXPECT_TRUE(closedByReader(idle.front().get()));
}

TEST_F(WindowRequestReaderTest, StopsWithConnectionsStillOpen) {
    const auto idle = connectAndSend("clo");
    {
        WindowRequestReader reader(endpoint_);
        ASSERT_TRUE(reader.running());
        const auto posted = connectAndSend("close\n");
        ASSERT_EQ(nextRequests(reader).size(), 1u);
    }
    EXPECT_TRUE(closedByReader(idle.get()));
}

}  // namespace
}  // namespace veilport::process
