// veilportctl's pool commands end to end: the list served on port 80 (inside a
// private network namespace, or on the machine's loopback as root when the
// port is free), the tester against real loopback ports, and adopt + tested
// over MyProxies.txt.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/inet/UrlCache.h"
#include "platform/io/UniqueFd.h"
#include "settings/DwordSetting.h"
#include "settings/StringSetting.h"
#include "support/TempHome.h"

namespace veilport {
namespace {

// A name whose first label is longer than DNS allows: the resolver refuses it
// itself, so the lookup fails without a query leaving the machine.
const std::string kUnresolvable = std::string(70, 'a') + ".invalid";

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class PoolCommands : public ::testing::Test {
protected:
    PoolCommands() {
        const char* ctl = std::getenv("VEILPORTCTL");
        const char* helpers = std::getenv("VEILPORT_HELPERS_DIR");
        if (ctl != nullptr) veilportctl = ctl;
        // CTest may not pass VEILPORT_HELPERS_DIR through (only the first variable
        // of a test's ENVIRONMENT list arrives); the helpers are built beside us.
        const std::filesystem::path helpersDir =
            helpers != nullptr
                ? std::filesystem::path(helpers)
                : std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
                      "helpers";
        server = (helpersDir / "port80_list_server").string();
        StringSetting(settings::kProxyListHost).set("127.0.0.1");
        StringSetting(settings::kAppPath).set(home.veilportHome().string());
        std::ofstream(home.path() / "list.txt", std::ios::binary)
            << "1.1.1.1:80->Niger<br />2.2.2.2:80->null<br />"
               "3.3.3.3:3128->Nigeria <supports POST><br />4.4.4.4:8080->albania<br />"
               "5.5.5.5:80->Zambia <supports POST><br />";
    }

    Outcome Run(const std::vector<std::string>& args) {
        const auto errPath = home.path() / "stderr.txt";
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(pipeFds[1], 1);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            std::vector<char*> argv;
            for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        Outcome outcome;
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof(buffer))) != 0;) {
            if (got > 0) outcome.out.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(pipeFds[0]);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0) {
        }
        outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        outcome.err = ReadAll(errPath);
        return outcome;
    }

    // Runs the port-80 server with a check in a private network namespace, or on
    // this machine's loopback when that is not possible; nothing when neither works.
    std::optional<Outcome> OnPort80(std::vector<std::string> check) {
        const auto list = (home.path() / "list.txt").string();
        std::string why;
        for (const char* mode : {"netns", "host"}) {
            std::vector<std::string> args = {server, mode, list};
            args.insert(args.end(), check.begin(), check.end());
            auto outcome = Run(args);
            if (outcome.code != 77) return outcome;
            why += outcome.err;
        }
        skipReason = "no private network namespace and port 80 not available: " + why;
        return std::nullopt;
    }

    veilport::testing::TempHome home;
    std::string veilportctl;
    std::string server;
    std::string skipReason;
};

TEST_F(PoolCommands, FetchesTheListFromPort80AndTimesListeningAndClosedPorts) {
    const auto outcome = OnPort80({"--probe"});
    if (!outcome) GTEST_SKIP() << skipReason;
    EXPECT_EQ(outcome->code, 0) << outcome->err;
    const auto lines = Lines(outcome->out);
    ASSERT_EQ(lines.size(), 3u) << outcome->out;
    EXPECT_THAT(lines[0], HasSubstr("fetched: 1.1.1.1:80->Niger<br />2.2.2.2:80->null<br />"));
    EXPECT_THAT(lines[1], ::testing::MatchesRegex("listening: [1-9][0-9]*"));
    EXPECT_EQ(lines[2], "closed: 0");
    EXPECT_THAT(outcome->err,
                HasSubstr("request: GET /services/ib/proxy/sortedproxylist.txt HTTP/1.1"));
}

