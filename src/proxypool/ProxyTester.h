#pragma once

#include <functional>
#include <string>
#include <vector>

#include "proxypool/ProxyTesterSession.h"

namespace veilport::proxypool {

// The modal tester: shown with a host, a port and the text that becomes
// ProxyName on success; its answer is how it was closed, its results are in
// the settings values FAIL, TMPResponseTime and TMPDownloadSpeed.
class ProxyTester {
public:
    enum class Result { Ok, Cancel };
    virtual ~ProxyTester() = default;
    virtual Result run(const std::string& host, int port, const std::string& adoptText) = 0;
};

// The tester without a window: one start, then done. The rows it would have
// shown go to onRows when set.
class WindowlessTester : public ProxyTester {
public:
    explicit WindowlessTester(ConnectMeasure measure,
                              std::function<void(const ProxyTesterSession&)> onRows = {})
        : measure_(std::move(measure)), onRows_(std::move(onRows)) {}

    Result run(const std::string& host, int port, const std::string& adoptText) override {
        ProxyTesterSession session(host, port, adoptText, measure_);
        session.start();
        if (onRows_) onRows_(session);
        return Result::Ok;
    }

private:
    ConnectMeasure measure_;
    std::function<void(const ProxyTesterSession&)> onRows_;
};

}  // namespace veilport::proxypool
