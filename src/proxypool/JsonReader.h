#pragma once

// A small, strict JSON reader for the few answers the program reads from web
// services. Values are kept as a tree; strings are decoded (\uXXXX to UTF-8).
// Nesting is limited so that a hostile body cannot exhaust the stack.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilport::proxypool {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // the string, or the number's text
    std::vector<JsonValue> items;
    // Members in their order; a repeated name keeps each occurrence.
    std::vector<JsonMember> members;

    // The first member of that name, or nullptr.
    const JsonValue* member(std::string_view name) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

inline constexpr int kMaxJsonDepth = 64;

// The value the whole text holds (blanks around it allowed), or nullopt.
[[nodiscard]] std::optional<JsonValue> ReadJson(std::string_view text);

}  // namespace veilport::proxypool
