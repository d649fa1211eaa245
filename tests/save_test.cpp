// The save path against what a folder may hold: links, pipes, devices,
// sockets, long and non-UTF-8 names, other users' files, and several
// outputs saved together.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <stdexcept>
#include <utility>

#include "export/atomic_file.h"
#include "export/save_set.h"
#include "export/write_permission.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::readFile;
using testing::ScratchFolder;

TEST(WritePermission, FollowsTheClassTheUserFallsIn) {
    struct Case {
        const char* what;
        FileOwnership file;
        Credentials who;
        bool writable;
    };
    const Credentials user{1000, 1000, {50}};
    const Credentials root{0, 0, {}};
    const Case cases[] = {
        {"root, another user's 644", {1000, 1000, 0644}, root, true},
        {"root, group write only", {1000, 1000, 0460}, root, true},
        {"root, no write bit", {1000, 1000, 0444}, root, false},
        {"own 644", {1000, 1000, 0644}, user, true},
        {"own 444", {1000, 1000, 0444}, user, false},
        {"own, owner bit clear, others set", {1000, 1000, 0466}, user, false},
        {"root's 644 in the user's folder", {0, 0, 0644}, user, false},
        {"root's 666", {0, 0, 0666}, user, true},
        {"the user's group, group bit", {0, 1000, 0664}, user, true},
        {"the user's group, only the other bit", {0, 1000, 0646}, user, false},
        {"a supplementary group, group bit", {0, 50, 0664}, user, true},
        {"a supplementary group, no group bit", {0, 50, 0644}, user, false},
        {"a foreign group, other bit", {0, 7, 0602}, user, true},
    };
    for (const Case& c : cases) EXPECT_EQ(permitsWriting(c.file, c.who), c.writable) << c.what;
}

class Save : public ::testing::Test {
protected:
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            found.insert(entry.path().filename().native());
        }
        return found;
    }
    std::string errorOf(const std::filesystem::path& target, std::string_view bytes = "new") {
        try {
            writeFileAtomically(target, bytes);
        } catch (const SaveError& error) {
            return error.what();
        }
        return "no error";
    }
    static void skipUnlessRoot() {
        if (geteuid() != 0) GTEST_SKIP() << "needs root (device nodes, other owners); CI runs as root";
    }
    ScratchFolder folder;
};

TEST_F(Save, ALinkStaysALinkAndTheFileItPointsToIsWritten) {
    folder.write("real.csv", "old");
    std::filesystem::create_directory(folder.path() / "sub");
    std::filesystem::create_symlink("../real.csv", folder.path() / "sub" / "link.csv");
    writeFileAtomically(folder.path() / "sub" / "link.csv", "new");
    EXPECT_EQ(std::filesystem::read_symlink(folder.path() / "sub" / "link.csv"), "../real.csv");
    EXPECT_EQ(readFile(folder.path() / "real.csv"), "new");
    EXPECT_EQ(names(), (std::set<std::string>{"real.csv", "sub"}));
}

TEST_F(Save, ADanglingLinkChainCreatesTheFileAtItsEnd) {
    std::filesystem::create_symlink("middle.csv", folder.path() / "first.csv");
    std::filesystem::create_symlink(folder.path() / "nothere.csv", folder.path() / "middle.csv");
    writeFileAtomically(folder.path() / "first.csv", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(folder.path() / "first.csv")));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(folder.path() / "middle.csv")));
    EXPECT_EQ(readFile(folder.path() / "nothere.csv"), "new");
    EXPECT_EQ(names().size(), 3u);
}

TEST_F(Save, ALinkLoopIsAnErrorThatCreatesNothing) {
    std::filesystem::create_symlink("b.csv", folder.path() / "a.csv");
    std::filesystem::create_symlink("a.csv", folder.path() / "b.csv");
    EXPECT_NE(errorOf(folder.path() / "a.csv").find("循環"), std::string::npos);
    EXPECT_EQ(names(), (std::set<std::string>{"a.csv", "b.csv"}));
}

