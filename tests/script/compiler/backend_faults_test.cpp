// Faults of the compile path that scripts or files could trigger: each
// case runs clean under the address and undefined-behaviour sanitizers.

#include "BackEnd.h"

#include "script/compiler/Assembler.h"
#include "script/compiler/HiGrammar.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/VarString.h"
#include "tests/support/TempFolder.h"

#include <string>

namespace Vrel::Testing {
namespace {

using Faults = BackEndTest;

TEST_F(Faults, DeclarationTextsOutliveTheCompile) {
    ASSERT_EQ(Buffer("decl.cis",
                     "function auto f() { int x; string s; int list[3]; int p.y; x = 4; list[2] = 5;\n"
                     "  return x + list[2] + p.y; }"),
              kCompileOk);
    BinCode* f = Function("decl", "f");
    ASSERT_NE(f, nullptr);
    // Every call makes its locals from the declared types again.
    EXPECT_EQ(Call(f).AsInt(), 9);
    EXPECT_EQ(Call(f).AsInt(), 9);
}

TEST_F(Faults, StringConstantsSurviveGrowthOfTheirPoolAndARecompile) {
    std::string text = "auto s = \"abc\";\n";
    for (int i = 0; i < 300; ++i) text += "string t" + std::to_string(i) + " = \"grow " + std::to_string(i) + "\";\n";
    text += "return s == \"abc\";\n";
    ASSERT_EQ(Buffer("pool.cis", text), kCompileOk) << AllMessages();
    ASSERT_EQ(Buffer("pool.cis", "auto later = s;\nreturn 1;"), kCompileOk) << AllMessages();
    Var* s = Module("pool")->GetMember("s");
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->GetCString(), nullptr);
    EXPECT_STREQ(s->GetCString(), "abc");
    EXPECT_STREQ(Module("pool")->GetMember("later")->GetCString(), "abc");
}

TEST_F(Faults, AModuleThatCompilesItselfIsRefused) {
    int innerCode = -1;
    AddNative("again", [&](Var&, t_Interface&) { innerCode = Buffer("self.cis", "print();"); });
    EXPECT_EQ(Buffer("self.cis", "again();\nint after = 1;"), kCompileOk) << AllMessages();
    EXPECT_EQ(innerCode, kCompileGeneratorFailed);
    EXPECT_NE(AllMessages().find("self.cis(-1) : Module 'self' is already being compiled"), std::string::npos)
        << AllMessages();
    EXPECT_NE(Module("self")->GetMember("after"), nullptr);
}

TEST_F(Faults, ACycleOfModulesIsRefusedWhereItCloses) {
    std::vector<int> codes;
    AddNative("load", [&](Var&, t_Interface& call) {
        const char* name = call.GetArg(0) ? call.GetArg(0)->GetCString() : nullptr;
        std::string text = std::string(name) == "a.cis" ? "load(\"b.cis\");" : "load(\"a.cis\");";
        codes.push_back(Buffer(name, text));
    });
    EXPECT_EQ(Buffer("a.cis", "load(\"b.cis\");"), kCompileOk) << AllMessages();
    // b compiles, and its own request for a (still compiling) fails.
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], kCompileGeneratorFailed);
    EXPECT_EQ(codes[1], kCompileOk);
}

TEST_F(Faults, NestedRequestsStopAtTheNestingLimit) {
    int deepest = 0;
    AddNative("deeper", [&](Var&, t_Interface& call) {
        int level = call.GetArg(0)->AsInt();
        deepest = std::max(deepest, level);
        std::string name = "level" + std::to_string(level + 1) + ".cis";
        Buffer(name.c_str(), "deeper(" + std::to_string(level + 1) + ");");
    });
    Buffer("level0.cis", "deeper(0);");
    EXPECT_EQ(deepest, Compiler::kMaxNesting - 1);
    EXPECT_NE(AllMessages().find("maximal include nesting(32)"), std::string::npos);
}

