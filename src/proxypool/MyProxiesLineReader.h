#pragma once

// Splits the bytes of MyProxies.txt into lines as they arrive, so that a file
// is never held whole beside the rows made from it. CR, LF and CR LF each end
// a line, whichever system wrote the file, and a CR LF split between two
// pieces is still one break. A last line without a break is a line too.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace veilport::proxypool {

class MyProxiesLineReader {
public:
    using LineSink = std::function<void(std::string_view)>;

    // longestLine: a line with more bytes than this stops the reading (0: no cap).
    MyProxiesLineReader(LineSink sink, std::size_t longestLine);

    // Takes the next piece of the file. False once a line has passed the cap;
    // nothing more is taken then.
    [[nodiscard]] bool feed(std::string_view piece);
    // The end of the file: hands on the last line when it had no break.
    [[nodiscard]] bool finish();

    bool tooLong() const { return tooLong_; }
    // The 1-based number of the line being read (the one too long, after a refusal).
    std::size_t lineNumber() const { return lineNumber_; }

private:
    void endLine(std::string_view rest);

    LineSink sink_;
    std::size_t longestLine_;
    std::string partial_;
    std::size_t lineNumber_ = 1;
    bool afterCr_ = false;
    bool tooLong_ = false;
};

}  // namespace veilport::proxypool
