#include "engine/deck_listing.h"

#include <gtest/gtest.h>

#include "engine/deck_file.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

bool maskMatches(std::string_view mask, std::string_view name) { return FileMask::parse(mask)->matches(name); }

TEST(FileMaskMatching, WildcardsIgnoreLetterCase) {
    EXPECT_TRUE(maskMatches("*.txt", "deck.txt"));
    EXPECT_TRUE(maskMatches("*.txt", "DECK.TXT"));
    EXPECT_FALSE(maskMatches("*.txt", "deck.txt.bak"));
    EXPECT_TRUE(maskMatches("deck??.txt", "deck01.txt"));
    EXPECT_FALSE(maskMatches("deck??.txt", "deck1.txt"));
    EXPECT_TRUE(maskMatches("デッキ?.txt", "デッキ一.txt"));  // "?" is one character, not one byte
    EXPECT_TRUE(maskMatches("*a*b*c", "xxaxxbxxbc"));
}

TEST(FileMaskMatching, SeveralPatternsAndTheTrailingDotStar) {
    EXPECT_TRUE(maskMatches("*.txt;*.deck", "a.deck"));
    EXPECT_TRUE(maskMatches("*.txt; ;*.deck", "a.txt"));
    EXPECT_TRUE(maskMatches("*.*", "README"));
    EXPECT_TRUE(maskMatches("*.*", "a.b.c"));
    EXPECT_TRUE(maskMatches("deck.*", "deck"));
    EXPECT_FALSE(maskMatches("deck.*", "decks"));
    EXPECT_FALSE(maskMatches("", "a.txt"));
}

TEST(FileMaskMatching, RejectsMasksNoFileNameCouldMatch) {
    EXPECT_FALSE(FileMask::parse("decks/*.txt").has_value());
    EXPECT_FALSE(FileMask::parse("decks\\*.txt").has_value());
    EXPECT_FALSE(FileMask::parse("*.txt\n").has_value());
    EXPECT_TRUE(FileMask::parse("*.txt;*.deck").has_value());
}

TEST(DeckListing, PlainVisibleMatchingFilesSortedByName) {
    ScratchFolder folder;
    folder.write("b.txt", "");
    folder.write("a.TXT", "");
    folder.write("c.deck", "");
    folder.write(".hidden.txt", "");
    std::filesystem::create_directory(folder.path() / "sub.txt");
    std::filesystem::create_symlink(folder.path() / "missing", folder.path() / "dangling.txt");
    const auto files = listDeckFiles(folder.path(), *FileMask::parse("*.txt"));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.name(0), "a.TXT");
    EXPECT_EQ(files.name(1), "b.txt");
    EXPECT_EQ(listDeckFiles(folder.path(), *FileMask::parse("*.*")).size(), 3u);
}

TEST(DeckListing, AMissingFolderIsAnErrorNamingIt) {
    ScratchFolder folder;
    try {
        listDeckFiles(folder.path() / "nowhere", *FileMask::parse("*.txt"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("nowhere"), std::string::npos);
    }
}

}  // namespace
}  // namespace sormel
