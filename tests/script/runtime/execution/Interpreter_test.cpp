#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace Vrel;
using namespace bytecode;
using scripttest::Messages;
using scripttest::ScriptTest;

namespace {

class InterpreterTest : public ScriptTest {
protected:
    // Runs code as "main" of the test module and answers the thread.
    halvo::AutoRef<Thread> RunCode(const Assembler& code, const char* returnType = "auto") {
        halvo::AutoRef<BinCode> main = AddFunction(module, "main", code, returnType);
        return Start(main.Get());
    }
    // The message of a program made of a prefix and one failing opcode.
    std::string FailureOf(Assembler code) {
        Messages().clear();
        halvo::AutoRef<Thread> thread = RunCode(code);
        EXPECT_EQ(thread->GetState(), kThreadEnded);
        return OnlyText();
    }
};

TEST_F(InterpreterTest, ArithmeticFollowsOperatorOrder) {
    Assembler a;
    a.Op(kOpParamCopy).PushInt(2).PushInt(3).PushInt(4).Op(kOpMul).Op(kOpAdd).PushInt(5).Op(kOpSub);
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<Thread> thread = RunCode(a, "int");
    EXPECT_EQ(thread->GetState(), kThreadIdle);
    EXPECT_EQ(thread->GetValue().AsInt(), 9);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InterpreterTest, LoopSumsWithLocals) {
    Assembler a;
    Label top = a.NewLabel(), end = a.NewLabel();
    a.Op(kOpParamCopy);
    a.Local(0).PushInt(1).Op(kOpAssign).Eoc();
    a.Local(1).PushInt(0).Op(kOpAssign).Eoc();
    a.Bind(top).Local(0).PushInt(10).Op(kOpLessEqual).JumpTo(kOpJumpFalse, end);
    a.Local(1).Local(0).Op(kOpAddAssign).Eoc();
    a.Local(0).Op(kOpPreIncrement).Eoc();
    a.JumpTo(kOpJump, top);
    a.Bind(end).Local(1).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
    main->GetVariables().Add("i", "int", nullptr);
    main->GetVariables().Add("s", "int", nullptr);
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetValue().AsInt(), 55);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InterpreterTest, OperandDecodingEdgeCases) {
    Assembler a;
    a.Op(kOpParamCopy).Args(4);
    a.Raw({kOpPushValue, 5, 0x80}).ArgDone(0);
    a.Raw({kOpPushValue, 6}).ArgDone(1);
    a.Raw({kOpPushValue, 4, 0x01, 0x00}).ArgDone(2);
    a.Raw({kOpPushValue, 0x40 | 0}).ArgDone(3);
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<Thread> thread = RunCode(a);
    VarArray* values = ToVarArray(thread->GetValue());
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->GetAt(0)->AsInt(), -128);
    EXPECT_TRUE(values->GetAt(1)->IsInt());
    EXPECT_EQ(values->GetAt(1)->AsInt(), 0);
    EXPECT_EQ(values->GetAt(2)->AsInt(), 256);
    EXPECT_TRUE(values->GetAt(3)->HasAutoFlag());
}

TEST_F(InterpreterTest, UnknownOpcodesReportByRange) {
    for (int op : {0, 13, 14, 100, 127}) {
        Assembler a;
        a.Op(kOpParamCopy).Int(static_cast<uint8_t>(op), 0);
        std::string name = GetCommandName(op);
        EXPECT_EQ(FailureOf(a), "Unsupported or invalid operation: " + std::to_string(op) + " (" + name + ")");
    }
    for (int op : {241, 255}) {
        Assembler a;
        a.Op(kOpParamCopy).Op(static_cast<uint8_t>(op));
        EXPECT_EQ(FailureOf(a), "Unsupported or invalid operation: " + std::to_string(op) + " ((unknown en_Command))");
    }
    Assembler label;
    label.Op(kOpParamCopy).Int(kOpLabel, 0);
    EXPECT_EQ(FailureOf(label), "unexpected command found: OP_LABEL");
    for (int op : {135, 143}) {
        Assembler a;
        a.Op(kOpParamCopy).PushInt(1).Op(static_cast<uint8_t>(op));
        EXPECT_EQ(FailureOf(a), "Sorry, the unary operation (unknown en_Command) is not implemented yet");
    }
    for (int op : {146, 159}) {
        Assembler a;
        a.Op(kOpParamCopy).PushInt(1).Op(static_cast<uint8_t>(op));
        Messages().clear();
        EXPECT_EQ(RunCode(a)->GetState(), kThreadEnded);
        EXPECT_TRUE(Messages().empty());
    }
    for (int op : {178, 223}) {
        Assembler a;
        a.Op(kOpParamCopy).PushInt(1).PushInt(2).Op(static_cast<uint8_t>(op));
        EXPECT_EQ(FailureOf(a), "Unable to execute binary operation '(unknown en_Command)' on value 1(int) and 2(int)");
    }
    EXPECT_STREQ(GetCommandName(177), "||");
    EXPECT_STREQ(GetCommandName(239), "|=");
    EXPECT_STREQ(GetCommandName(134), "(unknown en_Command)");
    EXPECT_STREQ(GetCommandName(227), "");
}

