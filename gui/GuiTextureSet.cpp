#include "gui/GuiTextureSet.h"

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

namespace halvo {

namespace {

// Longest set name looked at; longer names are cut, as no data names a
// texture anywhere near this long.
constexpr size_t kMaxNameLength = 511;
// Frame-list pieces: a three-piece frame needs three frames, a nine-piece
// frame nine.
constexpr size_t kThreePieces = 3;
constexpr size_t kNinePieces = 9;
// After the period is taken off, a position outside the frames reaches
// them within this many reflections.
constexpr int kMaxReflections = 4;

bool IsFrameLetter(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == 'F' || upper == 'S' || upper == 'V';
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The offset of the letter of a "_F00"-style suffix, or npos.
size_t FindFrameSuffix(const std::string& stem) {
    const size_t underscore = stem.rfind('_');
    if (underscore == std::string::npos || underscore + 3 >= stem.size()) return std::string::npos;
    const size_t letter = underscore + 1;
    if (!IsFrameLetter(stem[letter]) || !IsDigit(stem[letter + 1]) || !IsDigit(stem[letter + 2]))
        return std::string::npos;
    return letter;
}

GuiTextureSet::Mode ModeForFrames(char letter, size_t count) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'S': return GuiTextureSet::kModeAnimation;
        case 'V': return count < kThreePieces ? GuiTextureSet::kModeSingle : GuiTextureSet::kModeThreeDown;
        default:
            if (count < kThreePieces) return GuiTextureSet::kModeSingle;
            return count < kNinePieces ? GuiTextureSet::kModeThreeAcross : GuiTextureSet::kModeNine;
    }
}

}  // namespace

void GuiTextureSet::Reset() {
    frames_.clear();
    frameSpeed_ = kDefaultFrameSpeed;
    position_ = 0;
    mode_ = kModeEmpty;
    bounce_ = false;
    loopsLeft_ = 0;
}

bool GuiTextureSet::Load(const char* name, bool flag) {
    Reset();
    if (!name) return false;
    const std::string whole = std::string(name).substr(0, kMaxNameLength);
    std::string stem = whole;
    std::string extension;
    if (const size_t dot = stem.rfind('.'); dot != std::string::npos) {
        extension = stem.substr(dot + 1);
        stem.resize(dot);
    }
    if (const size_t letter = FindFrameSuffix(stem); letter != std::string::npos) {
        LoadFrames(stem.substr(0, letter + 1).c_str(), extension.c_str(), flag);
        if (!frames_.empty()) {
            mode_ = ModeForFrames(stem[letter], frames_.size());
            return true;
        }
    }
    AutoRef<GuiTexture> single = GuiMain::Global().LoadTexture(whole.c_str(), flag);
    if (!single) return false;
    frames_.push_back(std::move(single));
    mode_ = kModeSingle;
    return true;
}

void GuiTextureSet::LoadFrames(const char* base, const char* extension, bool flag) {
    // The dot that Load took off goes back between the number and the
    // extension, so "glow_S00.cbi" finds glow_S01.cbi as its next frame.
    const std::string suffix = extension && *extension ? std::string(".") + extension : std::string();
    for (int index = 0;; ++index) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", index);
        AutoRef<GuiTexture> frame =
            GuiMain::Global().LoadTexture((std::string(base) + number + suffix).c_str(), flag && index == 0);
        if (!frame) return;
        frames_.push_back(std::move(frame));
    }
}

void GuiTextureSet::SetColor(uint32_t colour) {
    frames_.clear();
    colour_ = colour;
    mode_ = kModeColor;
}

void GuiTextureSet::ReadAnimParams(const GuiWidget& widget) {
    frameSpeed_ = widget.ReadFloat(kPropAniFps, kDefaultFrameSpeed);
    bounce_ = widget.ReadBool(kPropAniBounce, false);
    position_ = 0;
    loopsLeft_ = widget.ReadInt(kPropAniLoops, 0);
}

void GuiTextureSet::StartAnimation(float speed, bool bounce, int32_t loops) {
    loopsLeft_ = loops;
    frameSpeed_ = speed;
    bounce_ = bounce;
    position_ = 0;
}

