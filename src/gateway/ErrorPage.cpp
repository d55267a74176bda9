#include "gateway/ErrorPage.h"

namespace veilport {

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::string BadGatewayAnswer(std::string_view upstream, std::string_view reason, bool forTunnel) {
    std::string body;
    if (!forTunnel) {
        body =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>502 Bad Gateway</title>"
            "</head>\n<body><h1>502 Bad Gateway</h1>\n<p>Veilport could not send this request "
            "through the proxy <b>" +
            escaped(upstream) + "</b>.</p>\n<p>" + escaped(reason) +
            "</p>\n<p>Nothing was sent to the site directly.</p></body></html>\n";
    }
    std::string answer = "HTTP/1.1 502 Bad Gateway\r\n";
    if (!forTunnel) answer += "Content-Type: text/html; charset=utf-8\r\n";
    answer += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    answer += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    answer += body;
    return answer;
}

}  // namespace veilport
