// What must stay alive while scripts run: modules released by their own
// code, threads dropped by their own handlers, arrays resized under a
// pending reference, functions that outlive their modules. Meant for the
// sanitizer build, where a use after free fails loudly.

#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/Vocabulary.h"
#include "tests/script/runtime/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::Messages;
using scripttest::ScriptTest;

namespace {

class LifetimeTest : public ScriptTest {};

TEST_F(LifetimeTest, ModuleReleasedByItsOwnNativeCallKeepsRunning) {
    AddNative("ReleaseScene", [this](Var&, t_Interface&) { EXPECT_TRUE(vm.ReleaseModule("scene")); });
    BinCode* scene = vm.GetOrCreateModule("scene");
    scene->CreateVocabulary();
    int32_t word = scene->GetVocabulary()->Add("still here");
    scene->GetMembers().GetOrAddMember("counter")->SetInt(40);
    halvo::WeakRef<BinCode> weakScene(scene);
    // ReleaseScene(); counter += 2; return counter + <"still here"> length check via pool text
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("ReleaseScene").Eoc();
    a.Named("counter").PushInt(2).Op(kOpAddAssign).Eoc();
    a.Args(2).Named("counter").ArgDone(0).Pool(kOpPushValue, word).ArgDone(1).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<Thread> thread = NewThread();
    {
        halvo::AutoRef<BinCode> run = AddFunction(scene, "Run", a, "auto");
        thread->Run(run.Get(), false, nullptr, 0);
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    VarArray* result = ToVarArray(thread->GetValue());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->GetAt(0)->AsInt(), 42);
    EXPECT_STREQ(result->GetAt(1)->GetCString(), "still here");
    EXPECT_EQ(weakScene.Get(), nullptr);
}

TEST_F(LifetimeTest, HandlerThatDropsItsOwnThread) {
    halvo::AutoRef<Thread> owner = NewThread();
    AddNative("DropMe", [&](Var&, t_Interface&) { owner.Reset(); });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("DropMe").Eoc().PushInt(3).PushInt(4).Op(kOpAdd).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> handler = AddFunction(module, "OnButton", a, "int");
    halvo::WeakRef<Thread> weak(owner.Get());
    owner->Run(handler.Get(), false, nullptr, 0);
    EXPECT_EQ(weak.Get(), nullptr);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LifetimeTest, FunctionOutlivesItsModule) {
    BinCode* scene = vm.GetOrCreateModule("scene");
    scene->CreateVocabulary();
    int32_t word = scene->GetVocabulary()->Add("hello");
    Assembler a;
    a.Op(kOpParamCopy).Pool(kOpPushValue, word).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(scene, "f", a, "auto");
    EXPECT_STREQ(Start(f.Get())->GetValue().GetCString(), "hello");
    vm.ReleaseModule("scene");
    EXPECT_EQ(f->GetParent(), nullptr);
    EXPECT_STREQ(f->GetName(), "(unknown)");
    EXPECT_STREQ(f->GetModuleName(), "(global)");
    EXPECT_EQ(f->GetVocabulary(), nullptr);
    // Without its string table the text reads as its offset.
    std::string expected = "#" + std::to_string(word);
    EXPECT_EQ(Start(f.Get())->GetValue().ToString(), expected);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LifetimeTest, RecompiledModuleFinishesTheOldCode) {
    Assembler replacement;
    replacement.Op(kOpParamCopy).PushInt(-1).Op(kOpReturn).Op(kOpStop);
    std::vector<uint8_t> newCode = replacement.Code();
    halvo::AutoRef<BinCode> f;
    AddNative("Recompile", [&](Var&, t_Interface&) {
        f->SetCode(static_cast<uint32_t>(newCode.size()), newCode.data());
        f->GetMembers().GetOrAddMember("~v")->SetObject(new Vocabulary);
    });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Recompile").Eoc().PushInt(1).PushInt(2).PushInt(3).Op(kOpAdd).Op(kOpAdd);
    a.Op(kOpReturn).Op(kOpStop);
    f = AddFunction(module, "f", a, "int");
    f->CreateVocabulary();
    EXPECT_EQ(Start(f.Get())->GetValue().AsInt(), 6);
    EXPECT_EQ(Start(f.Get())->GetValue().AsInt(), -1);
}

class ResizeUnderReference : public LifetimeTest {
protected:
    void SetUp() override {
        LifetimeTest::SetUp();
        halvo::AutoRef<VarArray> list(VarArray::CreateWithCount(3));
        for (int i = 0; i < 3; ++i) list->GetAt(i)->SetInt(i + 1);
        module->GetMembers().GetOrAddMember("a")->SetObject(list.Get());
        AddNative("Shrink", [this](Var& result, t_Interface&) {
            ToVarArray(*module->GetMember("a"))->Resize(0);
            result.SetInt(10);
        });
    }
};

TEST_F(ResizeUnderReference, CompoundAssignmentIntoAShrunkArray) {
    // a[0] += Shrink();
    Assembler a;
    a.Op(kOpParamCopy).PushInt(0).PushText("a").Int(kOpPushVar, kPushByName | kPushIndex);
    a.CallNamed("Shrink").Op(kOpAddAssign).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    EXPECT_EQ(Start(f.Get())->GetState(), kThreadIdle);
    EXPECT_EQ(module->GetMember("a")->GetCount(), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ResizeUnderReference, ArgumentReferencesIntoAShrunkArray) {
    // g(a[1], Shrink()) where g(auto x, auto y) returns x + y.
    Assembler g;
    g.Op(kOpParamCopy).Local(0).Local(1).Op(kOpAdd).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> gf = AddFunction(module, "g", g, "int", 2);
    gf->GetVariables().Add("x", "auto", nullptr);
    gf->GetVariables().Add("y", "auto", nullptr);
    Assembler a;
    a.Op(kOpParamCopy).Args(2).PushInt(1).PushText("a").Int(kOpPushVar, kPushByName | kPushIndex).ArgDone(0);
    a.CallNamed("Shrink").ArgDone(1).Named("g").Op(kOpCall).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a, "int");
    EXPECT_EQ(Start(f.Get())->GetValue().AsInt(), 12);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LifetimeTest, DeferredCallsGetValuesNotReferences) {
    // The caller's local dies before the deferred start runs.
    Assembler callee;
    callee.Op(kOpParamCopy).Local(0).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> later = AddFunction(module, "later", callee, "int", 1);
    later->GetVariables().Add("v", "auto", nullptr);
    halvo::AutoRef<Thread> spawned;
    AddNative("Defer", [&](Var&, t_Interface& call) {
        spawned = NewThread();
        spawned->Run(later.Get(), true, call.args->GetElement(0), 1);
    });
    Assembler a;
    a.Op(kOpParamCopy).Local(0).PushInt(77).Op(kOpAssign).Eoc().Args(1).Local(0).ArgDone(0).Named("Defer");
    a.Op(kOpCall).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    f->GetVariables().Add("local", "int", nullptr);
    Start(f.Get());
    vm.Update(17.0f);
    ASSERT_TRUE(spawned);
    EXPECT_EQ(spawned->GetValue().AsInt(), 77);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LifetimeTest, CodeObjectsAndLineMaps) {
    Assembler a;
    a.Op(kOpParamCopy).Line(5).Op(kOpNothing).Op(kOpNothing).Line(9).Op(kOpStop);
    std::vector<uint8_t> map = a.LineMap("x.cis");
    halvo::AutoRef<MapFile> heldLines(MapFile::Make(map.data(), static_cast<uint32_t>(map.size())));
    MapFile& lines = *heldLines;
    EXPECT_STREQ(lines.GetSourceName(), "x.cis");
    EXPECT_EQ(lines.GetLine(0), -1);
    EXPECT_EQ(lines.GetLine(1), 5);
    EXPECT_EQ(lines.GetLine(2), 5);
    EXPECT_EQ(lines.GetLine(3), 9);
    EXPECT_EQ(lines.GetLine(100), 9);
    uint32_t start = 0, end = 77;
    EXPECT_EQ(lines.GetLineEx(2, start, end), 5);
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 3u);
    end = 77;
    EXPECT_EQ(lines.GetLineEx(50, start, end), 9);
    EXPECT_EQ(end, 77u);
    std::vector<uint8_t> onlySource(map.begin(), map.begin() + 7);
    halvo::AutoRef<MapFile> heldBare(MapFile::Make(onlySource.data(), static_cast<uint32_t>(onlySource.size())));
    MapFile& bare = *heldBare;
    EXPECT_EQ(bare.GetLine(0), -1);
    EXPECT_EQ(bare.GetLine(1000), -1);
    for (size_t cut = 0; cut < map.size(); ++cut)
        halvo::AutoRef<MapFile>(MapFile::Make(map.data(), static_cast<uint32_t>(cut)))->GetLine(3);
    halvo::AutoRef<MapFile> empty(MapFile::Make(nullptr, 0));
    EXPECT_EQ(empty->GetSourceName(), nullptr);

    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    EXPECT_NE(f->GetCode(), nullptr);
    f->SetCode(0, map.data());
    EXPECT_EQ(f->GetCode(), nullptr);
    EXPECT_EQ(f->GetMember("~b"), nullptr);
    EXPECT_EQ(f->GetVocabulary(), module->GetVocabulary());
    EXPECT_STREQ(vm.GetRootModule()->GetName(), "(unknown)");
    EXPECT_STREQ(vm.GetRootModule()->GetModuleName(), "(global)");
    EXPECT_STREQ(f->GetModuleName(), "test");
    EXPECT_EQ(f->GetOrAddMember("new"), nullptr);
    halvo::AutoRef<BinCode> stray(new BinCode);
    stray->SetParent(module);
    EXPECT_EQ(stray->GetName(), nullptr);
    EXPECT_STREQ(stray->GetSourceName(), "(unkown)");
    EXPECT_EQ(stray->GetMember("~p")->GetTag(), kTagPointer);
    halvo::AutoRef<BinCode> self(new BinCode);
    self->SetParent(self.Get());
    EXPECT_EQ(self->GetRoot(), self.Get());
    self->SetParent(nullptr);
}

}  // namespace
