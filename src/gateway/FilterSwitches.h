#pragma once

namespace veilport {

// The two switches of the invasive-code panel. A row of the filter applies only
// when its setting is exactly 1.
struct FilterSwitches {
    bool scripts = false;  // EnableJS
    bool objects = false;  // EnableActiveX

    bool any() const { return scripts || objects; }

    // Reads both settings afresh, so that a change made in the panel applies
    // from the next chunk.
    static FilterSwitches fromStore();
};

}  // namespace veilport
