#pragma once

// The tester without a window, with the judge's check: what `veilportctl
// adopt` runs, so a proxy enters the tested list only when a real request
// through it reaches the judge (or, with no judge reachable, when it connects).

#include <functional>
#include <string>

#include "proxypool/ProxyJudge.h"
#include "proxypool/ProxyTester.h"

namespace veilport::proxypool {

// The proxy a test of host:port checks: the adopt text's scheme and login
// when it names this host and port, else plain HTTP.
ListedProxy ProxyToCheck(const std::string& host, int port, const std::string& adoptText);

class JudgedTester : public ProxyTester {
public:
    JudgedTester(ProxyJudge& judge, std::function<void(const ProxyTesterSession&)> onRows = {});

    // The adopt text names the scheme and login when it has them (the
    // upstream parser reads it); otherwise host and port as given, over HTTP.
    Result run(const std::string& host, int port, const std::string& adoptText) override;

private:
    ProxyJudge& judge_;
    std::function<void(const ProxyTesterSession&)> onRows_;
};

}  // namespace veilport::proxypool
