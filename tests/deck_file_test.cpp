// Reading a deck file that changed after the folder was listed: whatever
// took its place, the read ends at once with an error naming the file.

#include "engine/deck_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>

#include "engine/deck_listing.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

// The message of the error reading `path` gives, or "" when it reads. A
// read still waiting after a while fails the test, and the FIFO it waits
// on is given a writer so that the test ends.
std::string readError(const std::filesystem::path& path) {
    auto reading = std::async(std::launch::async, [path] {
        std::string buffer;
        try {
            readWholeFile(path, buffer);
        } catch (const FileError& error) {
            return std::string(error.what());
        }
        return std::string();
    });
    if (reading.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        ADD_FAILURE() << "the read waits on " << path;
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    return reading.get();
}

class DeckFileSwappedAfterListing : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("a.txt", "1,AB-001,a\n");
        folder.write("b.txt", "1,AB-002,b\n");
        const DeckFiles listed = listDeckFiles(folder.path(), *FileMask::parse("*.txt"));
        ASSERT_EQ(listed.size(), 2u);
        files = {listed.path(0), listed.path(1)};
        std::filesystem::remove(files[1]);
    }
    ScratchFolder folder;
    std::vector<std::filesystem::path> files;
};

TEST_F(DeckFileSwappedAfterListing, AFifoIsAReadErrorNamingTheFileNotAWait) {
    ASSERT_EQ(::mkfifo(files[1].c_str(), 0600), 0);
    const std::string message = readError(files[1]);
    EXPECT_NE(message.find("ファイルを読み込めません。"), std::string::npos) << message;
    EXPECT_NE(message.find("通常のファイルではありません"), std::string::npos) << message;
    EXPECT_NE(message.find("\nファイル: " + files[1].string()), std::string::npos) << message;
}

TEST_F(DeckFileSwappedAfterListing, ALinkToAnEndlessDeviceIsAReadErrorNamingTheFile) {
    std::filesystem::create_symlink("/dev/zero", files[1]);
    const std::string message = readError(files[1]);
    EXPECT_NE(message.find("通常のファイルではありません"), std::string::npos) << message;
    EXPECT_NE(message.find("b.txt"), std::string::npos) << message;
    // The file that did not change still reads.
    EXPECT_EQ(readError(files[0]), "");
}

// Gives `available` bytes of 'x' (endless when negative) and counts what
// it was asked for.
struct FakeFile {
    long long available;
    std::uint64_t asked = 0;
    ReadChunk operator()(char* into, std::size_t size) {
        asked += size;
        std::size_t bytes = size;
        if (available >= 0) bytes = std::min<std::size_t>(size, static_cast<std::size_t>(available));
        std::fill(into, into + bytes, 'x');
        if (available >= 0) available -= static_cast<long long>(bytes);
        return {bytes, 0};
    }
};

TEST(DeckFileGrowth, AFileGrowingPastTheAllowanceIsAnErrorAndIsNotReadOn) {
    const std::uint64_t limit = 300 * 1024;
    std::string buffer;
    FakeFile endless{-1};
    try {
        detail::readUpTo("growing.txt", buffer, limit, std::ref(endless));
        FAIL() << "an endless file was read to its end";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("大きくなり続けて"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("growing.txt"), std::string::npos) << error.what();
    }
    EXPECT_LE(endless.asked, limit + 1);

    // Growing up to the allowance is fine: all of it is read.
    FakeFile grown{static_cast<long long>(limit)};
    detail::readUpTo("grown.txt", buffer, limit, std::ref(grown));
    EXPECT_EQ(buffer.size(), limit);
}

TEST(DeckFileGrowth, AFileIsReadWholeWhateverSizeItWasThoughtToHave) {
    // Thought empty, as large as it is, smaller (it grew) and larger (it shrank).
    const long long size = 200 * 1024 + 7;
    for (const std::uint64_t expected : {std::uint64_t{0}, std::uint64_t(size), std::uint64_t(size / 3), std::uint64_t(size * 2)}) {
        std::string buffer = "earlier file";
        FakeFile file{size};
        detail::readUpTo("deck.txt", buffer, 1024 * 1024, std::ref(file), expected);
        EXPECT_EQ(buffer, std::string(static_cast<std::size_t>(size), 'x')) << "expected " << expected;
    }
    // A file still of its size takes one read, not one more to see its end.
    std::string buffer;
    FakeFile file{size};
    detail::readUpTo("deck.txt", buffer, 1024 * 1024, std::ref(file), std::uint64_t(size));
    EXPECT_EQ(file.asked, std::uint64_t(size) + 1);
}

TEST(DeckFileGrowth, AReadThatWouldWaitIsAnErrorNamingTheFile) {
    std::string buffer = "earlier file";
    try {
        detail::readUpTo("kmsg", buffer, 1024, [](char*, std::size_t) { return ReadChunk{0, EAGAIN}; });
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("待ち続ける"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("ファイル: kmsg"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace sormel
