#include "engine/deck_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <numeric>
#include <random>

#include "engine/deck_file.h"
#include "engine/deck_listing.h"
#include "engine/file_error.h"
#include "engine/file_types.h"
#include "engine/path_bytes.h"
#include "engine/system_file.h"
#include "engine/text_decoding.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

// Names in the order of their bytes, as the listing has always sorted
// them: capitals before small letters, a name before its longer forms,
// bytes of 0x80 and up after every ASCII byte.
TEST(DeckFilesOrder, NamesSortByTheirBytesFromWhereAskedOn) {
    const std::vector<std::string> names = {"b.txt", "a.txt", "\xE9\x9D\x92.txt", "B.txt", "a", "a.txt.bak",
                                            "\xC3\xA9.txt", "10.txt", "9.txt", "a b.txt",
                                            // Alike in their first sixteen bytes and more.
                                            "abcdefghijklmnopB.txt", "abcdefghijklmnop", "abcdefghijklmnopA.txt",
                                            "abcdefghijklmno", "abcdefghijklmnop\xFF", "abcdefghijklmnopA"};
    for (const std::size_t first : {0u, 3u}) {
        DeckFiles files;
        const std::uint32_t folder = files.addFolder("/decks");
        for (const std::string& name : names) files.add(folder, name);
        files.sortFrom(first);
        std::vector<std::string> expected = names;
        std::sort(expected.begin() + static_cast<std::ptrdiff_t>(first), expected.end());
        std::vector<std::string> got;
        for (std::size_t i = 0; i < files.size(); ++i) got.emplace_back(files.name(i));
        EXPECT_EQ(got, expected) << "sorted from " << first;
    }
}

// Whole paths and report names, made when asked, for files of the listed
// folder and of its sub-folders, whatever the folder's path ends in.
TEST(DeckFilesNames, PathsAndRelativeNamesAreMadeFromFolderAndName) {
    struct Case {
        std::filesystem::path folder;
        std::string relative;
        std::string name;
        std::string path;
        std::string relativeName;
    };
    const Case cases[] = {
        {"/decks", "", "a.txt", "/decks/a.txt", "a.txt"},
        {"/decks/", "", "a.txt", "/decks/a.txt", "a.txt"},
        {"/", "", "a.txt", "/a.txt", "a.txt"},
        {"decks", "", "a.txt", "decks/a.txt", "a.txt"},
        {"", "", "a.txt", "a.txt", "a.txt"},
        {pathFromBytes("/decks/速攻"), "速攻/", "1.txt", "/decks/速攻/1.txt", "速攻/1.txt"},
#ifndef _WIN32
        // Bytes that are no UTF-8 stay in the path; a report shows them replaced.
        {"/decks/T", "T/", "\xFF.txt", "/decks/T/\xFF.txt", "T/\xEF\xBF\xBD.txt"},
#endif
    };
    DeckFiles files;
    for (const Case& c : cases) files.add(files.addFolder(c.folder, c.relative), c.name);
    ASSERT_EQ(files.size(), std::size(cases));
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files.folderIndex(i), i);
        EXPECT_EQ(files.name(i), cases[i].name);
        EXPECT_EQ(std::string(files.nameText(i)), cases[i].name);
        EXPECT_EQ(pathBytes(files.path(i)), cases[i].path);
        EXPECT_EQ(files.relativeName(i), cases[i].relativeName);
    }
}