TEST_F(Faults, OnlyRegularFilesAreRead) {
    testsupport::TempFolder folder;
    folder.MakeFolder("dir.cis");
    EXPECT_EQ(compiler->CompileFile((folder / "dir.cis").c_str()), kCompileCannotOpen);
    EXPECT_EQ(compiler->CompileFile((folder / "missing.cis").c_str()), kCompileCannotOpen);
    EXPECT_EQ(compiler->CompileFile(nullptr), kCompileCannotOpen);
    folder.WriteFile("ok.cis", "return 3;");
    Var result;
    EXPECT_EQ(compiler->CompileFileWithResult((folder / "ok.cis").c_str(), result), kCompileOk);
    EXPECT_EQ(result.AsInt(), 3);
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(Faults, NullAliasAndTextCountAsEmpty) {
    EXPECT_EQ(compiler->CompileBuffer(nullptr, nullptr), kCompileOk);
    EXPECT_NE(Module("(memory)"), nullptr);
    Var result;
    EXPECT_EQ(compiler->Compile(nullptr, nullptr, result), kCompileOk);
    EXPECT_TRUE(result.IsNil());
}

TEST_F(Faults, AModulePathThatNamesNoModuleIsRefused) {
    vm.GetRootModule()->GetMembers().GetOrAddMember("m")->SetString("not a module");
    EXPECT_EQ(Buffer("path.cis", "int m::x;"), kCompileGeneratorFailed);
    EXPECT_EQ(AllMessages(), "path.cis(1) : module m not found\n");
    RecordedMessages().clear();
    EXPECT_EQ(Buffer("path2.cis", "module m { int y; }"), kCompileGeneratorFailed);
    EXPECT_EQ(AllMessages(), "path2.cis(1) : module m not found\n");
}

TEST_F(Faults, TooManyParametersOrVariablesAreReported) {
    std::string parameters;
    for (int i = 0; i <= HiGrammar::kMaxParameters; ++i) parameters += (i ? ", int p" : "int p") + std::to_string(i);
    EXPECT_EQ(Buffer("params.cis", "function f(" + parameters + ") { }"), kCompileGeneratorFailed);
    EXPECT_EQ(AllMessages(), "params.cis(1) : Too many parameters\n");

    RecordedMessages().clear();
    std::string locals = "function f() {\n";
    for (int i = 0; i <= kMaxVariables; ++i) locals += "int v" + std::to_string(i) + ";";
    locals += "\n}";
    EXPECT_EQ(Buffer("locals.cis", locals), kCompileGeneratorFailed);
    EXPECT_EQ(AllMessages(), "locals.cis(2) : Too many variables\n");
}

TEST_F(Faults, MessagesFromNestedBodiesNameTheWholeSourceName) {
    // Bodies nested two deep refer to the outermost context's name; one far
    // past a short string's inline room must come through whole.
    const std::string alias = "a/rather/long/folder/for/the/nested/source.cis";
    std::string parameters;
    for (int i = 0; i <= HiGrammar::kMaxParameters; ++i) parameters += (i ? ", int p" : "int p") + std::to_string(i);
    EXPECT_EQ(Buffer(alias.c_str(), "module deep {\nfunction f(" + parameters + ") { }\n}"), kCompileGeneratorFailed);
    EXPECT_EQ(AllMessages(), alias + "(2) : Too many parameters\n");
}

TEST_F(Faults, AFunctionOutlivesItsAnonymousModule) {
    Var result;
    ASSERT_EQ(Run("int hidden = 2; function int f() { return 1; } function g() { return hidden; } return f;", result),
              kCompileOk);
    BinCode* f = ToBinCode(result);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetParent(), nullptr);
    EXPECT_EQ(Call(f).AsInt(), 1);
}

TEST_F(Faults, AFunctionOutlivesItsReleasedModule) {
    ASSERT_EQ(Buffer("gone.cis", "int v = 3; function int f() { return v; }"), kCompileOk);
    halvo::AutoRef<BinCode> f(Function("gone", "f"));
    ASSERT_TRUE(vm.ReleaseModule("gone"));
    Call(f.Get());
    EXPECT_NE(AllMessages().find("The variable 'v' is undefined."), std::string::npos) << AllMessages();
}

TEST_F(Faults, AWaitingStatementLeavesNoResult) {
    AddNative("wait", [](Var& result, t_Interface& call) {
        call.thread->Sleep(250.0f);
        result.SetInt(7);
    });
    Var result(99);
    EXPECT_EQ(Run("return 5;\nreturn wait();", result), kCompileOk);
    EXPECT_TRUE(result.IsNil()) << result.ToString();
    EXPECT_EQ(vm.GetScheduler().GetCount(), 0);

    RecordedMessages().clear();
    EXPECT_EQ(Buffer("waiting.cis", "enum E { A = wait() }"), kCompileGeneratorFailed);
    EXPECT_NE(AllMessages().find("Expected int value for constant"), std::string::npos) << AllMessages();
}

TEST_F(Faults, AssemblerRefusesAPatchPastTheCode) {
    halvo::AutoRef<BinCode> target(new BinCode);
    CompileContext context("asm.cis", "");
    context.target = target;
    context.code = Code::NewRoot();
    // A label-kind node whose opcode carries no operand gets no position
    // field to patch.
    Code::Jump(context.code.Get(), kOpCall, 1);
    Code::Label(context.code.Get(), 1);
    Assembler assembler;
    EXPECT_FALSE(assembler.Assemble(context));
    EXPECT_EQ(target->GetCode(), nullptr);
    EXPECT_NE(AllMessages().find("has no position operand to patch"), std::string::npos) << AllMessages();
}

