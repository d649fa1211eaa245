#include "engine/read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/deck_listing.h"
#include "engine/tally_run.h"
#include "export/csv_writer.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::RecordingHost;
using testing::ScratchFolder;

const std::filesystem::path kGolden = SORMEL_GOLDEN_DIR;
const std::filesystem::path kSamples = std::filesystem::path(SORMEL_GOLDEN_DIR) / "../../samples";

// Threads of this process, as the system lists them.
std::size_t threadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// The threads once those that were joined have gone: a joined thread may
// still be listed for a moment while the system finishes its exit, so
// this waits, up to a few seconds, for the count to come down to `expected`.
std::size_t threadCountAfterRun(std::size_t expected) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::size_t count = threadCount();
    while (count > expected && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        count = threadCount();
    }
    return count;
}

// The threads before a run. A sanitizer starts a helper thread of its own
// with the first thread, so one is started and joined first; as threads
// joined (here or by an earlier test) may stay listed for a moment, this is
// the fewest seen over a short while.
std::size_t threadCountBeforeRun() {
    std::thread([] {}).join();
    std::size_t fewest = threadCount();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        fewest = std::min(fewest, threadCount());
    }
    return fewest;
}

// A host that lets a test act when the run starts a file.
class StartHookHost : public RecordingHost {
public:
    std::function<void(std::size_t)> onFileStarted;
    void fileStarted(std::size_t index) override {
        RecordingHost::fileStarted(index);
        if (onFileStarted) onFileStarted(index);
    }
};

// Everything a run leaves that a user or a file could see.
struct RunTrace {
    TallyResult result;
    std::string csv;  // the table as written, when the run completed
    std::vector<std::string> calls;
    std::vector<std::string> partialRows;  // the table as it stands, for runs that did not complete
    bool operator==(const RunTrace& other) const {
        return result.outcome == other.result.outcome && result.message == other.result.message &&
               csv == other.csv && calls == other.calls && partialRows == other.partialRows;
    }
};

std::ostream& operator<<(std::ostream& out, const RunTrace& trace) {
    out << "outcome " << static_cast<int>(trace.result.outcome) << ", " << trace.calls.size() << " calls, "
        << trace.partialRows.size() << " rows; " << trace.result.message;
    return out;
}

RunTrace traceRun(const DeckFiles& files, TallyOptions options, RecordingHost& host) {
    UsageTable table;
    RunTrace trace;
    trace.result = runTally(table, files, options, host);
    trace.calls = host.calls;
    if (trace.result.outcome == TallyOutcome::Completed) {
        trace.csv = formatCsv(table, CsvEncoding::Utf8);
    } else {
        for (std::size_t i = 0; i < table.rowCount(); ++i) {
            const UsageRow& row = table.row(i);
            trace.partialRows.push_back(row.cardNumber + "|" + row.cardName + "|" + std::to_string(row.decks) + "|" +
                                        std::to_string(row.copies));
        }
    }
    return trace;
}

// A folder of decks in every format and encoding, some empty, some with a
// side part, with cards shared between files so that first names and
// rates depend on the order the files are read in.
std::vector<std::filesystem::path> writeMixedFolder(const ScratchFolder& folder, int decks, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    std::vector<std::filesystem::path> files;
    for (int deck = 0; deck < decks; ++deck) {
        std::string text;
        const int lines = pick(12);
        switch (pick(6)) {
            case 0:  // code page 932, CR LF, a name that changes from file to file
                for (int i = 0; i < lines; ++i) {
                    text += std::to_string(1 + pick(3)) + ",SD-" + std::to_string(pick(40)) + ",\x97\xB3" +
                            std::to_string(deck) + "\r\n";
                    if (i == lines / 2) text += "--\r\n";
                }
                break;
            case 1:  // UTF-8 with a comment line
                text = "# deck " + std::to_string(deck) + "\n";
                for (int i = 0; i < lines; ++i) {
                    text += std::to_string(pick(4)) + ",SD-" + std::to_string(pick(40)) + ",\xE7\xAB\x9C\n";
                }
                break;
            case 2:  // a plain list with a side part
                for (int i = 0; i < lines; ++i) text += std::to_string(1 + pick(4)) + " Card " + std::to_string(pick(30)) + "\n";
                text += "Sideboard\n2 Card " + std::to_string(pick(30)) + "\n";
                break;
            case 3:
                text = "<?xml version=\"1.0\"?>\n<Deck>\n";
                for (int i = 0; i < lines; ++i) {
                    text += "<Cards Quantity=\"" + std::to_string(1 + pick(4)) + "\" Sideboard=\"" +
                            (pick(4) == 0 ? "true" : "false") + "\" Name=\"Card " + std::to_string(pick(30)) + "\"/>\n";
                }
                text += "</Deck>\n";
                break;
            case 4:
                text = "#main\n";
                for (int i = 0; i < lines; ++i) text += std::to_string(1000 + pick(20)) + "\n";
                text += "!side\n" + std::to_string(1000 + pick(20)) + "\n";
                break;
            default: break;  // an empty deck
        }
        char name[32];
        std::snprintf(name, sizeof name, "deck%04d.txt", deck);
        files.push_back(folder.write(name, text));
    }
    return files;
}

