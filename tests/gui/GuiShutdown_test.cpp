// The end of a process as the program has it: objects built before the GUI
// manager (the script machine with its globals) die after it, still holding
// texts and fonts. Each case runs in a fresh child process and must exit
// cleanly (under the sanitizers: no bad access, no leak).

#include "gui/TextTestSupport.h"
#include "platform/ShutdownFlag.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using halvo::AutoRef;
using halvo::GuiText;

// Stands for the script machine's globals: built first, destroyed last.
struct ScriptGlobals {
    AutoRef<GuiText> focusedInput;
    AutoRef<GuiText> outlined;
    AutoRef<halvo::Font> font;
};

[[noreturn]] void BuildTextsAndExit(bool gameWasDestroyed) {
    static ScriptGlobals globals;
    testsupport::InstallTestFont();
    halvo::GuiMain& gui = halvo::GuiMain::Global();
    // Texts in the tree die with the root widget, before the font library.
    AutoRef<halvo::GuiWidget> frame = testsupport::MakeFrame(gui.GetRoot(), "frame", 0, 0, 400, 300);
    testsupport::MakeText(frame.Get(), {{"text", Vrel::Var("in the tree")}, {"outline", Vrel::Var(64)}});
    // Texts and a font that only the globals hold outlive the manager.
    globals.focusedInput = testsupport::MakeText(nullptr, {{"input", Vrel::Var(true)}, {"text", Vrel::Var("kept")},
                                                           {"xsize", Vrel::Var(200.0f)}});
    globals.outlined = testsupport::MakeText(nullptr, {{"text", Vrel::Var("kept")}, {"outline", Vrel::Var(64)}});
    globals.font = gui.GetFont(testsupport::kTestFont, 30, 0);
    if (!globals.focusedInput || !globals.outlined || !globals.font) std::exit(2);
    globals.focusedInput->TakeFocus();
    if (gameWasDestroyed) halvo::MarkProcessShuttingDown();
    std::exit(0);
}

TEST(GuiShutdown, TextsAndFontsOutlivingTheManagerEndCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(BuildTextsAndExit(false), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(BuildTextsAndExit(true), ::testing::ExitedWithCode(0), "");
}

}  // namespace