TEST_F(Faults, AssemblerReportsUnplacedAndDuplicateLabelsAndOperandsWithoutForm) {
    halvo::AutoRef<BinCode> target(new BinCode);
    CompileContext context("asm.cis", "");
    context.target = target;
    Assembler assembler;

    context.code = Code::NewRoot();
    Code::Jump(context.code.Get(), kOpJump, 7);
    EXPECT_FALSE(assembler.Assemble(context));

    context.code = Code::NewRoot();
    Code::Label(context.code.Get(), 2)->line = 5;
    Code::Label(context.code.Get(), 2)->line = 5;
    EXPECT_FALSE(assembler.Assemble(context));

    context.code = Code::NewRoot();
    Var reference;
    reference.SetReference(&reference);
    Code::Emit(context.code.Get(), kOpPushValue, reference)->line = 9;
    EXPECT_TRUE(assembler.Assemble(context));
    EXPECT_EQ(AllMessages(),
              "asm.cis(-1) : Fatal : Undeclared label found: '7'\n"
              "asm.cis(5) : duplicate label found 2\n"
              "asm.cis(9) : Unsupported type: reference\n");
    EXPECT_EQ(assembler.GetCode(), (std::vector<uint8_t>{kOpParamCopy, kOpPushValue, 0, kOpStop}));
}

// A node made for no list would be gone before its maker returned it.
TEST_F(Faults, InstructionHelpersWithoutAListMakeNoNode) {
    EXPECT_EQ(Code::Emit(nullptr, kOpNothing), nullptr);
    EXPECT_EQ(Code::Emit(nullptr, kOpPushValue, Var(3)), nullptr);
    EXPECT_EQ(Code::EmitInt(nullptr, kOpPushValue, 3), nullptr);
    EXPECT_EQ(Code::EmitText(nullptr, kOpPushValue, "text"), nullptr);
    EXPECT_EQ(Code::Label(nullptr, 1), nullptr);
    EXPECT_EQ(Code::Jump(nullptr, kOpJump, 1), nullptr);
    EXPECT_EQ(Code::Group(nullptr), nullptr);
}

TEST_F(Faults, StatementsWithoutLineOrAsBareVariablesAreRefused) {
    CompileContext context("tree.cis", "");
    context.target = new BinCode;
    context.tree = Code::NewRoot();
    HiGrammar generator(*compiler);
    halvo::AutoRef<SNode> lval = MakeTokenNode(OT_LVAL, 0, 0);
    SNode::AddChild(context.tree.Get(), lval.Get());
    EXPECT_FALSE(generator.Generate(context));
    lval->line = 4;
    EXPECT_FALSE(generator.Generate(context));
    EXPECT_EQ(AllMessages(), "tree.cis(-1) : Line informations missing\ntree.cis(4) : Unexpected lvalue found\n");
}

// Operands are gathered without allocating for the usual val(0) and val(1);
// trees with more, repeated, unordered or missing numbers must still give
// the numbered sequence, the first node of a number counting.
TEST_F(Faults, OperandsGoInNumberOrderWhateverTheirCountOrPlace) {
    CompileContext context("ops.cis", "");
    context.target = new BinCode;
    HiGrammar generator(*compiler);
    auto pushed = [&](std::vector<std::pair<int, int>> operands) {
        halvo::AutoRef<SNode> exp = MakeTokenNode(OT_EXP, 0, 1);
        for (auto [index, value] : operands) {
            halvo::AutoRef<SNode> holder = MakeTokenNode(OT_VAL, 0, 1);
            holder->value.SetInt(index);
            SNode::AddChild(exp.Get(), holder.Get());
            halvo::AutoRef<SNode> constant = MakeTokenNode(OT_VALUE, 0, 1);
            constant->value.SetInt(value);
            SNode::AddChild(holder.Get(), constant.Get());
        }
        halvo::AutoRef<SNode> code = Code::NewRoot();
        EXPECT_TRUE(generator.AssembleExpression(exp.Get(), code.Get(), context));
        std::vector<int> values;
        for (SNode* node = code->FirstChild(); node; node = node->Next()) values.push_back(node->value.AsInt());
        return values;
    };
    EXPECT_EQ(pushed({{1, 11}, {0, 10}}), (std::vector<int>{10, 11}));
    EXPECT_EQ(pushed({{0, 10}, {0, 20}, {1, 11}}), (std::vector<int>{10, 11}));
    EXPECT_EQ(pushed({{0, 10}, {2, 12}}), (std::vector<int>{10}));
    EXPECT_EQ(pushed({{-1, 9}, {1, 11}}), (std::vector<int>{}));
    EXPECT_EQ(pushed({{5, 15}, {4, 14}, {3, 13}, {2, 12}, {1, 11}, {0, 10}}),
              (std::vector<int>{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(pushed({{0, 10}, {1, 11}, {2, 12}, {3, 13}, {4, 14}, {4, 24}, {6, 16}}),
              (std::vector<int>{10, 11, 12, 13, 14}));
}

TEST_F(Faults, LoopsDoNotGrowTheValueStack) {
    vm.SetStepLimit(50'000'000);
    Var result;
    // Without a statement end in every pass these leave a value behind per
    // pass and run into the stack limit of a million values.
    EXPECT_EQ(Run("int c = 1100000; while (c) c--;\n"
                  "int i; for (i = 0; i < 1100000; i++) { i; continue; }\n"
                  "return i;",
                  result),
              kCompileOk)
        << AllMessages();
    EXPECT_EQ(result.AsInt(), 1100000);
}

}  // namespace
}  // namespace Vrel::Testing
