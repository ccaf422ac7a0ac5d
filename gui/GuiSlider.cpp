#include "gui/GuiSlider.h"

#include "gui/GuiMain.h"

#include <cmath>
#include <string>

namespace halvo {

namespace {

// Set by the constructor in this order, after the widget base's table;
// "step" and "texture" stay absent.
const GuiDefault kDefaults[] = {{GuiWidget::kPropPick, true},
                                {GuiSlider::kPropValue, 0.0f},
                                {GuiSlider::kPropMin, 0.0f},
                                {GuiSlider::kPropMax, 1.0f},
                                {GuiSlider::kPropVertical, false}};

// The state words, by texture set.
const char* const kStateWords[] = {"", "Pressed", "Hover", "Deactivated"};

// a / b, or `fallback` when that is not a finite number.
float DivideOr(float a, float b, float fallback) {
    if (b == 0) return fallback;
    const float result = a / b;
    return std::isfinite(result) ? result : fallback;
}

}  // namespace

const ClassRecord GuiSlider::kClassRecord = {"GuiSlider", &GuiWidget::kClassRecord, &GuiSlider::Create};

RefObj* GuiSlider::Create() { return new GuiSlider; }

GuiSlider::GuiSlider() { ApplyDefaults(kDefaults); }

bool GuiSlider::Init(const Vrel::t_Named& parameters) {
    if (!GuiWidget::Init(parameters)) return false;
    const Vrel::Var* texture = GetMember(kPropTexture);
    const char* name = texture ? texture->GetCString() : nullptr;
    if (!name || !*name) {
        GuiMain::Global().SetError("GuiSlider::Init - no 'texture' defined at create slider");
        return false;
    }
    // Unlike a button's, the state word goes before the extension.
    std::string stem = name;
    std::string extension;
    if (const size_t dot = stem.rfind('.'); dot != std::string::npos) {
        extension = stem.substr(dot);
        stem.resize(dot);
    }
    for (int32_t i = 0; i < kSetCount; ++i) {
        const std::string setName = stem + kStateWords[i] + extension;
        if (!sets_[static_cast<size_t>(i)].Load(setName.c_str(), i == 0) && i == 0) {
            GuiMain::Global().SetError("GuiSlider::Init - Unable to load texture %s", setName.c_str());
            return false;
        }
    }
    float width, height;
    GetSize(width, height);
    const Vec2 natural = sets_[0].GetFrameSize();
    if ((width < 1 || height < 1) && natural.x > 0 && natural.y > 0) SetSize(natural.x, natural.y);
    return true;
}

void GuiSlider::Update(double timeMs, double dtMs) {
    AutoRef<GuiWidget> self(this);
    GuiWidget::Update(timeMs, dtMs);
    float value = ReadFloat(kPropValue);
    if (value == laidOutValue_) return;
    GuiWidget* track = GetParent();
    const float low = ReadFloat(kPropMin);
    const float high = ReadFloat(kPropMax);
    if (low == high && value != low) {
        value = low;
        WriteFloat(kPropValue, value);
    }
    laidOutValue_ = value;
    if (!track) return;
    if (ReadBool(kPropVertical)) PlaceVertically(*track, value, low, high);
    else PlaceHorizontally(*track, value, low, high);
}

void GuiSlider::PlaceHorizontally(GuiWidget& track, float value, float low, float high) {
    const float w = ReadFloat(kPropXSize);
    const float range = (track.GetRight() - w / 2) - (track.GetLeft() + w / 2);
    // Without a finite place the knob sits where "min" puts it.
    const float x = DivideOr(range * (value - low), high - low, 0.0f);
    if (track.HasProperty(kPropValue)) track.WriteFloat(kPropValue, DivideOr(x + w / 2, w + range, 0.0f));
    SetPositionXY(x, ReadFloat(kPropYPos));
}

void GuiSlider::PlaceVertically(GuiWidget& track, float value, float low, float high) {
    const float h = ReadFloat(kPropYSize);
    const float range = (track.GetBottom() - h / 2) - (track.GetTop() + h / 2);
    const float y = DivideOr(range * (high - value), high - low, std::isfinite(range) ? range : 0.0f);
    if (track.HasProperty(kPropValue)) {
        const float length = h + range;
        track.WriteFloat(kPropValue, length == 0 ? 0.0f : 1 - DivideOr(y + h / 2, length, 1.0f));
    }
    SetPositionXY(ReadFloat(kPropXPos), y);
}

bool GuiSlider::OnInput(const InputEvent& event) {
    AutoRef<GuiWidget> self(this);
    const bool left = event.button == InputEvent::kLeft;
    if (event.kind == InputEvent::kButtonDown && left) {
        Report(kEventSliderBegin, ReadFloat(kPropValue));
        state_ = kStatePressed;
        return true;
    }
    if (event.kind == InputEvent::kButtonUp && left) {
        state_ = 0;
        Report(kEventSliderChanged, ReadFloat(kPropValue));
        return true;
    }
    if (event.kind == InputEvent::kPointer && (state_ & kStatePressed)) SetValueFromPointer(event.x, event.y);
    GuiWidget::OnInput(event);
    return false;
}

void GuiSlider::SetValueFromPointer(float x, float y) {
    GuiWidget* track = GetParent();
    if (!track) return;
    AutoRef<GuiWidget> self(this);
    const bool vertical = ReadBool(kPropVertical);
    const float low = ReadFloat(kPropMin);
    const float high = ReadFloat(kPropMax);
    float width, height;
    track->GetSize(width, height);
    const Vec2 start = track->LocalToScreen({0, 0});
    const Vec2 end = track->LocalToScreen({width, height});
    float a, b, p;
    if (vertical) {
        a = end.y - ReadFloat(kPropYSize) / 2;
        b = start.y + ReadFloat(kPropYSize) / 2;
        p = y;
    } else {
        a = start.x + ReadFloat(kPropXSize) / 2;
        b = end.x - ReadFloat(kPropXSize) / 2;
        p = x;
    }
    float value = low + DivideOr((p - a) * (high - low), b - a, 0.0f);
    if (value < low) value = low;
    if (value > high) value = high;
    value = SnapToStep(value);
    if (!std::isfinite(value) || low == high) value = low;
    WriteFloat(kPropValue, value);
    Report(kEventSliderChanging, value);
}

float GuiSlider::SnapToStep(float value) const {
    if (!HasProperty(kPropStep)) return value;
    const float step = ReadFloat(kPropStep);
    if (step == 0) return value;
    return std::floor((value + step / 2) / step) * step;
}

void GuiSlider::Report(int32_t id, float value) {
    AutoRef<GuiWidget> self(this);
    const GuiEventData data = GuiEventData::Value(value);
    TellOwnListeners(id, this, data);
    if (GuiWidget* track = GetParent()) track->Notify(id, this, data);
}

void GuiSlider::SetHover(bool on, float x, float y) {
    if (on && state_ < kStateHovered) state_ += kStateHovered;
    if (!on && state_ >= kStateHovered) state_ -= kStateHovered;
    GuiWidget::SetHover(on, x, y);
}

void GuiSlider::OnCaptureCancelled() {
    AutoRef<GuiWidget> self(this);
    state_ = 0;
    Report(kEventSliderChanged, ReadFloat(kPropValue));
}

void GuiSlider::DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) {
    int32_t s = sets_[static_cast<size_t>(state_)].IsEmpty() ? 0 : state_;
    float width, height;
    GetSize(width, height);
    const Vec2 natural = sets_[static_cast<size_t>(s)].GetFrameSize();
    if (s > 0 && (natural.x < 1 || natural.y < 1)) s = 0;
    sets_[static_cast<size_t>(s)].Draw(x, y, width, height, scale, alpha, matrix);
}

}  // namespace halvo
