// Compiled module files: the exact bytes the writer produces, object
// identifiers, and a reader that survives whatever a file holds.

#include "script/runtime/machine/FileIO.h"
#include "script/runtime/machine/ModuleFile.h"
#include "script/runtime/values/VarString.h"
#include "tests/script/runtime/ScriptTestSupport.h"
#include "tests/support/MemoryScriptIO.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

using namespace Vrel;
using scripttest::Messages;
using scripttest::ScriptTest;
using testsupport::ByteWriter;
using testsupport::MemoryScriptIO;

namespace {

std::vector<uint8_t> Written(VarExtension* object) {
    MemoryScriptIO stream;
    WriteObjectRef(stream, object);
    EXPECT_FALSE(stream.HasError());
    return stream.Bytes();
}

// The module a file holds, or null (with every object it read let go).
halvo::AutoRef<BinCode> ReadBack(const std::vector<uint8_t>& bytes) {
    MemoryScriptIO stream(bytes);
    halvo::AutoRef<BinCode> module(BinCode::ReadObject(stream));
    if (stream.HasError()) {
        DiscardReadObjects(stream);
        return nullptr;
    }
    return module;
}

// Breaks a module's links to itself and others so that cycles free.
void Unlink(BinCode* module) {
    module->GetMembers().ClearMembers();
    module->GetVariables().Clear();
}

class ModuleFileTest : public ScriptTest {};

TEST_F(ModuleFileTest, HandBuiltModuleWritesTheExpectedBytes) {
    BinCode* m = vm.GetOrCreateModule("m");
    m->GetVariables().Add("x", nullptr, nullptr)->SetInt(7);
    halvo::AutoRef<BinCode> f(new BinCode);
    f->SetParamCount(2);
    f->SetReturnType("int");
    m->GetMembers().GetOrAddMember("f")->SetObject(f.Get());
    m->GetMembers().GetOrAddMember("g")->SetObject(f.Get());
    m->GetMembers().GetOrAddMember("n")->SetInt(3);
    m->GetMembers().GetOrAddMember("~m")->SetInt(1);

    ByteWriter expected;
    expected.U32(1).U8(0).U16(4).Text("void");
    expected.U16(1).U32(3).U8(0).Text("x").U8(0).U32(kTagInt).U32(7);
    expected.Member("f").U32(kTagObject).U8(1).U32(2);
    expected.U8(2).U16(3).Text("int").U16(0).U32(0).U8(0);
    expected.Member("g").U32(kTagObject).U8(1).U32(2);
    expected.Member("n").U32(kTagInt).U32(3);
    expected.U8(0);
    EXPECT_EQ(Written(m), expected.bytes);
}

TEST_F(ModuleFileTest, ValueEncodings) {
    halvo::AutoRef<BinCode> m(new BinCode);
    m->SetReturnType("");
    Var target(1);
    auto add = [&](const char* name) { return m->GetMembers().GetOrAddMember(name); };
    add("a")->SetBool(true);
    add("b")->SetFloat(1.5f);
    add("c")->SetStringConst("hi");
    add("d")->SetDeclaration("int");
    add("e")->SetReference(&target);
    add("f")->SetObject(nullptr);
    add("g")->SetString("obj");
    Var* flagged = add("h");
    flagged->SetInt(-1);
    flagged->SetConstFlag(true);
    flagged->SetAutoFlag(true);
    add("i")->SetIgnore();

    ByteWriter expected;
    expected.U32(1).U8(0).U16(0).U16(0).U32(0);
    expected.Member("a").U32(kTagBool).U8(1);
    expected.Member("b").U32(kTagFloat).U32(0x3FC00000);
    expected.Member("c").U32(kTagStringConst).U32(2).Text("hi");
    expected.Member("d").U32(kTagDeclaration).U32(3).Text("int");
    expected.Member("e").U32(kTagReference).U32(0);
    expected.Member("f").U32(kTagObject).U8(0);
    // A string object gets an identifier but writes no body.
    expected.Member("g").U32(kTagObject).U8(1).U32(2);
    expected.Member("h").U32(kTagInt | kAutoFlag | kConstFlag).U32(0xFFFFFFFF);
    expected.Member("i").U32(kTagIgnore);
    expected.U8(0);
    EXPECT_EQ(Written(m.Get()), expected.bytes);
}

TEST_F(ModuleFileTest, TextsComeBackAsStringsAndAddressesAsNil) {
    ByteWriter file;
    file.U32(1).ModuleHead(3, "float");
    file.Member("text").U32(kTagStringConst).U32(2).Text("hi");
    file.Member("empty").U32(kTagDeclaration).U32(0);
    file.Member("ref").U32(kTagReference).U32(0x12345678);
    file.Member("ptr").U32(kTagPointer | kAutoFlag);
    file.Member("bind").U32(kTagBind);
    file.Member("odd").U32(5 | kConstFlag);
    file.Member("high").U32(63);
    file.Member("none").U32(kTagObject).U8(0);
    file.Member("after").U32(kTagInt).U32(9);
    file.U8(0);
    halvo::AutoRef<BinCode> module = ReadBack(file.bytes);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetParamCount(), 3);
    EXPECT_EQ(module->GetReturnType(), "float");
    auto member = [&](const char* name) { return module->GetMember(name); };
    EXPECT_EQ(std::string(member("text")->GetCString()), "hi");
    EXPECT_EQ(member("text")->GetTag(), kTagObject);
    EXPECT_EQ(std::string(member("empty")->GetCString()), "");
    for (const char* name : {"ref", "ptr", "bind", "odd", "high"}) EXPECT_EQ(member(name)->GetTag(), kTagNil) << name;
    EXPECT_TRUE(member("ptr")->HasAutoFlag());
    EXPECT_TRUE(member("odd")->HasConstFlag());
    EXPECT_EQ(member("none")->GetTag(), kTagObject);
    EXPECT_EQ(member("none")->GetObject(), nullptr);
    EXPECT_EQ(member("after")->AsInt(), 9);
}

