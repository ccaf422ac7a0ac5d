#pragma once
// The free test font (the sans face of the system's fonts-dejavu-core) copied
// into the global data root, and text widgets made from name/value pairs.

#include "gui/GuiTestSupport.h"
#include "gui/GuiText.h"
#include "platform/FileManager.h"
#include "script/runtime/values/VarUnicode.h"
#include "support/GlobalDataRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

inline constexpr const char* kTestFont = "fonts/DejaVuSans.ttf";

// Call first in every test that loads the font; fails the test when the
// system font is missing.
inline void InstallTestFont() {
    static bool installed = false;
    if (installed) return;
    std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    ASSERT_TRUE(file) << "install fonts-dejavu-core (scripts/setup.sh)";
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    GlobalDataRoot().WriteFile(kTestFont, bytes);
    FileManager::Global().ResetDirectoryCaches();
    installed = true;
}

// A "Text" in the test font under `parent` with the given properties.
inline AutoRef<halvo::GuiText> MakeText(GuiWidget* parent,
                                        std::initializer_list<std::pair<const char*, Vrel::Var>> members) {
    AutoRef<Vrel::t_Named> params = Params(members);
    if (!params->FindMember("font")) params->GetOrAddMember("font")->SetString(kTestFont);
    AutoRef<GuiWidget> made = halvo::GuiCreateWidget("Text", *params, parent);
    return AutoRef<halvo::GuiText>(static_cast<halvo::GuiText*>(made.Get()));
}

// The text's "text" property as UTF-16.
inline std::u16string TextOf(GuiWidget* widget) {
    Vrel::Var* value = widget->GetMember("text");
    Vrel::VarUnicode* unicode = value ? Vrel::ToVarUnicode(*value) : nullptr;
    return unicode ? std::u16string(unicode->GetText()) : u"<none>";
}

}  // namespace testsupport
