// The average deck as a file: whatever it writes reads back as the cards
// and counts it stands for, and what it cannot write is named.
#include "export/average_deck_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "analysis/folder_analysis.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;
using Lines = std::vector<AverageDeckLine>;

// The lines as "COUNT NUMBER", in number order.
std::vector<std::string> shown(const Lines& lines) {
    std::vector<std::string> out;
    for (const AverageDeckLine& line : lines) out.push_back(std::to_string(line.copies) + " " + line.number);
    std::sort(out.begin(), out.end());
    return out;
}

// The deck a written file reads back as: the average deck of that one file
// is the file's own cards.
AverageDeckFigures readBack(const std::string& text) {
    ScratchFolder folder;
    AnalysisRequest request;
    request.folder = folder.path();
    request.averageDecks = true;
    FolderAnalysis analysis(request);
    analysis.useFiles(DeckFiles::ofPaths({folder.write("avg.txt", text)}));
    AnalysisHost host;
    EXPECT_TRUE(analysis.run(host).completed());
    return analysis.averageDecks().all;
}

TEST(AverageDeckFile, CardsThatWouldNotReadBackAreLeftOutAndNamed) {
    const struct {
        const char* what;
        Lines main, side;
        CsvEncoding encoding;
        std::string text;
        std::vector<std::string> leftOut;
        std::optional<CsvEncoding> writtenIn{};  // when not the encoding asked for
    } cases[] = {
        {"a line break in a number",
         {{"a\nb", "a\nb", 2}, {"X", "x", 1}}, {}, CsvEncoding::Utf8, "1,X,x\r\n", {"a\nb"}},
        {"a number the list would read as a count (2 1,2: 21 of \"2\")",
         {{"1,2", "1,2", 2}, {"X", "x", 1}}, {}, CsvEncoding::Utf8, "1,X,x\r\n", {"1,2"}},
        {"the list carries more cards than the own format",
         {{"A, B", "A, B", 1}, {"C, D", "C, D", 2}, {"x Foo", "x Foo", 3}}, {}, CsvEncoding::Utf8,
         "1 A, B\r\n2 C, D\r\n", {"x Foo"}},
        {"blanks around a number are kept in the own format",
         {{" X ", " X ", 2}}, {}, CsvEncoding::Utf8, "2, X , X \r\n", {}},
        {"an empty number in the own format", {{"", "", 1}}, {}, CsvEncoding::Utf8, "1,,\r\n", {}},
        {"a number Shift_JIS cannot hold: the file is UTF-8",
         {{"\xC3\x86ther Vial", "\xC3\x86ther Vial", 4}, {"Y", "y", 1}}, {}, CsvEncoding::Cp932,
         "4,\xC3\x86ther Vial,\xC3\x86ther Vial\r\n1,Y,y\r\n", {}, CsvEncoding::Utf8},
        {"only a side card's name Shift_JIS cannot hold", {{"J-1", "\xE9\x9B\xB7", 1}},
         {{"J-2", "J\xC3\xB6tun Grunt", 2}}, CsvEncoding::Cp932, "1,J-1,\xE9\x9B\xB7\r\n--\r\n2,J-2,J\xC3\xB6tun Grunt\r\n",
         {}, CsvEncoding::Utf8},
        {"Shift_JIS holds every name", {{"J-1", "\xE9\x9B\xB7", 1}}, {}, CsvEncoding::Cp932, "1,J-1,\x97\x8B\r\n", {}},
        {"the same number in UTF-8", {{"\xC3\x86ther Vial", "\xC3\x86ther Vial", 4}}, {}, CsvEncoding::Utf8,
         "4,\xC3\x86ther Vial,\xC3\x86ther Vial\r\n", {}},
        {"a side part whose every card is left out", {{"X", "x", 1}}, {{"s\rt", "s\rt", 1}}, CsvEncoding::Utf8,
         "1,X,x\r\n", {"s\rt"}},
    };
    for (const auto& c : cases) {
        const AverageDeckFigures deck{c.main, c.side};
        const AverageDeckText written = formatAverageDeck(deck, c.encoding);
        EXPECT_EQ(written.text, c.text) << c.what;
        EXPECT_EQ(written.leftOut, c.leftOut) << c.what;
        EXPECT_EQ(written.encoding, c.writtenIn.value_or(c.encoding)) << c.what;
        // Every line written is the card and count it stands for.
        Lines kept;
        for (const Lines* part : {&c.main, &c.side}) {
            for (const AverageDeckLine& line : *part) {
                if (std::find(c.leftOut.begin(), c.leftOut.end(), line.number) == c.leftOut.end()) kept.push_back(line);
            }
        }
        const AverageDeckFigures back = readBack(written.text);
        Lines all = back.main;
        if (back.side) all.insert(all.end(), back.side->begin(), back.side->end());
        EXPECT_EQ(shown(all), shown(kept)) << c.what;
    }
}

TEST(AverageDeckFile, TheWarningNamesTheFileAndTheCardWithItsLineBreaksShown) {
    EXPECT_EQ(leftOutCardWarning("平均/全体.txt", "a\r\nb\x01"),
              "平均/全体.txt: 警告: 読み戻すと同じカードにならないため、平均デッキから省きました。カード番号: "
              "a\\r\\nb\\x01");
}

}  // namespace
}  // namespace sormel
