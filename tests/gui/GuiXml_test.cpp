#include "gui/GuiTestSupport.h"
#include "gui/GuiXml.h"
#include "platform/FileManager.h"
#include "support/GlobalDataRoot.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using halvo::GuiXML;

constexpr const char* kLayout =
    "<layout>\n"
    "  <item image=\"logo\" x1=\"120\" y1=\"45.5\" extra=\"1\"/>\n"
    "  <item image=\"logo\" x1=\"999\" y1=\"999\"/>\n"
    "  <item image=\"half\" x1=\"7\"/>\n"
    "  <item image=\"bad\" x1=\"wide\" y1=\"nan\"/>\n"
    "  <group><item image=\"deep\" x1=\"1\" y1=\"2\"/></group>\n"
    "  <empty/>\n"
    "</layout>\n";

class GuiXmlTest : public testsupport::GuiFixture {
protected:
    AutoRef<GuiXML> LoadText(const std::string& name, const std::string& text) {
        testsupport::GlobalDataRoot().WriteFile(name, text);
        FileManager::Global().ResetDirectoryCaches();
        AutoRef<GuiXML> document(new GuiXML);
        return document->Load(name.c_str()) ? document : AutoRef<GuiXML>();
    }
    AutoRef<GuiWidget> Placed(GuiXML* document, Vrel::Var tag) {
        auto params = testsupport::Params({{"xpos", Vrel::Var(-5.0f)}, {"ypos", Vrel::Var(-6.0f)}, {"xml_tag", tag}});
        params->GetOrAddMember("use_xml")->SetObject(document);
        return halvo::GuiCreateWidget("Frame", *params, nullptr);
    }
};

TEST_F(GuiXmlTest, WidgetsTakeTheirPositionFromTheFirstMatchingElement) {
    AutoRef<GuiXML> layout = LoadText("layout.xml", kLayout);
    ASSERT_TRUE(layout);
    EXPECT_STREQ(layout->GetTypeName(), "xmldoc");
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var("logo"))->GetPosition(), (Vec2{120, 45.5f}));
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var("half"))->GetPosition(), (Vec2{7, -6}));
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var("bad"))->GetPosition(), (Vec2{-5, -6}));
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var("deep"))->GetPosition(), (Vec2{-5, -6}));
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var("LOGO"))->GetPosition(), (Vec2{-5, -6}));
    EXPECT_EQ(Placed(layout.Get(), Vrel::Var(3))->GetPosition(), (Vec2{-5, -6}));
    // "use_xml" without "xml_tag" changes nothing.
    auto params = testsupport::Params({{"xpos", Vrel::Var(1.0f)}});
    params->GetOrAddMember("use_xml")->SetObject(layout.Get());
    EXPECT_EQ(halvo::GuiCreateWidget("Frame", *params, nullptr)->GetPosition(), (Vec2{1, 0}));
}

TEST_F(GuiXmlTest, DocumentNeverLoadedMatchesNothingAndFindsNothing) {
    AutoRef<GuiXML> declared(new GuiXML);
    EXPECT_EQ(Placed(declared.Get(), Vrel::Var("logo"))->GetPosition(), (Vec2{-5, -6}));
    EXPECT_FALSE(declared->FindNode("layout/item"));
    EXPECT_FALSE(declared->Load("missing.xml"));
    EXPECT_FALSE(LoadText("broken.xml", "<layout><item></layout>"));
    // A failed reload leaves no document behind.
    AutoRef<GuiXML> layout = LoadText("layout.xml", kLayout);
    EXPECT_FALSE(layout->Load("missing.xml"));
    EXPECT_FALSE(layout->HasDocument());
}

TEST_F(GuiXmlTest, LineEndsOfEveryKindGiveTheSameDocument) {
    std::string crlf, cr;
    for (char c : std::string(kLayout)) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {crlf, cr}) {
        AutoRef<GuiXML> layout = LoadText("ends.xml", text);
        ASSERT_TRUE(layout);
        EXPECT_EQ(Placed(layout.Get(), Vrel::Var("logo"))->GetPosition(), (Vec2{120, 45.5f}));
    }
}

TEST_F(GuiXmlTest, FoundNodesHoldCopiedTextsThatOutliveTheirDocument) {
    AutoRef<GuiXML> layout = LoadText("layout.xml", kLayout);
    AutoRef<Vrel::t_Named> node = layout->FindNode("item/");
    ASSERT_TRUE(node);
    EXPECT_EQ(node->GetCount(), 4);
    layout->Load("layout.xml");
    layout.Reset();
    EXPECT_STREQ(node->FindMember("image")->GetCString(), "logo");
    EXPECT_STREQ(node->FindMember("y1")->GetCString(), "45.5");
    AutoRef<GuiXML> again = LoadText("layout.xml", kLayout);
    AutoRef<Vrel::t_Named> empty = again->FindNode("empty/");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetCount(), 0);
    EXPECT_FALSE(again->FindNode("nothing/here/"));
    EXPECT_FALSE(again->FindNode(nullptr));
}

TEST_F(GuiXmlTest, OnlyDocumentsAreTakenFromValues) {
    AutoRef<GuiXML> layout(new GuiXML);
    Vrel::Var value;
    value.SetObject(layout.Get());
    EXPECT_EQ(GuiXML::FromValue(value), layout.Get());
    Vrel::Var reference;
    reference.SetReference(&value);
    EXPECT_EQ(GuiXML::FromValue(reference), layout.Get());
    AutoRef<GuiWidget> widget(new GuiWidget);
    value.SetObject(widget.Get());
    EXPECT_EQ(GuiXML::FromValue(value), nullptr);
    EXPECT_EQ(GuiXML::FromValue(Vrel::Var(1)), nullptr);
}

}  // namespace
