#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/deck_lines.h"
#include "engine/native_deck_reader.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    LineCursor cursor(text);
    std::string_view line;
    while (cursor.next(line)) lines.emplace_back(line);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineCutting, CrLfCrAndLoneLfAllEndALine) {
    EXPECT_EQ(linesOf("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(linesOf("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(linesOf("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(linesOf(""), Lines{});
}

TEST(LineCutting, AFileWithLinuxLineEndsKeepsAllItsLines) {
    const std::string text = "3,AB-001,x\n2,AB-002,y\n--\n1,AB-003,z\n";
    EXPECT_EQ(linesOf(text).size(), 4u);
    LineCursor cursor(text);
    std::string_view line;
    while (cursor.next(line)) {
    }
    EXPECT_EQ(cursor.lineNumber(), 4u);
}

TEST(FieldSplitting, TakesTheFirstThreeFieldsAsTheyAre) {
    DeckFields f = splitDeckLine("3,AB-001,First card,extra,more");
    EXPECT_EQ(f.count, "3");
    EXPECT_EQ(f.cardNumber, "AB-001");
    EXPECT_EQ(f.cardName(), "First card");
    f = splitDeckLine(" 3 , AB-001 ,");
    EXPECT_EQ(f.count, " 3 ");
    EXPECT_EQ(f.cardNumber, " AB-001 ");
    EXPECT_EQ(f.cardName(), "");
    f = splitDeckLine("3,AB-001");
    EXPECT_EQ(f.cardName(), "");
    f = splitDeckLine("3");
    EXPECT_EQ(f.count, "3");
    EXPECT_EQ(f.cardNumber, "");
    f = splitDeckLine(",,x");
    EXPECT_EQ(f.count, "");
    EXPECT_EQ(f.cardName(), "x");
}

// Everything a reader of the own format tells of a deck, step by step.
template <typename Reader>
std::vector<std::string> stepsOf(Reader& reader) {
    std::vector<std::string> steps;
    DeckEntry entry;
    while (!reader.atEnd()) {
        const DeckStep step = reader.next(entry);
        std::string text = std::to_string(reader.lineNumber()) + ":" + std::string(reader.lineText()) + ":" +
                           std::to_string(static_cast<int>(step));
        if (step == DeckStep::Card) {
            text += ":" + std::to_string(entry.copies) + "|" + std::string(entry.cardNumber) + "|" +
                    std::string(entry.cardName()) + "|" + std::to_string(static_cast<int>(entry.part));
        }
        steps.push_back(text);
        if (step == DeckStep::EndDeck) break;
    }
    return steps;
}

// A deck's lines cut and split beforehand read exactly as the text read
// line by line: the same steps, line numbers, texts and entries.
TEST(NativeReading, LinesSplitBeforehandReadAsTheText) {
    const std::vector<std::string> decks = {
        "# deck\r\n3,AB-001,First,extra\r\n0,AB-002,none\r\n\r\n--\r\n1,AB-003,Side\r\n",
        "2,AB-001\n \t\n\xE3\x80\x80\n\x81\x40\nno comma\n3\n1,,blank\n,\n1.5,AB-004,x",
        "1,AB-001,x\r2,AB-002,y\n\r--\n--\n1,AB-009,z\n\n",
        "",
        "\n",
    };
    for (const std::string& deck : decks) {
        for (const bool side : {true, false}) {
            std::vector<SplitDeckLine> lines;
            LineCursor cursor(deck);
            std::string_view line;
            while (cursor.next(line)) lines.push_back({line, splitDeckLine(line)});
            NativeDeckReader byText(deck, side);
            SplitNativeDeckReader bySplitLines(lines, side);
            const std::vector<std::string> expected = stepsOf(byText);
            EXPECT_EQ(stepsOf(bySplitLines), expected) << deck << " side " << side;
            EXPECT_EQ(bySplitLines.atEnd(), byText.atEnd()) << deck << " side " << side;
        }
    }
}

TEST(LineClassification, SideSeparatorIgnoredAndCardLines) {
    EXPECT_EQ(classifyCountField("--").kind, LineKind::SideSeparator);
    EXPECT_EQ(classifyCountField(" --").kind, LineKind::Ignored);
    EXPECT_EQ(classifyCountField("---").kind, LineKind::Ignored);
    EXPECT_EQ(classifyCountField("0").kind, LineKind::Ignored);
    EXPECT_EQ(classifyCountField("").kind, LineKind::Ignored);
    EXPECT_EQ(classifyCountField("# デッキ").kind, LineKind::Ignored);
    EXPECT_EQ(classifyCountField("枚数").kind, LineKind::Ignored);
    const LineClass negative = classifyCountField("-1");
    EXPECT_EQ(negative.kind, LineKind::Card);
    EXPECT_EQ(negative.copies, -1);
    EXPECT_EQ(classifyCountField("1.5").copies, 1.5);
    EXPECT_EQ(classifyCountField("1 2").copies, 12);
}

TEST(EncodingDetection, ByteOrderMarksDecideAndAreDropped) {
    std::string utf8 = "\xEF\xBB\xBF" "3,A,\xE7\xAB\x9C";
    EXPECT_EQ(prepareDeckText(utf8), DeckEncoding::Utf8);
    EXPECT_EQ(utf8, "3,A,\xE7\xAB\x9C");

    std::string le("\xFF\xFE" "3\0,\0A\0,\0\xDC\x7A\r\0\n\0", 16);
    EXPECT_EQ(prepareDeckText(le), DeckEncoding::Utf8);
    EXPECT_EQ(le, "3,A,\xE7\xAB\x9C\r\n");

    std::string be("\xFE\xFF\0" "3\0,\0A\0,\x7A\xDC", 12);
    EXPECT_EQ(prepareDeckText(be), DeckEncoding::Utf8);
    EXPECT_EQ(be, "3,A,\xE7\xAB\x9C");
}

TEST(EncodingDetection, AUtf16SurrogatePairBecomesOneFourByteCharacter) {
    // U+1F0CF, a playing card, is D83C DCCF in UTF-16.
    std::string le("\xFF\xFE" "1\0,\0\x3C\xD8\xCF\xDC", 10);
    EXPECT_EQ(prepareDeckText(le), DeckEncoding::Utf8);
    EXPECT_EQ(le, "1,\xF0\x9F\x83\x8F");
    std::string be("\xFE\xFF\0" "1\0,\xD8\x3C\xDC\xCF", 10);
    prepareDeckText(be);
    EXPECT_EQ(be, "1,\xF0\x9F\x83\x8F");
}

TEST(EncodingDetection, ValidUtf8IsUtf8AndAnythingElseIsCp932) {
    std::string utf8 = "3,BT01-001,\xE7\xAB\x9C\xE9\xA8\x8E\xE5\xA3\xAB";
    EXPECT_EQ(prepareDeckText(utf8), DeckEncoding::Utf8);
    std::string cp932 = "3,BT01-001,\x97\xB3\x8B\x52\x8E\x6D";  // 竜騎士
    EXPECT_EQ(prepareDeckText(cp932), DeckEncoding::Cp932);
    EXPECT_EQ(cp932, "3,BT01-001,\x97\xB3\x8B\x52\x8E\x6D");
    EXPECT_EQ(decodeCp932("\x97\xB3\x8B\x52\x8E\x6D"), "\xE7\xAB\x9C\xE9\xA8\x8E\xE5\xA3\xAB");
    // An overlong form of "/" makes the file code page 932, past the first
    // eight bytes as well as within them.
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));
    for (std::string overlong : {std::string("1,A,\xE0\x80\xAF"), std::string("1,AB-001,\xE0\x80\xAF\n")}) {
        EXPECT_EQ(prepareDeckText(overlong), DeckEncoding::Cp932) << overlong;
    }
}

TEST(EncodingDetection, BrokenSequencesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    // Marked UTF-8 with a stray byte and a truncated sequence.
    std::string marked = "\xEF\xBB\xBF" "a\xFF" "b\xE7\xAB";
    prepareDeckText(marked);
    EXPECT_EQ(marked, "a" + fffd + "b" + fffd);
    // UTF-16 with an odd byte count and an unpaired surrogate.
    std::string odd("\xFF\xFE" "a\0\x00\xD8" "b\0c", 9);
    prepareDeckText(odd);
    EXPECT_EQ(odd, "a" + fffd + "b" + fffd);
    // Overlong forms and encoded surrogates are not valid UTF-8.
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
}

TEST(Cp932Decoding, FollowsWindowsMappingsAndReplacesWhatDoesNotDecode) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(decodeCp932("\x81\x60"), "\xEF\xBD\x9E");      // FULLWIDTH TILDE
    EXPECT_EQ(decodeCp932("\x87\x40"), "\xE2\x91\xA0");      // circled digit one
    EXPECT_EQ(decodeCp932("\xFA\x40"), "\xE2\x85\xB0");      // small roman numeral one
    EXPECT_EQ(decodeCp932("\xB1\xB2"), "\xEF\xBD\xB1\xEF\xBD\xB2");  // half-width katakana
    EXPECT_EQ(decodeCp932("\\~"), "\\~");
    // 0x80 stands for U+0080, as Windows' code page 932 reads it.
    EXPECT_EQ(decodeCp932("a\x80" "b"), "a\xC2\x80" "b");
    EXPECT_EQ(decodeCp932("\xA0\xFD"), fffd + fffd);
    // A lead byte at the end, or before an ASCII byte, stands alone.
    EXPECT_EQ(decodeCp932("a\x82"), "a" + fffd);
    EXPECT_EQ(decodeCp932("\x82" "A"), fffd + "A");
    EXPECT_EQ(decodeCp932(std::string("\x82\0", 2)), fffd + std::string(1, '\0'));
}

std::string encodeCp932(std::string_view utf8) {
    std::string out;
    appendCp932(out, utf8);
    return out;
}

TEST(Cp932Encoding, RoundTripsDecodedTextAndMarksTheRest) {
    const std::string text = "\x97\xB3\x8B\x52\x8E\x6D\x81\x60\x87\x40\xFA\x40\xFB\xFC\xB1";
    EXPECT_EQ(encodeCp932(decodeCp932(text)), text);
    EXPECT_EQ(encodeCp932("AB-001"), "AB-001");
    EXPECT_EQ(encodeCp932("a\xF0\x9F\x83\x8F" "b"), "a?b");         // a playing card emoji
    EXPECT_EQ(encodeCp932("\xEF\xBF\xBD"), "?");
    EXPECT_EQ(encodeCp932("\xED\x9F\xBF\xE2\x85\xB0"), "?\xFA\x40");  // Hangul jamo, then ⅰ
    EXPECT_EQ(encodeCp932("\xEF\xBD\xB1\xE3\x81"), "\xB1?");           // half-width ｱ, then a cut sequence
    // Appended after what the text holds already, which stays as it was.
    std::string out = "\"AB\",";
    EXPECT_EQ(appendCp932(out, "\xE3\x81\x82\xF0\x9F\x83\x8F"), 1u);
    out += ",x";
    EXPECT_EQ(out, "\"AB\",\x82\xA0?,x");
}

}  // namespace
}  // namespace sormel
