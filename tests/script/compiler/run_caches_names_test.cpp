// The interpreter remembers where a plain name led (a global, a function,
// a native) per instruction. Every change in which names exist must make
// the same code find the new target on its next run.

#include "BackEnd.h"

#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/t_Named.h"

#include <string>

namespace Vrel::Testing {
namespace {

using NameCaches = BackEndTest;

void Twice(Var& result, t_Interface& call) { result.SetInt(call.GetArg(0)->AsInt() * 2); }
void Thrice(Var& result, t_Interface& call) { result.SetInt(call.GetArg(0)->AsInt() * 3); }

TEST_F(NameCaches, ANativeRegisteredAgainIsCalledFromTheSameCode) {
    AddNative("scale", &Twice);
    ASSERT_EQ(Buffer("natives.cis", "function int f(int n) { return scale(n); }"), kCompileOk) << AllMessages();
    BinCode* f = Function("natives", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Call(f, {Var(5)}).AsInt(), 10);
    AddNative("scale", &Thrice);
    EXPECT_EQ(Call(f, {Var(5)}).AsInt(), 15);
}

TEST_F(NameCaches, AModuleMemberAddedLaterHidesTheNativeAndItsRemovalUncoversIt) {
    AddNative("scale", &Twice);
    ASSERT_EQ(Buffer("hider.cis", "function int scale(int n) { return n * 100; }"), kCompileOk) << AllMessages();
    ASSERT_EQ(Buffer("user.cis", "function int f(int n) { return scale(n); }"), kCompileOk) << AllMessages();
    BinCode* f = Function("user", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Call(f, {Var(4)}).AsInt(), 8);

    BinCode* user = Module("user");
    Var* own = user->GetMembers().AddMember("scale", nullptr);
    ASSERT_NE(own, nullptr);
    own->SetObject(Function("hider", "scale"));
    EXPECT_EQ(Call(f, {Var(4)}).AsInt(), 400);

    ASSERT_TRUE(user->GetMembers().RemoveMember("scale"));
    EXPECT_EQ(Call(f, {Var(4)}).AsInt(), 8);
}

TEST_F(NameCaches, AGlobalReboundByARecompileIsReadFromItsNewPlace) {
    ASSERT_EQ(Buffer("data.cis", "int level = 3;\nfunction int f() { return level + 1; }"), kCompileOk)
        << AllMessages();
    BinCode* first = Function("data", "f");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Call(first).AsInt(), 4);
    EXPECT_EQ(Call(first).AsInt(), 4);
    ASSERT_EQ(Buffer("data.cis", "int level = 30;\nfunction int f() { return level + 1; }"), kCompileOk)
        << AllMessages();
    BinCode* second = Function("data", "f");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Call(second).AsInt(), 31);
    // A store through the remembered place lands in the live module.
    ASSERT_EQ(Buffer("data.cis", "int level = 0;\nfunction int bump() { level = level + 5; return level; }"),
              kCompileOk)
        << AllMessages();
    BinCode* bump = Function("data", "bump");
    ASSERT_NE(bump, nullptr);
    EXPECT_EQ(Call(bump).AsInt(), 5);
    EXPECT_EQ(Call(bump).AsInt(), 10);
    EXPECT_EQ(Module("data")->GetMember("level")->AsInt(), 10);
}

TEST_F(NameCaches, AThreadValueOfTheSameNameWinsOnItsOwnThreadOnly) {
    ASSERT_EQ(Buffer("shadow.cis", "int mark = 1;\nfunction int f() { return mark; }"), kCompileOk)
        << AllMessages();
    BinCode* f = Function("shadow", "f");
    ASSERT_NE(f, nullptr);
    halvo::AutoRef<Thread> plain(new Thread(vm));
    plain->Run(f, false, nullptr, 0);
    EXPECT_EQ(plain->GetValue().AsInt(), 1);

    halvo::AutoRef<Thread> marked(new Thread(vm));
    marked->GetThreadValues().AddMember("mark", nullptr)->SetInt(7);
    marked->Run(f, false, nullptr, 0);
    EXPECT_EQ(marked->GetValue().AsInt(), 7);

    plain->Run(f, false, nullptr, 0);
    EXPECT_EQ(plain->GetValue().AsInt(), 1);
}

TEST_F(NameCaches, ThreadsWithoutValuesShareAnAnswerThatAThreadWithValuesNeverTakes) {
    ASSERT_EQ(Buffer("shared.cis", "int mark = 1;\nfunction int f() { mark = mark + 1; return mark; }"), kCompileOk)
        << AllMessages();
    BinCode* f = Function("shared", "f");
    ASSERT_NE(f, nullptr);
    // The thread with its own value exists before any look-up is remembered.
    halvo::AutoRef<Thread> marked(new Thread(vm));
    marked->GetThreadValues().AddMember("mark", nullptr)->SetInt(40);
    halvo::AutoRef<Thread> first(new Thread(vm));
    halvo::AutoRef<Thread> second(new Thread(vm));
    first->Run(f, false, nullptr, 0);
    EXPECT_EQ(first->GetValue().AsInt(), 2);
    second->Run(f, false, nullptr, 0);
    EXPECT_EQ(second->GetValue().AsInt(), 3);
    marked->Run(f, false, nullptr, 0);
    EXPECT_EQ(marked->GetValue().AsInt(), 41);
    first->Run(f, false, nullptr, 0);
    EXPECT_EQ(first->GetValue().AsInt(), 4);
    EXPECT_EQ(Module("shared")->GetMember("mark")->AsInt(), 4);
}

