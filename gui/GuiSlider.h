#pragma once
// The draggable knob of a slider (type name "Slider"); its parent is the
// track. Dragging with the left button maps the pointer along the track to
// "value" in ["min", "max"] ("max" at the right, or at the top when
// "vertical"), snapped to "step" when that is given and not 0; whenever
// "value" changes, by dragging or by a script, the knob places itself at the
// next update, and a track with a "value" property gets the knob centre's
// place along it as a fraction. Raises 8 (OnSliderBegin) on press, 9
// (OnSliderChanging) on every drag step and 10 (OnSliderChanged) on release,
// each with the value, to its own listeners and then up from the parent.
// Nothing that is not a finite number is ever written: with "min" equal to
// "max" or a track no longer than the knob the value is "min".

#include "gui/GuiTextureSet.h"
#include "gui/GuiWidget.h"

#include <array>

namespace halvo {

class GuiSlider : public GuiWidget {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Set by the constructor (the defaults table in GuiSlider.cpp).
    static constexpr const char* kPropValue = "value";
    static constexpr const char* kPropMin = "min";
    static constexpr const char* kPropMax = "max";
    static constexpr const char* kPropVertical = "vertical";
    // Read when present.
    static constexpr const char* kPropStep = "step";
    static constexpr const char* kPropTexture = "texture";

    // State bits; both together show the "Deactivated" set.
    static constexpr int32_t kStatePressed = 1;
    static constexpr int32_t kStateHovered = 2;
    static constexpr int32_t kSetCount = 4;

    GuiSlider();
    ~GuiSlider() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // False, with the manager's error text set, when the normal set does not
    // load.
    bool Init(const Vrel::t_Named& parameters) override;
    // Places the knob when "value" changed since the last placement.
    void Update(double timeMs, double dtMs) override;
    bool OnInput(const InputEvent& event) override;
    void SetHover(bool on, float x, float y) override;
    void DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) override;
    // Counted as a release: state 0 and OnSliderChanged.
    void OnCaptureCancelled() override;

    // x, y on screen; sets "value" and raises OnSliderChanging. Nothing
    // without a parent.
    void SetValueFromPointer(float x, float y);

    int32_t GetState() const { return state_; }
    const GuiTextureSet& GetTextureSet(int32_t index) const { return sets_[static_cast<size_t>(index)]; }

private:
    // Own listeners first, then up from the parent.
    void Report(int32_t id, float value);
    float SnapToStep(float value) const;
    void PlaceHorizontally(GuiWidget& track, float value, float low, float high);
    void PlaceVertically(GuiWidget& track, float value, float low, float high);

    std::array<GuiTextureSet, kSetCount> sets_;
    int32_t state_ = 0;
    float laidOutValue_ = 0;
};

}  // namespace halvo
