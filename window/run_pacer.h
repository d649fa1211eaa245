// How often a run lets the window breathe. Processing pending events costs
// more than tallying a line, so a run does it only when some time has
// passed, and always before the first line of a file. Repainting the grid
// with a fresh table costs a few milliseconds, so during a run the grid and
// the highlight of the file being read move ten times a second.
#pragma once

#include <chrono>

namespace sormel {

class RunPacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kEventInterval = std::chrono::milliseconds(10);
    static constexpr Clock::duration kRepaintInterval = std::chrono::milliseconds(100);

    // Whether to process events now; if so, counts from now.
    bool eventsDue(bool fileStart) { return due(lastEvents_, kEventInterval, fileStart); }
    // Whether to show the run's progress now; if so, counts from now.
    bool repaintDue() { return due(lastRepaint_, kRepaintInterval, false); }

private:
    static bool due(Clock::time_point& last, Clock::duration interval, bool anyway) {
        const Clock::time_point now = Clock::now();
        if (!anyway && now - last < interval) return false;
        last = now;
        return true;
    }

    Clock::time_point lastEvents_{};
    Clock::time_point lastRepaint_{};
};

}  // namespace sormel