TEST_F(InterpreterTest, TruncatedCodeNeverCrashes) {
    Assembler a;
    Label top = a.NewLabel(), end = a.NewLabel(), one = a.NewLabel();
    a.Op(kOpParamCopy).Local(0).PushInt(3).Op(kOpAssign).Eoc();
    a.Bind(top).Local(0).Op(kOpPostDecrement).JumpTo(kOpJumpFalse, end).Eoc();
    a.Local(0).Switch({one}).JumpTo(kOpJump, top);
    a.Case(one, Var(1)).PushText("one").Eoc().JumpTo(kOpJump, top);
    a.Bind(end).Eoc().Args(1).Float(kOpPushValue, 1.5f).ArgDone(0).Named("main").Op(kOpCall);
    a.Op(kOpReturn).Op(kOpStop);
    std::vector<uint8_t> whole = a.Code();
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
    main->GetVariables().Add("n", "int", nullptr);
    main->SetParamCount(0);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        main->SetCode(static_cast<uint32_t>(cut), whole.data());
        vm.SetStepLimit(10000);
        halvo::AutoRef<Thread> thread = Start(main.Get());
        EXPECT_NE(thread->GetState(), kThreadRunning);
    }
    vm.SetStepLimit(0);
}

TEST_F(InterpreterTest, PushVarWithEmptyStackNamesTheVariable) {
    for (int flags = 0; flags < 16; ++flags) {
        Assembler a;
        a.Op(kOpParamCopy).Int(kOpPushVar, flags);
        EXPECT_EQ(FailureOf(a), "missing variable name") << flags;
    }
}

TEST_F(InterpreterTest, PushVarReportsEachMissingPart) {
    Assembler intAsName;
    intAsName.Op(kOpParamCopy).PushInt(3).Int(kOpPushVar, kPushByName);
    EXPECT_EQ(FailureOf(intAsName), "missing variable name");
    Assembler noIndex;
    noIndex.Op(kOpParamCopy).PushText("x").Int(kOpPushVar, kPushByName | kPushIndex);
    EXPECT_EQ(FailureOf(noIndex), "missing array index");
    Assembler noModule;
    noModule.Op(kOpParamCopy).PushText("x").Int(kOpPushVar, kPushByName | kPushModule);
    EXPECT_EQ(FailureOf(noModule), "missing module");
    Assembler moduleWithoutText;
    moduleWithoutText.Op(kOpParamCopy).PushInt(1).PushText("x").Int(kOpPushVar, kPushByName | kPushModule);
    EXPECT_EQ(FailureOf(moduleWithoutText), "missing module name");
    Assembler noMember;
    noMember.Op(kOpParamCopy).PushInt(1).PushText("x").Int(kOpPushVar, kPushByName | kPushMember);
    EXPECT_EQ(FailureOf(noMember), "missing property map name");
    Assembler unknownModule;
    unknownModule.Op(kOpParamCopy).PushText("nowhere").PushText("x").Int(kOpPushVar, kPushByName | kPushModule);
    EXPECT_EQ(FailureOf(unknownModule), "module nowhere not found");
    Assembler undefinedInModule;
    undefinedInModule.Op(kOpParamCopy).PushText("test").PushText("x").Int(kOpPushVar, kPushByName | kPushModule);
    EXPECT_EQ(FailureOf(undefinedInModule), "The variable 'test::x' is undefined.");
    Assembler undefined;
    undefined.Op(kOpParamCopy).Named("nothing");
    EXPECT_EQ(FailureOf(undefined), "The variable 'nothing' is undefined.");
    Assembler badSlot;
    badSlot.Op(kOpParamCopy).Local(7);
    EXPECT_EQ(FailureOf(badSlot), "The variable '(unknown)' is undefined.");
    Assembler outOfRange;
    module->GetMembers().GetOrAddMember("empty")->SetObject(nullptr);
    outOfRange.Op(kOpParamCopy).PushInt(2).PushText("empty").Int(kOpPushVar, kPushByName | kPushIndex);
    EXPECT_EQ(FailureOf(outOfRange), "index 2 is out of range or value is not an array");
}

