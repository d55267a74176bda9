#include <gtest/gtest.h>
#include <poll.h>

#include <future>

#include "platform/process/TopLevelWindow.h"
#include "platform/process/WindowEndpoint.h"
#include "support/TempHome.h"

namespace veilport::process {
namespace {

using namespace std::chrono_literals;

TEST(WindowRequest, WireFormIsExactAndArgumentsStayOnOneLine) {
    const WindowRequest adopt{WindowMessage::AdoptProxy, "1.2.3.4:80->Germany <supports POST>"};
    EXPECT_EQ(formatWindowRequest(adopt), "adopt 1.2.3.4:80->Germany <supports POST>\n");
    EXPECT_EQ(parseWindowRequest("adopt 1.2.3.4:80->Germany <supports POST>\n"), adopt);
    EXPECT_EQ(parseWindowRequest("anonymity-status\n"),
              (WindowRequest{WindowMessage::AnonymityStatus, {}}));

    EXPECT_EQ(formatWindowRequest({WindowMessage::AdoptProxy, ""}), "") << "adopt needs its text";
    EXPECT_EQ(formatWindowRequest({WindowMessage::AdoptProxy, "a\nupdate"}), "");
    EXPECT_EQ(formatWindowRequest({WindowMessage::AdoptProxy, "a\r"}), "");
    EXPECT_EQ(formatWindowRequest({WindowMessage::AnonymityOn, "x"}), "");
    EXPECT_EQ(formatWindowRequest({WindowMessage::AdoptProxy, std::string(600, 'x')}), "");

    for (const char* bad : {"adopt\n", "adopt \n", "update now\n", "show \n", "update",
                            "adopt a\nupdate\n", "Update\n", "anonymity-on\r\n"})
        EXPECT_EQ(parseWindowRequest(bad), std::nullopt) << bad;
    // The posted messages keep their meaning for programs that know only them.
    EXPECT_EQ(parseWindowMessage("close\n"), WindowMessage::Close);
    EXPECT_EQ(parseWindowMessage("adopt 1.2.3.4:80\n"), std::nullopt);
}

class WindowRequestChannel : public ::testing::Test {
protected:
    // Waits until a request is there and takes it; the connection a window
    // search leaves behind carries none.
    std::optional<IncomingRequest> take(WindowEndpoint& endpoint) {
        for (int i = 0; i < 10; ++i) {
            pollfd watch{endpoint.fd(), POLLIN, 0};
            if (::poll(&watch, 1, 10000) != 1) return std::nullopt;
            if (auto incoming = endpoint.receiveRequest()) return incoming;
        }
        return std::nullopt;
    }

    veilport::testing::TempHome home_;
};

TEST_F(WindowRequestChannel, AnAnswerGoesBackOnTheRequestsConnection) {
    auto endpoint = WindowEndpoint::registerTitle("Veilport");
    ASSERT_TRUE(endpoint.valid());
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window);

    auto asked = std::async(std::launch::async, [&] {
        return window->ask({WindowMessage::AdoptProxy, "5.6.7.8:3128"}, 10s);
    });
    auto incoming = take(endpoint);
    ASSERT_TRUE(incoming);
    EXPECT_EQ(incoming->request, (WindowRequest{WindowMessage::AdoptProxy, "5.6.7.8:3128"}));
    EXPECT_TRUE(incoming->reply->send("0\nadopted\n"));
    EXPECT_TRUE(incoming->reply->sent());
    EXPECT_FALSE(incoming->reply->send("again")) << "one answer per request";
    EXPECT_EQ(asked.get(), "0\nadopted\n");

    // A request dropped unanswered reads as no answer, at once.
    asked = std::async(std::launch::async, [&] {
        return window->ask({WindowMessage::AnonymityStatus, {}}, 10s);
    });
    incoming = take(endpoint);
    ASSERT_TRUE(incoming);
    incoming.reset();
    EXPECT_EQ(asked.get(), std::nullopt);

    // A program that only takes posted messages ignores a request it cannot answer.
    asked = std::async(std::launch::async, [&] {
        return window->ask({WindowMessage::AdoptProxy, "1.1.1.1:80"}, 10s);
    });
    while (asked.wait_for(0s) != std::future_status::ready) {
        pollfd watch{endpoint.fd(), POLLIN, 0};
        if (::poll(&watch, 1, 100) == 1) {
            EXPECT_EQ(endpoint.receive(), std::nullopt);
        }
    }
    EXPECT_EQ(asked.get(), std::nullopt);
}

TEST_F(WindowRequestChannel, ASilentWindowCostsTheAskerOnlyItsTimeout) {
    auto endpoint = WindowEndpoint::registerTitle("Veilport");
    ASSERT_TRUE(endpoint.valid());
    const auto window = TopLevelWindow::find("Veilport");
    ASSERT_TRUE(window);
    auto asked = std::async(std::launch::async, [&] {
        return window->ask({WindowMessage::UpdateProxyList, {}}, 200ms);
    });
    auto incoming = take(endpoint);
    ASSERT_TRUE(incoming);
    EXPECT_EQ(asked.get(), std::nullopt);
}

}  // namespace
}  // namespace veilport::process
