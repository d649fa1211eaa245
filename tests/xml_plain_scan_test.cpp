// The single pass over plain XML documents against the tree parser: for
// every document both must hand out the same elements and attributes on the
// same lines, or refuse it with the same message on the same line; and the
// plain documents must really be read by the single pass.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "xml_recording.h"

namespace sormel {
namespace {

const std::string kDeck =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<Deck xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\r\n"
    "  <NetDeckID>0</NetDeckID>\r\n"
    "  <Cards CatID=\"4\" Quantity=\"2\" Sideboard=\"false\" Name=\"\xE9\xAD\x94 &amp; a&#x3042;\" Annotation=\"0\" />\r\n"
    "  <Cards Quantity='1' Name='say \"hi\" &gt; 2'/>\r\n"
    "</Deck>\r\n";

TEST(XmlPlainScan, PlainDocumentsAreReadInOnePassAsTheTreeReadsThem) {
    const std::vector<std::string> plain = {
        kDeck,
        "\n\n<Deck/>",
        "<?xml version='1.0' standalone=\"yes\" ?><a  x=\"1\"\n y=\"2\" ><b>t &lt; &#65;</b ></a >\n\n",
        "<a:b c.d-e=\"\"><bad/><x/></a:b>",  // refused by the reader: its message and line
        "<r>\n<bad q=\"1\"/>\n</r>",
    };
    for (const std::string& text : plain) {
        // The reader's refusal is left to the tree, which may find the
        // document not well-formed further on and say so instead.
        const XmlRecording quick = recordXml(text, XmlReading::Quick);
        EXPECT_EQ(quick.restarts, text.find("<bad") == std::string::npos ? 0 : 1) << text;
        EXPECT_EQ(quick.result, recordXml(text, XmlReading::Tree).result) << text;
    }
    EXPECT_EQ(recordXml("<r>\n<bad q=\"1\"/>\n</r>", XmlReading::Quick).result, "error: bad element @2");
}

TEST(XmlPlainScan, OtherDocumentsAreLeftToTheTreeWithTheSameOutcome) {
    const std::vector<std::string> others = {
        // Well-formed, but beyond the plain shape.
        "<!-- c --><Deck><Cards Quantity=\"1\" Name=\"A\"/></Deck>",
        "<!DOCTYPE Deck>\n<Deck><x><![CDATA[&bogus;]]></x></Deck>",
        "<?xml version=\"1.0\"?><?pi x?><a/>",
        "<a b=\"tab\there\r\nline\"/>",
        "<a b = \"1\"/>",
        "<\xE3\x81\x82/>",
        "<a>x ]]> y</a>",
        // Not well-formed, or refused after the parse.
        "",
        "<?xml version=\"1.0\"?>",
        "<a></b>",
        "<a>\n<b>\n</a>",
        "<a>",
        "</a>",
        "<a/>\n<b/>",
        "<a/>\ntext",
        "text<a/>",
        "<a/><?xml version=\"1.0\"?>",
        "<a x=\"1\" x=\"2\"/>",
        "<a x=\"1\"y=\"2\"/>",
        "<a x=1/>",
        "<a x=\"<\"/>",
        "<a x=\"&nbsp;\"/>",
        "<a>\n&#0;</a>",
        "<a>\n&amp</a>",
        "<a>\x01</a>",
        "<a x=\"\x01\"/>",
        std::string("<a>\0</a>", 8),
        "<?xml?><a/>",
        "<?xml version=\"1.0\"<a/>",
        "<?xmlx version=\"1.0\"?><a/>",
        "<?xml version=1.0?><a/>",
        "<?xml =\"1.0\"?><a/>",
        "<a/ >",
        "< a/>",
        "<a><bad/></b>",  // the reader's refusal comes after the parse's
    };
    for (const std::string& text : others) {
        EXPECT_EQ(recordXml(text, XmlReading::Quick).result, recordXml(text, XmlReading::Tree).result) << text;
    }
    std::string deep;
    for (int i = 0; i < 70; ++i) deep += "<a>";
    for (int i = 0; i < 70; ++i) deep += "</a>";
    EXPECT_EQ(recordXml(deep, XmlReading::Quick).result, recordXml(deep, XmlReading::Tree).result);
}

// Random edits of small documents, with the characters that matter to XML
// most likely: whatever the single pass takes, it must take as the tree.
TEST(XmlPlainScan, EditedDocumentsGiveTheTreesOutcome) {
    const std::vector<std::string> seeds = {
        kDeck, "<a x='1'><b/>t&amp;</b></a>", "<?xml version=\"1.0\"?>\n<r a=\"&#x41;\"><c q=\"2\"/></r>\n"};
    const std::string pieces[] = {"<", ">", "/", "\"", "'", "=", "&", ";", "?", "!", " ", "\n", "\r", "\t", "a",
                                  ":", "-", "#", "x", "]]>", "&lt;", "<!--", "-->", "<?xml ", "\xE3\x81\x82", std::string(1, '\0')};
    std::mt19937 random(25);
    int taken = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = seeds[random() % std::size(seeds)];
        for (unsigned edits = 1 + random() % 3; edits > 0; --edits) {
            const std::size_t at = random() % (text.size() + 1);
            const std::string& piece = pieces[random() % std::size(pieces)];
            switch (random() % 3) {
                case 0: text.insert(at, piece); break;
                case 1: text.erase(at, 1 + random() % 3); break;
                default: text.replace(at, 1, piece);
            }
        }
        const XmlRecording quick = recordXml(text, XmlReading::Quick);
        taken += quick.restarts == 0;
        ASSERT_EQ(quick.result, recordXml(text, XmlReading::Tree).result) << ::testing::PrintToString(text);
    }
    // Enough of them stay plain for the single pass to be tested at all.
    EXPECT_GT(taken, 1000);
}

}  // namespace
}  // namespace sormel
