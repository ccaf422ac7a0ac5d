#include "support/QuietDebugHandler.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/Vocabulary.h"
#include "tests/script/runtime/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::Messages;
using scripttest::ScriptTest;

namespace {

class FakeCompiler : public ICompiler {
public:
    explicit FakeCompiler(int code) : code_(code) {}
    int CompileFile(const char* path) override {
        calls.push_back(std::string("file:") + path);
        return onFile ? onFile(path) : code_;
    }
    int CompileBuffer(const char* alias, const char* text) override {
        calls.push_back(std::string("buffer:") + alias + "|" + text);
        return code_;
    }
    int Compile(const char* text, Thread*, Var& result) override {
        calls.push_back(std::string("text:") + text);
        result.SetInt(3);
        return code_;
    }
    std::vector<std::string> calls;
    std::function<int(const char*)> onFile;

private:
    int code_;
};

class MachineTest : public ScriptTest {
protected:
    FakeCompiler* InstallCompiler(int code) {
        auto* compiler = new FakeCompiler(code);
        vm.Initialize(compiler);
        vm.SetFirstCallback(&scripttest::Record);
        vm.SetSecondCallback(nullptr);
        return compiler;
    }
};

TEST_F(MachineTest, ModuleNamesAreFoundCaseBlindAndCut) {
    BinCode* menu = vm.GetOrCreateModule("menu");
    EXPECT_EQ(vm.FindModule("Menu"), menu);
    EXPECT_EQ(vm.GetOrCreateModule("menu"), menu);
    EXPECT_EQ(vm.GetGlobalObject("Menu"), nullptr);
    std::string longName(200, 'X');
    BinCode* cut = vm.GetOrCreateModule(std::string(127, 'x').c_str());
    EXPECT_EQ(vm.FindModule(longName.c_str()), cut);
    EXPECT_EQ(vm.FindModule("absent"), nullptr);
    EXPECT_EQ(vm.FindModule(nullptr), nullptr);
    EXPECT_EQ(vm.GetOrCreateModule(nullptr), nullptr);
    vm.GetRootModule()->GetMembers().GetOrAddMember("number")->SetInt(4);
    EXPECT_EQ(vm.GetOrCreateModule("number"), nullptr);
    EXPECT_STREQ(menu->GetName(), "menu");
    EXPECT_STREQ(menu->GetModuleName(), "menu");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MachineTest, ModuleNameFromPath) {
    EXPECT_EQ(ScriptVM::ModuleNameFromPath("Data\\scripts/Intro.Main.cis"), "intro");
    EXPECT_EQ(ScriptVM::ModuleNameFromPath("scripts/scenes/Park.cis"), "park");
    EXPECT_EQ(ScriptVM::ModuleNameFromPath(""), "(memory)");
    EXPECT_EQ(ScriptVM::ModuleNameFromPath("dir/.cis"), "(memory)");
    EXPECT_EQ(ScriptVM::ModuleNameFromPath(nullptr), "");
}

TEST_F(MachineTest, HasFunctionAndRelease) {
    Assembler a;
    a.Op(kOpParamCopy).Op(kOpStop);
    AddFunction(module, "Run", a);
    module->GetMembers().GetOrAddMember("value")->SetInt(1);
    EXPECT_TRUE(vm.HasFunction("Test", "Run"));
    EXPECT_FALSE(vm.HasFunction("test", "value"));
    EXPECT_FALSE(vm.HasFunction("test", nullptr));
    EXPECT_TRUE(vm.ReleaseModule("scripts/Test.cis"));
    EXPECT_EQ(vm.FindModule("test"), nullptr);
    EXPECT_FALSE(vm.ReleaseModule("test"));
    vm.AddCFunction("Sleep", nullptr);
    EXPECT_FALSE(vm.ReleaseModule("~bind"));
    EXPECT_NE(vm.GetRootModule()->GetMember("~bind"), nullptr);
}

TEST_F(MachineTest, LaterRegistrationWins) {
    AddNative("Get", [](Var& result, t_Interface&) { result.SetInt(1); });
    AddNative("Get", [](Var& result, t_Interface&) { result.SetInt(2); });
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Get").Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    EXPECT_EQ(Start(main.Get())->GetValue().AsInt(), 2);
    BinCode* bind = ToBinCode(*vm.GetRootModule()->GetMember("~bind"));
    EXPECT_EQ(bind->GetMembers().GetCount(), 2);  // "Get" and the parent link
    vm.GetRootModule()->GetMembers().GetOrAddMember("~bind")->SetInt(3);
    EXPECT_FALSE(vm.AddCFunction("Other", natives[0].get()));
}

TEST_F(MachineTest, ErrorsKeepUserTextLiteral) {
    vm.Error("src", 3, nullptr);
    EXPECT_TRUE(Messages().empty());
    vm.Error("src", 3, "%s", "100% sure %s");
    EXPECT_EQ(Messages(), std::vector<std::string>{"src(3) : 100% sure %s"});
}

TEST_F(MachineTest, RuntimeErrorsCarryTheFailingLine) {
    Assembler a;
    a.Line(10).Op(kOpParamCopy).Line(11).PushInt(1).Eoc().Line(12).PushInt(2).Line(13).Op(kOpAdd).Line(14).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "void", 0, "scripts/menu.cis");
    Start(main.Get());
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"scripts/menu.cis(13) : Fatal: Accessing stack outside range at '+'"});

    struct Lines : QuietDebugHandler {
        void OnError(const char* text) override { errors.push_back(text); }
        void LineChanged(Thread* thread) override { lines.push_back(thread->GetCurrentFrame()->currentLine); }
        std::vector<std::string> errors;
        std::vector<int> lines;
    };
    auto handler = std::make_unique<Lines>();
    Lines* seen = handler.get();
    vm.SetDebugHandler(std::move(handler));
    Start(main.Get());
    EXPECT_EQ(seen->errors, std::vector<std::string>{"scripts/menu.cis(13) : Fatal: Accessing stack outside range at '+'"});
    EXPECT_EQ(seen->lines, (std::vector<int>{11, 12, 13}));
    vm.SetDebugHandler(nullptr);
}

