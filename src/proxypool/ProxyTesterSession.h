#pragma once

// The tester dialog's logic, without its window: each start runs one test of
// host:port, appends the rows the dialog shows, and writes the results to the
// settings values through which the dialog answers the code that opened it
// (FAIL, TMPResponseTime, TMPDownloadSpeed, and ProxyName on success).

#include <string>
#include <string_view>
#include <vector>

#include "proxypool/ConnectTime.h"

namespace veilport::proxypool {
struct ProxyCheck;
}

namespace veilport::proxypool {

struct TesterRow {
    std::string task;
    std::string response;

    bool operator==(const TesterRow&) const = default;
};

inline constexpr std::string_view kTaskColumnHeading = "Task Description";
inline constexpr int kTaskColumnWidth = 150;
inline constexpr std::string_view kResponseColumnHeading = "Response";
inline constexpr int kResponseColumnWidth = 100;

class ProxyTesterSession {
public:
    // storeResults false runs the test for show only, leaving every setting as it is.
    ProxyTesterSession(std::string host, int port, std::string adoptText, ConnectMeasure measure,
                       bool storeResults = true);

    // One test; the rows it adds follow those of earlier presses.
    void start();
    // One test whose check was made elsewhere (off the window's thread): the
    // connect rows, then what the judge found. A proxy that connects but
    // fails the judge's request fails the test; without a judge the connect
    // alone decides, as start() does.
    void start(const ProxyCheck& check);

    const std::vector<TesterRow>& rows() const { return rows_; }
    int progress() const { return progress_; }
    // Whether the latest start connected (false before the first).
    bool succeeded() const { return succeeded_; }
    // "Proxy details: %s:%d".
    std::string detailsText() const;

private:
    void record(const ProxyCheck& check, bool judged);

    std::string host_;
    int port_;
    std::string adoptText_;
    ConnectMeasure measure_;
    bool storeResults_;
    std::vector<TesterRow> rows_;
    int progress_ = 0;
    bool succeeded_ = false;
};

}  // namespace veilport::proxypool
