// The built-ins that load, find, iterate and release modules. Loading goes
// through a recording compiler: what matters here is which files are asked
// for, in which order, and what is reported.

#include "script/runtime/library/FileSearch.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/BuiltinTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace Vrel;
using namespace bytecode;
using scripttest::BuiltinTest;
using scripttest::Messages;

namespace {

class RecordingCompiler : public ICompiler {
public:
    explicit RecordingCompiler(std::vector<std::string>& files) : files_(files) {}
    int CompileFile(const char* path) override {
        files_.push_back(path);
        return failing.count(path) ? kCompileParserFailed : kCompileOk;
    }
    int CompileBuffer(const char*, const char*) override { return kCompileOk; }
    int Compile(const char*, Thread*, Var&) override { return kCompileOk; }
    std::set<std::string> failing;

private:
    std::vector<std::string>& files_;
};

class ModuleBuiltinTest : public BuiltinTest {
protected:
    void SetUp() override {
        BuiltinTest::SetUp();
        compiler = new RecordingCompiler(compiled);
        vm.Initialize(compiler);
        vm.SetFirstCallback(&scripttest::Record);
        vm.SetSecondCallback(nullptr);
    }
    // A thread stopped inside a function of source at line 3, as a native
    // called from there sees it.
    halvo::AutoRef<Thread> ThreadIn(const char* source) {
        Assembler a;
        a.Op(kOpParamCopy).Line(3).CallNamed("Pause").Eoc().Op(kOpStop);
        halvo::AutoRef<BinCode> function = AddFunction(module, "where", a, "void", 0, source);
        halvo::AutoRef<Thread> thread = Start(function.Get());
        EXPECT_EQ(thread->GetState(), kThreadPaused);
        return thread;
    }

