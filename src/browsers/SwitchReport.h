#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veilport::browsers {

// What switching the machine to a proxy or back did to each of its targets:
// the system proxy of each connection, the desktop's own proxy settings, each
// browser file, each folder that could not be searched. The switch goes on
// past a failure, so one report can hold successes and failures side by side;
// whoever asked shows the failures.
class SwitchReport {
public:
    struct Target {
        // The file, folder or setting, as a person would recognise it.
        std::string name;
        bool done = false;
        // Why it failed; empty when done.
        std::string reason;
        bool operator==(const Target&) const = default;
    };

    void done(std::string name) { targets_.push_back({std::move(name), true, {}}); }
    void failed(std::string name, std::string reason) {
        targets_.push_back({std::move(name), false, std::move(reason)});
    }
    void append(const SwitchReport& other) {
        targets_.insert(targets_.end(), other.targets_.begin(), other.targets_.end());
    }

    const std::vector<Target>& targets() const { return targets_; }
    std::vector<Target> failures() const;
    bool allDone() const;
    // Each failed target on a line of its own: "name: reason".
    std::string failureText() const;

private:
    std::vector<Target> targets_;
};

}  // namespace veilport::browsers
