// The switch journal read back after a crash may be cut short or damaged: the
// parser must refuse it whole or read it exactly, and what it reads must
// format back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/desktop/JournalFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veilport::desktop;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = ParseJournal(text);
    if (!entries) return 0;
    if (FormatJournal(*entries) != text) std::abort();
    const auto again = ParseJournal(FormatJournal(*entries));
    if (!again || *again != *entries) std::abort();
    return 0;
}