TEST_F(InterpreterTest, PushVarResolvesEveryKindOfPath) {
    // test::E is a struct {A: 7}; arr is (10, 20, 30); grid.rows is (1, 2).
    halvo::AutoRef<t_Named> e(new t_Named);
    e->GetOrAddMember("A")->SetInt(7);
    module->GetMembers().GetOrAddMember("E")->SetObject(e.Get());
    halvo::AutoRef<VarArray> arr(VarArray::CreateWithCount(3));
    for (int i = 0; i < 3; ++i) arr->GetAt(i)->SetInt(10 * (i + 1));
    module->GetMembers().GetOrAddMember("arr")->SetObject(arr.Get());
    halvo::AutoRef<t_Named> grid(new t_Named);
    halvo::AutoRef<VarArray> rows(VarArray::CreateWithCount(2));
    rows->GetAt(0)->SetInt(1);
    rows->GetAt(1)->SetInt(2);
    grid->GetOrAddMember("rows")->SetObject(rows.Get());
    module->GetMembers().GetOrAddMember("grid")->SetObject(grid.Get());

    struct Case {
        const char* what;
        std::function<void(Assembler&)> push;
        int expected;
    };
    std::vector<Case> cases = {
        {"m::E.A", [](Assembler& a) { a.PushText("test").PushText("A").PushText("E").Int(kOpPushVar, 1 | 2 | 8); }, 7},
        {"E.A", [](Assembler& a) { a.PushText("A").PushText("E").Int(kOpPushVar, 1 | 8); }, 7},
        {"m::arr[2]", [](Assembler& a) { a.PushText("test").PushInt(2).PushText("arr").Int(kOpPushVar, 1 | 2 | 4); }, 30},
        {"arr[1]", [](Assembler& a) { a.PushInt(1).PushText("arr").Int(kOpPushVar, 1 | 4); }, 20},
        {"grid.rows[1]", [](Assembler& a) { a.PushText("rows").PushInt(1).PushText("grid").Int(kOpPushVar, 1 | 4 | 8); }, 2},
        {"m::grid.rows[0]",
         [](Assembler& a) { a.PushText("test").PushText("rows").PushInt(0).PushText("grid").Int(kOpPushVar, 15); }, 1},
        {"local", [](Assembler& a) { a.PushInt(0).Int(kOpPushVar, 0); }, 5},
        {"local[0] of an int", [](Assembler& a) { a.PushInt(0).PushInt(0).Int(kOpPushVar, 4); }, 5},
    };
    for (const Case& c : cases) {
        Messages().clear();
        Assembler a;
        a.Op(kOpParamCopy).Local(0).PushInt(5).Op(kOpAssign).Eoc();
        c.push(a);
        a.Op(kOpReturn).Op(kOpStop);
        halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "int");
        main->GetVariables().Add("local", "int", nullptr);
        halvo::AutoRef<Thread> thread = Start(main.Get());
        EXPECT_EQ(thread->GetValue().AsInt(), c.expected) << c.what;
        EXPECT_TRUE(Messages().empty()) << c.what << ": " << (Messages().empty() ? "" : Messages()[0]);
    }
}

