#include "gui/GuiMain.h"

#include "gui/Font.h"
#include "gui/GuiAlpha.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiButton.h"
#include "gui/GuiColor.h"
#include "gui/GuiMover.h"
#include "gui/GuiRemover.h"
#include "gui/GuiScriptFunctions.h"
#include "gui/GuiSlider.h"
#include "gui/GuiSprite.h"
#include "gui/GuiText.h"
#include "gui/GuiTimer.h"
#include "gui/GuiWidget.h"
#include "gui/GuiZoomer.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "script/runtime/machine/ScriptVM.h"

#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_STROKER_H

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace halvo {

namespace {

struct BuiltInWidget {
    const char* name;
    GuiMain::WidgetFactory factory;
};
struct BuiltInAnimator {
    const char* name;
    GuiMain::AnimatorFactory factory;
};

// The one table of built-in widget types.
const std::initializer_list<BuiltInWidget> kBuiltInWidgets = {
    {"Frame", &NewWidget<GuiWidget>},
    {"Sprite", &NewWidget<GuiSprite>},
    {"Text", &NewWidget<GuiText>},
    {"Button", &NewWidget<GuiButton>},
    {"Slider", &NewWidget<GuiSlider>},
};

// The one table of built-in animator types.
const std::initializer_list<BuiltInAnimator> kBuiltInAnimators = {
    {"Timer", &NewAnimator<GuiTimer>},
    {"Zoomer", &NewAnimator<GuiZoomer>},
    {"Alpha", &NewAnimator<GuiAlpha>},
    {"Mover", &NewAnimator<GuiMover>},
    {"Remover", &NewAnimator<GuiRemover>},
};

// Longest error text kept; longer messages are cut.
constexpr size_t kMaxErrorLength = 1024;

// Corners of a quad as two triangles.
const uint8_t kQuadIndices[6] = {0, 1, 2, 0, 3, 2};

// The global manager while it lives; set once destroyed, never cleared.
GuiMain* globalManager = nullptr;
bool globalManagerGone = false;

}  // namespace

GuiMain& GuiMain::Global() {
    static GuiMain gui;
    globalManager = &gui;
    return gui;
}

GuiMain* GuiMain::Live() { return globalManagerGone ? nullptr : &Global(); }

GuiMain::GuiMain() {
    // The render-state mirror must outlive the textures released at exit.
    GLState::Mirror();
    for (const BuiltInWidget& entry : kBuiltInWidgets) RegisterWidget(entry.name, entry.factory);
    for (const BuiltInAnimator& entry : kBuiltInAnimators) RegisterAnimator(entry.name, entry.factory);
    hasError_ = false;
    failedTexture_ = new GuiTexture;
    if (FT_Init_FreeType(&fontLibrary_)) {
        LogMessage("GuiMain - the font library cannot start: no text will show");
        fontLibrary_ = nullptr;
    } else if (FT_Stroker_New(fontLibrary_, &stroker_)) {
        stroker_ = nullptr;
    }
    root_ = new GuiWidget;
    // Before any script compiles: scripts name these functions and types.
    RegisterGuiScriptFunctions(Vrel::ScriptVM::Global());
}

GuiMain::~GuiMain() {
    // The tree first: the fonts it holds close their faces on a live library.
    root_.Reset();
    textures_.clear();
    soundModules_.clear();
    focus_.Reset();
    hovered_.Reset();
    captured_.Reset();
    failedTexture_.Reset();
    fontRecords_.clear();
    if (stroker_) FT_Stroker_Done(stroker_);
    stroker_ = nullptr;
    // Frees the faces of fonts that scripts still hold; those fonts see the
    // library gone and leave their faces alone.
    if (fontLibrary_) FT_Done_FreeType(fontLibrary_);
    fontLibrary_ = nullptr;
    if (globalManager == this) {
        globalManager = nullptr;
        globalManagerGone = true;
    }
}

// ---- factories ----------------------------------------------------------

void GuiMain::RegisterWidget(const char* typeName, WidgetFactory factory) {
    if (!typeName || !factory) return;
    widgetFactories_.insert_or_assign(typeName, factory);
}

void GuiMain::RegisterAnimator(const char* typeName, AnimatorFactory factory) {
    if (!typeName || !factory) return;
    animatorFactories_.insert_or_assign(typeName, factory);
}

AutoRef<GuiWidget> GuiMain::CreateWidget(const char* typeName) const {
    if (!typeName) return {};
    auto it = widgetFactories_.find(std::string_view(typeName));
    return it == widgetFactories_.end() ? AutoRef<GuiWidget>() : AutoRef<GuiWidget>(it->second());
}

AutoRef<GuiAnimator> GuiMain::CreateAnimator(const char* typeName) const {
    if (!typeName) return {};
    auto it = animatorFactories_.find(std::string_view(typeName));
    return it == animatorFactories_.end() ? AutoRef<GuiAnimator>() : AutoRef<GuiAnimator>(it->second());
}

// ---- textures -----------------------------------------------------------

std::string GuiMain::TexturePath(const char* name) {
    if (!name) return {};
    if (std::strchr(name, ':')) return name;
    if (name[0] == '#') return name + 1;
    return std::string("gui/") + name + ".cbi";
}

AutoRef<GuiTexture> GuiMain::LoadTexture(const char* name, bool /*flag*/) {
    if (!name) return {};
    auto entry = textures_.find(std::string_view(name));
    if (entry == textures_.end()) entry = textures_.emplace(name, WeakRef<GuiTexture>()).first;
    if (GuiTexture* cached = entry->second.Get()) {
        if (cached == failedTexture_.Get()) return {};
        return AutoRef<GuiTexture>(cached);
    }
    entry->second = failedTexture_.Get();
    AutoRef<GuiTexture> texture(new GuiTexture);
    if (!texture->Load("%s", TexturePath(name).c_str())) return {};
    texture->anchor = {0, 0};
    texture->matrixDirty = true;
    entry->second = texture.Get();
    return texture;
}

// ---- fonts --------------------------------------------------------------

AutoRef<Font> GuiMain::GetFont(const char* name, int32_t pixelSize, int32_t style) {
    if (!name) return {};
    FontRecord* record = nullptr;
    for (FontRecord& entry : fontRecords_) {
        if (entry.pixelSize != pixelSize || entry.style != style || entry.name != name) continue;
        if (Font* alive = entry.font.Get()) return AutoRef<Font>(alive);
        record = &entry;
        break;
    }
    AutoRef<Font> font(new Font);
    if (!font->Load(name, pixelSize, style)) return {};
    if (record) record->font = font.Get();
    else fontRecords_.push_back({name, pixelSize, style, font.Get()});
    return font;
}

// ---- errors -------------------------------------------------------------

void GuiMain::SetError(const char* format, ...) {
    char text[kMaxErrorLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    lastError_ = text;
    hasError_ = !lastError_.empty();
    if (hasError_) LogMessage("%s", text);
}

// ---- hover, capture, focus ----------------------------------------------

GuiWidget* GuiMain::GetHovered() const { return hovered_.Get(); }

GuiWidget* GuiMain::GetCaptured() const { return captured_.Get(); }

GuiWidget* GuiMain::GetKeyboardFocus() const { return focus_.Get(); }

void GuiMain::UpdateHover(GuiWidget* picked, const InputEvent& event) {
    AutoRef<GuiWidget> heldPicked(picked);
    switch (event.kind) {
        case InputEvent::kButtonDown:
            if (!captured_.Get() && picked) captured_ = picked;
            return;
        case InputEvent::kButtonUp: captured_.Reset(); return;
        case InputEvent::kPointer: MoveHover(picked, event.x, event.y); return;
        default: return;
    }
}

void GuiMain::MoveHover(GuiWidget* picked, float x, float y) {
    AutoRef<GuiWidget> captured = captured_.Get();
    AutoRef<GuiWidget> hovered = hovered_.Get();
    // While a press is held only the captured widget can be hovered.
    AutoRef<GuiWidget> wanted = !captured || picked == captured.Get() ? picked : nullptr;
    if (wanted == hovered) return;
    if (hovered) hovered->SetHover(false, x, y);
    hovered_ = wanted.Get();
    if (wanted) wanted->SetHover(true, x, y);
}

bool GuiMain::ClearHover() {
    const PointerState& pointer = PointerState::Global();
    if (AutoRef<GuiWidget> hovered = hovered_.Get()) {
        hovered_.Reset();
        hovered->SetHover(false, static_cast<float>(pointer.x), static_cast<float>(pointer.y));
    }
    // The release of a press held through a fade never arrives: end the
    // capture now, or the next release elsewhere would click the widget.
    if (AutoRef<GuiWidget> captured = captured_.Get()) {
        captured_.Reset();
        captured->OnCaptureCancelled();
    }
    return true;
}

void GuiMain::SetKeyboardFocus(GuiWidget* widget) {
    AutoRef<GuiWidget> next(widget);
    AutoRef<GuiWidget> old = focus_.Get();
    if (old == widget) return;
    if (old) {
        focus_.Reset();
        old->OnFocusLost(widget);
        // The handler chose a focus of its own: that choice stands.
        if (focus_.Get()) return;
    }
    focus_ = widget;
    if (next) next->OnFocusGained();
}

void GuiMain::ClearKeyboardFocus() { focus_.Reset(); }

// ---- sounds -------------------------------------------------------------

void GuiMain::InstallSoundModule(GuiSound* module) {
    if (module) soundModules_.emplace_back(module);
}

void GuiMain::RemoveSoundModule(GuiSound* module) {
    std::erase_if(soundModules_, [module](const AutoRef<GuiSound>& installed) { return installed.Get() == module; });
}

void GuiMain::PlaySound(int32_t kind, GuiWidget* widget) {
    if (kind != kSoundButton && kind != kSoundRadio) return;
    AutoRef<GuiWidget> held(widget);
    for (size_t i = 0; i < soundModules_.size(); ++i) {
        AutoRef<GuiSound> module = soundModules_[i];
        if (kind == kSoundButton) module->PlayButtonSound(widget);
        else module->PlayRadioSound(widget);
    }
}

// ---- drawing ------------------------------------------------------------

void GuiMain::DrawQuad(uint32_t colour, const Matrix4& matrix, float x1, float y1, float x2, float y2,
                       float alphaFactor) {
    GLState::DisableTexturing();
    Color color = ColorFromWord(colour);
    if (alphaFactor != 1.0f) color.a = ScaleAlphaByte(color.a, alphaFactor);
    if (color.a == 255) GLState::DisableBlend();
    else GLState::EnableBlend();
    const float vertices[12] = {x1, y1, 0, x2, y1, 0, x2, y2, 0, x1, y2, 0};
    GLState::SetModelview(matrix);
    GLState::SetColor(color);
    GLState::SetVertexArrays(0, 12, vertices);
    GLState::Gl().DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_BYTE, kQuadIndices);
}

}  // namespace halvo
