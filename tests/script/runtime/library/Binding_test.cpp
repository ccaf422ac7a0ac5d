// Native functions bound through their adapters: argument conversion, the
// invalid-parameter report, result wrapping and registration by name.

#include "script/runtime/library/ArgumentConversion.h"
#include "script/runtime/values/VarString.h"
#include "tests/script/runtime/BuiltinTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::BuiltinTest;
using scripttest::Messages;

namespace {

// What the natives under test received.
struct Received {
    int i = -1;
    float f = -1.0f;
    bool b = true;
    const char* text = "(untouched)";
    Thread* thread = reinterpret_cast<Thread*>(1);
    Var* value = nullptr;
    int calls = 0;
};
Received& Got() {
    static Received received;
    return received;
}

void TakeInt(int value) { Got().i = value, ++Got().calls; }
void TakeFloat(float value) { Got().f = value, ++Got().calls; }
void TakeBool(bool value) { Got().b = value, ++Got().calls; }
void TakeText(const char* text) { Got().text = text, ++Got().calls; }
void TakeThread(Thread* thread) { Got().thread = thread, ++Got().calls; }
void TakeValue(Var* value) { Got().value = value, ++Got().calls; }
void TakeTwoInts(int a, int b) { Got().i = a * 100 + b, ++Got().calls; }
const char* NullText() { return nullptr; }
BinCode* NullModule() { return nullptr; }
Var SomeValue() { return Var(42); }
int First() { return 1; }
int Second() { return 2; }

// A stand-in for the GUI's widget class: bound by the same rule.
class FakeWidget : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "widget"; }
};
const ClassRecord FakeWidget::kClassRecord = {"GuiWidget", &VarExtension::kClassRecord, nullptr};
bool TakeWidget(FakeWidget* widget, float, bool, int) { return widget != nullptr; }

class BindingTest : public BuiltinTest {
protected:
    void SetUp() override {
        BuiltinTest::SetUp();
        Got() = Received();
    }
    // Calls adapter with the arguments on the fixture's caller thread.
    Var Invoke(detail::function_adapter* adapter, const std::vector<Var>& arguments) {
        vm.AddCFunction("native", adapter);
        return Call("native", arguments);
    }
};

TEST_F(BindingTest, IntParameterTruncatesNumbersAndRefusesText) {
    auto* adapter = detail::AdapterFor<&TakeInt>();
    Invoke(adapter, {Var(2.9f)});
    EXPECT_EQ(Got().i, 2);
    Invoke(adapter, {Var(-2.9f)});
    EXPECT_EQ(Got().i, -2);
    Var target(7);
    Invoke(adapter, {Ref(target)});
    EXPECT_EQ(Got().i, 7);
    EXPECT_TRUE(Messages().empty());

    Invoke(adapter, {Const("5")});
    EXPECT_EQ(Got().i, 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"(unknown)(-1) : Invalid parameter 1: found string / expected int"});

    Messages().clear();
    Invoke(adapter, {});
    EXPECT_EQ(Got().i, 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Got().calls, 5);
}

TEST_F(BindingTest, FloatAndBoolParametersAcceptTheirKinds) {
    Invoke(detail::AdapterFor<&TakeFloat>(), {Var(3)});
    EXPECT_EQ(Got().f, 3.0f);
    Invoke(detail::AdapterFor<&TakeFloat>(), {Var(true)});
    EXPECT_EQ(Got().f, 0.0f);
    EXPECT_EQ(scripttest::ScriptTest::OnlyText(), "Invalid parameter 1: found bool / expected float");

    Messages().clear();
    Invoke(detail::AdapterFor<&TakeBool>(), {Var(2)});
    EXPECT_TRUE(Got().b);
    Invoke(detail::AdapterFor<&TakeBool>(), {Var(1.0f)});
    EXPECT_FALSE(Got().b);
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found float / expected bool");
}