TEST_F(InterpreterTest, MemberAccessMakesStructsButSparesConstantsAndNatives) {
    AddNative("Sleep", [](Var&, t_Interface&) {});
    Assembler onNative;
    onNative.Op(kOpParamCopy).PushText("x").PushText("Sleep").Int(kOpPushVar, 1 | 8).PushInt(1).Op(kOpAssign);
    EXPECT_EQ(FailureOf(onNative), "Unable to get the member 'x' of the structure Sleep.");
    Var* sleep = vm.GetRootModule()->GetMember("~bind");
    EXPECT_TRUE(ToBinCode(*sleep)->GetMember("Sleep")->IsBind());

    Assembler onConst;
    onConst.Op(kOpParamCopy).Local(0).Op(kOpMakeConst).Eoc();
    onConst.PushText("x").PushInt(0).Int(kOpPushVar, 8);
    halvo::AutoRef<BinCode> constant = AddFunction(module, "main", onConst);
    constant->GetVariables().Add("c", "int", nullptr);
    Messages().clear();
    Start(constant.Get());
    EXPECT_EQ(OnlyText(), "Unable to get the member 'x' of the structure (unknown).");

    Assembler onInt;
    onInt.Op(kOpParamCopy).PushText("x").PushInt(0).Int(kOpPushVar, 8).PushInt(4).Op(kOpAssign).Eoc();
    onInt.PushText("x").PushInt(0).Int(kOpPushVar, 8).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", onInt, "int");
    main->GetVariables().Add("i", "int", nullptr);
    Messages().clear();
    EXPECT_EQ(Start(main.Get())->GetValue().AsInt(), 4);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InterpreterTest, UnaryAndPostfixOperators) {
    Assembler a;
    a.Op(kOpParamCopy).Local(0).PushInt(5).Op(kOpAssign).Eoc();
    a.Args(5);
    a.Local(0).Op(kOpPostIncrement).ArgDone(0);   // 5, variable 6
    a.Local(0).Op(kOpPreDecrement).ArgDone(1);    // variable 5
    a.PushInt(12).Op(kOpComplement).ArgDone(2);   // -13
    a.PushInt(0).Op(kOpNot).ArgDone(3);           // true
    a.Local(0).Op(kOpNegate).ArgDone(4);          // -5
    a.Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "auto");
    main->GetVariables().Add("x", "int", nullptr);
    halvo::AutoRef<Thread> thread = Start(main.Get());
    VarArray* r = ToVarArray(thread->GetValue());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetAt(0)->AsInt(), 5);
    // The returned list holds the value, not a reference to the dead local.
    EXPECT_EQ(r->GetAt(1)->GetTag(), kTagInt);
    EXPECT_EQ(r->GetAt(1)->AsInt(), 5);
    EXPECT_EQ(r->GetAt(2)->AsInt(), -13);
    bool truth = false;
    EXPECT_TRUE(r->GetAt(3)->ToBool(truth) && truth);
    EXPECT_EQ(r->GetAt(4)->AsInt(), -5);

    Assembler negFloat;
    negFloat.Op(kOpParamCopy).Float(kOpPushValue, 1.5f).Op(kOpComplement);
    EXPECT_EQ(FailureOf(negFloat), "Unable to execute unary operation 'neg' on value '1.500000'");
    Assembler empty;
    empty.Op(kOpParamCopy).Op(kOpNot);
    EXPECT_EQ(FailureOf(empty), "Fatal: Accessing stack outside range at 'not'");
    Assembler notLvalue;
    notLvalue.Op(kOpParamCopy).PushInt(1).Op(kOpPreIncrement);
    EXPECT_EQ(FailureOf(notLvalue), "Fatal: Trying to increment a non lvalue");
    Assembler notLvalueDec;
    notLvalueDec.Op(kOpParamCopy).PushInt(1).Op(kOpPreDecrement);
    EXPECT_EQ(FailureOf(notLvalueDec), "Fatal: Trying to decrement a non lvalue");
    Assembler notLvalueConst;
    notLvalueConst.Op(kOpParamCopy).PushInt(1).Op(kOpMakeConst);
    EXPECT_EQ(FailureOf(notLvalueConst), "Fatal: Trying to make a non lvalue const");
    Assembler postfixValue;
    postfixValue.Op(kOpParamCopy).PushInt(1).Op(kOpPostDecrement);
    EXPECT_EQ(FailureOf(postfixValue), "Fatal: Unable to execute X-- on non lvalue");
}

TEST_F(InterpreterTest, ConstVariablesRefuseEveryChange) {
    for (uint8_t op : {kOpPreIncrement, kOpPreDecrement, kOpPostIncrement, kOpPostDecrement}) {
        Assembler a;
        a.Op(kOpParamCopy).Local(0).Op(kOpMakeConst).Eoc().Local(0).Op(op);
        halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
        main->GetVariables().Add("k", "int", nullptr);
        Messages().clear();
        EXPECT_EQ(Start(main.Get())->GetState(), kThreadEnded);
        EXPECT_EQ(OnlyText(), "Unable to modify a const variable.") << GetCommandName(op);
    }
    Assembler assign;
    assign.Op(kOpParamCopy).Local(0).Op(kOpMakeConst).Eoc().Local(0).PushInt(1).Op(kOpAddAssign);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", assign);
    main->GetVariables().Add("k", "int", nullptr);
    Messages().clear();
    Start(main.Get());
    EXPECT_EQ(OnlyText(), "Unable to modify a const variable.");
}

TEST_F(InterpreterTest, ValuesCopiedOntoTheStackAreNotConst) {
    bool argumentsConst[2] = {true, true};
    AddNative("Probe", [&](Var&, t_Interface& call) {
        argumentsConst[0] = call.GetArg(0)->HasConstFlag();
        argumentsConst[1] = call.GetArg(1)->HasConstFlag();
    });
    Assembler a;
    a.Op(kOpParamCopy).Local(0).PushInt(5).Op(kOpAssign).Op(kOpMakeConst).Eoc();
    a.Args(2).Local(0).PushInt(1).Op(kOpAdd).ArgDone(0).Local(0).Op(kOpNegate).ArgDone(1);
    a.Named("Probe").Op(kOpCall).Eoc().Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a);
    main->GetVariables().Add("k", "int", nullptr);
    Start(main.Get());
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(argumentsConst[0]);
    EXPECT_FALSE(argumentsConst[1]);
}