TEST_F(Save, TheLongestNamesTheFileSystemAcceptsSave) {
    for (const std::size_t length : {234u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".csv";
        writeFileAtomically(folder.path() / name, "first");
        writeFileAtomically(folder.path() / name, "second");
        EXPECT_EQ(readFile(folder.path() / name), "second") << length;
    }
    EXPECT_EQ(names().size(), 2u);
    EXPECT_NE(errorOf(folder.path() / std::string(256, 'n')).find("パスが長すぎます"), std::string::npos);
}

TEST_F(Save, ANameThatIsNotUtf8IsKeptByteForByte) {
    folder.write("\xEF\xBF\xBD\xEF\xBF\xBD.csv", "someone else's");
    writeFileAtomically(folder.path() / "\xFF\xFE.csv", "new");
    EXPECT_EQ(names(), (std::set<std::string>{"\xFF\xFE.csv", "\xEF\xBF\xBD\xEF\xBF\xBD.csv"}));
    EXPECT_EQ(readFile(folder.path() / "\xFF\xFE.csv"), "new");
    EXPECT_EQ(readFile(folder.path() / "\xEF\xBF\xBD\xEF\xBF\xBD.csv"), "someone else's");
}

TEST_F(Save, AFifoWithoutReaderIsAnErrorAndOneWithAReaderReceivesTheBytes) {
    const std::filesystem::path fifo = folder.path() / "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_NE(errorOf(fifo).find("パイプを読み取るプログラムがありません"), std::string::npos);

    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeFileAtomically(fifo, "csv\r\n");
    char received[16] = {};
    EXPECT_EQ(read(reader, received, sizeof received), 5);
    EXPECT_STREQ(received, "csv\r\n");
    close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(names(), (std::set<std::string>{"fifo.csv"}));
}

TEST_F(Save, APipeGivenByItsNameUnderDevFdIsWrittenDirectly) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string name = "/dev/fd/" + std::to_string(ends[1]);
    EXPECT_EQ(errorOf(name, "csv\r\n"), "no error");
    close(ends[1]);
    char received[16] = {};
    EXPECT_EQ(read(ends[0], received, sizeof received), 5);
    EXPECT_STREQ(received, "csv\r\n");
    close(ends[0]);
}

TEST_F(Save, AReaderThatGoesAwayIsAnErrorNotTheEndOfTheProgram) {
    const std::filesystem::path fifo = folder.path() / "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    SaveSet save;
    save.prepare(fifo, "csv\r\n");
    close(reader);
    try {
        save.commitAll();
        ADD_FAILURE() << "no error";
    } catch (const SaveError& error) {
        EXPECT_NE(std::string(error.what()).find("途中で終了"), std::string::npos) << error.what();
    }
}

TEST_F(Save, CharacterDevicesAreWrittenAndBlockDevicesAndSocketsRefused) {
    skipUnlessRoot();
    const std::filesystem::path null = folder.path() / "null", full = folder.path() / "full",
                                disk = folder.path() / "disk", socketPath = folder.path() / "socket";
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    ASSERT_EQ(mknod(disk.c_str(), S_IFBLK | 0600, makedev(7, 0)), 0);
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    EXPECT_EQ(errorOf(null), "no error");
    EXPECT_NE(errorOf(full).find("ディスクの空き容量が不足しています"), std::string::npos);
    EXPECT_NE(errorOf(disk).find("ブロックデバイス"), std::string::npos);
    EXPECT_NE(errorOf(socketPath).find("ソケット"), std::string::npos);
    close(listening);
    EXPECT_TRUE(std::filesystem::is_character_file(null));
    EXPECT_TRUE(std::filesystem::is_character_file(full));
    EXPECT_TRUE(std::filesystem::is_block_file(disk));
    EXPECT_TRUE(std::filesystem::is_socket(socketPath));
    EXPECT_EQ(names().size(), 4u);
}

TEST_F(Save, AnotherUsersFileKeepsItsOwnerGroupAndMode) {
    skipUnlessRoot();
    const std::filesystem::path target = folder.write("theirs.csv", "old");
    ASSERT_EQ(chown(target.c_str(), 4321, 8765), 0);
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    writeFileAtomically(target, "new");
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, 8765u);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(target), "new");
}

