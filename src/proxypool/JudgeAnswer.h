#pragma once

// Reads what a judge answered: the caller's address as the judge saw it and
// the request headers that reached it. Two forms are understood: httpbin's
// JSON ({"origin": "1.2.3.4", "headers": {"Via": "...", ...}}) and the common
// CGI text ("REMOTE_ADDR=1.2.3.4" and "HTTP_X_FORWARDED_FOR=..." lines, plain
// or separated by <br>). Pure, so any body can be fed to it.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veilport::proxypool {

struct JudgeAnswer {
    // As given: httpbin lists every address of a forwarding chain, "a, b".
    std::string origin;
    // Header names as the judge wrote them (CGI names turned back into
    // "X-Forwarded-For" form).
    std::vector<std::pair<std::string, std::string>> headers;

    // The address the request finally came from: the last of origin's list.
    std::string exitAddress() const;
    // The value of a header named without regard to case, or nullopt.
    std::optional<std::string> header(std::string_view name) const;
};

// nullopt when the body is neither form, or names no address: such a body is
// not the judge's own answer (a proxy's own page, say).
[[nodiscard]] std::optional<JudgeAnswer> ReadJudgeAnswer(std::string_view body);

}  // namespace veilport::proxypool