TEST_F(MachineTest, WithoutCompilerNothingCompiles) {
    EXPECT_FALSE(vm.CompileFile("scripts/a.cis", true));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "trying to compile file scripts/a.cis without compiler linked in",
                              "scripts/a.cis(-1) : trying to compile file scripts/a.cis without compiler linked in"}));
    Messages().clear();
    EXPECT_FALSE(vm.CompileFile("scripts/a.cis", false));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(vm.CompileBuffer("x = 1;", "scene"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"trying to compile buffer scene without compiler linked in",
                                                    "scene(-1) : trying to compile buffer scene without compiler linked in"}));
}

TEST_F(MachineTest, CompilerCodesAndMessages) {
    for (int code = 0; code <= 4; ++code) {
        SCOPED_TRACE(code);
        FakeCompiler* compiler = InstallCompiler(code);
        Messages().clear();
        EXPECT_EQ(vm.CompileFile("scripts/a.cis", true), code == 0);
        if (code == 1)
            EXPECT_EQ(Messages(), std::vector<std::string>{"scripts/a.cis(-1) : Unable to open file"});
        else
            EXPECT_TRUE(Messages().empty());
        Messages().clear();
        EXPECT_EQ(vm.CompileBuffer("text", "alias"), code == 0);
        EXPECT_EQ(Messages(), std::vector<std::string>{"compile buffer, using file alias alias"});
        Var result;
        EXPECT_EQ(vm.Compile("expr", nullptr, result), code);
        EXPECT_EQ(compiler->calls,
                  (std::vector<std::string>{"file:scripts/a.cis", "buffer:alias|text", "text:expr"}));
    }
}

TEST_F(MachineTest, RecursiveIncludesStopAtTheNestingCap) {
    FakeCompiler* compiler = InstallCompiler(0);
    int depth = 0;
    compiler->onFile = [&](const char* path) {
        ++depth;
        return vm.CompileFile(path, true) ? 0 : 4;
    };
    EXPECT_FALSE(vm.CompileFile("self.cis", true));
    EXPECT_EQ(depth, kMaxCompileNesting);
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "self.cis(-1) : Unable to compile self.cis, because maximal include nesting(32) is reached"});
    // The cap is a nesting depth: a later include works again.
    compiler->onFile = nullptr;
    EXPECT_TRUE(vm.CompileFile("other.cis", true));
}

TEST_F(MachineTest, SourceSearchPathsLoadMissingModules) {
    FakeCompiler* compiler = InstallCompiler(1);
    vm.AddSearchPath("first", kSearchSource);
    vm.AddSearchPath("second", kSearchCompiled);
    vm.AddSearchPath("third", kSearchSource);
    compiler->onFile = [&](const char* path) {
        if (std::string(path) != "third/menu.cis") return 1;
        vm.GetOrCreateModule("menu");
        return 0;
    };
    EXPECT_NE(vm.FindModule("Menu"), nullptr);
    EXPECT_EQ(compiler->calls, (std::vector<std::string>{"file:first/menu.cis", "file:third/menu.cis"}));
    vm.Shutdown();
    EXPECT_EQ(vm.GetCompiler(), nullptr);
    EXPECT_EQ(vm.FindModule("menu"), nullptr);
}

TEST_F(MachineTest, ShutdownReleasesModulesAndThreads) {
    halvo::WeakRef<BinCode> weakModule(module);
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Wait").Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
    AddNative("Wait", [](Var&, t_Interface& call) { call.thread->Sleep(1000.0f); });
    halvo::WeakRef<Thread> weakThread;
    {
        halvo::AutoRef<Thread> thread = Start(main.Get());
        weakThread = thread.Get();
        // The module holds the thread that runs its code.
        module->GetMembers().GetOrAddMember("worker")->SetObject(thread.Get());
    }
    main.Reset();
    vm.Shutdown();
    EXPECT_EQ(weakModule.Get(), nullptr);
    EXPECT_EQ(weakThread.Get(), nullptr);
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0u);
    EXPECT_NE(vm.GetRootModule(), nullptr);
}

TEST_F(MachineTest, RunNestingIsCapped) {
    // Each run calls a native that runs the function again on a new thread.
    Assembler a;
    a.Op(kOpParamCopy).CallNamed("Again").Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
    int runs = 0;
    AddNative("Again", [&](Var&, t_Interface&) {
        ++runs;
        Start(main.Get());
    });
    Start(main.Get());
    EXPECT_EQ(runs, kMaxRunNesting);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Texts()[0], "Unable to run script thread, because maximal nesting(256) is reached");
}

}  // namespace