TEST_F(BindingTest, TextParameterTakesTextsAndRefusesNumbers) {
    auto* adapter = detail::AdapterFor<&TakeText>();
    Invoke(adapter, {Const("constant")});
    EXPECT_STREQ(Got().text, "constant");
    Var object("object");
    Invoke(adapter, {Ref(object)});
    EXPECT_STREQ(Got().text, "object");
    EXPECT_TRUE(Messages().empty());

    Invoke(adapter, {});
    EXPECT_EQ(Got().text, nullptr);
    EXPECT_TRUE(Messages().empty());

    Invoke(adapter, {Var(5)});
    EXPECT_EQ(Got().text, nullptr);
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found int / expected string");
}

// Texts the argument holds itself are read on a short way; everything else
// must still reach the general conversion and its report.
TEST_F(BindingTest, TextParameterShortWayLeavesOtherKindsToTheGeneralWay) {
    auto* adapter = detail::AdapterFor<&TakeText>();
    Var held("held");
    Invoke(adapter, {held});
    EXPECT_STREQ(Got().text, "held");
    EXPECT_TRUE(Messages().empty());

    Var list(VarArray::CreateWithCount(1));
    list.GetElement(0)->SetString("inside");
    Invoke(adapter, {list});
    EXPECT_EQ(Got().text, nullptr);
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found array / expected string");
    Messages().clear();

    Var noText;
    noText.SetStringConst(nullptr);
    Invoke(adapter, {noText});
    EXPECT_EQ(Got().text, nullptr);
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found string / expected string");
    Messages().clear();

    Var noObject = Invoke(detail::AdapterFor<&NullModule>(), {});
    ASSERT_EQ(noObject.GetTag(), kTagObject);
    Invoke(adapter, {noObject});
    EXPECT_EQ(Got().text, nullptr);
    EXPECT_EQ(OnlyText(), std::string("Invalid parameter 1: found ") + noObject.GetTypeName() + " / expected string");
}

TEST_F(BindingTest, ObjectParametersCheckTheClass) {
    auto* adapter = detail::AdapterFor<&TakeThread>();
    Invoke(adapter, {});
    EXPECT_EQ(Got().thread, nullptr);
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found (null) / expected AutoRef*");

    Messages().clear();
    Invoke(adapter, {Var("not a thread")});
    EXPECT_EQ(Got().thread, nullptr);
    EXPECT_TRUE(Messages().empty());

    Var thread(static_cast<VarExtension*>(caller.Get()));
    Invoke(adapter, {Ref(thread)});
    EXPECT_EQ(Got().thread, caller.Get());

    Invoke(adapter, {Var(3)});
    EXPECT_EQ(OnlyText(), "Invalid parameter 1: found int / expected AutoRef*");

    halvo::AutoRef<FakeWidget> widget(new FakeWidget);
    EXPECT_TRUE(Truth(Invoke(detail::AdapterFor<&TakeWidget>(), {Var(static_cast<VarExtension*>(widget.Get()))})));
    EXPECT_FALSE(Truth(Invoke(detail::AdapterFor<&TakeWidget>(), {Var("text")})));
}

TEST_F(BindingTest, DeclarationArgumentArrivesAsAnEmptyTypedValue) {
    Var variable;
    variable.SetDeclaration("int");
    Invoke(detail::AdapterFor<&TakeValue>(), {Ref(variable)});
    ASSERT_NE(Got().value, nullptr);
    EXPECT_EQ(Got().value, &variable);
    EXPECT_EQ(variable.GetTag(), kTagInt);
    EXPECT_EQ(variable.AsInt(), 0);

    Invoke(detail::AdapterFor<&TakeValue>(), {});
    EXPECT_EQ(Got().value, nullptr);
}

TEST_F(BindingTest, RefusedArgumentsAreAllReportedAndExtraOnesIgnored) {
    Invoke(detail::AdapterFor<&TakeTwoInts>(), {Const("a"), Const("b"), Const("ignored")});
    EXPECT_EQ(Got().i, 0);
    EXPECT_EQ(Got().calls, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Invalid parameter 2: found string / expected int",
                                                 "Invalid parameter 1: found string / expected int"}));
}

