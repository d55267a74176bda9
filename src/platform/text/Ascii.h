#pragma once

// ASCII case folding for names that the system compares without regard to
// case: registry names, ini sections, URL schemes and hosts, file and program
// names. Only A-Z and a-z are folded; every other byte (UTF-8 included) stays
// as it is, whatever locale the program runs in. The C library's tolower()
// follows the locale, which a Qt program sets from the environment, so it can
// fold bytes above 127 differently from one user to the next.

#include <cstddef>
#include <string>
#include <string_view>

namespace veilport::text {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = asciiLower(c);
    return lowered;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

constexpr bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// Orders texts as a sorted list shows names: letters without regard to case.
constexpr bool lessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(asciiLower(a[i]));
        const auto y = static_cast<unsigned char>(asciiLower(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace veilport::text
