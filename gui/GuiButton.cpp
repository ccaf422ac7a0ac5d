#include "gui/GuiButton.h"

#include "gui/GuiMain.h"
#include "gui/GuiSound.h"

#include <string>
#include <string_view>

namespace halvo {

namespace {

// Set by the constructor, after the widget base's table.
const GuiDefault kDefaults[] = {{GuiWidget::kPropPick, true}};

// The state words, by display state modulo four.
const char* const kStateWords[] = {"", "Pressed", "Hover", "Deactivated"};
constexpr std::string_view kOffWord = "Off";
constexpr std::string_view kOnWord = "On";

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

const ClassRecord GuiButton::kClassRecord = {"GuiButton", &GuiWidget::kClassRecord, &GuiButton::Create};

RefObj* GuiButton::Create() { return new GuiButton; }

GuiButton::GuiButton() { ApplyDefaults(kDefaults); }

bool GuiButton::Init(const Vrel::t_Named& parameters) {
    if (!GuiWidget::Init(parameters)) return false;
    const Vrel::Var* texture = GetMember(kPropTexture);
    if (const char* name = texture ? texture->GetCString() : nullptr) return LoadTextureSets(name);
    if (HasProperty(kPropColor)) return InitColor();
    GuiMain::Global().SetError("GuiButton::Init - no 'texture' or 'color' defined at create button");
    return false;
}

bool GuiButton::LoadTextureSets(const char* texture) {
    // The state word goes before the set's own suffix ("_S04"), and a
    // toggle's "Off"/"On" is taken off the stem to be put back per group.
    std::string stem = texture;
    std::string tail;
    if (const size_t underscore = stem.rfind('_'); underscore != std::string::npos) {
        tail = stem.substr(underscore);
        stem.resize(underscore);
    }
    if (EndsWith(stem, kOffWord)) stem.resize(stem.size() - kOffWord.size());
    else if (EndsWith(stem, kOnWord)) stem.resize(stem.size() - kOnWord.size());
    const bool toggle = HasProperty(kPropRadio);
    const int32_t count = toggle ? kSetCount : kOnSets;
    for (int32_t i = 0; i < count; ++i) {
        std::string name = stem;
        if (toggle) name += i < kOnSets ? kOffWord : kOnWord;
        name += kStateWords[i % kOnSets];
        name += tail;
        if (!sets_[static_cast<size_t>(i)].Load(name.c_str(), i == 0) && i == 0) {
            GuiMain::Global().SetError("GuiButton::Init - Unable to load texture %s", name.c_str());
            return false;
        }
    }
    float width, height;
    GetSize(width, height);
    const Vec2 natural = sets_[0].GetFrameSize();
    if ((width < 1 || height < 1) && natural.x > 0 && natural.y > 0) SetSize(natural.x, natural.y);
    return true;
}

bool GuiButton::InitColor() {
    sets_[0].SetColor(static_cast<uint32_t>(ReadInt(kPropColor)));
    float width, height;
    GetSize(width, height);
    if (width < 1 || height < 1) {
        GuiMain::Global().SetError("GuiButton::Init - invalid 'xsize' or 'ysize' found");
        return false;
    }
    return true;
}

int32_t GuiButton::GetDisplayState() const {
    int32_t s = ReadBool(kPropDeactivated) ? kStateDeactivated : state_;
    if (HasProperty(kPropRadio) && ReadInt(kPropRadio) != 0) s += kOnSets;
    if (sets_[static_cast<size_t>(s)].IsEmpty()) s = s >= kOnSets && !sets_[kOnSets].IsEmpty() ? kOnSets : 0;
    return s;
}

void GuiButton::Update(double timeMs, double dtMs) {
    AutoRef<GuiWidget> self(this);
    const int32_t s = GetDisplayState();
    GuiWidget::Update(timeMs, dtMs);
    GuiTextureSet& set = sets_[static_cast<size_t>(s)];
    if (s != shownSet_) {
        shownSet_ = s;
        set.ReadAnimParams(*this);
    }
    if (set.GetMode() == GuiTextureSet::kModeAnimation) set.Advance(dtMs);
}

bool GuiButton::OnInput(const InputEvent& event) {
    if (ReadBool(kPropDeactivated)) return GuiWidget::OnInput(event);
    const bool left = event.button == InputEvent::kLeft;
    if (event.kind == InputEvent::kButtonDown && left) {
        state_ = kStatePressed;
        // The click comes with the release, which may be long after (a
        // press held through a fade): its listeners learn of the press.
        TellOwnListeners(kEventMouseDown, this, GuiEventData::Input(event));
        return true;
    }
    if (event.kind == InputEvent::kButtonUp && left) {
        state_ = IsHovered() ? kStateHover : kStateNormal;
        Click();
        return true;
    }
    return GuiWidget::OnInput(event);
}

void GuiButton::Click() {
    AutoRef<GuiWidget> self(this);
    GuiMain& gui = GuiMain::Global();
    if (HasProperty(kPropRadio)) {
        WriteInt(kPropRadio, ReadInt(kPropRadio) == 0 ? 1 : 0);
        Notify(kEventRadio, this, GuiEventData::None());
        gui.PlaySound(kSoundRadio, this);
    } else {
        Notify(kEventButton, this, GuiEventData::None());
        gui.PlaySound(kSoundButton, this);
    }
}

void GuiButton::SetHover(bool on, float x, float y) {
    if (on && state_ == kStateNormal) state_ = kStateHover;
    if (!on && state_ == kStateHover) state_ = kStateNormal;
    GuiWidget::SetHover(on, x, y);
}

void GuiButton::OnCaptureCancelled() { state_ = kStateNormal; }

void GuiButton::DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) {
    int32_t s = GetDisplayState();
    float width, height;
    GetSize(width, height);
    const Vec2 natural = sets_[static_cast<size_t>(s)].GetFrameSize();
    if (s > 0 && (natural.x < 1 || natural.y < 1)) s = 0;
    sets_[static_cast<size_t>(s)].Draw(x, y, width, height, scale, alpha, matrix);
}

}  // namespace halvo