// A listing by folder keeps each folder once and reads each file through
// it, with a worker's kept folder or without one; an error names the file.
TEST(DeckFilesListing, SubFoldersAreFoldersOfTheListingAndTheirFilesAreRead) {
    ScratchFolder folder;
    for (const char* sub : {"a", "b"}) std::filesystem::create_directory(folder.path() / sub);
    folder.write("loose.txt", "loose");
    folder.write("b/2.txt", "b2");
    folder.write("b/1.txt", "b1");
    folder.write("a/1.txt", "a1");
    const TypedDeckFiles listing = listDeckFilesByFolder(folder.path(), *FileMask::parse("*.txt"));
    const DeckFiles& files = listing.files;
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files.folderCount(), 3u);
    const std::vector<std::string> relative = {"loose.txt", "a/1.txt", "b/1.txt", "b/2.txt"};
    const std::vector<std::string> contents = {"loose", "a1", "b1", "b2"};
    for (const bool keptFolder : {false, true}) {
        std::optional<FolderDescriptors> folders;
        if (keptFolder) folders.emplace();
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(files.relativeName(i), relative[i]);
            EXPECT_EQ(files.path(i), folder.path() / relative[i]);
            std::string bytes;
            readWholeFile(files.folderOf(i), files.nameText(i), bytes);
            EXPECT_EQ(bytes, contents[i]) << relative[i];
        }
        const std::filesystem::path missing = folder.path() / "a";
        try {
            std::string bytes;
            readWholeFile(missing, "gone.txt", bytes);
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("\nファイル: " + pathText(missing / "gone.txt")), std::string::npos)
                << error.what();
        }
    }
}

// TMPDIR set for as long as the object lives.
class TemporaryFolderSetting {
public:
    explicit TemporaryFolderSetting(const char* folder) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
#ifndef _WIN32
        setenv("TMPDIR", folder, 1);
#else
        (void)folder;
#endif
    }
    ~TemporaryFolderSetting() {
#ifndef _WIN32
        if (old_) {
            setenv("TMPDIR", old_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
#endif
    }
    TemporaryFolderSetting(const TemporaryFolderSetting&) = delete;
    TemporaryFolderSetting& operator=(const TemporaryFolderSetting&) = delete;

private:
    std::optional<std::string> old_;
};

// A listing larger than memory should hold keeps its names in a temporary
// file: sorted runs of a long folder merged, short folders moved whole.
// Whatever the limit, every file reads back as a listing in memory has it,
// in any order, from a copy, and after its pages were let go.
TEST(DeckFilesStored, LongListingsReadBackAsInMemory) {
    std::mt19937 random(7);
    // One long folder, two short ones, one empty and one more long one.
    const std::size_t counts[] = {3000, 5, 40, 0, 700};
    std::vector<std::vector<std::string>> folders;
    for (const std::size_t count : counts) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = std::to_string(random() % 100000);
            name += std::string(random() % 4, static_cast<char>('a' + random() % 26));
            if (i % 7 == 0) name += "\xE9\x9D\x92";
            name += "-" + std::to_string(i) + ".txt";
            names.push_back(std::move(name));
        }
        folders.push_back(std::move(names));
    }
    std::vector<std::pair<std::string, std::uint32_t>> expected;  // name, folder
    for (std::uint32_t folder = 0; folder < folders.size(); ++folder) {
        std::vector<std::string> sorted = folders[folder];
        std::sort(sorted.begin(), sorted.end());
        for (const std::string& name : sorted) expected.emplace_back(name, folder);
    }
    // Where the system gives no temporary file, everything stays in memory.
    std::vector<std::pair<std::size_t, bool>> runs;  // memory, with a temporary folder
    for (const std::size_t memoryBytes : {std::size_t{1}, std::size_t{64}, std::size_t{4096}, DeckFiles::kMemoryBytes}) {
        runs.emplace_back(memoryBytes, true);
    }
#ifndef _WIN32
    runs.emplace_back(64, false);
#endif
    for (const auto& [memoryBytes, withTemporaryFolder] : runs) {
        std::optional<TemporaryFolderSetting> noFolder;
        if (!withTemporaryFolder) noFolder.emplace("/nonexistent-folder-of-sormel-tests");
        DeckFiles files(memoryBytes);
        for (std::size_t folder = 0; folder < folders.size(); ++folder) {
            const std::size_t first = files.size();
            const std::uint32_t index = files.addFolder("/decks/" + std::to_string(folder), std::to_string(folder) + "/");
            for (const std::string& name : folders[folder]) files.add(index, name);
            files.sortFrom(first);
            ASSERT_EQ(files.size() - first, folders[folder].size());
        }
        noFolder.reset();
        const DeckFiles copy = files;
        ASSERT_EQ(files.size(), expected.size());
        files.letGoBefore(files.size());
        std::vector<std::size_t> order(files.size());
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);
        for (const DeckFiles* list : {static_cast<const DeckFiles*>(&files), &copy}) {
            for (const std::size_t i : order) {
                const auto& [name, folder] = expected[i];
                ASSERT_EQ(list->name(i), name) << "file " << i << ", memory " << memoryBytes;
                ASSERT_EQ(std::string(list->nameText(i)), name);
                ASSERT_EQ(list->folderIndex(i), folder);
                ASSERT_EQ(list->relativeName(i), std::to_string(folder) + "/" + toValidUtf8(name));
            }
        }
    }
}

