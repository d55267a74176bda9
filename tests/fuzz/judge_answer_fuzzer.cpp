// Feeds arbitrary bytes to the judge-answer reader (JSON and CGI text) and the
// anonymity rules that read its result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxypool/AnonymityLevel.h"
#include "proxypool/JudgeAnswer.h"

using namespace veilport::proxypool;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto answer = ReadJudgeAnswer(body);
    if (!answer) return 0;
    if (answer->exitAddress().empty()) std::abort();
    (void)ClassifyAnonymity(*answer, "127.0.0.1");
    // An answer that names the real address as its origin is never elite.
    if (ClassifyAnonymity(*answer, answer->exitAddress()) != AnonymityLevel::Transparent)
        std::abort();
    return 0;
}