TEST_F(PoolCommands, ListShowsTheNewListAndTheWizardViews) {
    const auto script = "'" + veilportctl + "' list; echo ==; '" + veilportctl +
                        "' list --locations; echo ==; '" + veilportctl +
                        "' list --locations --post; echo ==; '" + veilportctl +
                        "' list --proxies Niger --post";
    const auto outcome = OnPort80({"--", "/bin/sh", "-c", script});
    if (!outcome) GTEST_SKIP() << skipReason;
    EXPECT_EQ(outcome->code, 0) << outcome->err;
    EXPECT_THAT(Lines(outcome->out),
                ElementsAre("1.1.1.1:80->Niger", "3.3.3.3:3128->Nigeria <supports POST>",
                            "4.4.4.4:8080->albania", "5.5.5.5:80->Zambia <supports POST>",
                            "==", "albania", "Niger", "Nigeria", "Zambia", "==", "Nigeria",
                            "Zambia", "==", "3.3.3.3:3128->Nigeria <supports POST>"));

    // The download left its entry in the URL cache, as a browser's would.
    veilport::inet::UrlCacheFind find;
    veilport::inet::UrlCacheEntry entry;
    std::vector<std::string> cached;
    for (bool more = veilport::inet::UrlCache::findFirstEntry(find, entry); more;
         more = veilport::inet::UrlCache::findNextEntry(find, entry))
        cached.push_back(entry.sourceUrl);
    veilport::inet::UrlCache::findClose(find);
    EXPECT_THAT(cached, ::testing::Contains(HasSubstr("/services/ib/proxy/sortedproxylist.txt")));
}

TEST_F(PoolCommands, UpdateShowsItsProgressAndSendsTheGeneratorRequest) {
    const auto outcome = OnPort80({"--", veilportctl, "update"});
    if (!outcome) GTEST_SKIP() << skipReason;
    EXPECT_EQ(outcome->code, 0) << outcome->err;
    EXPECT_THAT(Lines(outcome->out),
                ElementsAre("progress 20%", "New list: 4 entries", "progress 40%", "progress 60%",
                            "progress 80%", "progress 100%", "Proxy list updated!", "progress 0%"));
    EXPECT_THAT(outcome->err, HasSubstr("request: GET /services/ib/proxy/proxygenerator.asp"));
    EXPECT_EQ(DwordSetting(settings::kUseProxy).get(), 0u);
}

TEST_F(PoolCommands, ListReportsAServiceThatCannotBeReached) {
    StringSetting(settings::kProxyListHost).set(kUnresolvable);
    const auto outcome = Run({veilportctl, "list"});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_THAT(outcome.err, HasSubstr("no list from http://" + kUnresolvable + "/"));
    EXPECT_EQ(Run({veilportctl, "list", "--post"}).code, 2);
}

TEST_F(PoolCommands, TestAdoptAndTestedWorkOnRealPorts) {
    io::UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener.get(), 8), 0);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    const auto port = std::to_string(ntohs(address.sin_port));

    // No judge answers here (port 1 refuses): the connect alone decides, and
    // the check says so. Nothing leaves the machine.
    StringSetting judge(settings::kJudgeUrl);
    judge.set("http://127.0.0.1:1/get");
    judge.write();
    auto outcome = Run({veilportctl, "test", "127.0.0.1:" + port});
    EXPECT_EQ(outcome.code, 0) << outcome.err;
    auto lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), 5u) << outcome.out;
    EXPECT_EQ(lines[0], "Proxy details: 127.0.0.1:" + port);
    EXPECT_THAT(lines[1], ::testing::MatchesRegex("Get proxy response time\t[0-9]+ milliseconds"));
    EXPECT_EQ(lines[3], "Request through the proxy\tNo judge reachable: connect time only");
    EXPECT_EQ(lines[4], "Test Completed\tProxy ready");
    EXPECT_FALSE(StringSetting(settings::kProxyName).valid());

    outcome = Run({veilportctl, "adopt", "127.0.0.1:" + port + "->Here"});
    EXPECT_EQ(outcome.code, 0) << outcome.err;
    // Known by its address: replaced in the list, not appended to the file again.
    outcome = Run({veilportctl, "adopt", "127.0.0.1:" + port});
    EXPECT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(ReadAll(home.veilportHome() / "MyProxies.txt"), "127.0.0.1:" + port + "->Here\n");
    EXPECT_EQ(StringSetting(settings::kProxyName).get(), "127.0.0.1:" + port);

    listener.reset();
    outcome = Run({veilportctl, "adopt", "127.0.0.1:" + port});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_THAT(outcome.out, HasSubstr("Proxy server is NOT AVAILABLE\tConnection Failure"));

    outcome = Run({veilportctl, "tested"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_THAT(Lines(outcome.out), ElementsAre("127.0.0.1:" + port + "\tHere\tNot Tested\t"));
}

}  // namespace
}  // namespace veilport