TEST_F(InterpreterTest, AssignmentMessages) {
    Assembler missing;
    missing.Op(kOpParamCopy).PushInt(1).Op(kOpAssign);
    EXPECT_EQ(FailureOf(missing), "ScriptVM::_DoAssign - InternalError: Missing paramters on assign(=)");
    Assembler notLvalue;
    notLvalue.Op(kOpParamCopy).PushInt(1).PushInt(2).Op(kOpSubAssign);
    EXPECT_EQ(FailureOf(notLvalue), "Can only assign(-=) values to lvalues");
    Assembler mismatch;
    mismatch.Op(kOpParamCopy).Local(0).Int(kOpArrayCreate, 0).Op(kOpAssign);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", mismatch);
    main->GetVariables().Add("i", "int", nullptr);
    Messages().clear();
    Start(main.Get());
    EXPECT_EQ(OnlyText(), "Unable to assign(=) the value () to a variable with type 'int'");
    Assembler byZero;
    byZero.Op(kOpParamCopy).Local(0).PushInt(0).Op(kOpDivAssign);
    main = AddFunction(module, "main", byZero);
    main->GetVariables().Add("i", "int", nullptr);
    Messages().clear();
    Start(main.Get());
    EXPECT_EQ(OnlyText(), "Unable to assign(/=) the value 0 to a variable with type 'int'");
}

TEST_F(InterpreterTest, BinaryFailureKeepsPercentSignsAsText) {
    Assembler a;
    a.Op(kOpParamCopy).PushText("%s%n%d").PushInt(1).Op(kOpShiftLeft);
    EXPECT_EQ(FailureOf(a), "Unable to execute binary operation '<<' on value %s%n%d(string) and 1(int)");
    Assembler few;
    few.Op(kOpParamCopy).PushInt(1).Op(kOpAdd);
    EXPECT_EQ(FailureOf(few), "Fatal: Accessing stack outside range at '+'");
}

TEST_F(InterpreterTest, ArraysAreCreatedAndFilledInRange) {
    Assembler negative;
    negative.Op(kOpParamCopy).Int(kOpArrayCreate, -1);
    EXPECT_EQ(FailureOf(negative), "Fatal: Accessing array outside range('-1')");
    Assembler huge;
    huge.Op(kOpParamCopy).Int(kOpArrayCreate, kMaxArrayCount + 1);
    EXPECT_EQ(FailureOf(huge), "Fatal: list of 1048577 values is too long (at most 1048576)");
    Assembler outside;
    outside.Op(kOpParamCopy).Args(1).PushInt(1).ArgDone(1);
    EXPECT_EQ(FailureOf(outside), "Fatal: Accessing array outside range('1')");
    Assembler few;
    few.Op(kOpParamCopy).PushInt(1).ArgDone(0);
    EXPECT_EQ(FailureOf(few), "Fatal: Accessing stack outside range");
}

TEST_F(InterpreterTest, JumpsCheckTheirTargets) {
    Assembler unlinked;
    unlinked.Op(kOpParamCopy).JumpTo(kOpJump, unlinked.NewLabel());
    EXPECT_EQ(FailureOf(unlinked), "fatal: unlinkt jump found to -1");
    Assembler notPosition;
    notPosition.Op(kOpParamCopy).Int(kOpJump, 3);
    EXPECT_EQ(FailureOf(notPosition), "programm counter expected at OP_JUMP");
    for (uint8_t op : {kOpJumpTrue, kOpJumpTrueCheck, kOpJumpFalse, kOpJumpFalseCheck}) {
        Assembler a;
        a.Op(kOpParamCopy).Position(op, 0);
        EXPECT_EQ(FailureOf(a), "jump condition expected at OP_JUMP_TRUE");
    }
    // Past the end the thread runs off its code: ended, nothing reported.
    Assembler far;
    far.Op(kOpParamCopy).Position(kOpJump, 100000);
    Messages().clear();
    EXPECT_EQ(RunCode(far)->GetState(), kThreadEnded);
    EXPECT_TRUE(Messages().empty());
    // The checking forms keep their condition.
    Assembler check;
    Label done = check.NewLabel();
    check.Op(kOpParamCopy).PushInt(7).JumpTo(kOpJumpTrueCheck, done).PushInt(0).Bind(done).Op(kOpReturn).Op(kOpStop);
    EXPECT_EQ(RunCode(check, "int")->GetValue().AsInt(), 7);
}

class SwitchTest : public InterpreterTest {
protected:
    // switch (x) { case 1: 10; case 5: 50; case 9: 90; default: 100 }
    halvo::AutoRef<BinCode> MakeSwitch() {
        Assembler a;
        Label one = a.NewLabel(), five = a.NewLabel(), nine = a.NewLabel();
        a.Op(kOpParamCopy).Local(0).Switch({one, five, nine}).PushInt(100).Op(kOpReturn);
        a.Case(one, Var(1)).PushInt(10).Op(kOpReturn);
        a.Case(five, Var(5)).PushInt(50).Op(kOpReturn);
        a.Case(nine, Var(9)).PushInt(90).Op(kOpReturn).Op(kOpStop);
        halvo::AutoRef<BinCode> function = AddFunction(module, "pick", a, "int", 1);
        function->GetVariables().Add("x", "int", nullptr);
        return function;
    }
    int Pick(BinCode* function, int x) { return Start(function, {Var(x)})->GetValue().AsInt(); }
};

