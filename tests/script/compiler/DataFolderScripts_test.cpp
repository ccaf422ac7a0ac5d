// Script sources read from the data folders, the way the game loads its
// modules: through the file manager (loose or packed), then compiled under
// the module's name.

#include "BackEnd.h"

#include "platform/FileManager.h"
#include "support/ArchiveWriter.h"
#include "support/GlobalDataRoot.h"

namespace Vrel::Testing {
namespace {

using DataFolderScripts = BackEndTest;

// Loads "<folder>/<name>.cis" and compiles it as module <name>.
bool CompileFromData(ScriptVM& machine, const char* folder, const char* name) {
    uint32_t size = 0;
    LoadedFile text(FileManager::Global().LoadFile(&size, "%s/%s.cis", folder, name));
    return text && machine.CompileBuffer(text.get(), name);
}

TEST_F(DataFolderScripts, LooseAndPackedSourcesCompileIntoModules) {
    const auto& root = testsupport::GlobalDataRoot();
    root.WriteFile("scripts/loose_one.cis",
                   "int ready = 7;\r\nfunction int Ready() { return ready; }\r\n");
    testsupport::ArchiveWriter archive;
    archive.Add("packed_two.cis", "// packed\nstring word = \"packed\";\n");
    root.WriteFile("packed/scripts.tvk", archive.Build());
    FileManager::Global().ResetDirectoryCaches();

    ASSERT_TRUE(CompileFromData(vm, "scripts", "loose_one")) << AllMessages();
    EXPECT_EQ(Call(Function("loose_one", "Ready")).ToString(), "7");
    ASSERT_TRUE(CompileFromData(vm, "packed/scripts", "packed_two")) << AllMessages();
    Var* word = Module("packed_two")->GetMember("word");
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->ToString(), "packed");
    EXPECT_FALSE(CompileFromData(vm, "scripts", "missing"));
    EXPECT_TRUE(Messages().empty()) << AllMessages();
}

TEST_F(DataFolderScripts, BrokenSourceReportsItsModuleAndLine) {
    testsupport::GlobalDataRoot().WriteFile("scripts/broken_three.cis", "int a = 1;\nint = ;\n");
    FileManager::Global().ResetDirectoryCaches();
    EXPECT_FALSE(CompileFromData(vm, "scripts", "broken_three"));
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().front().rfind("broken_three(2) : ", 0), 0u) << AllMessages();
}

}  // namespace
}  // namespace Vrel::Testing