TEST_F(ModuleFileTest, SharedFunctionIsReadOnceAndGetsTheModuleAsParent) {
    BinCode* m = vm.GetOrCreateModule("m");
    halvo::AutoRef<BinCode> f(new BinCode);
    m->GetMembers().GetOrAddMember("f")->SetObject(f.Get());
    m->GetMembers().GetOrAddMember("g")->SetObject(f.Get());
    halvo::AutoRef<BinCode> module = ReadBack(Written(m));
    ASSERT_NE(module, nullptr);
    BinCode* first = ToBinCode(*module->GetMember("f"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ToBinCode(*module->GetMember("g")), first);
    EXPECT_EQ(first->GetParent(), module.Get());
    EXPECT_EQ(module->GetParent(), nullptr);
}

TEST_F(ModuleFileTest, IdentifiersStayUniqueAcrossTenThousandObjects) {
    halvo::AutoRef<BinCode> m(new BinCode);
    for (int i = 0; i < 10000; ++i)
        m->GetMembers().GetOrAddMember(("f" + std::to_string(i)).c_str())->SetObject(new BinCode);
    halvo::AutoRef<BinCode> module = ReadBack(Written(m.Get()));
    ASSERT_NE(module, nullptr);
    std::set<BinCode*> distinct;
    for (const auto& [name, value] : module->GetMembers().GetMembers())
        if (BinCode* function = ToBinCode(value)) distinct.insert(function);
    EXPECT_EQ(distinct.size(), 10000u);
}

TEST_F(ModuleFileTest, SelfReferencingModuleSavesAndLoads) {
    testsupport::TempFolder folder;
    BinCode* me = vm.GetOrCreateModule("selfref");
    me->GetMembers().GetOrAddMember("me")->SetObject(me);
    vm.SaveAllModules((folder.Path() + "/").c_str());
    EXPECT_TRUE(Messages().empty());
    Unlink(me);

    ScriptVM other;
    other.AddSearchPath(folder.Path().c_str(), kSearchCompiled);
    BinCode* loaded = other.FindModule("selfref");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(ToBinCode(*loaded->GetMember("me")), loaded);
    EXPECT_EQ(loaded->GetParent(), other.GetRootModule());
    Unlink(loaded);
    // "test" (the fixture's module) was saved too; "~bind" never is.
    EXPECT_TRUE(std::filesystem::exists(folder / "test.bincode"));
    EXPECT_FALSE(std::filesystem::exists(folder / "~bind.bincode"));
}

TEST_F(ModuleFileTest, ParentLinksComeFromTheReaderNeverFromTheFile) {
    ByteWriter file;
    file.U32(1).ModuleHead();
    // A parent link pointing at a new module, and a child that holds the
    // module being read.
    file.Member("~p").U32(kTagObject).U8(1).U32(2).ModuleHead().U8(0);
    file.Member("child").U32(kTagObject).U8(1).U32(3).ModuleHead();
    file.Member("up").U32(kTagObject).U8(1).U32(1);
    file.U8(0);
    file.Member("~parent").U32(kTagInt).U32(1);
    file.U8(0);
    halvo::AutoRef<BinCode> module = ReadBack(file.bytes);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetParent(), nullptr);
    Var* link = module->GetMember("~p");
    EXPECT_EQ(link, nullptr);
    EXPECT_EQ(module->GetMember("~parent"), nullptr);
    BinCode* child = ToBinCode(*module->GetMember("child"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetParent(), module.Get());
    EXPECT_EQ(ToBinCode(*child->GetMember("up")), module.Get());
    Unlink(child);
}

TEST_F(ModuleFileTest, BrokenStructuresAreRefused) {
    auto head = [] {
        ByteWriter file;
        file.U32(1);
        return file;
    };
    std::vector<ByteWriter> broken;
    broken.push_back(head().ModuleHead().U8(2));                                  // member flag
    broken.push_back(head().U8(0).U16(0).U16(1).U32(2).U8(1).U8(0).U32(0).U8(0));  // pool without ""
    broken.push_back(head().U8(0).U16(0).U16(1).U32(2).U8(0).U8(1).U32(0).U8(0));  // pool not ended
    broken.push_back(head().U8(0).U16(0).U16(32766).U32(0));                       // too many slots
    broken.push_back(head().U8(0).U16(0).U16(0).U32(0x7FFFFFFF));                  // pool beyond the file
    broken.push_back(head().ModuleHead().Member("s").U32(kTagStringConst).U32(1000).Text("short").U8(0));
    broken.push_back(head().U8(0).U16(200).Text("void"));                           // return type
    broken.push_back(head().ModuleHead().Member("o").U32(kTagObject).U8(2).U8(0));  // present flag
    broken.push_back(head().ModuleHead().Member("o").U32(kTagObject).U8(1).U32(0).U8(0));
    for (size_t i = 0; i < broken.size(); ++i) EXPECT_EQ(ReadBack(broken[i].bytes), nullptr) << i;

    ByteWriter fine = head().U8(0).U16(0).U16(1).U32(3).U8(0).Text("a").U8(0).U32(kTagInt).U32(4).U8(0);
    halvo::AutoRef<BinCode> module = ReadBack(fine.bytes);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetVariables().GetCount(), 1);
    EXPECT_EQ(module->GetVariables().At(0)->AsInt(), 4);
    EXPECT_STREQ(module->GetVariables().GetNames().GetText(1), "a");
}

