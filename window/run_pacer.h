// How often a run lets the window breathe. A full round of event
// processing costs more than tallying a line, or even a small deck, so a
// run does it every 10 ms. Repainting the grid with a fresh table costs a
// few milliseconds, so during a run the grid and the highlight of the file
// being read move ten times a second.
#pragma once

#include <chrono>

namespace sormel {

class RunPacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kEventInterval = std::chrono::milliseconds(10);
    static constexpr Clock::duration kRepaintInterval = std::chrono::milliseconds(100);

    // Whether to process events now; if so, counts from now.
    bool eventsDue() { return due(lastEvents_, kEventInterval); }
    // Whether to show the run's progress now; if so, counts from now.
    bool repaintDue() { return due(lastRepaint_, kRepaintInterval); }

private:
    static bool due(Clock::time_point& last, Clock::duration interval) {
        const Clock::time_point now = Clock::now();
        if (now - last < interval) return false;
        last = now;
        return true;
    }

    Clock::time_point lastEvents_{};
    Clock::time_point lastRepaint_{};
};

}  // namespace sormel