TEST_F(SwitchTest, FindsSmallestMiddleLargestAndDefault) {
    halvo::AutoRef<BinCode> pick = MakeSwitch();
    EXPECT_EQ(Pick(pick.Get(), 1), 10);
    EXPECT_EQ(Pick(pick.Get(), 5), 50);
    EXPECT_EQ(Pick(pick.Get(), 9), 90);
    EXPECT_EQ(Pick(pick.Get(), 3), 100);
    EXPECT_EQ(Pick(pick.Get(), 12), 100);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SwitchTest, EmptyTableFallsThrough) {
    Assembler a;
    a.Op(kOpParamCopy).PushInt(4).Switch({}).PushInt(8).Op(kOpAdd).Op(kOpReturn).Op(kOpStop);
    EXPECT_EQ(RunCode(a, "int")->GetValue().AsInt(), 12);
}

TEST_F(SwitchTest, MalformedTablesAreRefused) {
    Assembler negative;
    negative.Op(kOpParamCopy).PushInt(1).Int(kOpSwitch, -1);
    EXPECT_EQ(FailureOf(negative), "fatal: invalid switch table");
    Assembler pastEnd;
    pastEnd.Op(kOpParamCopy).PushInt(1).Int(kOpSwitch, 3).Raw({8, 0, 0, 0, 0});
    EXPECT_EQ(FailureOf(pastEnd), "fatal: invalid switch table");
    Assembler wrongType;
    wrongType.Op(kOpParamCopy).PushInt(1).Int(kOpSwitch, 1).Raw({2, 0, 0, 0, 0});
    EXPECT_EQ(FailureOf(wrongType), "fatal: invalid switch table");
    Assembler badTarget;
    badTarget.Op(kOpParamCopy).PushInt(1).Int(kOpSwitch, 1).Raw({8, 0xF0, 0xFF, 0, 0});
    EXPECT_EQ(FailureOf(badTarget), "fatal: invalid switch table");
    Assembler truncatedCase;
    truncatedCase.Op(kOpParamCopy).PushInt(1).Int(kOpSwitch, 1);
    uint32_t at = truncatedCase.Pos() + 5;
    truncatedCase.Position(8, at).Raw({kOpData, 2, 0});
    EXPECT_EQ(FailureOf(truncatedCase), "fatal: invalid switch table");
}

class CallTest : public InterpreterTest {};

TEST_F(CallTest, RecursionReachesDepth31AndStopsAt32) {
    // f(n) { if (n > 0) f(n - 1); }
    Assembler a;
    Label end = a.NewLabel();
    a.Op(kOpParamCopy).Local(0).PushInt(0).Op(kOpGreater).JumpTo(kOpJumpFalse, end);
    a.Args(1).Local(0).PushInt(1).Op(kOpSub).ArgDone(0).Named("f").Op(kOpCall).Eoc();
    a.Bind(end).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a, "void", 1);
    f->GetVariables().Add("n", "int", nullptr);
    halvo::AutoRef<Thread> deep = Start(f.Get(), {Var(30)});
    EXPECT_EQ(deep->GetState(), kThreadIdle);
    EXPECT_TRUE(Messages().empty());
    halvo::AutoRef<Thread> tooDeep = Start(f.Get(), {Var(31)});
    EXPECT_EQ(tooDeep->GetState(), kThreadEnded);
    EXPECT_EQ(OnlyText(), "Unable to call script function, because maximal call depth(32) is reached");
    EXPECT_EQ(tooDeep->GetDepth(), 31u);
}

TEST_F(CallTest, NativeCallDepthLimit) {
    // f(n) { if (n > 0) f(n - 1); else Nest(); } where Nest calls g on the
    // same thread from native code.
    Assembler leaf;
    leaf.Op(kOpParamCopy).PushInt(1).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> g = AddFunction(module, "g", leaf, "int");
    std::vector<bool> results;
    AddNative("Nest", [&](Var&, t_Interface& call) {
        results.push_back(Thread::CallFunction(vm, call.thread, g.Get(), false, nullptr, 0));
    });
    Assembler a;
    Label nest = a.NewLabel(), end = a.NewLabel();
    a.Op(kOpParamCopy).Local(0).PushInt(0).Op(kOpGreater).JumpTo(kOpJumpFalse, nest);
    a.Args(1).Local(0).PushInt(1).Op(kOpSub).ArgDone(0).Named("f").Op(kOpCall).Eoc().JumpTo(kOpJump, end);
    a.Bind(nest).CallNamed("Nest").Eoc();
    a.Bind(end).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a, "void", 1);
    f->GetVariables().Add("n", "int", nullptr);
    EXPECT_EQ(Start(f.Get(), {Var(29)})->GetState(), kThreadIdle);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Start(f.Get(), {Var(30)})->GetState(), kThreadIdle);
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_EQ(OnlyText(), "Unable to call script function, because maximal call depth(32) is reached");
}

