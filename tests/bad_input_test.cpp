// Whatever lies in a deck folder: the run goes on or stops with a message
// naming the file and the line, and an existing CSV is never damaged.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "program_test.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::ScratchFolder;
using testing::shellQuoted;

// The batch mode on the decks a test writes.
class BadInput : public testing::ProgramTest {
protected:
    ProgramResult batch(const std::string& arguments) { return batchOn(decks.path(), arguments); }
};

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

TEST_F(BadInput, BinaryFilesUnderStarDotStarCountAsDecksWithoutCards) {
    decks.write("deck.txt", "3,AB-001,real card\r\n");
    decks.write("noise.bin", randomBytes(4096, 7));
    decks.write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + randomBytes(512, 8));
    decks.write("empty", "");
    const ProgramResult result = batch("--mask '*.*' --encoding utf-8");
    ASSERT_EQ(result.status, 0) << result.err;
    // Four decks: the card's rates count the three files without it.
    EXPECT_NE(result.out.find("\"AB-001\",\"real card\",1,3,25,25\r\n"), std::string::npos) << result.out;
    EXPECT_TRUE(isValidUtf8(result.out));
}

TEST_F(BadInput, AHugeFileWithoutLineBreaksIsReadInLinearTimeAndBoundedMemory) {
    decks.write("deck.txt", "3,AB-001,x\n");
    decks.write("huge.txt", std::string(50 * 1024 * 1024, 'x'));
    const auto started = std::chrono::steady_clock::now();
    const ProgramResult result = batch("--encoding utf-8");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "\"AB-001\",\"x\",1,3,50,50\r\n");
    EXPECT_LT(seconds, 30);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss / 1024, 400) << "peak MiB of the batch run";
}

TEST_F(BadInput, BrokenTextIsReadWithReplacementCharacters) {
    decks.write("bad-utf8.txt", "\xEF\xBB\xBF" "1,U8,name\xFF\xC3\n");            // marked UTF-8, broken bytes
    decks.write("cut-cp932.txt", "1,SJ,\x97\xB3\x82\r\n");                       // double-byte character cut short
    decks.write("odd-utf16.txt", std::string("\xFF\xFE" "1\0,\0W\0,\0w\0\n", 13));  // odd byte count
    decks.write("nul.txt", std::string("1,N\0L,a\0b\n", 10));
    const ProgramResult result = batch("--encoding utf-8");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(isValidUtf8(result.out));
    EXPECT_NE(result.out.find("\"U8\",\"name\xEF\xBF\xBD\xEF\xBF\xBD\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"SJ\",\"\xE7\xAB\x9C\xEF\xBF\xBD\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"W\",\"w\xEF\xBF\xBD\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(std::string("\"N\0L\",\"a\0b\"", 11)), std::string::npos) << result.out;
    // In code page 932 what it cannot hold becomes "?".
    const ProgramResult cp932 = batch("");
    EXPECT_NE(cp932.out.find("\"SJ\",\"\x97\xB3?\""), std::string::npos);
}

TEST_F(BadInput, AFolderNamedLikeADeckFileIsNotRead) {
    decks.write("a.txt", "1,AB-001,a\n");
    std::filesystem::create_directory(decks.path() / "b.txt");
    const ProgramResult result = batch("--encoding utf-8");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "\"AB-001\",\"a\",1,1,100,33.33\r\n");
}

TEST_F(BadInput, FileNamesThatAreNotUtf8AreReadAndShownSafely) {
    decks.write("\xFF\xFE-deck.txt", "1,AB-001,a\n");
    decks.write("\xFF\xFD-deck.txt", "1E400,AB-002,b\n");
    const ProgramResult result = batch("");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(isValidUtf8(result.err)) << result.err;
    EXPECT_NE(result.err.find("\xEF\xBF\xBD\xEF\xBF\xBD-deck.txt（1 行目）"), std::string::npos) << result.err;
}

TEST_F(BadInput, SavingIntoAReadOnlyFolderFailsAndLeavesItAlone) {
    decks.write("a.txt", "1,AB-001,a\n");
    const std::filesystem::path locked = scratch.path() / "locked";
    std::filesystem::create_directory(locked);
    testing::ScratchFolder::writeInto(locked / "result.csv", "earlier result");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const ProgramResult result = batch("--output " + shellQuoted(locked / "result.csv"));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(result.status, 2);  // refused before the run
    EXPECT_NE(result.err.find("読み取り専用"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(locked / "result.csv"), "earlier result");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), {}), 1);
}