TEST_F(ModuleFileTest, NestingIsCapped) {
    auto nested = [](int depth) {
        ByteWriter file;
        for (int level = 1; level <= depth; ++level) {
            file.U32(static_cast<uint32_t>(level)).ModuleHead();
            if (level < depth) file.Member("inner").U32(kTagObject).U8(1);
        }
        for (int level = 1; level <= depth; ++level) file.U8(0);
        return file.bytes;
    };
    EXPECT_NE(ReadBack(nested(64)), nullptr);
    EXPECT_EQ(ReadBack(nested(65)), nullptr);
    EXPECT_EQ(ReadBack(nested(5000)), nullptr);
}

TEST_F(ModuleFileTest, WritingTooDeepANestingFails) {
    halvo::AutoRef<BinCode> top(new BinCode);
    BinCode* level = top.Get();
    for (int depth = 1; depth < 70; ++depth) {
        auto* inner = new BinCode;
        level->GetMembers().GetOrAddMember("inner")->SetObject(inner);
        level = inner;
    }
    MemoryScriptIO stream;
    WriteObjectRef(stream, top.Get());
    EXPECT_TRUE(stream.HasError());
}

TEST_F(ModuleFileTest, EveryTruncationAndMutationFailsSafely) {
    BinCode* m = vm.GetOrCreateModule("m");
    m->GetVariables().Add("v", nullptr, nullptr)->SetStringConst("text");
    halvo::AutoRef<BinCode> f(new BinCode);
    f->GetMembers().GetOrAddMember("x")->SetFloat(2.0f);
    m->GetMembers().GetOrAddMember("f")->SetObject(f.Get());
    m->GetMembers().GetOrAddMember("g")->SetObject(f.Get());
    m->GetMembers().GetOrAddMember("me")->SetObject(m);
    const std::vector<uint8_t> valid = Written(m);
    Unlink(m);
    halvo::AutoRef<BinCode> whole = ReadBack(valid);
    ASSERT_NE(whole, nullptr);
    Unlink(whole.Get());
    for (size_t size = 0; size < valid.size(); ++size)
        EXPECT_EQ(ReadBack(std::vector<uint8_t>(valid.begin(), valid.begin() + static_cast<long>(size))), nullptr)
            << size;

    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = valid;
        int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        halvo::AutoRef<BinCode> module = ReadBack(bytes);
        if (module) Unlink(module.Get());
    }
}