TEST_F(Save, ANormalUserCannotReplaceRootsFileInTheirFolder) {
    skipUnlessRoot();
    const std::filesystem::path target = folder.write("roots.csv", "old");
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 0: refused as read-only; 1: another error; 2: replaced.
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        try {
            writeFileAtomically(target, "new");
        } catch (const SaveError& error) {
            _exit(std::string(error.what()).find("読み取り専用のファイルです。") != std::string::npos ? 0 : 1);
        }
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(names(), (std::set<std::string>{"roots.csv"}));
}

TEST_F(Save, ASetReplacesNothingUntilEveryOutputIsWritten) {
    folder.write("a.csv", "old a");
    {
        SaveSet save;
        save.prepare(folder.path() / "a.csv", "new a");
        EXPECT_EQ(readFile(folder.path() / "a.csv"), "old a");
        EXPECT_THROW(save.prepare(folder.path() / "missing" / "b.csv", "new b"), SaveError);
    }
    EXPECT_EQ(readFile(folder.path() / "a.csv"), "old a");
    EXPECT_EQ(names(), (std::set<std::string>{"a.csv"}));

    SaveSet save;
    save.prepare(folder.path() / "a.csv", "new a");
    save.prepare(folder.path() / "b.csv", "new b");
    save.commitAll();
    EXPECT_EQ(readFile(folder.path() / "a.csv"), "new a");
    EXPECT_EQ(readFile(folder.path() / "b.csv"), "new b");
    EXPECT_EQ(names(), (std::set<std::string>{"a.csv", "b.csv"}));
}

TEST_F(Save, AFailedRenamePutsBackTheFilesAlreadyReplaced) {
    folder.write("a.csv", "old a");
    folder.write("c.csv", "old c");
    SaveSet save;
    save.prepare(folder.path() / "a.csv", "new a");
    save.prepare(folder.path() / "b.csv", "new b");
    save.prepare(folder.path() / "c.csv", "new c");
    // c.csv becomes a folder that a file cannot be renamed over.
    std::filesystem::remove(folder.path() / "c.csv");
    std::filesystem::create_directories(folder.path() / "c.csv" / "inside");
    EXPECT_THROW(save.commitAll(), SaveError);
    EXPECT_EQ(readFile(folder.path() / "a.csv"), "old a");
    EXPECT_EQ(names(), (std::set<std::string>{"a.csv", "c.csv"}));
}

TEST_F(Save, AContentWrittenInPiecesArrivesWholeInItsOrder) {
    folder.write("r.json", "old");
    // Pieces below, at and far above the size the save gathers before writing.
    std::string expected;
    SaveSet save;
    save.fill(save.reserve(folder.path() / "r.json"), [&](ByteSink& sink) {
        for (const std::size_t size : {1u, 4000u, 70'000u, 262'144u, 3u, 1'000'000u, 17u}) {
            const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
            expected += piece;
            sink.write(piece);
        }
    });
    EXPECT_EQ(readFile(folder.path() / "r.json"), "old");
    save.commitAll();
    EXPECT_EQ(readFile(folder.path() / "r.json"), expected);
    EXPECT_EQ(names(), (std::set<std::string>{"r.json"}));
}

