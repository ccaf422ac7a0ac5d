#pragma once
// The one GUI manager of the process. It creates widgets and animators by
// type name (letter case ignored; registering a name again replaces it),
// caches GUI textures by requested name, owns the root widget under which
// every screen hangs its GUI frame, keeps the hovered, pressed (captured)
// and keyboard-focus widgets, plays click sounds through installed modules,
// records the last widget error and draws solid quads. It holds widgets,
// textures and fonts only weakly, apart from the root and the failed-texture
// placeholder. It owns the font library and the outline stroker, released
// after the root widget so that every font the tree held dies first.

#include "gui/GuiClipStack.h"
#include "gui/GuiFrameClock.h"
#include "gui/GuiSound.h"
#include "gui/GuiTexture.h"
#include "platform/AsciiCase.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct FT_LibraryRec_;
struct FT_StrokerRec_;

namespace halvo {

class GuiWidget;
class GuiAnimator;
class Font;

struct AsciiNoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return AsciiCompareNoCase(a, b) < 0; }
};

class GuiMain {
public:
    using WidgetFactory = GuiWidget* (*)();
    using AnimatorFactory = GuiAnimator* (*)();

    // Built by the first call; the program's entry makes that call in the
    // fixed order of its process-wide objects.
    static GuiMain& Global();
    // The global manager, or null once it has been destroyed: for
    // destructors of widgets and fonts that scripts kept alive past it.
    static GuiMain* Live();

    GuiMain();
    virtual ~GuiMain();
    GuiMain(const GuiMain&) = delete;
    GuiMain& operator=(const GuiMain&) = delete;

    // Factories. Null for a name never registered.
    void RegisterWidget(const char* typeName, WidgetFactory factory);
    void RegisterAnimator(const char* typeName, AnimatorFactory factory);
    AutoRef<GuiWidget> CreateWidget(const char* typeName) const;
    AutoRef<GuiAnimator> CreateAnimator(const char* typeName) const;

    // The cached texture of `name`, loaded on first use: a name containing
    // ':' is the path itself, "#path" the path after the '#', any other name
    // "gui/<name>.cbi". Null when it cannot be loaded, and from then on for
    // the rest of the run without another attempt. The flag changes nothing.
    AutoRef<GuiTexture> LoadTexture(const char* name, bool flag = false);
    // The file a texture name loads from.
    static std::string TexturePath(const char* name);

    // The cached font of that file, pixel size and style (the outline
    // width), loaded on first use and again after its last user let it go.
    // Null when it cannot be loaded; the next request tries again.
    AutoRef<Font> GetFont(const char* name, int32_t pixelSize, int32_t style);
    size_t GetFontRecordCount() const { return fontRecords_.size(); }
    // Null when FreeType could not start.
    FT_LibraryRec_* GetFontLibrary() const { return fontLibrary_; }
    FT_StrokerRec_* GetStroker() const { return stroker_; }

    // Stores the formatted text of the last widget error and logs it. Never
    // pass a name or other data as the format.
    void SetError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const std::string& GetLastError() const { return lastError_; }
    bool HasError() const { return hasError_; }

    GuiWidget* GetRoot() const { return root_.Get(); }

    // Hover, capture and focus; each reads null once its widget has died.
    GuiWidget* GetHovered() const;
    GuiWidget* GetCaptured() const;
    GuiWidget* GetKeyboardFocus() const;
    // Press: captures `picked` when nothing is captured. Release: ends the
    // capture. Pointer motion: moves the hover to `picked`; while a press is
    // held only the captured widget can be hovered.
    void UpdateHover(GuiWidget* picked, const InputEvent& event);
    // Unhovers at the current pointer position and ends a capture, the
    // captured widget told through OnCaptureCancelled. Answers true.
    bool ClearHover();
    // The old focus widget hears OnFocusLost first; when its handler moved
    // the focus elsewhere, that choice stands.
    void SetKeyboardFocus(GuiWidget* widget);
    // Forgets the focus without telling the widget.
    void ClearKeyboardFocus();

    // Click sounds: kind 0 the button click, 1 the radio click, on every
    // installed module in order; other kinds play nothing.
    void InstallSoundModule(GuiSound* module);
    // Takes back a module its installer is done with (a test whose recorder
    // dies; the game's own click sound stays for the whole process); a
    // module never installed changes nothing.
    void RemoveSoundModule(GuiSound* module);
    void PlaySound(int32_t kind, GuiWidget* widget);

    // A solid rectangle in `colour` (0xAABBGGRR) under `matrix`; a factor
    // other than 1 scales the colour's alpha, clamped to a byte.
    void DrawQuad(uint32_t colour, const Matrix4& matrix, float x1, float y1, float x2, float y2,
                  float alphaFactor);
    GuiClipStack& Clips() { return clips_; }
    GuiFrameClock& Frames() { return frames_; }

private:
    struct FontRecord {
        std::string name;
        int32_t pixelSize;
        int32_t style;
        WeakRef<Font> font;
    };

    void MoveHover(GuiWidget* picked, float x, float y);

    std::map<std::string, WidgetFactory, AsciiNoCaseLess> widgetFactories_;
    std::map<std::string, AnimatorFactory, AsciiNoCaseLess> animatorFactories_;
    std::string lastError_;
    bool hasError_ = false;
    FT_LibraryRec_* fontLibrary_ = nullptr;
    FT_StrokerRec_* stroker_ = nullptr;
    // In creation order; a record is added only for a font that loaded.
    std::vector<FontRecord> fontRecords_;
    // Stands in the cache for every name that failed to load.
    AutoRef<GuiTexture> failedTexture_;
    AutoRef<GuiWidget> root_;
    WeakRef<GuiWidget> captured_;
    WeakRef<GuiWidget> hovered_;
    WeakRef<GuiWidget> focus_;
    std::vector<AutoRef<GuiSound>> soundModules_;
    std::map<std::string, WeakRef<GuiTexture>, std::less<>> textures_;
    GuiClipStack clips_;
    GuiFrameClock frames_;
};

// Factories for the tables: NewWidget<GuiSprite>, NewAnimator<GuiMover>.
template <class T>
GuiWidget* NewWidget() {
    return new T;
}
template <class T>
GuiAnimator* NewAnimator() {
    return new T;
}

}  // namespace halvo
