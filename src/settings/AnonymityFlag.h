#pragma once

namespace veilport {

// Whether Online Anonymity is on, as the store keeps it (UseProxy). Every
// part of the program asks here; only the anonymity service changes it.
class AnonymityFlag {
public:
    // True when UseProxy holds 1; absent, unreadable or any other value is off.
    static bool isOn();
    // True only when UseProxy holds 0 (or is absent or unreadable): the
    // switch's click reads any other value as on, and so switches it off.
    static bool isOff();
    // Stores 1 or 0, written even when the store already holds it.
    static void store(bool on);
    // A new session starts with anonymity off: a stored 1 becomes 0, while an
    // absent value stays absent and nothing else is written.
    static void clearForNewSession();
};

}  // namespace veilport
