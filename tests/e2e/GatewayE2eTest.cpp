// The Gateway as people run it: curl as the browser, `veilportctl gateway`,
// tinyproxy as the upstream proxy and a local HTTP origin, all on loopback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gateway/LoopbackPeers.h"
#include "settings/DwordSetting.h"
#include "settings/SettingsTable.h"
#include "support/TempHome.h"

extern char** environ;

namespace veilport::testing {
namespace {

using namespace std::chrono_literals;

// A program started for the test, stopped with SIGTERM at the end. Its
// standard output can be read through a pipe.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv, bool captureOutput = false) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeFds[2] = {-1, -1};
        if (captureOutput && ::pipe2(pipeFds, O_CLOEXEC) == 0) {
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
            output_.reset(pipeFds[0]);
        }
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pipeFds[1] >= 0) ::close(pipeFds[1]);
    }
    ~Child() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    // The first line the program writes.
    std::string firstLine() {
        std::string line;
        char c = 0;
        while (::read(output_.get(), &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }
    // Waits for the end of the program; its exit status, or -1.
    int wait() {
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    io::UniqueFd output_;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint16_t FreePort() {
    auto probe = net::listenTcp(Loopback(), 0, 1);
    return probe.ok() ? net::localPort(probe.value.get()).value : 0;
}

bool Accepts(std::uint16_t port) {
    return net::connectTcp(Loopback(), port).ok();
}

const std::string kPage =
    "<!DOCTYPE html>\n<html><head><title>Test Page</title>\n"
    "<SCRIPT type=\"text/javascript\">track('visitor');</SCRIPT></head>\n"
    "<body><P>Keep Me, Exactly As Written.</P><script src=\"ads.js\"></script>\n"
    "<OBJECT data=\"x.swf\"></OBJECT></body></html>\n";

class GatewayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v tinyproxy >/dev/null && command -v curl >/dev/null") != 0)
            GTEST_SKIP() << "tinyproxy and curl are needed";
        big_ = BinaryPayload(50 * 1024 * 1024);
        origin_ = std::make_unique<LoopbackServer>([this](int fd) { serve(fd); });

        proxyPort_ = FreePort();
        const std::uint16_t proxyPort = proxyPort_;
        const auto config = home_.path() / "tinyproxy.conf";
        std::ofstream(config) << "Port " << proxyPort << "\nListen 127.0.0.1\nTimeout 60\n"
                              << "MaxClients 64\nLogLevel Error\nAllow 127.0.0.1\n"
                              << "ViaProxyName \"upstream\"\n";
        tinyproxy_ =
            std::make_unique<Child>(std::vector<std::string>{"tinyproxy", "-d", "-c", config});
        ASSERT_TRUE(tinyproxy_->started());
        ASSERT_TRUE(WaitFor([&] { return Accepts(proxyPort); }));

        const char* veilportctl = std::getenv("VEILPORTCTL");
        ASSERT_NE(veilportctl, nullptr);
        gateway_ = std::make_unique<Child>(
            std::vector<std::string>{veilportctl, "gateway", "--port", "0", "--upstream",
                                     "127.0.0.1:" + std::to_string(proxyPort)},
            true);
        const std::string line = gateway_->firstLine();
        const auto colon = line.find("127.0.0.1:");
        ASSERT_NE(colon, std::string::npos) << line;
        gatewayPort_ = static_cast<std::uint16_t>(std::stoi(line.substr(colon + 10)));
    }

    // The origin: /page.html, /big.bin and /small... (any query), each with
    // its length.
    void serve(int fd) {
        const std::string request = ReadUntil(fd, "\r\n\r\n");
        const bool page = request.find(" /page.html ") != std::string::npos;
        const bool small = request.find(" /small") != std::string::npos;
        static const std::string kSmall = "small";
        const std::string& body = small ? kSmall : page ? kPage : big_;
        (void)SendText(fd, std::string("HTTP/1.1 200 OK\r\nContent-Type: ") +
                               (page ? "text/html" : "application/octet-stream") +
                               "\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n");
        (void)SendText(fd, body);
    }

    // Fetches `path` from the origin with curl through the Gateway.
    std::string fetch(const std::string& path, const std::vector<std::string>& extra = {},
                      std::uint16_t gatewayPort = 0) {
        const auto file = home_.path() / "fetched";
        std::vector<std::string> argv = {
            "curl",
            "-s",
            "-f",
            "--max-time",
            "60",
            "-x",
            "127.0.0.1:" + std::to_string(gatewayPort != 0 ? gatewayPort : gatewayPort_),
            "-o",
            file.string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(origin() + path);
        Child curl(argv);
        EXPECT_EQ(curl.wait(), 0) << "curl failed for " << path.substr(0, 80);
        return ReadFile(file);
    }

    std::string origin() const { return "http://127.0.0.1:" + std::to_string(origin_->port()); }

    // Sends `request` as it is, the way a less common client might, and
    // returns the status line of the answer.
    std::string statusLineFor(const std::string& request) {
        auto browser = ConnectLoopback(gatewayPort_);
        EXPECT_TRUE(SendText(browser.get(), request));
        const std::string answer = ReadToEnd(browser.get());
        return answer.substr(0, answer.find("\r\n"));
    }

    TempHome home_;
    std::string big_;
    std::unique_ptr<LoopbackServer> origin_;
    std::unique_ptr<Child> tinyproxy_;
    std::unique_ptr<Child> gateway_;
    std::uint16_t gatewayPort_ = 0;
    std::uint16_t proxyPort_ = 0;
};

TEST_F(GatewayEndToEnd, PageAndLargeFileArriveIntact) {
    EXPECT_EQ(fetch("/page.html"), kPage);
    const std::string got = fetch("/big.bin");
    EXPECT_EQ(got.size(), big_.size());
    EXPECT_TRUE(got == big_);
}

TEST_F(GatewayEndToEnd, ScriptTagsArriveNeutralizedWhenBlocked) {
    DwordSetting(settings::kEnableJS).set(1);
    std::string expected = kPage;
    const auto rename = [&](const std::string& from, const std::string& to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    rename("<SCRIPT", "<noscri");
    rename("</SCRIPT>", "</noscri> ");
    rename("<script", "<noscri");
    rename("</script>", "</noscri> ");
    EXPECT_EQ(fetch("/page.html"), expected);
    // Everything that is not a page passes untouched.
    EXPECT_TRUE(fetch("/big.bin") == big_);
}

// Every command of veilportctl shares one meaning for its exit codes.
TEST(GatewayCommand, NoUpstreamIsNotFoundAndATakenPortIsAFailure) {
    const char* veilportctl = std::getenv("VEILPORTCTL");
    if (veilportctl == nullptr) GTEST_SKIP() << "VEILPORTCTL is not set";
    TempHome home;
    EXPECT_EQ(Child({veilportctl, "gateway", "--port", "0"}).wait(), 1);
    auto taken = net::listenTcp(Loopback(), 0, 1);
    ASSERT_TRUE(taken.ok());
    const auto port = std::to_string(net::localPort(taken.value.get()).value);
    EXPECT_EQ(Child({veilportctl, "gateway", "--port", port, "--upstream", "127.0.0.1:9"}).wait(),
              3);
}

// Long tracking links and large cookies: the whole head reaches the upstream
// rewritten, and the upstream proxy answers as it does without us.
TEST_F(GatewayEndToEnd, LongUrlsAndLargeCookiesAreAnswered) {
    EXPECT_EQ(fetch("/small?q=" + std::string(6 * 1024, 'a')), "small");
    EXPECT_EQ(fetch("/small", {"-H", "Cookie: session=" + std::string(8 * 1024, 'c')}), "small");
}

TEST_F(GatewayEndToEnd, LeadingEmptyLineAndBareLineFeedsAreAnswered) {
    const std::string host = "127.0.0.1:" + std::to_string(origin_->port());
    EXPECT_EQ(
        statusLineFor("\r\nGET " + origin() + "/small HTTP/1.1\r\nHost: " + host + "\r\n\r\n"),
        "HTTP/1.1 200 OK");
    EXPECT_EQ(statusLineFor("GET " + origin() + "/small HTTP/1.1\nHost: " + host +
                            "\nProxy-Connection: keep-alive\n\n"),
              "HTTP/1.1 200 OK");
}

// veilportctl takes the upstream apart as the pool does, blanks and all.
TEST_F(GatewayEndToEnd, UpstreamGivenAsAPoolEntryTextIsUsed) {
    Child gateway({std::getenv("VEILPORTCTL"), "gateway", "--port", "0", "--upstream",
                   "127.0.0.1: " + std::to_string(proxyPort_) + "->Here"},
                  true);
    const std::string line = gateway.firstLine();
    const auto colon = line.find("127.0.0.1:");
    ASSERT_NE(colon, std::string::npos) << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(colon + 10)));
    EXPECT_EQ(fetch("/small", {}, port), "small");
}

}  // namespace
}  // namespace veilport::testing
