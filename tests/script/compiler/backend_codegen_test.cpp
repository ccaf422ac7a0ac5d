// Generated code: golden bytecode, line map and listing of a small function,
// listing files only under "Temp", compile results, module reuse, compiles
// in the context of a running thread, and random integer expressions
// checked against the same arithmetic done here.

#include "BackEnd.h"

#include "script/runtime/values/VarBinary.h"
#include "tests/support/TempFolder.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>

namespace Vrel::Testing {
namespace {

using CodeGen = BackEndTest;

std::vector<uint8_t> Bytes(const VarBinary* code) {
    return code ? std::vector<uint8_t>(code->GetBytes(), code->GetBytes() + code->GetSize()) : std::vector<uint8_t>{};
}

// Runs the body with the working directory switched to a new temp folder.
class InTempDirectory {
public:
    InTempDirectory() {
        char* previous = getcwd(nullptr, 0);
        previous_ = previous ? previous : ".";
        std::free(previous);
        EXPECT_EQ(chdir(folder_.Path().c_str()), 0);
    }
    ~InTempDirectory() { EXPECT_EQ(chdir(previous_.c_str()), 0); }
    const testsupport::TempFolder& Folder() const { return folder_; }

private:
    testsupport::TempFolder folder_;
    std::string previous_;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const char* const kSmallFunction =
    "function int add(int a, int b) {\n"
    "  return a + b;\n"
    "}\n";

TEST_F(CodeGen, SmallFunctionHasGoldenBytecodeLineMapAndListing) {
    InTempDirectory directory;
    directory.Folder().MakeFolder("Temp");
    ASSERT_EQ(Buffer("golden.cis", kSmallFunction), kCompileOk) << AllMessages();
    BinCode* add = Function("golden", "add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->GetParamCount(), 2);
    EXPECT_EQ(add->GetReturnType(), "int");
    const std::vector<uint8_t> code = {
        0xF0,              // paramcpy
        0x04, 0x05, 0x01,  // array_create 1
        0x02, 0x06,        // push value 0 (slot of a)
        0x03, 0x06,        // push var, flags 0
        0x02, 0x05, 0x01,  // push value 1 (slot of b)
        0x03, 0x06,        // push var, flags 0
        0xA3,              // +
        0xE1,              // return
        0xE4,              // stop
    };
    EXPECT_EQ(Bytes(add->GetCode()), code);
    const std::vector<uint8_t> lineMap = {0x10, 'g', 'o', 'l', 'd', 'e', 'n', '.', 'c', 'i', 's', 0,
                                          0x05, 0x02, 0x05, 0x01};
    ASSERT_NE(add->GetMapFile(), nullptr);
    EXPECT_EQ(std::vector<uint8_t>(add->GetMapFile()->GetBytes(),
                                   add->GetMapFile()->GetBytes() + add->GetMapFile()->GetSize()),
              lineMap);
    EXPECT_EQ(add->GetMapFile()->GetLine(1), 2);
    EXPECT_EQ(add->GetMapFile()->GetLine(0), -1);

    EXPECT_EQ(ReadText(directory.Folder() / "Temp/add_asm.txt"),
              "rem  () rem (NULL)\n"
              "    (line)  (2)\n"
              "    (array_create)  (1)\n"
              "    ()  (NULL)\n"
              "      (push value)  (0)\n"
              "      (push var)  (0)\n"
              "      (push value)  (1)\n"
              "      (push var)  (0)\n"
              "      (+)  (NULL)\n"
              "    (return)  (NULL)\n");
    EXPECT_EQ(Call(add, {Var(2), Var(40)}).AsInt(), 42);
}

TEST_F(CodeGen, ListingsAreWrittenOnlyIntoAnExistingTempFolder) {
    InTempDirectory directory;
    ASSERT_EQ(Buffer("nolisting.cis", kSmallFunction), kCompileOk);
    EXPECT_FALSE(std::ifstream(directory.Folder() / "Temp/add_asm.txt").good());
    EXPECT_FALSE(std::ifstream(directory.Folder() / "Temp\\add_asm.txt").good());
    directory.Folder().MakeFolder("Temp");
    // Every compile replaces the listing; module code and statements have none.
    ASSERT_EQ(Buffer("listing.cis", "function int add() { return 1; }\nint x = 2;"), kCompileOk);
    ASSERT_EQ(Buffer("listing.cis", "function int add() { return 2; }"), kCompileOk);
    std::string listing = ReadText(directory.Folder() / "Temp/add_asm.txt");
    EXPECT_NE(listing.find("(2)"), std::string::npos) << listing;
    EXPECT_FALSE(std::ifstream(directory.Folder() / "Temp/listing_asm.txt").good());
}

TEST_F(CodeGen, EmptyFunctionIsParamcpyAndStop) {
    ASSERT_EQ(Buffer("empty.cis", "function f() { }"), kCompileOk);
    BinCode* f = Function("empty", "f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Bytes(f->GetCode()), (std::vector<uint8_t>{0xF0, 0xE4}));
    EXPECT_EQ(f->GetMapFile()->GetSize(), std::string("empty.cis").size() + 2);
}

TEST_F(CodeGen, SwitchTableIsSortedBarePositions) {
    ASSERT_EQ(Buffer("table.cis", "function g(int v) { switch (v) { case 3: case 1: case 2: } }"), kCompileOk);
    std::vector<uint8_t> code = Bytes(Function("table", "g")->GetCode());
    // paramcpy, selector (push value 0, push var 0), switch 3, then the table.
    ASSERT_GE(code.size(), 8u + 15u);
    ASSERT_EQ(code[5], 0x0B);
    size_t table = 8;
    std::vector<int> values;
    for (int entry = 0; entry < 3; ++entry) {
        ASSERT_EQ(code[table + 5 * entry], 0x08);
        uint32_t position = 0;
        for (int i = 0; i < 4; ++i) position |= uint32_t{code[table + 5 * entry + 1 + i]} << (8 * i);
        ASSERT_LT(position + 2, code.size());
        EXPECT_EQ(code[position], 0x01);  // "data" with the case value
        ASSERT_EQ(code[position + 1], 0x05);
        values.push_back(code[position + 2]);
    }
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
}

TEST_F(CodeGen, ModuleKeepsNoTopLevelCodeAndIsReusedByARecompile) {
    ASSERT_EQ(Buffer("Data\\Scripts\\Menu.Main.cis", "int a = 1; int b = 2;"), kCompileOk);
    BinCode* menu = Module("menu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetCode(), nullptr);
    ASSERT_EQ(Buffer("menu.cis", "int a = 5;"), kCompileOk);
    EXPECT_EQ(Module("menu"), menu);
    EXPECT_EQ(menu->GetMember("a")->AsInt(), 5);
    EXPECT_EQ(menu->GetMember("b")->AsInt(), 2);
    // A failing statement leaves the module with what ran before it.
    EXPECT_EQ(Buffer("menu.cis", "a = 7;\nbreak;"), kCompileGeneratorFailed);
    EXPECT_EQ(menu->GetMember("a")->AsInt(), 7);
}

TEST_F(CodeGen, ARootMemberOfTheModuleNameThatIsNoModuleIsReplaced) {
    vm.GetRootModule()->GetMembers().GetOrAddMember("clash")->SetInt(3);
    ASSERT_EQ(Buffer("clash.cis", "int x = 1;"), kCompileOk);
    ASSERT_NE(Module("clash"), nullptr);
}

TEST_F(CodeGen, TextsGoToTheirOwnBodysTableWhereverTheyStand) {
    // The string table is looked up at a body's first text: a body without
    // one, a text behind other operands, and the next body's texts must
    // each land in the table of the body they belong to.
    ASSERT_EQ(Buffer("texts.cis",
                     "function int none() { int a = 1; return a + 2; }\n"
                     "function string late() { int a = 1; int b = a + 2; return \"late\"; }\n"
                     "function string early() { return \"early\"; }\n"
                     "string kept = \"module\";\n"),
              kCompileOk)
        << AllMessages();
    BinCode* none = Function("texts", "none");
    BinCode* late = Function("texts", "late");
    BinCode* early = Function("texts", "early");
    ASSERT_TRUE(none && late && early);
    EXPECT_EQ(Call(none).AsInt(), 3);
    EXPECT_EQ(Call(late).ToString(), "late");
    EXPECT_EQ(Call(early).ToString(), "early");
    EXPECT_EQ(none->GetVocabulary()->GetIndexCount(), 0);
    EXPECT_GE(late->GetVocabulary()->Find("late"), 0);
    EXPECT_LT(late->GetVocabulary()->Find("early"), 0);
    EXPECT_GE(early->GetVocabulary()->Find("early"), 0);
    EXPECT_EQ(Module("texts")->GetMember("kept")->ToString(), "module");
}

TEST_F(CodeGen, CompileWithoutThreadMakesAnAnonymousModule) {
    Var result;
    ASSERT_EQ(Run("return \"made\" + \" here\";", result), kCompileOk);
    EXPECT_EQ(result.ToString(), "made here");
    EXPECT_EQ(Module("(memory)"), nullptr);
}

TEST_F(CodeGen, CompileInAThreadSeesTheCallersLocalsAndModule) {
    AddNative("eval", [this](Var& result, t_Interface& call) {
        Var value;
        int code = vm.Compile(call.GetArg(0)->GetCString(), call.thread, value);
        if (code == kCompileOk) result.Assign(value);
    });
    ASSERT_EQ(Buffer("caller.cis",
                     "int shared = 100;\n"
                     "function int helper() { return 1; }\n"
                     "function int f(int p) { int local = 5; return eval(\"return local * p + shared + helper();\"); }"),
              kCompileOk)
        << AllMessages();
    EXPECT_EQ(Call(Function("caller", "f"), {Var(3)}).AsInt(), 116) << AllMessages();
}

TEST_F(CodeGen, ModulePathWithMemberAndEnumsInCaseLabelsInsideFunctions) {
    ASSERT_EQ(Buffer("shapes.cis", "enum Kind { Round, Square = 4 }"), kCompileOk);
    Var result;
    ASSERT_EQ(Run("return shapes::Kind.Square;", result), kCompileOk) << AllMessages();
    EXPECT_EQ(result.AsInt(), 4);
    ASSERT_EQ(Buffer("cases.cis",
                     "enum Mode { Off, On }\n"
                     "function int f(int m) { switch (m) { case Mode.On: return 10; case Mode.Off: return 20; } }"),
              kCompileOk)
        << AllMessages();
    EXPECT_EQ(Call(Function("cases", "f"), {Var(1)}).AsInt(), 10);
}

TEST_F(CodeGen, RuntimeMessagesOfConstantExpressionsNameTheFile) {
    EXPECT_EQ(Buffer("const.cis", "\n\nint a[nothing];"), kCompileGeneratorFailed);
    EXPECT_EQ(Messages().at(0), "const.cis(3) : The variable 'nothing' is undefined.");
}

// ---- random integer expressions against the same arithmetic here ----------

struct Expression {
    std::string text;
    int32_t value = 0;
    int precedence = 0;  // 0 for atoms
    bool divisionByZero = false;
};

class ExpressionMaker {
public:
    explicit ExpressionMaker(uint32_t seed) : random_(seed) {}

    Expression Make(int depth) {
        if (depth == 0 || Pick(4) == 0) return Atom();
        if (Pick(6) == 0) return Unary(Make(depth - 1));
        return Binary(Make(depth - 1), Make(depth - 1));
    }

private:
    uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

    Expression Atom() {
        static const uint32_t kSpecial[] = {0, 1, 2, 31, 32, 255, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
        uint32_t word = Pick(3) == 0 ? kSpecial[Pick(9)] : Pick(2) ? Pick(100) : static_cast<uint32_t>(random_());
        Expression e;
        char text[32];
        std::snprintf(text, sizeof text, Pick(2) ? "%u" : "0x%X", word);
        e.text = text;
        e.value = static_cast<int32_t>(word);
        return e;
    }

    static Expression Unary(const Expression& x) {
        Expression e = x;
        bool negate = (x.value & 1) == 0;
        e.text = std::string("(") + (negate ? "-" : "~") + Wrap(x, 0) + ")";
        e.value = negate ? static_cast<int32_t>(0u - static_cast<uint32_t>(x.value)) : ~x.value;
        e.precedence = 0;
        return e;
    }

    static std::string Wrap(const Expression& x, int limit) {
        return x.precedence == 0 || x.precedence < limit ? x.text : "(" + x.text + ")";
    }

    Expression Binary(const Expression& x, const Expression& y) {
        struct Op {
            const char* text;
            int precedence;
        };
        static const Op kOps[] = {{"*", 6}, {"/", 6},  {"%", 6},  {"+", 7}, {"-", 7},
                                  {"<<", 8}, {">>", 8}, {"&", 11}, {"^", 12}, {"|", 13}};
        const Op& op = kOps[Pick(10)];
        Expression e;
        e.precedence = op.precedence;
        e.divisionByZero = x.divisionByZero || y.divisionByZero;
        // Left-associative: a right operand of equal level needs brackets.
        std::string left = x.precedence == 0 || x.precedence <= op.precedence ? x.text : "(" + x.text + ")";
        std::string right = y.precedence == 0 || y.precedence < op.precedence ? y.text : "(" + y.text + ")";
        if (Pick(5) == 0) left = "(" + x.text + ")";
        e.text = left + " " + op.text + " " + right;
        const uint32_t a = static_cast<uint32_t>(x.value), b = static_cast<uint32_t>(y.value);
        const int32_t sa = x.value, sb = y.value;
        switch (op.text[0] == '<' ? 'L' : op.text[0] == '>' ? 'R' : op.text[0]) {
            case '*': e.value = static_cast<int32_t>(a * b); break;
            case '+': e.value = static_cast<int32_t>(a + b); break;
            case '-': e.value = static_cast<int32_t>(a - b); break;
            case '&': e.value = sa & sb; break;
            case '^': e.value = sa ^ sb; break;
            case '|': e.value = sa | sb; break;
            case 'L': e.value = static_cast<int32_t>(a << (b & 31)); break;
            case 'R': e.value = sa >> (b & 31); break;
            case '/':
                if (sb == 0) e.divisionByZero = true;
                else e.value = (sa == INT_MIN && sb == -1) ? INT_MIN : sa / sb;
                break;
            case '%':
                if (sb == 0) e.divisionByZero = true;
                else e.value = sb == -1 ? 0 : sa % sb;
                break;
        }
        return e;
    }

    std::mt19937 random_;
};

TEST_F(CodeGen, RandomIntegerExpressionsAgreeWithWrappingArithmetic) {
    ExpressionMaker maker(20240611u);
    int checked = 0;
    while (checked < 400) {
        Expression e = maker.Make(5);
        if (e.divisionByZero) continue;
        ++checked;
        Var result;
        ASSERT_EQ(Run("return " + e.text + ";", result), kCompileOk) << e.text << "\n" << AllMessages();
        ASSERT_TRUE(result.IsInt()) << e.text;
        ASSERT_EQ(result.AsInt(), e.value) << e.text;
    }
}

}  // namespace
}  // namespace Vrel::Testing
