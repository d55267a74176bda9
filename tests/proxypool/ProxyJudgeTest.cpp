// The check of one proxy against real peers on loopback: tinyproxy in its
// three anonymity set-ups, microsocks, a proxy that serves its own page, and
// an HTTPS server reached through CONNECT. Every proxy goes out from
// 127.0.0.2, so the judge on 127.0.0.1 tells its exit from the user's own.
#include <gtest/gtest.h>

#include <memory>

#include "proxypool/CheckPeers.h"
#include "proxypool/ProxyJudge.h"
#include "support/TempHome.h"

namespace veilport::proxypool {
namespace {

using testing::JudgeServer;
using testing::OwnPageProxy;
using testing::PeerProgram;

struct Peers {
    testing::TempHome home;
    JudgeServer judge;
    OwnPageProxy ownPage;
    std::unique_ptr<testing::TlsServer> tls;
    std::unique_ptr<PeerProgram> elite, anonymous, transparent, noConnect, socks;
};

class ProxyJudgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (testing::FindProgram("tinyproxy").empty() ||
            testing::FindProgram("microsocks").empty() || testing::FindProgram("openssl").empty())
            return;
        peers_ = new Peers;
        const auto folder = peers_->home.path();
        peers_->elite = testing::StartTinyproxy(folder, "elite", "DisableViaHeader Yes\n");
        peers_->anonymous = testing::StartTinyproxy(folder, "anonymous", "");
        peers_->transparent = testing::StartTinyproxy(folder, "transparent", "XTinyproxy Yes\n");
        // CONNECT allowed to port 1 only: every HTTPS tunnel is refused.
        peers_->noConnect = testing::StartTinyproxy(folder, "noconnect", "ConnectPort 1\n");
        peers_->socks = testing::StartMicrosocks();
        peers_->tls = std::make_unique<testing::TlsServer>(folder);
    }
    static void TearDownTestSuite() {
        delete peers_;
        peers_ = nullptr;
    }

    void SetUp() override {
        if (peers_ == nullptr) GTEST_SKIP() << "tinyproxy, microsocks and openssl are needed";
        for (const auto* peer :
             {peers_->elite.get(), peers_->anonymous.get(), peers_->transparent.get(),
              peers_->noConnect.get(), peers_->socks.get()})
            ASSERT_TRUE(peer && peer->started());
        ASSERT_TRUE(peers_->tls->started());
    }

    static JudgeConfig Config() {
        JudgeConfig config;
        config.judgeUrl = peers_->judge.url();
        config.httpsUrl = peers_->tls->url();
        config.limits.caFile = peers_->tls->caFile();
        return config;
    }

    static ListedProxy Proxy(std::uint16_t port, std::string scheme = "http") {
        ListedProxy proxy;
        proxy.scheme = std::move(scheme);
        proxy.host = "127.0.0.1";
        proxy.port = port;
        return proxy;
    }

    static Peers* peers_;
};

Peers* ProxyJudgeTest::peers_ = nullptr;

TEST_F(ProxyJudgeTest, TinyproxyLevelsFollowItsHeaders) {
    ProxyJudge judge(Config());
    const int before = peers_->judge.requests();
    const auto elite = judge.check(Proxy(peers_->elite->port()));
    const auto anonymous = judge.check(Proxy(peers_->anonymous->port()));
    const auto transparent = judge.check(Proxy(peers_->transparent->port()));
    for (const auto* check : {&elite, &anonymous, &transparent}) {
        EXPECT_TRUE(check->connected);
        EXPECT_TRUE(check->judgeReachable);
        EXPECT_TRUE(check->works) << check->failure;
        EXPECT_EQ(check->exitAddress, "127.0.0.2");
        EXPECT_GT(check->latencyMs, 0u);
        EXPECT_EQ(check->country, "unknown");
    }
    EXPECT_EQ(elite.level, AnonymityLevel::Elite);
    EXPECT_EQ(anonymous.level, AnonymityLevel::Anonymous);
    EXPECT_EQ(transparent.level, AnonymityLevel::Transparent);
    EXPECT_EQ(judge.realAddress(), "127.0.0.1");
    // One direct request for the real address, then one through each proxy.
    EXPECT_EQ(peers_->judge.requests() - before, 4);
}

TEST_F(ProxyJudgeTest, SocksProxiesWorkAndHideTheUser) {
    ProxyJudge judge(Config());
    for (const char* scheme : {"socks5", "socks5h"}) {
        const auto check = judge.check(Proxy(peers_->socks->port(), scheme));
        EXPECT_TRUE(check.works) << scheme << ": " << check.failure;
        EXPECT_EQ(check.exitAddress, "127.0.0.2") << scheme;
        EXPECT_EQ(check.level, AnonymityLevel::Elite) << scheme;
        EXPECT_EQ(check.https, HttpsSupport::Yes) << scheme;
    }
}

TEST_F(ProxyJudgeTest, HttpsNeedsATunnelThatReachesTheServer) {
    ProxyJudge judge(Config());
    EXPECT_EQ(judge.check(Proxy(peers_->anonymous->port())).https, HttpsSupport::Yes);
    const auto refused = judge.check(Proxy(peers_->noConnect->port()));
    EXPECT_TRUE(refused.works);
    EXPECT_EQ(refused.https, HttpsSupport::No);
    // A server whose certificate is not trusted is no passed HTTPS check.
    auto untrusted = Config();
    untrusted.limits.caFile.clear();
    ProxyJudge strict(untrusted);
    EXPECT_EQ(strict.check(Proxy(peers_->anonymous->port())).https, HttpsSupport::No);
}

TEST_F(ProxyJudgeTest, AProxyThatServesItsOwnPageOrNothingFails) {
    ProxyJudge judge(Config());
    const auto ownPage = judge.check(Proxy(peers_->ownPage.port()));
    EXPECT_TRUE(ownPage.connected);
    EXPECT_FALSE(ownPage.works);
    EXPECT_EQ(ownPage.failure, "the answer is not the judge's own page");
    EXPECT_EQ(ownPage.https, HttpsSupport::NotChecked);

    const auto dead = judge.check(Proxy(testing::FreeLoopbackPort()));
    EXPECT_FALSE(dead.connected);
    EXPECT_FALSE(dead.works);
    EXPECT_EQ(dead.failure, "Connection Failure");

    // Accepts and closes at once: connected, but nothing comes back.
    testing::LoopbackServer closer([](int) {});
    const auto silent = judge.check(Proxy(closer.port()));
    EXPECT_TRUE(silent.connected);
    EXPECT_FALSE(silent.works);
    EXPECT_EQ(silent.failure.rfind("no answer: ", 0), 0u) << silent.failure;
}

TEST_F(ProxyJudgeTest, WithoutAJudgeOnlyTheConnectIsChecked) {
    auto config = Config();
    config.judgeUrl = "http://127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()) + "/get";
    ProxyJudge judge(config);
    const auto check = judge.check(Proxy(peers_->ownPage.port()));
    EXPECT_TRUE(check.connected);
    EXPECT_FALSE(check.judgeReachable);
    EXPECT_TRUE(check.works);
    EXPECT_GT(check.connectMs, 0u);
    EXPECT_EQ(judge.realAddress(), "");
}

}  // namespace
}  // namespace veilport::proxypool
