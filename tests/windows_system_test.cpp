// The Windows counterparts of the system seams, through the program's own
// interfaces: names in UTF-8 at every call, the code page conversions and
// the save.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "engine/deck_listing.h"
#include "engine/path_bytes.h"
#include "engine/system_file.h"
#include "engine/text_decoding.h"
#include "export/atomic_file.h"
#include "test_support.h"

namespace sormel::testing {
namespace {

std::string readAll(InputFile& file) {
    std::string bytes;
    char buffer[256];
    for (ReadChunk chunk; (chunk = file.read(buffer, sizeof buffer)).bytes > 0;) bytes.append(buffer, chunk.bytes);
    return bytes;
}

TEST(WindowsNames, FilesAreListedOpenedAndToldApartByTheirUtf8Names) {
    ScratchFolder folder;
    const std::filesystem::path japanese = folder.path() / pathFromBytes("青白コントロール.txt");
    std::ofstream(japanese, std::ios::binary) << "4 カード";
    std::ofstream(folder.path() / "b.txt", std::ios::binary) << "1 x";

    const auto files = listDeckFiles(folder.path(), *FileMask::parse("*.txt"));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.name(0), "b.txt");  // sorted by the names' UTF-8
    EXPECT_EQ(files.name(1), "青白コントロール.txt");
    EXPECT_EQ(pathBytes(files.path(1)).find('\\'), std::string::npos) << pathBytes(files.path(1));

    InputFile input(pathFromBytes(pathBytes(files.path(1))));
    ASSERT_EQ(input.openError(), 0);
    EXPECT_EQ(input.status().kind, InputFile::Kind::Regular);
    EXPECT_EQ(readAll(input), "4 カード");
    EXPECT_EQ(InputFile(folder.path() / "missing.txt").openError(), ENOENT);
    EXPECT_EQ(InputFile(folder.path()).openError(), EISDIR);

    // The same file by another spelling of its path, and a second name for it.
    EXPECT_EQ(fileIdentity(japanese), fileIdentity(files.path(1)));
    EXPECT_NE(fileIdentity(japanese), fileIdentity(files.path(0)));
    EXPECT_EQ(fileLinkCount(japanese), 1u);
    std::filesystem::create_hard_link(japanese, folder.path() / "link.txt");
    EXPECT_EQ(fileLinkCount(japanese), 2u);
    EXPECT_EQ(fileIdentity(folder.path() / "link.txt"), fileIdentity(japanese));
    EXPECT_FALSE(fileIdentity(folder.path() / "missing.txt"));
}

TEST(WindowsCodePage, WhatCodePage932CannotHoldIsAQuestionMarkNeverALookAlike) {
    struct Case {
        const char* utf8;
        const char* cp932;
        std::size_t lost;
    };
    for (const Case& c : {
             Case{"デッキ", "\x83\x66\x83\x62\x83\x4c", 0},
             Case{"ｱ～", "\xB1\x81\x60", 0},       // half-width katakana, the full-width tilde
             Case{"¥100", "?100", 1},               // the system's best fit would be "\"
             Case{"à la", "? la", 1},               // and "a"
             Case{"한😀", "??", 2},
         }) {
        std::string out;
        EXPECT_EQ(appendCp932(out, c.utf8), c.lost) << c.utf8;
        EXPECT_EQ(out, c.cp932) << c.utf8;
    }
    EXPECT_EQ(decodeCp932("\x83\x66\x83\x62\x83\x4c\xB1"), "デッキｱ");
}

TEST(WindowsSave, ReplacesWholeRefusesReadOnlyAndWritesDevicesDirectly) {
    ScratchFolder folder;
    const std::filesystem::path target = folder.path() / pathFromBytes("集計結果.csv");
    writeFileAtomically(target, "first");
    writeFileAtomically(target, "second");
    EXPECT_EQ(readFile(target), "second");

    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    EXPECT_THROW(writeFileAtomically(target, "third"), SaveError);
    EXPECT_EQ(readFile(target), "second");
    try {
        writeFileAtomically(folder.path() / "missing" / "x.csv", "x");
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const SaveError& error) {
        EXPECT_EQ(error.errorNumber(), ENOENT) << error.what();
    }
    // No temporary file is left by any of them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}), 1);

    writeFileAtomically("NUL", "into the null device");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}), 1);
}

}  // namespace
}  // namespace sormel::testing
