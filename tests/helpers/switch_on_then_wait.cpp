// Switches the machine to the Gateway as enabling anonymity does (UseProxy 1,
// the system proxy, the desktop and the flagged browsers at 127.0.0.1 and
// LocalPort), says "switched" on stdout and then waits to be killed, so a test
// can end it the hard way and check what the next start puts back.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "browsers/ConnectionSwitch.h"
#include "settings/DwordSetting.h"

int main() {
    using namespace veilport;
    DwordSetting useProxy(settings::kUseProxy);
    useProxy.set(1);
    useProxy.write();
    const std::string server =
        "127.0.0.1:" + std::to_string(DwordSetting(settings::kLocalPort).get());
    const auto report = browsers::SetConnectionOptions(server);
    for (const auto& failure : report.failures())
        std::fprintf(stderr, "%s: %s\n", failure.name.c_str(), failure.reason.c_str());
    std::printf(report.allDone() ? "switched\n" : "failed\n");
    std::fflush(stdout);
    for (;;) ::pause();
}
