// The aggregation run: reads every deck file of a list as one deck and
// tallies its card lines into a usage table.
//
// The run talks to whoever drives it (the window or the batch mode) through
// TallyHost: it reads the options live, lets the host process its events
// before every line, sees a cancel request before every line, and reports
// each file and the outcome.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/usage_table.h"

namespace sormel {

class TallyHost {
public:
    virtual ~TallyHost() = default;

    // Options, read at the moment they matter.
    virtual bool includeSidePart() = 0;
    virtual bool highSpeed() = 0;
    virtual SortChoice sortChoice() = 0;

    // Disables everything but the cancel control; undone by unlockControls.
    virtual void lockControls() = 0;
    virtual void unlockControls() = 0;
    // Called before every line; `fileStart` is true before the first line
    // of a file. The host decides how often it really processes events.
    virtual void processEvents(bool fileStart) = 0;
    // True once the user asked the run to stop.
    virtual bool cancelRequested() = 0;
    // The run is about to read file `index` (0-based) of the list.
    virtual void fileStarted(std::size_t index) = 0;
    // File `index` was read; in normal mode the table was sorted just
    // before, and the host shows it.
    virtual void fileFinished(std::size_t index, bool tableSorted) = 0;
    // The first card line read in high-speed mode: the switch cannot be
    // undone for the rest of the run.
    virtual void highSpeedEngaged() = 0;

    virtual void runCompleted() = 0;
    virtual void runCancelled() = 0;
    // An error stopped the run; `message` says what, and where.
    virtual void runFailed(const std::string& message) = 0;
};

enum class TallyOutcome { Completed, Cancelled, Failed };

// Resets `table` and tallies `files` into it, in order. The deck count is
// the number of files, including those without a single card line.
TallyOutcome runTally(UsageTable& table, const std::vector<std::filesystem::path>& files, TallyHost& host);

}  // namespace sormel