// Each file's type as runs: neighbours of one type are one run, and every
// file reads back its own type.
TEST(FileTypesRuns, EveryFileKeepsItsType) {
    const std::vector<std::vector<std::uint32_t>> cases = {{}, {0}, {0, 0, 1, 1, 0}, {2, 1, 0}, {5, 5, 5, 5}};
    for (const std::vector<std::uint32_t>& types : cases) {
        FileTypes runs;
        for (const std::uint32_t type : types) runs.append(1, type);
        runs.append(0, 9);
        ASSERT_EQ(runs.size(), types.size());
        for (std::size_t file = 0; file < types.size(); ++file) EXPECT_EQ(runs[file], types[file]) << file;
        std::vector<std::uint32_t> fromRuns;
        runs.forEachRun([&](std::uint32_t type, std::size_t first, std::size_t end) {
            EXPECT_EQ(first, fromRuns.size());
            EXPECT_TRUE(fromRuns.empty() || fromRuns.back() != type) << "neighbours of one type are one run";
            fromRuns.insert(fromRuns.end(), end - first, type);
        });
        EXPECT_EQ(fromRuns, types);
    }
}

// Files given in an order of their own keep it, however many there are.
TEST(DeckFilesStored, GivenPathsAreNeverSorted) {
    std::vector<std::filesystem::path> paths;
    for (int i = 60000; i > 0; --i) paths.emplace_back("/decks/" + std::to_string(i) + ".txt");
    const DeckFiles files = DeckFiles::ofPaths(paths);
    ASSERT_EQ(files.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); i += 997) EXPECT_EQ(files.path(i), paths[i]);
}

#ifndef _WIN32
// A real folder whose names outgrow memory lists as one that does not:
// sorted by their bytes, each read through the listing, with a temporary
// folder to keep the names in, without one, and with one that runs out of
// room on the way.
TEST(DeckFilesStored, AFolderOfLongNamesListsInOrder) {
    ScratchFolder folder;
    std::vector<std::string> names;
    std::mt19937 random(3);
    // 2,400 names of about 245 bytes: more than a listing keeps in memory.
    // All are links to one file, which is quicker to make than many files.
    const std::filesystem::path deck = folder.write("deck", "1,AB-001,a\n");
    for (int i = 0; i < 2400; ++i) {
        std::string name = std::to_string(random() % 1000) + std::string(230, 'x') + std::to_string(i) + ".txt";
        std::filesystem::create_hard_link(deck, folder.path() / name);
        names.push_back(std::move(name));
    }
    folder.write("other.dat", "");
    std::sort(names.begin(), names.end());
    enum class Temporary { Folder, None, Full };
    for (const Temporary temporary : {Temporary::Folder, Temporary::None, Temporary::Full}) {
        std::optional<TemporaryFolderSetting> noFolder;
        if (temporary == Temporary::None) noFolder.emplace("/nonexistent-folder-of-sormel-tests");
        std::optional<testing::FileSizeLimit> full;
        if (temporary == Temporary::Full) full.emplace(64 * 1024);
        const DeckFiles files = listDeckFiles(folder.path(), *FileMask::parse("*.txt"));
        full.reset();
        ASSERT_EQ(files.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            ASSERT_EQ(files.name(i), names[i]) << i;
            if (i % 500 == 0) {
                std::string bytes;
                readWholeFile(files.folderOf(i), files.nameText(i), bytes);
                EXPECT_EQ(bytes, "1,AB-001,a\n");
            }
        }
    }
}
#endif

}  // namespace
}  // namespace sormel
