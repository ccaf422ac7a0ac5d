#include "gui/GuiSprite.h"

#include "gui/GuiMain.h"

#include <cstring>

namespace halvo {

namespace {

// A "hover" name this short is taken as no hover image at all.
constexpr size_t kMinHoverNameLength = 2;

}  // namespace

const ClassRecord GuiSprite::kClassRecord = {"GuiSprite", &GuiWidget::kClassRecord, &GuiSprite::Create};

RefObj* GuiSprite::Create() { return new GuiSprite; }

bool GuiSprite::Init(const Vrel::t_Named& parameters) {
    if (!GuiWidget::Init(parameters)) return false;
    if (const Vrel::Var* texture = GetMember(kPropTexture)) {
        if (!InitTexture(texture->GetCString())) return false;
    } else if (!InitColor()) {
        return false;
    }
    InitHover();
    float width, height;
    GetSize(width, height);
    if (width < 1 || height < 1) {
        const Vec2 natural = textureSet_.GetFrameSize();
        SetSize(width < 1 ? natural.x : width, height < 1 ? natural.y : height);
    }
    return true;
}

bool GuiSprite::InitTexture(const char* name) {
    GuiMain& gui = GuiMain::Global();
    if (!name || !*name) {
        gui.SetError("GuiSprite::Init - texture string is empty");
        return false;
    }
    if (!textureSet_.Load(name, true)) {
        gui.SetError("GuiSprite::Init - Unable to load texture '%s'", name);
        return false;
    }
    return true;
}

bool GuiSprite::InitColor() {
    GuiMain& gui = GuiMain::Global();
    if (!HasProperty(kPropColor)) {
        gui.SetError("GuiSprite::Init - no 'texture' or 'color' defined at create sprite");
        return false;
    }
    textureSet_.SetColor(static_cast<uint32_t>(ReadInt(kPropColor)));
    float width, height;
    GetSize(width, height);
    if (width < 1 || height < 1) {
        gui.SetError("GuiSprite::Init - invalid 'xsize' or 'ysize' found");
        return false;
    }
    return true;
}

void GuiSprite::InitHover() {
    const Vrel::Var* hover = GetMember(kPropHover);
    const char* name = hover ? hover->GetCString() : nullptr;
    if (!name || std::strlen(name) < kMinHoverNameLength) return;
    hoverSet_ = std::make_unique<GuiTextureSet>();
    if (!hoverSet_->Load(name, false)) {
        GuiMain::Global().SetError("GuiSprite::Init - Unable to load hover texture '%s'", name);
        hoverSet_.reset();
    }
    WriteBool(kPropPick, true);
}

void GuiSprite::Update(double timeMs, double dtMs) {
    AutoRef<GuiWidget> self(this);
    GuiWidget::Update(timeMs, dtMs);
    if (textureSet_.GetMode() == GuiTextureSet::kModeAnimation) textureSet_.Advance(dtMs);
}

bool GuiSprite::StartTextureAnim(float speed, bool bounce, int32_t loops) {
    textureSet_.StartAnimation(speed, bounce, loops);
    if (hoverSet_) hoverSet_->StartAnimation(speed, bounce, loops);
    return true;
}

void GuiSprite::DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) {
    float width, height;
    GetSize(width, height);
    const GuiTextureSet& set = hoverSet_ && IsHovered() ? *hoverSet_ : textureSet_;
    float degrees = 0;
    const bool rotated = HasProperty(kPropRotate);
    if (rotated) degrees = ReadFloat(kPropRotate);
    set.Draw(x, y, width, height, scale, alpha, matrix, rotated ? &degrees : nullptr);
}

void GuiSprite::SetRotationDegrees(GuiTexture& texture, float degrees) { halvo::SetRotationDegrees(texture, degrees); }

}  // namespace halvo