TEST_F(BadInput, DeviceNodesGivenAsOutputAreWrittenAndStayDevices) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make device nodes; CI runs as root";
    decks.write("a.txt", "1,AB-001,a\n");
    const std::filesystem::path null = scratch.path() / "null", full = scratch.path() / "full";
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const ProgramResult toNull = batch("--output " + shellQuoted(null));
    EXPECT_EQ(toNull.status, 0) << toNull.err;
    const ProgramResult toFull = batch("--output " + shellQuoted(full));
    EXPECT_EQ(toFull.status, 1);
    EXPECT_NE(toFull.err.find("ディスクの空き容量が不足しています。"), std::string::npos) << toFull.err;
    EXPECT_TRUE(std::filesystem::is_character_file(null));
    EXPECT_TRUE(std::filesystem::is_character_file(full));
}

TEST_F(BadInput, AFifoWithoutReaderAsOutputFailsAtOnce) {
    decks.write("a.txt", "1,AB-001,a\n");
    const std::filesystem::path fifo = scratch.path() / "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const ProgramResult result = batch("--output " + shellQuoted(fifo));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("パイプを読み取るプログラムがありません。"), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// The program, told to pause once its first temporary file is written, is
// stopped by each signal that ends a program from the terminal or the
// system: no temporary file may remain, and it ends by that signal. Also
// with dozens of outputs, most of them waiting with their file closed.
TEST_F(BadInput, SignalsDuringASaveLeaveTheOldFileAndNoTemporaryFile) {
    decks.write("a.txt", "1,AB-001,a\n");
    const std::filesystem::path output = scratch.path() / "out";
    std::filesystem::create_directory(output);
    const std::filesystem::path result = output / "result.csv";
    ScratchFolder::writeInto(result, "earlier result");
    ScratchFolder typed;
    for (int i = 0; i < 40; ++i) {
        std::filesystem::create_directory(typed.path() / ("T" + std::to_string(i)));
        typed.write("T" + std::to_string(i) + "/d.txt", "1,A,a\n");
    }
    const std::filesystem::path averages = scratch.path() / "averages";
    std::filesystem::create_directory(averages);
    struct Case {
        std::vector<std::string> arguments;
        std::filesystem::path watched;
        long kept;         // what the folder held before
        long temporaries;  // temporary files once the program pauses
    };
    const Case cases[] = {
        {{"--batch", decks.path(), "--output", result}, output, 1, 1},
        {{"--batch", typed.path(), "--by-folder", "--average-deck", averages, "--output", "/dev/null"}, averages, 0, 41},
    };
    for (const Case& c : cases) {
        for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                for (const int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
                sigset_t none;
                sigemptyset(&none);
                sigprocmask(SIG_SETMASK, &none, nullptr);
                const int quiet = open("/dev/null", O_WRONLY);
                dup2(quiet, STDOUT_FILENO);
                dup2(quiet, STDERR_FILENO);
                setenv("SORMEL_CHECKER_TEST_SAVE_PAUSE", "1", 1);
                std::vector<char*> arguments{const_cast<char*>(SORMEL_CHECKER_PATH)};
                for (const std::string& argument : c.arguments) arguments.push_back(const_cast<char*>(argument.c_str()));
                arguments.push_back(nullptr);
                execv(SORMEL_CHECKER_PATH, arguments.data());
                _exit(127);
            }
            bool temporarySeen = false;
            for (int i = 0; i < 2000 && !temporarySeen; ++i) {
                temporarySeen = std::distance(std::filesystem::directory_iterator(c.watched), {}) >= c.kept + c.temporaries;
                if (!temporarySeen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_TRUE(temporarySeen) << "signal " << signalNumber;
            kill(child, signalNumber);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "signal " << signalNumber;
            EXPECT_EQ(readFile(result), "earlier result");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.watched), {}), c.kept)
                << "signal " << signalNumber;
        }
    }
}

}  // namespace
}  // namespace sormel