TEST_F(CallTest, CallingSomethingElseThanAFunction) {
    Assembler callInt;
    callInt.Op(kOpParamCopy).Args(0).PushInt(5).Op(kOpCall);
    EXPECT_EQ(FailureOf(callInt), "trying to call a non function");
    Assembler few;
    few.Op(kOpParamCopy).PushInt(5).Op(kOpCall);
    EXPECT_EQ(FailureOf(few), "fatal: to less arguments on stack at function call");
    module->GetMembers().GetOrAddMember("nothing")->SetBind(nullptr);
    Assembler noAdapter;
    noAdapter.Op(kOpParamCopy).CallNamed("nothing");
    EXPECT_EQ(FailureOf(noAdapter), "C-Function not found");
    // A module after its compile has no code.
    halvo::AutoRef<BinCode> empty(new BinCode);
    empty->SetParent(module);
    module->GetMembers().GetOrAddMember("compiled")->SetObject(empty.Get());
    Assembler noCode;
    noCode.Op(kOpParamCopy).CallNamed("compiled");
    EXPECT_EQ(FailureOf(noCode), "No code specified for executing");
}

class ParameterTest : public InterpreterTest {
protected:
    // g(int a, int b = 7) returns a * 100 + b.
    void SetUp() override {
        InterpreterTest::SetUp();
        Assembler a;
        a.Op(kOpParamCopy).Local(0).PushInt(100).Op(kOpMul).Local(1).Op(kOpAdd).Op(kOpReturn).Op(kOpStop);
        g = AddFunction(module, "g", a, "int", 2);
        g->GetVariables().Add("a", "int", nullptr);
        g->GetVariables().Add("b", nullptr, nullptr)->SetInt(7);
    }
    halvo::AutoRef<BinCode> g;
};

TEST_F(ParameterTest, DefaultsAndMissingArgumentsAndTooMany) {
    EXPECT_EQ(Start(g.Get(), {Var(3), Var(4)})->GetValue().AsInt(), 304);
    EXPECT_EQ(Start(g.Get(), {Var(3)})->GetValue().AsInt(), 307);
    // A missing parameter without default is an empty value of its type.
    EXPECT_EQ(Start(g.Get(), {})->GetValue().AsInt(), 7);
    EXPECT_TRUE(Messages().empty());
    halvo::AutoRef<Thread> tooMany = Start(g.Get(), {Var(1), Var(2), Var(3)});
    EXPECT_EQ(tooMany->GetState(), kThreadEnded);
    EXPECT_EQ(OnlyText(), "Try to call the function 'g' which is defined with 2 paramters with 3 values.");
    EXPECT_FALSE(tooMany->HasError());
}

TEST_F(ParameterTest, WrongTypesAreReportedAndStructsAccepted) {
    Var list(static_cast<VarExtension*>(VarArray::CreateWithCount(2)));
    Start(g.Get(), {list});
    EXPECT_EQ(OnlyText(),
              "Unable to initialize the parameter 1 of function call of 'g'. A parameter from the type 'int' was "
              "expected, but it was found a value of the type 'array'");
    Assembler a;
    a.Op(kOpParamCopy).PushText("v").PushInt(0).Int(kOpPushVar, 8).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> h = AddFunction(module, "h", a, "int", 1);
    h->GetVariables().Add("s", "struct", nullptr);
    halvo::AutoRef<t_Named> s(new t_Named);
    s->GetOrAddMember("v")->SetInt(9);
    Messages().clear();
    EXPECT_EQ(Start(h.Get(), {Var(static_cast<VarExtension*>(s.Get()))})->GetValue().AsInt(), 9);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ParameterTest, ParamcpyAtDepthZeroFailsQuietly) {
    halvo::AutoRef<Thread> thread = NewThread();
    Assembler a;
    a.Op(kOpParamCopy).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    ASSERT_TRUE(thread->PushFrame(f.Get()));
    // A frame at depth 1 whose caller stack is empty: nothing to copy from.
    EXPECT_FALSE(Thread::RunThread(thread.Get()));
    EXPECT_TRUE(Messages().empty());
    thread->Reset();
}

class ReturnTest : public InterpreterTest {
protected:
    halvo::AutoRef<Thread> Returning(const char* type, std::function<void(Assembler&)> value) {
        Assembler a;
        a.Op(kOpParamCopy);
        if (value) {
            value(a);
            a.Op(kOpReturn);
        }
        a.Op(kOpStop);
        Messages().clear();
        return RunCode(a, type);
    }
};