std::vector<DeckFiles> goldenCorpora() {
    std::vector<DeckFiles> corpora{listDeckFiles(kGolden / "decks", *FileMask::parse("*"))};
    for (const char* format : {"decks", "lists", "dek", "ydk"}) {
        corpora.push_back(listDeckFiles(kSamples / format, *FileMask::parse("*")));
    }
    return corpora;
}

// The same runs with the files read by the run itself and by 1, 2 and 5
// threads ahead of it: the same CSV, the same calls to the host.
TEST(ReadAheadRun, TalliesExactlyAsASerialRead) {
    ScratchFolder folder;
    auto corpora = goldenCorpora();
    corpora.push_back(DeckFiles::ofPaths(writeMixedFolder(folder, 300, 7)));
    ASSERT_GT(corpora.back().size(), ReadAheadLimits{}.files);  // the window goes round more than once
    for (const auto& files : corpora) {
        ASSERT_FALSE(files.empty());
        for (const bool side : {true, false}) {
            TallyOptions options;
            options.includeSidePart = side;
            options.mergeByName = !side;
            options.readThreads = 0;
            RecordingHost serialHost;
            const RunTrace serial = traceRun(files, options, serialHost);
            ASSERT_EQ(serial.result.outcome, TallyOutcome::Completed) << serial.result.message;
            for (const unsigned threads : {1u, 2u, 5u}) {
                options.readThreads = threads;
                RecordingHost host;
                EXPECT_EQ(traceRun(files, options, host), serial) << files.path(0) << ", " << threads << " threads";
            }
        }
    }
}

// A file the workers read, or did not read, before its turn: the run meets
// the same content or the same error either way, at the same file.
TEST(ReadAheadRun, AFileGoneOrMadeAFolderBeforeItsWorkerReadsItFailsWhenTheRunReachesIt) {
    for (const bool makeFolder : {false, true}) {
        ScratchFolder folder;
        const std::vector<std::filesystem::path> files = writeMixedFolder(folder, 6, 3);
        const auto change = [&] {
            std::filesystem::remove(files[3]);
            if (makeFolder) std::filesystem::create_directory(files[3]);
        };
        ReadAheadGate gate;
        gate.hold();
        TallyOptions options;
        options.readThreads = 3;
        options.readGate = &gate;
        StartHookHost host;
        host.onFileStarted = [&](std::size_t index) {
            if (index != 0) return;
            gate.waitUntilHeld(3);  // every worker has a file and has opened none
            change();
            gate.release();
        };
        const RunTrace ahead = traceRun(DeckFiles::ofPaths(files), options, host);

        options.readThreads = 0;
        RecordingHost serialHost;
        // The changed folder, read as before.
        const RunTrace serial = traceRun(DeckFiles::ofPaths(files), options, serialHost);
        EXPECT_EQ(ahead.result.outcome, TallyOutcome::Failed);
        EXPECT_NE(ahead.result.message.find("deck0003.txt"), std::string::npos) << ahead.result.message;
        EXPECT_EQ(ahead.calls.back(), "start 3");
        EXPECT_EQ(ahead, serial);
    }
}

