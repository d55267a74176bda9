#include "proxypool/MyProxiesLineReader.h"

#include <utility>

namespace veilport::proxypool {

MyProxiesLineReader::MyProxiesLineReader(LineSink sink, std::size_t longestLine)
    : sink_(std::move(sink)), longestLine_(longestLine) {}

void MyProxiesLineReader::endLine(std::string_view rest) {
    if (partial_.empty()) {
        sink_(rest);
    } else {
        partial_.append(rest);
        sink_(partial_);
        partial_.clear();
    }
    ++lineNumber_;
}

bool MyProxiesLineReader::feed(std::string_view piece) {
    if (tooLong_) return false;
    // The LF of a CR LF whose CR ended the previous piece.
    if (afterCr_ && !piece.empty() && piece.front() == '\n') piece.remove_prefix(1);
    afterCr_ = false;
    while (!piece.empty()) {
        const auto end = piece.find_first_of("\r\n");
        const std::string_view text = piece.substr(0, end);
        if (longestLine_ != 0 && partial_.size() + text.size() > longestLine_) {
            tooLong_ = true;
            partial_.clear();
            return false;
        }
        if (end == std::string_view::npos) {
            partial_.append(text);
            return true;
        }
        endLine(text);
        if (piece[end] == '\r') {
            if (end + 1 == piece.size()) {
                afterCr_ = true;
                return true;
            }
            if (piece[end + 1] == '\n') piece.remove_prefix(1);
        }
        piece.remove_prefix(end + 1);
    }
    return true;
}

bool MyProxiesLineReader::finish() {
    if (tooLong_) return false;
    if (!partial_.empty()) endLine({});
    return true;
}

}  // namespace veilport::proxypool
