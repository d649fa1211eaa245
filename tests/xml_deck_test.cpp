// Reading the XML deck formats (.dek, .cod, .o8d): what the text of a card
// becomes, which documents are refused and on which line, and that nothing
// outside the file is ever read or expanded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cod_deck_reader.h"
#include "engine/dek_deck_reader.h"
#include "engine/deck_entry.h"
#include "engine/o8d_deck_reader.h"
#include "engine/xml_references.h"

namespace sormel {
namespace {

// The cards a reader hands out, as "NAME COPIES LINE" each.
std::vector<std::string> cardsOf(DeckReader&& reader) {
    std::vector<std::string> cards;
    DeckEntry entry;
    while (!reader.atEnd()) {
        if (reader.next(entry) == DeckStep::Card) {
            cards.push_back(std::string(entry.cardNumber) + " " + std::to_string(static_cast<int>(entry.copies)) + " " +
                            std::to_string(reader.lineNumber()));
        }
    }
    return cards;
}

std::string dek(const std::string& cards) { return "<?xml version=\"1.0\"?>\n<Deck>\n" + cards + "</Deck>\n"; }

TEST(XmlDeckText, ReferencesBlanksAndLineEndsAsXmlReadsThem) {
    struct Case {
        std::string text;
        std::vector<std::string> cards;
    };
    const std::vector<Case> cases = {
        {dek("<Cards Quantity=\"1\" Name=\"Fire &amp; Ice &lt;&gt;&quot;&apos; &#x3042;&#12354;\"/>\n"),
         {"Fire & Ice <>\"' \xE3\x81\x82\xE3\x81\x82 1 3"}},
        // A line break or tab written as such is a blank; written as a
        // reference it stays.
        {dek("<Cards Quantity=\"2\" Name=\"a\r\nb\tc&#10;d\"/>\n"), {"a b c\nd 2 3"}},
        // Comments, a DOCTYPE that declares nothing used, CDATA outside the cards.
        {"<?xml version=\"1.0\"?>\r\n<!DOCTYPE Deck>\r<!-- c -->\r\n<Deck><x><![CDATA[&bogus;]]></x>\r\r\n"
         "<Cards Quantity=\"3\" Name=\"A\"/></Deck>",
         {"A 3 6"}},
        {"<cockatrice_deck>\n<zone name=\"main\"><card number=\"1\" name=\"&#x1F600;\"/></zone>\n"
         "<zone name=\"side\">\n<card number=\"2\" name=\"S\"/></zone></cockatrice_deck>",
         {"\xF0\x9F\x98\x80 1 2", "S 2 4"}},
        // Documents read part of the way in one pass and then again as a
        // tree (at the comment): the cards of the first go are forgotten,
        // and so is the zone they were in.
        {dek("<Cards Quantity=\"1\" Name=\"A\"/>\n<!-- c -->\n"), {"A 1 3"}},
        {"<cockatrice_deck><card number=\"9\" name=\"Out\"/>\n<zone name=\"main\"><card number=\"1\" name=\"In\"/>"
         "<!-- c --></zone></cockatrice_deck>",
         {"In 1 2"}},
    };
    for (const Case& c : cases) {
        const bool cod = c.text.find("cockatrice") != std::string::npos;
        EXPECT_EQ(cod ? cardsOf(CodDeckReader(c.text, true)) : cardsOf(DekDeckReader(c.text, true)), c.cards) << c.text;
    }
}

TEST(XmlDeckText, OctgnCardTextGathersTextAndCdataWithLineEndsMadeLf) {
    const std::string text =
        "<deck>\r\n<section name=\"Main\">\r\n<card qty=\"1\" id=\"x\">  A &amp;<i> B</i>\r\nC  </card>\r\n"
        "<card qty=\"2\"><![CDATA[<D>]]></card>\r\n</section>\r\n<notes>N</notes></deck>";
    EXPECT_EQ(cardsOf(O8dDeckReader(text, true)), (std::vector<std::string>{"A & B\nC 1 3", "<D> 2 5"}));
}

TEST(XmlDeckText, RefusedDocumentsNameTheirLine) {
    struct Case {
        std::string text;
        std::string reason;
        std::size_t line;
    };
    const std::vector<Case> cases = {
        // Entities a DTD declares are never expanded: neither a billion
        // laughs nor a file of the machine gets into a card.
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE Deck [\n<!ENTITY a \"aaaaaaaaaa\">\n<!ENTITY b \"&a;&a;&a;&a;&a;&a;\">\n]>\n"
         "<Deck>\n<Cards Quantity=\"1\" Name=\"&b;\"/>\n</Deck>",
         "undefined entity", 7},
        {"<!DOCTYPE Deck [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<Deck>\n<Cards Quantity=\"1\" Name=\"A\"/>&x;</Deck>",
         "undefined entity", 3},
        {"<!DOCTYPE Deck SYSTEM \"http://example.invalid/deck.dtd\">\n<Deck>&nbsp;</Deck>", "undefined entity", 2},
        {dek("<Cards Quantity=\"1\" Name=\"&#0;\"/>\n"), "reference to invalid character number", 3},
        {dek("<Cards Quantity=\"1\" Name=\"&#xD800;\"/>\n"), "reference to invalid character number", 3},
        {dek("\n<Cards Quantity=\"1\" Name=\"A & B\"/>\n"), "not well-formed", 4},
        {dek("<Cards Quantity=\"1\" Name=\"a<b\"/>\n"), "not well-formed", 3},
        {dek("<Cards Quantity=\"1\" Quantity=\"2\" Name=\"A\"/>\n"), "duplicate attribute", 3},
        {dek("<Cards Quantity=\"1\" Name=\"A\x01\"/>\n"), "not well-formed", 3},
        {dek("<Cards Quantity=\"1\" Name=\"A\"/>\n<Note>\n\x1B</Note>\n"), "not well-formed", 5},
        {"<Deck/>\r\n\r\n<Deck/>", "junk after document element", 3},
        {"<Deck/>\n<?xml version=\"1.0\"?>", "declaration not at start", 2},
        {"<Deck>\n<?xml version=\"1.0\"?></Deck>", "not well-formed", 2},
        {"<Deck/>\rtext", "junk after document element", 2},
        {"\n\ntext<Deck/>", "syntax error", 3},
        {"<?xml version=\"1.0\"?>\n<!-- none -->\n", "no element found", 3},
        {"<Deck>\n<Cards Quantity=\"1\" Name=\"A\">\n</Deck>", "mismatched tag", 3},
        {"<Deck>\n<Cards Quantity=\"1\" Name=\"A\"/>\n", "no element found", 3},
    };
    for (const Case& c : cases) {
        try {
            cardsOf(DekDeckReader(c.text, true));
            ADD_FAILURE() << "read: " << c.text;
        } catch (const DeckFormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what() << "\n" << c.text;
            EXPECT_EQ(e.line(), c.line) << c.text;
        }
    }
}

TEST(XmlDeckText, ScansFindMarkupControlsAndLineEndsAtEveryPlace) {
    // Each place of an eight-byte word and of the tail after the last one;
    // bytes above 0x7F and blanks are passed over.
    for (const char mark : {'&', '<', '\x1F', '\n'}) {
        for (std::size_t at = 0; at < 21; ++at) {
            std::string text = "a\xE3\x81\x82 bcdefghijklmnopq";
            const std::size_t end = text.size();
            text.append(8, '\0');
            text[at] = mark;
            EXPECT_EQ(markupOrControlAt(text.data()), at) << at;
            text[at] = ' ';
            EXPECT_EQ(markupOrControlAt(text.data()), end) << at;
        }
    }

    const std::string lines = "a\r\nb\rc\nd\r";
    EXPECT_EQ(countLineEnds(lines, 0, lines.size()), 4u);
    EXPECT_EQ(countLineEnds(lines, 0, 2) + countLineEnds(lines, 2, lines.size()), 4u);  // a CR LF split
}

}  // namespace
}  // namespace sormel