TEST_F(ModuleFileTest, NeverRunThreadWritesAnEmptyFrame) {
    halvo::AutoRef<Thread> thread(new Thread(vm));
    ByteWriter expected;
    expected.U32(1).U32(kThreadIdle).U32(0).U32(kTagNil).U8(0);
    expected.U32(0).U32(0).U32(0).U32(0).U16(0).U32(0);
    EXPECT_EQ(Written(thread.Get()), expected.bytes);
}

TEST_F(ModuleFileTest, SaveFailuresAreReportedToTheFirstCallback) {
    testsupport::TempFolder folder;
    vm.SetSecondCallback(&ScriptVM::IgnoreText);
    vm.SaveAllModules((folder.Path() + "/missing/").c_str());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to open file '" + folder.Path() + "/missing/test.bincode'"});

    if (std::filesystem::exists("/dev/full")) {
        Messages().clear();
        std::filesystem::create_symlink("/dev/full", folder / "test.bincode");
        vm.SaveAllModules((folder.Path() + "/").c_str());
        EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to write file '" + folder.Path() + "/test.bincode'"});
    }
}

TEST_F(ModuleFileTest, WriteProtectedFileIsReplaced) {
    testsupport::TempFolder folder;
    folder.WriteFile("test.bincode", "old");
    std::filesystem::permissions(folder / "test.bincode", std::filesystem::perms::owner_read);
    vm.SaveAllModules((folder.Path() + "/").c_str());
    EXPECT_TRUE(Messages().empty());
    FileIO file;
    ASSERT_TRUE(file.OpenRead((folder / "test.bincode").c_str()));
    EXPECT_GT(file.GetSize(), 3u);
}

}  // namespace