TEST_F(ReturnTest, EveryReturnForm) {
    EXPECT_EQ(Returning("int", nullptr)->GetState(), kThreadEnded);
    EXPECT_EQ(OnlyText(), "return: missing return value (int)");
    EXPECT_EQ(Returning("void", nullptr)->GetState(), kThreadIdle);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Returning("auto", nullptr)->GetState(), kThreadIdle);
    EXPECT_TRUE(Messages().empty());
    Returning("void", [](Assembler& a) { a.PushInt(1); });
    EXPECT_EQ(OnlyText(), "void functions cannot return a value");
    Returning("int", [](Assembler& a) { a.Args(2).PushInt(1).ArgDone(0).PushInt(2).ArgDone(1); });
    EXPECT_EQ(OnlyText(), "Too much return values found for a int function");
    EXPECT_EQ(Returning("int", [](Assembler& a) { a.Args(1).PushInt(6).ArgDone(0); })->GetValue().AsInt(), 6);
    Returning("int", [](Assembler& a) { a.Args(0); });
    EXPECT_EQ(OnlyText(), "return: missing return value (int)");
    Returning("int", [](Assembler& a) { a.PushText("x").PushInt(0).Int(kOpPushVar, 8).Eoc().PushInt(0); });
    EXPECT_EQ(Returning("float", [](Assembler& a) { a.PushInt(2); })->GetValue().GetTag(), kTagFloat);
    halvo::AutoRef<Thread> list = Returning("auto", [](Assembler& a) { a.Args(2); });
    EXPECT_EQ(list->GetValue().GetCount(), 2);
    halvo::AutoRef<Thread> array = Returning("array", [](Assembler& a) { a.Args(3); });
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(array->GetValue().GetCount(), 3);
}

TEST_F(ReturnTest, TheResultIsAValueNotAReference) {
    Assembler a;
    a.Op(kOpParamCopy).Local(0).PushInt(4).Op(kOpAssign).Eoc().Local(0).Op(kOpReturn).Op(kOpStop);
    halvo::AutoRef<BinCode> main = AddFunction(module, "main", a, "auto");
    main->GetVariables().Add("x", "int", nullptr);
    halvo::AutoRef<Thread> thread = Start(main.Get());
    EXPECT_EQ(thread->GetValue().GetTag(), kTagInt);
    EXPECT_EQ(thread->GetValue().AsInt(), 4);
}

TEST_F(InterpreterTest, LocalStructsAreSharedAcrossCalls) {
    // The function's table holds one struct object; every frame's copy of
    // the table shares it, so what one call stores the next call sees.
    Assembler a;
    a.Op(kOpParamCopy).PushText("n").PushInt(0).Int(kOpPushVar, 8).PushInt(1).Op(kOpAddAssign).Op(kOpReturn);
    a.Op(kOpStop);
    halvo::AutoRef<BinCode> count = AddFunction(module, "count", a, "int");
    halvo::AutoRef<t_Named> s(new t_Named);
    s->GetOrAddMember("n")->SetDeclaration("int");
    count->GetVariables().Add("s", nullptr, nullptr)->SetObject(s.Get());
    EXPECT_EQ(Start(count.Get())->GetValue().AsInt(), 1);
    EXPECT_EQ(Start(count.Get())->GetValue().AsInt(), 2);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(InterpreterTest, StructLocalsThatHoldThemselvesInitialiseOnce) {
    Assembler a;
    a.Op(kOpParamCopy).Op(kOpStop);
    halvo::AutoRef<BinCode> f = AddFunction(module, "f", a);
    halvo::AutoRef<t_Named> s(new t_Named);
    s->GetOrAddMember("self")->SetObject(s.Get());
    s->GetOrAddMember("n")->SetDeclaration("int");
    f->GetVariables().Add("s", nullptr, nullptr)->SetObject(s.Get());
    EXPECT_EQ(Start(f.Get())->GetState(), kThreadIdle);
    EXPECT_TRUE(s->FindMember("n")->IsInt());
    s->RemoveMember("self");
}

TEST_F(InterpreterTest, ValueStackIsCapped) {
    Assembler a;
    Label top = a.NewLabel();
    a.Op(kOpParamCopy).Bind(top).PushInt(1).JumpTo(kOpJump, top);
    EXPECT_EQ(FailureOf(a), "Fatal: value stack overflow (1048576 values)");
}

TEST_F(InterpreterTest, StepLimitStopsEndlessLoops) {
    Assembler a;
    Label top = a.NewLabel();
    a.Op(kOpParamCopy).Bind(top).JumpTo(kOpJump, top);
    vm.SetStepLimit(1000);
    EXPECT_EQ(FailureOf(a), "Fatal: execution step limit reached");
    // Large values cost steps by their size: the limit bounds memory too.
    Assembler big;
    big.Op(kOpParamCopy).Int(kOpArrayCreate, kMaxArrayCount);
    vm.SetStepLimit(100);
    EXPECT_EQ(FailureOf(big), "Fatal: execution step limit reached");
    vm.SetStepLimit(0);
}

}  // namespace