    std::vector<std::string> compiled;
    RecordingCompiler* compiler = nullptr;
};

TEST_F(ModuleBuiltinTest, IncludeIsRelativeToTheCallingSource) {
    halvo::AutoRef<Thread> thread = ThreadIn("scripts/menu/main.cis");
    EXPECT_TRUE(Truth(CallOn(thread.Get(), "Include", {Const("parts.cis")})));
    thread = ThreadIn("data\\scenes\\hall.cis");
    EXPECT_TRUE(Truth(CallOn(thread.Get(), "Include", {Const("x.cis")})));
    thread = ThreadIn("bare.cis");
    EXPECT_TRUE(Truth(CallOn(thread.Get(), "Include", {Const("y.cis")})));
    EXPECT_EQ(compiled, (std::vector<std::string>{"scripts/menu/parts.cis", "data\\scenes\\x.cis", "y.cis"}));

    compiler->failing.insert("broken.cis");
    EXPECT_FALSE(Truth(CallOn(thread.Get(), "Include", {Const("broken.cis")})));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModuleBuiltinTest, IncludeWithoutOneTextIsRefused) {
    halvo::AutoRef<Thread> thread = ThreadIn("scripts/main.cis");
    for (const std::vector<Var>& arguments : std::vector<std::vector<Var>>{{}, {Var(5)}, {Const("a"), Const("b")}}) {
        for (const char* name : {"Include", "IncludeAll"}) {
            Messages().clear();
            EXPECT_FALSE(Truth(CallOn(thread.Get(), name, arguments)));
            EXPECT_EQ(Messages(), std::vector<std::string>{"scripts/main.cis(3) : Include must be called with one parameter"});
        }
    }
    EXPECT_TRUE(compiled.empty());
}

TEST_F(ModuleBuiltinTest, IncludeAllLoadsMatchesInCaseInsensitiveOrder) {
    testsupport::TempFolder folder;
    for (const char* name : {"b.cis", "A.cis", "c.CIS", "notes.txt", "a.cis.bak"}) folder.WriteFile(name, "");
    folder.MakeFolder("sub.cis");
    const std::string dir = folder.Path() + "/";
    halvo::AutoRef<Thread> thread = ThreadIn((dir + "main.cis").c_str());

    EXPECT_TRUE(Truth(CallOn(thread.Get(), "IncludeAll", {Const("*.cis")})));
    EXPECT_EQ(compiled, (std::vector<std::string>{dir + "A.cis", dir + "b.cis", dir + "c.CIS"}));
    EXPECT_TRUE(Messages().empty());

    compiled.clear();
    compiler->failing.insert(dir + "b.cis");
    EXPECT_FALSE(Truth(CallOn(thread.Get(), "IncludeAll", {Const("?.cis")})));
    EXPECT_EQ(compiled.size(), 3u);
    EXPECT_EQ(Messages(), std::vector<std::string>{dir + "main.cis(3) : Unable to load file " + dir + "b.cis"});

    Messages().clear();
    EXPECT_FALSE(Truth(CallOn(thread.Get(), "IncludeAll", {Const("*.xyz")})));
    EXPECT_EQ(OnlyText(), "Unable to load file " + dir + "*.xyz");
}

TEST_F(ModuleBuiltinTest, WildcardMatching) {
    EXPECT_TRUE(MatchesWildcard("Scene_01.CIS", "scene_*.cis"));
    EXPECT_TRUE(MatchesWildcard("abc", "a*?"));
    EXPECT_TRUE(MatchesWildcard("aXbXc", "*b*c"));
    EXPECT_FALSE(MatchesWildcard("abc", "a?"));
    EXPECT_FALSE(MatchesWildcard("ab", "a*bc"));
    EXPECT_TRUE(MatchesWildcard("", "*"));
    EXPECT_FALSE(MatchesWildcard(std::string(2000, 'a').c_str(), (std::string(30, '*') + "b").c_str()));
}

TEST_F(ModuleBuiltinTest, ModulesByName) {
    BinCode* made = ToBinCode(Call("ModuleCreate", {Const("Extra")}));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(ToBinCode(Call("ModuleCreate", {Const("Extra")})), made);
    EXPECT_EQ(TextOf(Call("ModuleGetName", {Object(made)})), "Extra");
    EXPECT_EQ(TextOf(Call("ModuleGetName", {Object(vm.GetRootModule())})), "(global)");
    EXPECT_EQ(ToBinCode(Call("ModuleGetParent", {Object(made)})), vm.GetRootModule());
    EXPECT_EQ(ToBinCode(Call("ModuleGet", {Const("TEST")})), module);
    EXPECT_TRUE(Call("ModuleGet", {Const("missing")}).IsNil());

    vm.GetRootModule()->GetMembers().GetOrAddMember("number")->SetInt(4);
    EXPECT_TRUE(Call("ModuleCreate", {Const("number")}).IsNil());
    EXPECT_EQ(Call("GetGlobalVar", {Const("number"), Object(vm.GetRootModule())}).AsInt(), 4);
    module->GetMembers().GetOrAddMember("local")->SetInt(5);
    EXPECT_EQ(Call("GetGlobalVar", {Const("local"), Object(module)}).AsInt(), 5);
    EXPECT_TRUE(Call("GetGlobalVar", {Const("nothing"), Object(module)}).IsNil());
    EXPECT_TRUE(Messages().empty());

    EXPECT_FALSE(Truth(Call("ModuleRelease", {Const("extra")})));
    EXPECT_TRUE(Truth(Call("ModuleRelease", {Const("Extra")})));
    EXPECT_FALSE(Truth(Call("ModuleRelease", {Const("Extra")})));
    EXPECT_FALSE(Truth(Call("ModuleRelease", {Const("~bind")})));
    EXPECT_FALSE(Truth(Call("ModuleRelease")));
    EXPECT_NE(Adapter("strlen"), nullptr);
}

TEST_F(ModuleBuiltinTest, NullNamesGiveNothing) {
    EXPECT_EQ(vm.GetOrCreateModule(nullptr), nullptr);
    EXPECT_EQ(vm.FindModule(nullptr), nullptr);
    EXPECT_FALSE(vm.HasFunction(nullptr, "f"));
    EXPECT_FALSE(vm.HasFunction("test", nullptr));
    EXPECT_TRUE(Call("ModuleCreate").IsNil());
    EXPECT_TRUE(Call("ModuleGet").IsNil());
    EXPECT_EQ(TextOf(Call("ModuleGetName", {Var(static_cast<VarExtension*>(nullptr))})), "");
    EXPECT_TRUE(Call("ModuleGetParent", {Var(static_cast<VarExtension*>(nullptr))}).IsNil());
    // No prefix: nothing is written and nothing is reported. Module files
    // would land in the working folder, so the test runs in an empty one.
    testsupport::TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    Call("ModuleSaveAll");
    Call("ModuleSaveAll", {Var(3)});
    std::filesystem::current_path(previous);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(ModuleBuiltinTest, ModuleGetThisNamesTheRunningCode) {
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("ModuleGetThis").Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "auto");
    EXPECT_EQ(ToBinCode(Start(main.Get())->GetValue()), main.Get());
    EXPECT_TRUE(Call("ModuleGetThis", {Var(1)}).IsNil());
    EXPECT_EQ(OnlyText(), "ModuleGetThis() has no parameters");
}

TEST_F(ModuleBuiltinTest, ModuleGetMemberIteratesInNameOrder) {
    halvo::AutoRef<BinCode> listed(new BinCode);
    for (const char* name : {"c", "a", "b"}) listed->GetMembers().GetOrAddMember(name)->SetInt(name[0]);
    Var data;
    data.InitType("struct");
    std::vector<std::string> names;
    while (Truth(Call("ModuleGetMember", {Object(listed.Get()), Ref(data)}))) {
        Var* name = data.GetMember("name");
        ASSERT_NE(name, nullptr);
        ASSERT_EQ(name->GetTag(), kTagStringConst);
        EXPECT_EQ(name->GetStringConst(), vm.InternText(name->GetStringConst()));
        names.push_back(name->GetStringConst());
        EXPECT_EQ(data.GetMember("value")->AsInt(), names.back()[0]);
        ASSERT_LT(names.size(), 5u);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(Messages().empty());

    halvo::AutoRef<BinCode> empty(new BinCode);
    Var fresh;
    fresh.InitType("struct");
    EXPECT_FALSE(Truth(Call("ModuleGetMember", {Object(empty.Get()), Ref(fresh)})));
    data.GetMember("name")->SetStringConst("gone");
    EXPECT_FALSE(Truth(Call("ModuleGetMember", {Object(listed.Get()), Ref(data)})));
}

TEST_F(ModuleBuiltinTest, ModuleGetMemberChecksItsArguments) {
    Var data;
    data.InitType("struct");
    const std::vector<std::pair<std::vector<Var>, std::string>> failures = {
        {{Object(module)},
         "ModuleGetMember: wrong parameter count. Syntax: 'bool ModuleGetFirst(func Module, struct data)'"},
        {{Var(1), Ref(data)}, "ModuleGetMember: expected a module as first parameter"},
        {{Object(module), Var(1)}, "ModuleGetFirst: expected a struct as second parameter"},
    };
    for (const auto& [arguments, message] : failures) {
        Messages().clear();
        EXPECT_FALSE(Truth(Call("ModuleGetMember", arguments)));
        EXPECT_EQ(OnlyText(), message);
    }
}

}  // namespace