bool GuiTextureSet::Advance(double dtMs) {
    if (frameSpeed_ == 0 || !std::isfinite(frameSpeed_) || frames_.empty()) return false;
    const auto count = static_cast<float>(frames_.size());
    position_ += static_cast<float>(dtMs) * frameSpeed_;
    if (position_ >= 0 && position_ < count) return true;
    if (!std::isfinite(position_)) position_ = 0;
    if (loopsLeft_ > 0 && --loopsLeft_ == 0) {
        frameSpeed_ = 0;
        position_ = position_ >= 0 ? count - 1 : 0;
        return false;
    }
    if (bounce_) {
        Reflect(count);
    } else {
        position_ = std::fmod(position_, count);
        if (position_ < 0) position_ += count;
    }
    // Rounding at the ends must not leave the frames.
    if (!(position_ >= 0)) position_ = 0;
    if (position_ >= count) position_ = count - 1;
    return true;
}

void GuiTextureSet::Reflect(float count) {
    // Reflections at the last frame and at 0 repeat every 2(2n - 1) frames:
    // a large step is first taken back into one such period, which holds an
    // even number of reflections and so keeps the direction.
    position_ = std::fmod(position_, 2 * (2 * count - 1));
    for (int i = 0; i < kMaxReflections && !(position_ >= 0 && position_ < count); ++i) {
        position_ = position_ >= count ? 2 * count - position_ - 1 : -position_;
        frameSpeed_ = -frameSpeed_;
    }
}

size_t GuiTextureSet::GetShownFrame() const {
    if (frames_.empty()) return 0;
    const int32_t index = TruncateToInt(position_);
    return static_cast<size_t>(std::clamp<int32_t>(index, 0, static_cast<int32_t>(frames_.size()) - 1));
}

Vec2 GuiTextureSet::FrameSize(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= frames_.size()) return {0, 0};
    const Point2i size = frames_[static_cast<size_t>(index)]->size;
    return {static_cast<float>(size.x), static_cast<float>(size.y)};
}

Vec2 GuiTextureSet::GetFrameSize() const {
    switch (mode_) {
        case kModeSingle:
        case kModeAnimation: return FrameSize(0);
        case kModeThreeAcross:
            return {FrameSize(0).x + FrameSize(1).x + FrameSize(2).x,
                    std::max({FrameSize(0).y, FrameSize(1).y, FrameSize(2).y})};
        case kModeThreeDown:
            return {std::max({FrameSize(0).x, FrameSize(1).x, FrameSize(2).x}),
                    FrameSize(0).y + FrameSize(1).y + FrameSize(2).y};
        default:
            return {FrameSize(0).x + FrameSize(1).x + FrameSize(2).x,
                    FrameSize(0).y + FrameSize(3).y + FrameSize(6).y};
    }
}

GuiPartRect GuiTextureSet::GetPartRect(int32_t i, float width, float height) const {
    const Vec2 own = FrameSize(i);
    GuiPartRect part{0, 0, own.x, own.y};
    if (mode_ == kModeThreeDown) {
        if (i == 1) {
            part.y = FrameSize(0).y;
            part.h = height - FrameSize(2).y - FrameSize(0).y;
        } else if (i == 2) {
            part.y = height - FrameSize(2).y;
        }
        return part;
    }
    switch (i % 3) {
        case 1:
            part.x = FrameSize(i - 1).x;
            part.w = width - FrameSize(i + 1).x - FrameSize(i - 1).x;
            break;
        case 2: part.x = width - own.x; break;
        default: break;
    }
    switch (i / 3) {
        case 1:
            part.y = FrameSize(i - 3).y;
            part.h = height - FrameSize(i + 3).y - FrameSize(i - 3).y;
            break;
        case 2: part.y = height - own.y; break;
        default: break;
    }
    return part;
}

int32_t GuiTextureSet::PieceCount() const {
    switch (mode_) {
        case kModeSingle:
        case kModeAnimation: return 1;
        case kModeThreeAcross:
        case kModeThreeDown: return 3;
        case kModeNine: return 9;
        default: return 0;
    }
}

void GuiTextureSet::Draw(float x, float y, float width, float height, float scale, float alpha,
                         const Matrix4& matrix, const float* rotationDegrees) const {
    if (mode_ == kModeColor) {
        const float left = x - 0.5f, top = y - 0.5f;
        GuiMain::Global().DrawQuad(colour_, matrix, left, top, left + width * scale, top + height * scale, alpha);
        return;
    }
    const int32_t pieces = std::min(PieceCount(), static_cast<int32_t>(frames_.size()));
    for (int32_t i = 0; i < pieces; ++i) {
        const GuiPartRect part = GetPartRect(i, width, height);
        const size_t frame = mode_ == kModeAnimation ? GetShownFrame() : static_cast<size_t>(i);
        GuiTexture::Draw(*frames_[frame], x + part.x * scale, y + part.y * scale, part.w * scale, part.h * scale,
                         alpha, matrix, i == 0 ? rotationDegrees : nullptr);
    }
}

}  // namespace halvo