TEST_F(BindingTest, ResultsAreWrapped) {
    Var text = Invoke(detail::AdapterFor<&NullText>(), {});
    EXPECT_EQ(text.GetTag(), kTagObject);
    EXPECT_EQ(TextOf(text), "");

    Var module = Invoke(detail::AdapterFor<&NullModule>(), {});
    EXPECT_EQ(module.GetTag(), kTagObject);
    EXPECT_EQ(module.GetObject(), nullptr);
    EXPECT_TRUE(module.IsNil());

    EXPECT_EQ(Invoke(detail::AdapterFor<&SomeValue>(), {}).AsInt(), 42);
    Var nothing = Invoke(detail::AdapterFor<&TakeInt>(), {});
    EXPECT_EQ(nothing.GetTagWord(), 0u);
}

TEST_F(BindingTest, ReportNamesTheLineOfTheCall) {
    Assembler a;
    a.Op(kOpParamCopy).Line(10).Args(1).Text(kOpPushValue, "x").ArgDone(0).Named("strlen").Op(kOpCall);
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int", 0, "scripts/menu.cis");
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetValue().AsInt(), 1);

    Assembler b;
    b.Op(kOpParamCopy).Line(10).CallNamed("strlen", {5}).Op(kOpReturn).Op(kOpStop);
    main = AddFunction(module, "main", b, "int", 0, "scripts/menu.cis");
    Messages().clear();
    thread = Start(main.Get());
    EXPECT_EQ(thread->GetValue().AsInt(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"scripts/menu.cis(10) : Invalid parameter 1: found int / expected string"});

    // Without a line map the source is "(unkown)" and the line -1.
    main = AddFunction(module, "main", b, "int", 0, nullptr);
    Messages().clear();
    Start(main.Get());
    EXPECT_EQ(Messages(), std::vector<std::string>{"(unkown)(-1) : Invalid parameter 1: found int / expected string"});
}

TEST_F(BindingTest, GameOrderOfTheReportGivesTheSameText) {
    Var found(1.5f);
    ReportParameterTypeError(&found, 2, "int", caller.Get());
    ReportParameterTypeError(caller.Get(), nullptr, 0, "bool");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"(unknown)(-1) : Invalid parameter 3: found float / expected int",
                                                    "(unknown)(-1) : Invalid parameter 1: found (null) / expected bool"}));
}

TEST_F(BindingTest, RegisteringANameAgainReplacesIt) {
    vm.AddCFunction("pick", detail::AdapterFor<&First>());
    vm.AddCFunction("pick", detail::AdapterFor<&Second>());
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("pick").Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    EXPECT_EQ(Start(main.Get())->GetValue().AsInt(), 2);
}

// Every signature that the engine, the GUI and the game bind must build,
// call and wrap its result.
template <class R, class... A>
R Neutral(A...) {
    if constexpr (std::is_same_v<R, Var>) return Var(1);
    else return R();
}

template <class Signature>
struct Instantiate;
template <class R, class... A>
struct Instantiate<R(A...)> {
    static uint32_t ResultTag(t_Interface& call) {
        detail::function_adapter_of<R(A...)> adapter(&Neutral<R, A...>);
        Var result;
        adapter.Call(&result, call);
        return result.GetTag();
    }
};