// XML decks are parsed by the thread that read them: a document that is not
// well-formed stops the run at its turn, naming the file and the line, as a
// serial read does, after the decks before it were counted.
TEST(ReadAheadRun, AnXmlDeckThatIsNotWellFormedFailsAtItsTurnWithItsLine) {
    ScratchFolder folder;
    std::vector<std::filesystem::path> paths = writeMixedFolder(folder, 8, 5);
    paths[4] = folder.write("deck0004.dek", "<?xml version=\"1.0\"?>\n<Deck>\n<Cards Quantity=\"1\" Name=\"A\"/>\n<Cards>\n</Deck>\n");
    const DeckFiles files = DeckFiles::ofPaths(paths);
    TallyOptions options;
    options.readThreads = 0;
    RecordingHost serialHost;
    const RunTrace serial = traceRun(files, options, serialHost);
    EXPECT_EQ(serial.result.outcome, TallyOutcome::Failed);
    EXPECT_NE(serial.result.message.find("deck0004.dek（5 行目）"), std::string::npos) << serial.result.message;
    for (const unsigned threads : {1u, 3u}) {
        options.readThreads = threads;
        RecordingHost host;
        EXPECT_EQ(traceRun(files, options, host), serial) << threads << " threads";
    }
}

TEST(ReadAheadRun, CancellingMidRunLeavesTheSamePartialTableAsASerialRead) {
    ScratchFolder folder;
    const std::vector<std::filesystem::path> files = writeMixedFolder(folder, 120, 11);
    std::filesystem::remove(files[110]);  // never reached: the run is cancelled before
    for (const bool fast : {false, true}) {
        for (const int cancelAt : {0, 1, 37, 260}) {
            std::vector<RunTrace> traces;
            for (const unsigned threads : {0u, 4u}) {
                RecordingHost host;
                host.fast = fast;
                host.onEvents = [cancelAt](RecordingHost& h, int call) {
                    if (call == cancelAt) h.cancel = true;
                };
                TallyOptions options;
                options.readThreads = threads;
                traces.push_back(traceRun(DeckFiles::ofPaths(files), options, host));
            }
            EXPECT_EQ(traces[0].result.outcome, TallyOutcome::Cancelled) << cancelAt;
            EXPECT_EQ(traces[1], traces[0]) << "cancelled at event " << cancelAt << (fast ? ", high speed" : "");
        }
    }
}

TEST(ReadAheadRun, RunsAsManyWorkersAsAskedAndNoneOutlivesTheRun) {
    ScratchFolder folder;
    const std::vector<std::filesystem::path> files = writeMixedFolder(folder, 10, 5);
    const std::size_t before = threadCountBeforeRun();
    for (const unsigned threads : {0u, 1u, 3u}) {
        // Held, so that no worker finishes the list before it is counted.
        ReadAheadGate gate;
        gate.hold();
        TallyOptions options;
        options.readThreads = threads;
        options.readGate = &gate;
        std::size_t during = 0;
        StartHookHost host;
        host.onFileStarted = [&](std::size_t index) {
            if (index != 0) return;
            during = threadCount();
            gate.release();
        };
        UsageTable table;
        EXPECT_EQ(runTally(table, DeckFiles::ofPaths(files), options, host).outcome, TallyOutcome::Completed);
        EXPECT_EQ(during, before + threads);
        EXPECT_EQ(threadCountAfterRun(before), before);
    }
}

// Reads from the page cache keep to the starting workers; once reads keep
// waiting for the disk, every worker asked for runs. A read "waits" here
// when it takes longer than the limit given.
TEST(ReadAheadWorkers, AllStartOnlyOnceReadsKeepWaitingForTheDisk) {
    ScratchFolder folder;
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 40; ++i) files.push_back(folder.write(std::to_string(100 + i), "1,A,a\n"));
    const unsigned most = startingReadThreads() + 3;
    for (const auto diskWait : {std::chrono::nanoseconds(0), std::chrono::nanoseconds(std::chrono::hours(1))}) {
        const DeckFiles listed = DeckFiles::ofPaths(files);
        ReadAhead ahead(listed, most, {64, 1u << 20, diskWait});
        EXPECT_EQ(ahead.workerCount(), startingReadThreads());
        std::string buffer;
        for (std::size_t i = 0; i < files.size(); ++i) ahead.take(i, buffer);
        EXPECT_EQ(ahead.workerCount(), diskWait == std::chrono::nanoseconds(0) ? most : startingReadThreads());
    }
}