TEST_F(Save, AWriterThatFailsMidwayLeavesTheOldFileAndNoTemporaryFile) {
    folder.write("r.json", "old");
    folder.write("r.csv", "old csv");
    SaveSet save;
    const std::size_t csv = save.reserve(folder.path() / "r.csv");
    const std::size_t json = save.reserve(folder.path() / "r.json");
    save.fill(csv, "new csv");
    EXPECT_THROW(save.fill(json,
                           [](ByteSink& sink) {
                               sink.write(std::string(600'000, 'x'));  // part of it already on the disk
                               sink.write("{\"cards\":[");
                               throw std::runtime_error("stopped");
                           }),
                 std::runtime_error);
    // Its temporary file is gone at once, not only when the save is given
    // up; the CSV's waits for the commit.
    EXPECT_EQ(names().size(), 3u);
    EXPECT_EQ(readFile(folder.path() / "r.json"), "old");
    // What was written before stays ready, the failed output stays untouched.
    save.commitAll();
    EXPECT_EQ(readFile(folder.path() / "r.csv"), "new csv");
    EXPECT_EQ(readFile(folder.path() / "r.json"), "old");
    EXPECT_EQ(names(), (std::set<std::string>{"r.csv", "r.json"}));
}

// Beyond the first few outputs of a set, a temporary file waits for its
// content closed. Whatever takes its name meanwhile is refused and left
// unwritten; the other outputs are saved as ever.
TEST(SaveWaitingOutputs, ATemporaryFileReplacedWhileItWaitsIsRefused) {
    using Swap = std::function<void(const std::filesystem::path& temporary, const ScratchFolder& folder)>;
    const std::pair<const char*, Swap> cases[] = {
        {"a link", [](auto& temporary, auto& folder) { create_symlink(folder.path() / "victim.txt", temporary); }},
        {"a hard link", [](auto& temporary, auto& folder) { create_hard_link(folder.path() / "victim.txt", temporary); }},
        {"a pipe", [](auto& temporary, auto&) { ASSERT_EQ(mkfifo(temporary.c_str(), 0666), 0); }},
        // Made after the temporary file is removed, perhaps on its inode.
        {"another user's file",
         [](auto& temporary, auto&) {
             ScratchFolder::writeInto(temporary, "");
             ASSERT_EQ(chown(temporary.c_str(), 4321, 4321), 0);
         }},
        {"nothing", [](auto&, auto&) {}},
    };
    for (const auto& [what, swap] : cases) {
        SCOPED_TRACE(what);
        if (geteuid() != 0 && std::string_view(what) == "another user's file") continue;
        ScratchFolder folder;
        folder.write("victim.txt", "victim");
        const auto hidden = [&] {
            std::set<std::filesystem::path> found;
            for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                if (entry.path().filename().native().starts_with(".")) found.insert(entry.path());
            }
            return found;
        };
        SaveSet save;
        std::vector<std::size_t> reserved;
        for (int i = 0; i < 40; ++i) reserved.push_back(save.reserve(folder.path() / ("out" + std::to_string(i))));
        const std::set<std::filesystem::path> before = hidden();
        const std::size_t last = save.reserve(folder.path() / "last.txt");
        std::set<std::filesystem::path> temporary = hidden();
        for (const std::filesystem::path& earlier : before) temporary.erase(earlier);
        ASSERT_EQ(temporary.size(), 1u);
        std::filesystem::remove(*temporary.begin());
        swap(*temporary.begin(), folder);
        try {
            save.fill(last, "new");
            ADD_FAILURE() << "no error";
        } catch (const SaveError& error) {
            EXPECT_NE(std::string(error.what()).find("別のファイルに置き換えられました"), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("last.txt"), std::string::npos) << error.what();
        }
        EXPECT_EQ(readFile(folder.path() / "victim.txt"), "victim");
        save.drop(last);
        for (const std::size_t index : reserved) save.fill(index, "new");
        save.commitAll();
        EXPECT_EQ(readFile(folder.path() / "victim.txt"), "victim");
        EXPECT_EQ(readFile(folder.path() / "out39"), "new");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.path() / "last.txt")));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 41);
    }
}

TEST_F(Save, TwoOutputsAimedAtOneFileAreRefused) {
    folder.write("a.csv", "old");
    std::filesystem::create_symlink("a.csv", folder.path() / "link.csv");
    SaveSet save;
    save.prepare(folder.path() / "a.csv", "one");
    try {
        save.prepare(folder.path() / "link.csv", "two");
        ADD_FAILURE() << "no error";
    } catch (const SaveError& error) {
        EXPECT_NE(std::string(error.what()).find("link.csv"), std::string::npos) << error.what();
    }
    save.commitAll();
    EXPECT_EQ(readFile(folder.path() / "a.csv"), "one");
}

}  // namespace
}  // namespace sormel
