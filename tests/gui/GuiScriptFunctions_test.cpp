// The GUI's script functions, end to end through the compiler where a
// script is the natural caller, and straight through their adapters for
// the tables of bad arguments.

#include "gui/GuiScriptTestSupport.h"
#include "gui/GuiXml.h"
#include "gui/LScript.h"
#include "gui/TextTestSupport.h"
#include "platform/FileManager.h"
#include "script/runtime/values/TypeRegistry.h"
#include "support/GlobalDataRoot.h"

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::GuiScriptTest;
using Vrel::Var;

class GuiScriptFunctionsTest : public GuiScriptTest {
protected:
    AutoRef<GuiWidget> host = testsupport::MakeFrame(root, "host", 0, 0, 1000, 1000);
    std::vector<std::string> Names(GuiWidget* parent) {
        std::vector<std::string> names;
        for (GuiWidget* child = parent->GetFirstChild(); child; child = child->GetNextSibling())
            names.push_back(testsupport::NameOf(child));
        return names;
    }
};

TEST_F(GuiScriptFunctionsTest, ScriptsCreateFindChangeAndRemoveWidgets) {
    Load("build", R"(
function void Build(widget host) {
  widget a = GuiCreate(host, "type", "Frame", "name", "a", "xsize", 100.0, "ysize", 50.0, "pick", true);
  GuiCreate(host, "type", "frame", "name", "b", "odd");
  struct s;
  s.type = "Frame";
  s.name = "c";
  GuiCreateByStruct(host, s);
  Log(GuiGetChildCount(host), GuiGetValue(GuiGetChild(host), "name"), GuiGetValue(GuiGetNext(a), "name"),
      GuiGetValue(GuiGetParent(a), "name"), GuiGetValue(a, "type"), GuiGetChildCount(a));
  Log(IsNil(GuiCreate(host, "type", "Nothing")), IsNil(GuiCreate(host, "name", "x")), GuiGetChildCount(host));
  widget loose = GuiCreate(7, "type", "Frame", "name", "loose");
  Log(GuiGetValue(loose, "name"), IsNil(GuiGetParent(loose)));
  GuiMoveFront(a);
  GuiSetValue(GuiFindFirst(host, "name", "c"), "score", 5);
  Log(GuiGetValue(GuiFindFirst(host, "score", 5), "name"), GuiGetValue(GuiFindFirst(host), "name"));
  Log(GuiRemoveValue(GuiFindFirst(host, "name", "c"), "score"), GuiRemoveValue(host, "score"));
  Log(GuiGetValue(GuiPick(host, 10, 10), "name"), IsNil(GuiPick(host, 5000, 5000)));
  Log(GuiDestroy(GuiFindFirst(host, "name", "b")), GuiDestroy(loose), GuiDestroy(3));
}
)");
    Call(Function("build", "Build"), {Var(host.Get())});
    EXPECT_EQ(log, (std::vector<std::string>{"3 a b host Frame 0", "1 1 3", "loose 1", "c host", "1 0", "a 1",
                                             "1 1 1"}))
        << AllMessages();
    EXPECT_EQ(Names(host.Get()), (std::vector<std::string>{"c", "a"}));
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(GuiScriptFunctionsTest, CoordinatesGoBackIntoTheScriptsVariables) {
    host->SetPositionXY(100, 200);
    host->WriteFloat("scale", 2.0f);
    Load("points", R"(
function void Points(widget w) {
  float x = 7;
  float y = 7;
  Log(GuiGetAnchorWorldPos(w, x, y), x, y);
  x = 110; y = 220;
  Log(GuiWorld2Local(w, x, y), x, y);
  Log(GuiLocal2World(w, x, y), x, y);
  auto p = "text";
  auto q = 4;
  Log(GuiLocal2World(w, p, q), p, q);
  Log(GuiWorld2Local(w, 1.0, 2.0), GuiWorld2Local(w, x), GuiWorld2Local(5, x, y));
}
)");
    Call(Function("points", "Points"), {Var(host.Get())});
    EXPECT_EQ(log, (std::vector<std::string>{"1 100.000000 200.000000", "1 5.000000 10.000000",
                                             "1 110.000000 220.000000", "1 100.000000 208.000000", "0 0 0"}))
        << AllMessages();
}

TEST_F(GuiScriptFunctionsTest, NotificationsStopAtTheFirstListenerThatAnswersTrue) {
    Load("inner", R"(
function bool OnNotify(widget w, struct p) { Log("inner", GetMember(p, "say"), GetSize(p)); return GetMember(p, "stop"); }
)");
    Load("outer", R"(
function bool OnNotify(widget w, struct p) { Log("outer", GuiGetValue(w, "name")); return true; }
)");
    AutoRef<GuiWidget> child = testsupport::MakeFrame(host.Get(), "child", 0, 0, 10, 10);
    Load("wire", R"(
function void Wire(widget host, widget child) {
  Log(GuiAddListener(child, "inner"), GuiAddListener(host, "Outer"), GuiAddListener(host), GuiAddListener(host, 3));
  GuiNotify(child, "say", "hi", "stop", true);
  GuiNotify(child, "say", "again", "stop", false, "odd");
  GuiNotify(child);
}
)");
    Call(Function("wire", "Wire"), {Var(host.Get()), Var(child.Get())});
    EXPECT_EQ(log, (std::vector<std::string>{"1 1 0 0", "inner hi 2", "inner again 2", "outer child"}))
        << AllMessages();
    EXPECT_EQ(child->GetListenerCount(), 1u);
    EXPECT_EQ(host->GetListenerCount(), 1u);
}

TEST_F(GuiScriptFunctionsTest, GlobalListenersAreAddedPerCallAndRemovedByExactModuleName) {
    const auto count = [&](const char* module) {
        int found = 0;
        for (size_t i = 0; i < root->GetListenerCount(); ++i) {
            auto* listener = CastTo<halvo::LScript>(root->GetListener(i));
            found += listener && listener->GetModuleName() == module;
        }
        return found;
    };
    Var missing;  // a text parameter that arrives as no text
    EXPECT_TRUE(IsTrue(CallBound("GuiAddGlobalListener", {Var("hud")})));
    EXPECT_TRUE(IsTrue(CallBound("GuiAddGlobalListener", {Var("hud")})));
    EXPECT_TRUE(IsTrue(CallBound("GuiAddGlobalListener", {Var("Hud")})));
    EXPECT_TRUE(IsTrue(CallBound("GuiAddGlobalListener", {Var("")})));
    root->AddListener(AutoRef<halvo::GuiListener>(new halvo::GuiListener).Get());
    EXPECT_FALSE(IsTrue(CallBound("GuiAddGlobalListener", {})));
    EXPECT_FALSE(IsTrue(CallBound("GuiAddGlobalListener", {missing})));
    EXPECT_EQ(root->GetListenerCount(), 5u);
    CallBound("GuiRemoveGlobalListener", {});
    CallBound("GuiRemoveGlobalListener", {Var("hud")});
    EXPECT_EQ(root->GetListenerCount(), 3u);
    EXPECT_EQ(count("Hud"), 1);
    CallBound("GuiRemoveGlobalListener", {Var("")});
    EXPECT_EQ(count(""), 0);
    EXPECT_EQ(root->GetListenerCount(), 2u);
}

TEST_F(GuiScriptFunctionsTest, AnimatorsStartedFromAScriptReportTheirEnd) {
    gui.RegisterAnimator("Scripted", &halvo::NewAnimator<testsupport::ScriptedAnimator>);
    Load("anim", R"(
function void OnAnimationEnd(widget w, animation a) { Log("ended", GuiGetValue(w, "name"), GetMember(a, "time")); }
function void Start(widget w) {
  GuiAddListener(w, "anim");
  Log(GuiCreateAnimator(w, "type", "Scripted", "time", 30), GuiCreateAnimator(w, "type", "Nothing"),
      GuiCreateAnimator(w, "time", 1), GuiCreateAnimator(w, "type"));
  Log(GuiIsAnimationRunning(w));
}
function void Stop(widget w) {
  GuiCreateAnimator(w, "type", "Scripted", "time", 40);
  Log(GuiStopAllAnims(w, true), GuiIsAnimationRunning(w), GuiStopAllAnims(w));
}
)");
    Call(Function("anim", "Start"), {Var(host.Get())});
    host->Update(0, 17);
    Call(Function("anim", "Stop"), {Var(host.Get())});
    EXPECT_EQ(log, (std::vector<std::string>{"1 0 0 0", "1", "ended host 30", "ended host 40", "1 0 0"}))
        << AllMessages();
}

TEST_F(GuiScriptFunctionsTest, ScriptsLoadLayoutsAndReadTheirElements) {
    testsupport::GlobalDataRoot().WriteFile("menu_layout.xml",
                                            "<layout><item image=\"ok\" x1=\"40\" y1=\"60\" tip=\"go\"/></layout>");
    FileManager::Global().ResetDirectoryCaches();
    Load("layout", R"(
function void Place(widget host) {
  xmldoc doc = LoadXML("menu_layout.xml");
  widget ok = GuiCreate(host, "type", "Frame", "use_xml", doc, "xml_tag", "ok");
  Log(GuiGetValue(ok, "xpos"), GuiGetValue(ok, "ypos"), GetMember(FindXmlNode(doc, "item/"), "tip"));
  Log(IsNil(LoadXML("missing.xml")), IsNil(FindXmlNode(doc, "none/")), IsNil(FindXmlNode(host, "layout")));
}
)");
    Call(Function("layout", "Place"), {Var(host.Get())});
    EXPECT_EQ(log, (std::vector<std::string>{"40.000000 60.000000 go", "1 1 1"})) << AllMessages();
}

TEST_F(GuiScriptFunctionsTest, ADestroyedWidgetSurvivesItsOwnHandler) {
    Load("gone", R"(
function bool OnMouseButtonDown(widget w, int b, float x, float y) {
  GuiDestroy(w);
  Log("after", GuiGetValue(w, "name"), IsNil(GuiGetParent(w)));
  return true;
}
)");
    {
        AutoRef<GuiWidget> button = testsupport::MakeFrame(host.Get(), "button", 0, 0, 10, 10);
        AutoRef<halvo::LScript> listener(new halvo::LScript);
        listener->SetModule("gone");
        button->AddListener(listener.Get());
    }
    host->RouteInput(testsupport::Move(5, 5));
    EXPECT_TRUE(host->RouteInput(testsupport::Press(5, 5)));
    EXPECT_EQ(log, std::vector<std::string>{"after button 1"}) << AllMessages();
    EXPECT_EQ(host->GetFirstChild(), nullptr);
}

TEST_F(GuiScriptFunctionsTest, ChangedTextsAreTakenAsUnicodeOrWidenedWhenNotTranslated) {
    testsupport::InstallTestFont();
    AutoRef<halvo::GuiText> text = testsupport::MakeText(host.Get(), {{"text", Var("old")}});
    AutoRef<GuiWidget> frame = testsupport::MakeFrame(host.Get(), "plain", 0, 0, 10, 10);
    ASSERT_TRUE(text);
    AutoRef<Vrel::VarUnicode> wide(new Vrel::VarUnicode(std::vector<char16_t>{u'\u00e9', u't', u'\u00e9'}));
    CallBound("GuiChangeText", {Var(text.Get()), Object(wide.Get())});
    EXPECT_EQ(testsupport::TextOf(text.Get()), u"\u00e9t\u00e9");
    CallBound("GuiChangeText", {Var(text.Get()), Var("#no_such_key \xe9")});
    EXPECT_EQ(testsupport::TextOf(text.Get()), u"#no_such_key \u00e9");
    CallBound("GuiChangeText", {Var(text.Get()), Var(5)});
    CallBound("GuiChangeText", {Var(text.Get())});
    CallBound("GuiChangeText", {Var(frame.Get()), Var("plain")});
    EXPECT_EQ(testsupport::TextOf(text.Get()), u"#no_such_key \u00e9");
    EXPECT_FALSE(frame->HasProperty("text"));
}

// Every function answers its neutral result for arguments it cannot use,
// and only the typed ones and a listener's module have a wrong argument
// reported.
TEST_F(GuiScriptFunctionsTest, BadArgumentsGiveTheNeutralResult) {
    Var widget(host.Get());
    Var number(3);
    Var text("name");
    const Var none{};
    const std::string nil = none.ToString();
    struct Case {
        const char* function;
        std::vector<Var> arguments;
        const char* result;  // ToString of the answer; null for nil
    };
    const std::vector<Case> cases = {
        {"GuiCreate", {widget, Var("type")}, nullptr},
        {"GuiCreate", {widget, Var("name"), Var("x")}, nullptr},
        {"GuiCreateByStruct", {number, Object(testsupport::Params({{"type", Var("Frame")}}).Get())}, nullptr},
        {"GuiCreateByStruct", {widget, Object(testsupport::Params({}).Get())}, nullptr},
        {"GuiCreateByStruct", {widget}, nullptr},
        {"GuiCreateAnimator", {number, Var("type"), Var("Alpha")}, "0"},
        {"GuiGetAnchorWorldPos", {widget, number, number}, "0"},
        {"GuiWorld2Local", {}, "0"},
        {"GuiLocal2World", {number, number, number}, "0"},
        {"GuiPick", {widget, number}, nullptr},
        {"GuiPick", {number, number, number}, nullptr},
        {"GuiIsAnimationRunning", {}, "0"},
        {"GuiStopAllAnims", {widget}, "0"},
        {"GuiStopAllAnims", {number, Var(true)}, "0"},
        {"GuiTrackMouseMovement", {widget}, "0"},
        {"GuiDestroy", {}, "0"},
        {"GuiGetValue", {widget}, nullptr},
        {"GuiGetValue", {widget, number}, nullptr},
        {"GuiGetValue", {widget, Var("absent")}, nullptr},
        {"GuiGetValue", {number, text}, nullptr},
        {"GuiSetValue", {widget, text}, nullptr},
        {"GuiSetValue", {number, text, number}, nullptr},
        {"GuiDragWidget", {widget, number}, nullptr},
        {"GuiIsDragging", {}, "0"},
        {"GuiDragEnd", {}, nullptr},
        {"GuiRemoveValue", {widget}, "0"},
        {"GuiRemoveValue", {widget, Var("absent")}, "0"},
        {"GuiAddListener", {number, text}, "0"},
        {"GuiGetChild", {number}, nullptr},
        {"GuiGetChildCount", {}, "0"},
        {"GuiGetChildCount", {widget}, "0"},
        {"GuiGetNext", {widget}, nullptr},
        {"GuiGetParent", {}, nullptr},
        {"GuiMoveFront", {number}, nullptr},
        {"GuiNotify", {widget}, nullptr},
        {"GuiFindFirst", {}, nullptr},
        {"GuiFindFirst", {number, text, Var("host")}, nullptr},
        {"FindXmlNode", {widget, text}, nullptr},
        {"FindXmlNode", {Object(AutoRef<halvo::GuiXML>(new halvo::GuiXML).Get()), text}, nullptr},
    };
    for (const Case& entry : cases) {
        const Var result = CallBound(entry.function, entry.arguments);
        EXPECT_EQ(result.ToString(), entry.result ? entry.result : nil)
            << entry.function << " with " << entry.arguments.size() << " arguments";
    }
    EXPECT_EQ(Names(host.Get()), std::vector<std::string>{});
    EXPECT_EQ(host->GetListenerCount(), 0u);
    EXPECT_TRUE(Messages().empty()) << AllMessages();

    // The typed functions: the binding reports the argument and the
    // function still answers its neutral result.
    EXPECT_EQ(CallBound("GuiInitAnimation", {number, Var(1.0f), Var(true), number}).ToString(), "0");
    EXPECT_EQ(CallBound("GuiSetKeyboardFocus", {number}).ToString(), "0");
    EXPECT_EQ(CallBound("LoadXML", {number}).ToString(), nil);
    CallBound("GuiRemoveGlobalListener", {number});
    EXPECT_EQ(CallBound("GuiAddGlobalListener", {number}).ToString(), "0");
    ASSERT_EQ(Messages().size(), 5u) << AllMessages();
    EXPECT_NE(Messages()[0].find("expected AutoRef*"), std::string::npos) << Messages()[0];
    EXPECT_NE(Messages()[4].find("expected string"), std::string::npos) << Messages()[4];
    EXPECT_EQ(root->GetListenerCount(), 0u);

    // A listener's module goes by its name: a module itself (ModuleGetThis())
    // or a number would never be called, so the author is told.
    EXPECT_EQ(CallBound("GuiAddListener", {widget, Object(vm.GetRootModule())}).ToString(), "0");
    EXPECT_EQ(CallBound("GuiAddListener", {widget, number}).ToString(), "0");
    ASSERT_EQ(Messages().size(), 7u) << AllMessages();
    for (const size_t i : {5u, 6u})
        EXPECT_NE(Messages()[i].find("GuiAddListener(widget, string module) - bad parameter: the module goes by its"),
                  std::string::npos)
            << Messages()[i];
    EXPECT_EQ(host->GetListenerCount(), 0u);
}

TEST_F(GuiScriptFunctionsTest, FindingFromTheGuiRootNeedsTheModuleThreadValue) {
    Var criteria("name");
    EXPECT_TRUE(CallBound("GuiFindFirst", {Var(0), criteria, Var("host")}).IsNil());
    caller->GetThreadValues().GetOrAddMember("module")->SetString("menu");
    EXPECT_EQ(CallBound("GuiFindFirst", {Var(0), criteria, Var("host")}).GetObject(), host.Get());
    EXPECT_EQ(CallBound("GuiFindFirst", {Var(0)}).GetObject(), root);
}

TEST_F(GuiScriptFunctionsTest, FunctionsAndTypesComeBackWithASecondRegistration) {
    const size_t types = Vrel::TypeRegistry::Global().Size();
    vm.Release();
    EXPECT_EQ(vm.GetRootModule()->GetMember("~bind"), nullptr);
    halvo::RegisterGuiScriptFunctions(vm);
    halvo::RegisterGuiScriptFunctions(vm);
    EXPECT_EQ(Vrel::TypeRegistry::Global().Size(), types);
    ASSERT_NE(Vrel::TypeRegistry::Global().Find("xmldoc"), nullptr);
    EXPECT_EQ(Vrel::TypeRegistry::Global().Find("animation")->classRecord, &halvo::GuiAnimator::kClassRecord);
    EXPECT_EQ(CallBound("GuiGetChildCount", {Var(root)}).AsInt(), 1);
    AutoRef<halvo::GuiXML> declared(new halvo::GuiXML);
    Var value(declared.Get());
    EXPECT_STREQ(value.GetTypeName(), "xmldoc");
}

}  // namespace
