#pragma once

// How well a proxy hides its user, judged from what the judge received:
// transparent when the user's real address shows anywhere in it, anonymous
// when the request carries proxy headers (so the site knows a proxy is used),
// elite when neither.

#include <span>
#include <string_view>

#include "proxypool/JudgeAnswer.h"

namespace veilport::proxypool {

enum class AnonymityLevel { Transparent, Anonymous, Elite };

// "transparent", "anonymous", "elite".
std::string_view LevelText(AnonymityLevel level);

// The headers through which proxies announce themselves or their client.
std::span<const std::string_view> ProxyHeaderNames();

// True when `address` occurs in text as a whole address, not as part of a
// longer one (127.0.0.1 is not in 127.0.0.10).
bool MentionsAddress(std::string_view text, std::string_view address);

// realAddress empty (not known) never makes a proxy transparent.
AnonymityLevel ClassifyAnonymity(const JudgeAnswer& answer, std::string_view realAddress);

}  // namespace veilport::proxypool