TEST_F(BindingTest, EverySignatureInUseBinds) {
    Var empty(static_cast<VarExtension*>(VarArray::CreateWithCount(0)));
    t_Interface call{caller.Get(), 0, &empty};
    using I = t_Interface&;
    using W = FakeWidget*;
    std::vector<uint32_t> tags = {
        // core library
        Instantiate<void(I)>::ResultTag(call), Instantiate<bool(I)>::ResultTag(call),
        Instantiate<int(I)>::ResultTag(call), Instantiate<const char*(I)>::ResultTag(call),
        Instantiate<Var(I)>::ResultTag(call), Instantiate<Var(Var*)>::ResultTag(call),
        Instantiate<float(Var*)>::ResultTag(call), Instantiate<int(Var*)>::ResultTag(call),
        Instantiate<bool(Var*)>::ResultTag(call), Instantiate<Var(const char*, BinCode*)>::ResultTag(call),
        Instantiate<BinCode*(const char*)>::ResultTag(call), Instantiate<bool(const char*)>::ResultTag(call),
        Instantiate<const char*(BinCode*)>::ResultTag(call), Instantiate<BinCode*(I)>::ResultTag(call),
        Instantiate<BinCode*(const BinCode*)>::ResultTag(call),
        Instantiate<bool(Thread*, const char*, Var*)>::ResultTag(call),
        Instantiate<Var(Thread*, const char*)>::ResultTag(call), Instantiate<void(Thread*, Var*)>::ResultTag(call),
        Instantiate<void(Thread*, float)>::ResultTag(call), Instantiate<void(Thread*)>::ResultTag(call),
        Instantiate<Var(const char*, const char*)>::ResultTag(call),
        Instantiate<int(const char*, const char*, int)>::ResultTag(call),
        Instantiate<Var(const char*, int, int)>::ResultTag(call), Instantiate<int(const char*)>::ResultTag(call),
        Instantiate<Var(const char*)>::ResultTag(call), Instantiate<float(float)>::ResultTag(call),
        // GUI
        Instantiate<bool(W, float, bool, int)>::ResultTag(call), Instantiate<void(const char*)>::ResultTag(call),
        Instantiate<bool(W)>::ResultTag(call),
        // game
        Instantiate<bool()>::ResultTag(call), Instantiate<void()>::ResultTag(call),
        Instantiate<int(int)>::ResultTag(call), Instantiate<float()>::ResultTag(call),
        Instantiate<BinCode*()>::ResultTag(call), Instantiate<Var()>::ResultTag(call),
        Instantiate<float(float, float)>::ResultTag(call), Instantiate<void(const char*, bool)>::ResultTag(call),
        Instantiate<void(bool)>::ResultTag(call), Instantiate<Var(int)>::ResultTag(call),
        Instantiate<int()>::ResultTag(call), Instantiate<bool(int)>::ResultTag(call),
        Instantiate<float(const char*)>::ResultTag(call), Instantiate<bool(const char*, float)>::ResultTag(call),
        Instantiate<bool(const char*, int)>::ResultTag(call),
        Instantiate<const char*(const char*)>::ResultTag(call), Instantiate<void(int)>::ResultTag(call),
        Instantiate<void(float)>::ResultTag(call), Instantiate<const char*(int)>::ResultTag(call),
        Instantiate<const char*()>::ResultTag(call), Instantiate<float(int, float)>::ResultTag(call),
        Instantiate<float(const char*, const char*, const char*)>::ResultTag(call),
        Instantiate<float(I)>::ResultTag(call), Instantiate<float(const char*, const char*)>::ResultTag(call),
        Instantiate<void(int, int, int, int)>::ResultTag(call),
        Instantiate<const char*(float, float)>::ResultTag(call),
        Instantiate<bool(int, const char*, const char*)>::ResultTag(call),
        Instantiate<bool(int, const char*)>::ResultTag(call), Instantiate<const char*(int, int)>::ResultTag(call),
        Instantiate<void(const char*, float, int, int)>::ResultTag(call),
        Instantiate<void(const char*, float, bool)>::ResultTag(call),
        Instantiate<void(const char*, float)>::ResultTag(call),
    };
    EXPECT_EQ(tags.size(), 61u);
    EXPECT_EQ(tags[0], kTagNil);
    EXPECT_EQ(tags[1], kTagBool);
    EXPECT_EQ(tags[2], kTagInt);
    EXPECT_EQ(tags[3], kTagObject);
    EXPECT_EQ(tags[10], kTagObject);
    EXPECT_EQ(tags[25], kTagFloat);
    // Missing object arguments were reported, nothing else.
    for (const std::string& text : Texts()) EXPECT_NE(text.find("expected AutoRef*"), std::string::npos) << text;
}

}  // namespace