// An error ends the run while workers wait before their next file: they
// stop, and the run returns.
TEST(ReadAheadRun, AnErrorStopsWorkersThatAreWaiting) {
    ScratchFolder folder;
    std::vector<std::filesystem::path> files{folder.write("bad.txt", "1E400,HUGE,huge\n")};
    for (int i = 0; i < 20; ++i) files.push_back(folder.write("ok" + std::to_string(i) + ".txt", "1,A,a\n"));
    const std::size_t before = threadCountBeforeRun();
    ReadAheadGate gate;
    gate.hold(1);
    TallyOptions options;
    options.readThreads = 4;
    options.readGate = &gate;
    RecordingHost host;
    UsageTable table;
    const TallyResult result = runTally(table, DeckFiles::ofPaths(files), options, host);
    EXPECT_EQ(result.outcome, TallyOutcome::Failed);
    EXPECT_NE(result.message.find("bad.txt（1 行目）"), std::string::npos) << result.message;
    EXPECT_EQ(threadCountAfterRun(before), before);
}

TEST(ReadAheadSetting, WholeNumbersUpToTheWindowElseTheMachine) {
    const unsigned machine = machineReadThreads();
    EXPECT_GE(machine, 2u);
    EXPECT_EQ(readThreadsFromSetting(nullptr), machine);
    EXPECT_EQ(readThreadsFromSetting("0"), 0u);
    EXPECT_EQ(readThreadsFromSetting("3"), 3u);
    EXPECT_EQ(readThreadsFromSetting("64"), 64u);
    for (const char* other : {"", "65", "-1", "3x", " 3", "4294967296"}) {
        EXPECT_EQ(readThreadsFromSetting(other), machine) << '"' << other << '"';
    }
}

// Whatever the limits, the files come whole and in order; a file that
// does not fit in what is left of the bytes is read when its turn comes.
TEST(ReadAheadLimits, FilesComeWholeAndInOrderWithinAnyLimits) {
    ScratchFolder folder;
    std::vector<std::filesystem::path> files;
    std::vector<std::string> contents;
    for (int i = 0; i < 40; ++i) {
        contents.push_back(std::string(static_cast<std::size_t>(i * 7 % 50), static_cast<char>('a' + i % 26)));
        files.push_back(folder.write(std::to_string(100 + i), contents.back()));
    }
    for (const std::size_t filesAhead : {1u, 3u, 64u}) {
        for (const std::uint64_t bytes : {0u, 60u, 1000u}) {
            const DeckFiles listed = DeckFiles::ofPaths(files);
            ReadAhead ahead(listed, 4, {filesAhead, bytes});
            std::string buffer = "left over";
            for (std::size_t i = 0; i < files.size(); ++i) {
                ahead.take(i, buffer);
                ASSERT_EQ(buffer, contents[i]) << i << ", " << filesAhead << " files, " << bytes << " bytes ahead";
            }
        }
    }
}

TEST(ReadAheadLimits, AFileBeyondTheBytesLeftIsReadWhenItsTurnComes) {
    ScratchFolder folder;
    for (const std::uint64_t bytes : {100u, 120u}) {
        const std::vector<std::filesystem::path> files{folder.write("a", std::string(60, 'a')),
                                                       folder.write("b", std::string(60, 'b')),
                                                       folder.write("c", "c")};
        ReadAheadGate gate;
        gate.hold(2);
        const DeckFiles listed = DeckFiles::ofPaths(files);
        ReadAhead ahead(listed, 1, {64, bytes}, &gate);
        gate.waitUntilHeld(1);  // the one worker is done with a and b
        ScratchFolder::writeInto(files[1], "changed");
        gate.release();
        std::string buffer;
        ahead.take(0, buffer);
        EXPECT_EQ(buffer, std::string(60, 'a'));
        ahead.take(1, buffer);
        // With 100 bytes, b did not fit beside a: the run read it, changed.
        EXPECT_EQ(buffer, bytes == 100 ? "changed" : std::string(60, 'b')) << bytes;
        ahead.take(2, buffer);
        EXPECT_EQ(buffer, "c");
    }
}

}  // namespace
}  // namespace sormel