TEST_F(NameCaches, AnUndefinedNameStillFailsWithItsMessageUntilItIsDefined) {
    ASSERT_EQ(Buffer("late.cis", "function int f() { return later(2); }"), kCompileOk) << AllMessages();
    BinCode* f = Function("late", "f");
    ASSERT_NE(f, nullptr);
    Call(f);
    EXPECT_NE(AllMessages().find("The variable 'later' is undefined."), std::string::npos) << AllMessages();
    AddNative("later", &Thrice);
    EXPECT_EQ(Call(f).AsInt(), 6);
}

TEST_F(NameCaches, AMemberIsFoundInTheStructureTheVariableHoldsNow) {
    ASSERT_EQ(Buffer("shape.cis", "int p.x = 1;\nfunction int f() { p.x = p.x + 1; return p.x; }"), kCompileOk)
        << AllMessages();
    BinCode* f = Function("shape", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Call(f).AsInt(), 2);
    Var* p = Module("shape")->GetMember("p");
    ASSERT_NE(p, nullptr);
    halvo::AutoRef<t_Named> first(ToNamed(*p));
    ASSERT_TRUE(first);

    // Another structure in the same variable.
    halvo::AutoRef<t_Named> second(new t_Named);
    second->AddMember("x", "int")->SetInt(40);
    p->SetObject(second.Get());
    EXPECT_EQ(Call(f).AsInt(), 41);
    EXPECT_EQ(first->FindMember("x")->AsInt(), 2);

    // The member removed and made again lives in a new place.
    ASSERT_TRUE(second->RemoveMember("x"));
    second->AddMember("x", "int")->SetInt(100);
    EXPECT_EQ(Call(f).AsInt(), 101);
    EXPECT_EQ(second->FindMember("x")->AsInt(), 101);
}

TEST_F(NameCaches, ARecompiledFunctionRunsItsNewCode) {
    ASSERT_EQ(Buffer("body.cis", "function int f() { return 1; }"), kCompileOk) << AllMessages();
    halvo::AutoRef<BinCode> before(Function("body", "f"));
    ASSERT_TRUE(before);
    EXPECT_EQ(Call(before.Get()).AsInt(), 1);
    ASSERT_EQ(Buffer("body.cis", "function int f() { int a = 20; return a + 2; }"), kCompileOk) << AllMessages();
    BinCode* after = Function("body", "f");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(Call(after).AsInt(), 22);
    // Code given to the same function object directly counts as well, on
    // a thread that lives through both runs.
    halvo::AutoRef<VarBinary> code(before->GetCode());
    ASSERT_TRUE(code);
    halvo::AutoRef<Thread> thread(new Thread(vm));
    thread->Run(after, false, nullptr, 0);
    EXPECT_EQ(thread->GetValue().AsInt(), 22);
    after->SetCode(code->GetSize(), code->GetBytes());
    thread->Run(after, false, nullptr, 0);
    EXPECT_EQ(thread->GetValue().AsInt(), 1) << AllMessages();
}

// A function remembers the type record of its return type; giving it
// another return type must take effect on the next return.
TEST_F(NameCaches, AChangedReturnTypeIsTheOneTheNextReturnUses) {
    ASSERT_EQ(Buffer("returns.cis", "function int f() { return 7; }"), kCompileOk) << AllMessages();
    BinCode* f = Function("returns", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Call(f).GetTag(), kTagInt);
    EXPECT_EQ(Call(f).GetTag(), kTagInt);
    f->SetReturnType("float");
    Var asFloat = Call(f);
    EXPECT_EQ(asFloat.GetTag(), kTagFloat) << AllMessages();
    EXPECT_EQ(asFloat.AsInt(), 7);
    f->SetReturnType(std::string("void"));
    EXPECT_TRUE(Call(f).IsNil());
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find("void functions cannot return a value"), std::string::npos) << AllMessages();
}

// Argument arrays are reused by later calls of the same thread, but never
// one that a native kept.
TEST_F(NameCaches, AnArgumentArrayANativeKeptIsNotReused) {
    Var kept;
    AddNative("keep", [&kept](Var& result, t_Interface& call) {
        kept.Assign(*call.args);
        result.SetInt(0);
    });
    AddNative("echo", [](Var& result, t_Interface& call) { result.SetInt(call.GetArg(0)->AsInt()); });
    ASSERT_EQ(Buffer("keeper.cis",
                     "function int twice(int n) { return n + n; }\n"
                     "function int f() { keep(7, 8); int a = echo(1) + twice(echo(2)); return a + echo(3, 4); }"),
              kCompileOk)
        << AllMessages();
    BinCode* f = Function("keeper", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Call(f).AsInt(), 8) << AllMessages();
    ASSERT_EQ(kept.GetCount(), 2);
    EXPECT_EQ(kept.GetElement(0)->AsInt(), 7);
    EXPECT_EQ(kept.GetElement(1)->AsInt(), 8);
    // Again on the same code: the kept array stays as the native saw it.
    EXPECT_EQ(Call(f).AsInt(), 8);
    EXPECT_EQ(kept.GetElement(0)->AsInt(), 7);
    kept.Clear();
}

}  // namespace
}  // namespace Vrel::Testing
