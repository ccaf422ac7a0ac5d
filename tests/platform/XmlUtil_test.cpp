#include "platform/FileManager.h"
#include "platform/XmlUtil.h"
#include "support/GlobalDataRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using testsupport::GlobalDataRoot;

bool LoadText(TiXmlDocument& document, const char* name, const std::string& text) {
    GlobalDataRoot().WriteFile(std::string("xml/") + name, text);
    FileManager::Global().ResetDirectoryCaches();
    return XmlLoadFile(document, (std::string("xml/") + name).c_str());
}

const char* kLayout =
    "<?xml version=\"1.0\"?>\n<!-- layout -->\n"
    "<layout>\n"
    "  <panel name=\"first\"><button id=\"1\"/></panel>\n"
    "  <panel name=\"second\"><button id=\"2\"><label text=\"deep\"/></button></panel>\n"
    "  <text value=\"line one\nline two\"/>\n"
    "</layout>\n";

std::string WithLineEnds(const std::string& text, const char* lineEnd) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += lineEnd; else out += c;
    }
    return out;
}

TEST(XmlUtil, LineEndsOfEveryKindParseAlike) {
    for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
        TiXmlDocument document;
        ASSERT_TRUE(LoadText(document, "layout.xml", WithLineEnds(kLayout, lineEnd)));
        TiXmlElement* text = XmlFindPath(&document, "text/");
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(XmlGetAttributeString(text, "value"), "line one\nline two") << int(lineEnd[0]);
    }
}

TEST(XmlUtil, FindPathWalksSegmentsAndTriesSiblings) {
    TiXmlDocument document;
    ASSERT_TRUE(LoadText(document, "layout.xml", kLayout));
    TiXmlElement* top = XmlFindPath(&document, "anything");
    ASSERT_NE(top, nullptr);
    EXPECT_STREQ(top->Value(), "layout") << "no '/' answers the top element";
    TiXmlElement* label = XmlFindPath(&document, "panel/button/label/text");
    ASSERT_NE(label, nullptr) << "the second panel is tried when the first has no label";
    EXPECT_STREQ(XmlGetAttributeString(label, "text"), "deep");
    EXPECT_EQ(XmlFindPath(&document, "panel/button/"), XmlFindPath(&document, "panel/button/id"));
    EXPECT_EQ(XmlFindPath(&document, "panel/missing/"), nullptr);
    EXPECT_EQ(XmlFindPath(&document, (std::string(600, 'p') + "/x").c_str()), nullptr);
    EXPECT_EQ(XmlFindPath(nullptr, "a/"), nullptr);
    TiXmlDocument empty;
    EXPECT_EQ(XmlFindPath(&empty, "a"), nullptr);
}

TEST(XmlUtil, AttributesParseWithDefaults) {
    TiXmlDocument document;
    ASSERT_TRUE(LoadText(document, "numbers.xml",
                         "<n a=\"12ab\" b=\"ab\" c=\"-5\" d=\"2.5\" e=\"99999999999\" s=\"text\"/>"));
    const TiXmlElement* n = document.FirstChildElement();
    EXPECT_EQ(XmlGetAttributeInt(n, "a"), 12);
    EXPECT_EQ(XmlGetAttributeInt(n, "b"), 0);
    EXPECT_EQ(XmlGetAttributeInt(n, "c"), -5);
    EXPECT_EQ(XmlGetAttributeInt(n, "e"), INT32_MAX);
    EXPECT_EQ(XmlGetAttributeInt(n, "missing"), 0);
    EXPECT_FLOAT_EQ(XmlGetAttributeFloat(n, "d"), 2.5f);
    EXPECT_FLOAT_EQ(XmlGetAttributeFloat(n, "missing"), 0.0f);
    EXPECT_EQ(XmlGetAttributeString(n, "missing"), nullptr);
    EXPECT_EQ(XmlGetAttributeString(nullptr, "s"), nullptr);
    EXPECT_EQ(XmlGetAttributeString(n, nullptr), nullptr);
    EXPECT_EQ(XmlGetAttributeInt(nullptr, "a"), 0);
    char* copy = XmlGetAttributeDup(n, "s");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "text");
    std::free(copy);
    EXPECT_EQ(XmlGetAttributeDup(n, "missing"), nullptr);
}

TEST(XmlUtil, BrokenMissingOrTooDeepDocumentsFail) {
    TiXmlDocument document;
    EXPECT_FALSE(XmlLoadFile(document, "xml/none.xml"));
    EXPECT_FALSE(LoadText(document, "broken.xml", "<a><b></a>"));
    EXPECT_FALSE(LoadText(document, "empty.xml", ""));
    std::string deep;
    for (int i = 0; i <= kXmlMaxDepth; ++i) deep += "<a x='>'>";
    EXPECT_FALSE(LoadText(document, "deep.xml", deep));
    std::string flat = "<r>";
    for (int i = 0; i < 5000; ++i) flat += "<a/><!-- <b> --><c></c>";
    EXPECT_TRUE(LoadText(document, "flat.xml", flat + "</r>"));
    // Nesting inside a comment is no nesting, whatever dashes lead to its end.
    EXPECT_TRUE(LoadText(document, "flat.xml", flat + "<!-- - -- " + deep + " --->" + "</r>"));
}

// A UTF-8 lead byte right before the end of the text, in text, entities
// and attributes: the document is refused or read, never read past its end
// (the address sanitizer watches the loaded buffer).
TEST(XmlUtil, LeadBytesAtTheEndNeverCarryTheReaderPastTheText) {
    // Each text ends inside an open element or attribute: it must be
    // refused.
    for (const char* tail : {"\xc6", "\xe4\xb8", "\xf0\x9f\x98", "&\xc6", "&#\xc6"}) {
        TiXmlDocument inText;
        EXPECT_FALSE(LoadText(inText, "lead_text.xml", std::string("<?xml version=\"1.0\"?><a>x") + tail));
        TiXmlDocument inAttribute;
        EXPECT_FALSE(LoadText(inAttribute, "lead_attr.xml", std::string("<a b=\"") + tail));
    }
    const std::string found = std::string("<?xml`vers.\"\n>\n<layo") + std::string(10, '\xe7') +
                              "ut>\n \"?>name=\xc6\xc6n\"\"\xc6" + std::string(1, '\0') + "\xc6\x01:\xc6";
    TiXmlDocument document;
    EXPECT_FALSE(LoadText(document, "lead_found.xml", found));
    // Closed, the same bytes are kept as they are.
    ASSERT_TRUE(LoadText(document, "lead_closed.xml", "<a b=\"x\xc6\">x\xe4\xb8</a>"));
    EXPECT_STREQ(XmlGetAttributeString(document.RootElement(), "b"), "x\xc6");
    EXPECT_STREQ(document.RootElement()->GetText(), "x\xe4\xb8");
}

}  // namespace
