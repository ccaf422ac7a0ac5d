#pragma once
// The clickable image button (type name "Button"). It shows one texture set
// per state, named after "texture" with the words "Pressed", "Hover" and
// "Deactivated" put before the set's own suffix, or a solid "color". A left
// click raises event 0 (OnButton) and the button click sound; a button with
// a "radio" property is a toggle instead: a click flips "radio", raises
// event 1 (OnRadio) and the radio click sound, and the "On" state has its
// own four sets. While "deactivated" is true the deactivated set shows and
// input goes to the widget base. The click comes on release, wherever the
// pointer is then: the pressed button holds the capture. The left press is
// told to the button's own listeners alone (event 3, OnMouseButtonDown), so
// that a script can note what stood when the player pressed.

#include "gui/GuiTextureSet.h"
#include "gui/GuiWidget.h"

#include <array>

namespace halvo {

class GuiButton : public GuiWidget {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Read when present.
    static constexpr const char* kPropTexture = "texture";
    static constexpr const char* kPropColor = "color";
    static constexpr const char* kPropRadio = "radio";
    static constexpr const char* kPropDeactivated = "deactivated";

    // Interaction states (not properties).
    enum State : int32_t {
        kStateNormal = 0,
        kStatePressed = 1,
        kStateHover = 2,
    };
    // Display states index the texture sets: the four looks, then the same
    // four for a toggle that is on.
    static constexpr int32_t kStateDeactivated = 3;
    static constexpr int32_t kOnSets = 4;
    static constexpr int32_t kSetCount = 8;

    GuiButton();
    ~GuiButton() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // False, with the manager's error text set, when the normal set does not
    // load, for a colour without a size, and with neither texture nor colour.
    bool Init(const Vrel::t_Named& parameters) override;
    void Update(double timeMs, double dtMs) override;
    bool OnInput(const InputEvent& event) override;
    void SetHover(bool on, float x, float y) override;
    void DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) override;
    // Back to rest without a click.
    void OnCaptureCancelled() override;

    // The texture set shown now (deactivated, toggle and fallbacks applied).
    int32_t GetDisplayState() const;
    State GetState() const { return state_; }
    const GuiTextureSet& GetTextureSet(int32_t index) const { return sets_[static_cast<size_t>(index)]; }

private:
    bool LoadTextureSets(const char* texture);
    bool InitColor();
    void Click();

    std::array<GuiTextureSet, kSetCount> sets_;
    State state_ = kStateNormal;
    int32_t shownSet_ = -1;
};

}  // namespace halvo
