// The aggregation run: reads every deck file of a list as one deck and
// tallies its card lines into a usage table.
//
// Options that cannot change while a run lasts come in by value. What is
// live goes through TallyHost: the high-speed switch, a chance for the host
// to process its events (and ask the run to stop) before every line, and
// per-file progress. The outcome is the run's return value; locking the
// controls and showing messages are the caller's.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/deck_format.h"
#include "engine/read_ahead.h"
#include "engine/usage_table.h"

namespace sormel {

class DeckObserver;

struct TallyOptions {
    bool includeSidePart = true;
    SortChoice sortChoice = SortChoice::ByDecks;
    // Told of every deck and every counted card line, when given.
    DeckObserver* observer = nullptr;
    // Without the side part: its card lines are still read for the
    // observer's sideEntryRead, without counting, stopping the run or being
    // listed as skipped.
    bool readSidePart = false;
    DeckFormat format = DeckFormat::Auto;
    // Rows keyed by card name, so that printings of a card are one row.
    bool mergeByName = false;
    // Threads that read the next files while the run tallies the current
    // one; with 0, the run reads every file itself when its turn comes.
    unsigned readThreads = machineReadThreads();
    // Holds those threads before they open a file, for tests.
    ReadAheadGate* readGate = nullptr;
};

// The live side of a run. Every method has a default, so that a host
// overrides only what it follows; the defaults give a high-speed run that
// is never cancelled.
class TallyHost {
public:
    virtual ~TallyHost() = default;

    // Read before every card line: true skips the updates on the way.
    virtual bool highSpeed() { return true; }
    // Called before every line; `fileStart` is true before the first line
    // of a file. The host may process its events here; false asks the run
    // to stop.
    virtual bool keepGoing(bool /*fileStart*/) { return true; }
    // The run is about to read file `index` (0-based) of the list.
    virtual void fileStarted(std::size_t /*index*/) {}
    // File `index` was read; in normal mode the table was sorted just
    // before, for the host to show.
    virtual void fileFinished(std::size_t /*index*/, bool /*tableSorted*/) {}
    // The first card line read in high-speed mode: the switch cannot be
    // undone for the rest of the run.
    virtual void highSpeedEngaged() {}
};

enum class TallyOutcome { Completed, Cancelled, Failed };

// Something the run read past that may make its figures wrong: the run
// goes on, and the user is told.
struct DeckWarning {
    std::size_t file = 0;  // index into the run's files
    std::size_t line = 0;  // 1-based; 0 when the warning is about the whole file
    std::string message;
};

struct TallyResult {
    TallyOutcome outcome = TallyOutcome::Completed;
    std::string message;  // for a failure: what went wrong, and where
    std::vector<DeckWarning> warnings;  // in reading order
    // How many files were read in each format, by DeckFormat's value.
    std::vector<std::size_t> filesByFormat = std::vector<std::size_t>(kDeckFormatCount);
};

// Resets `table` and tallies `files` into it, in order. The deck count is
// the number of files, including those without a single card line. No
// thread of the run outlives the call.
TallyResult runTally(UsageTable& table, const DeckFiles& files, const TallyOptions& options, TallyHost& host);

}  // namespace sormel
