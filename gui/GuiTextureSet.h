#pragma once
// The textures of one GUI image, chosen by the suffix of its name: a single
// texture; "_Fnn" frames (three side by side, or a 3 x 3 grid whose corners
// keep their size while edges and centre stretch); "_Vnn" frames (three
// stacked); "_Snn" an animated sequence; or, set by colour, a solid
// rectangle. Sprites, buttons and sliders hold one set per visual state.

#include "gui/GuiTexture.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

#include <cstdint>
#include <vector>

namespace halvo {

class GuiWidget;

// A piece's place inside the set's rectangle.
struct GuiPartRect {
    float x = 0, y = 0, w = 0, h = 0;
};

class GuiTextureSet : public RefObj {
public:
    // What was loaded; scripts never see these numbers.
    enum Mode : int32_t {
        kModeEmpty = 0,        // nothing loaded
        kModeSingle = 1,       // one texture (or fewer than three frames)
        kModeThreeAcross = 2,  // left, stretched middle, right
        kModeNine = 3,         // a 3 x 3 grid, rows from the top
        kModeThreeDown = 4,    // top, stretched middle, bottom
        kModeAnimation = 5,    // one frame at a time
        kModeColor = 6,        // a solid rectangle
    };

    // Animation settings read by ReadAnimParams.
    static constexpr const char* kPropAniFps = "ani_fps";
    static constexpr const char* kPropAniBounce = "ani_bounce";
    static constexpr const char* kPropAniLoops = "ani_loops";
    // Frames per millisecond of update time.
    static constexpr float kDefaultFrameSpeed = 10.0f;

    GuiTextureSet() = default;
    ~GuiTextureSet() override = default;

    // Drops what was loaded and loads `name`; true when a texture came.
    // The flag goes to the texture cache with the first texture only.
    bool Load(const char* name, bool flag);
    // Frames base00ext, base01ext, ... up to the first one missing.
    void LoadFrames(const char* base, const char* extension, bool flag);
    // A solid rectangle in `colour` (0xAABBGGRR); drops any frames.
    void SetColor(uint32_t colour);
    // Speed "ani_fps" (10 when absent), "ani_bounce", "ani_loops"; from
    // the first frame.
    void ReadAnimParams(const GuiWidget& widget);
    void StartAnimation(float speed, bool bounce, int32_t loops);
    // One animation step; false once stopped (speed 0, no frames, or a speed
    // that is not finite). The position always stays on a frame.
    bool Advance(double dtMs);

    // The set's natural size from its frames' image sizes.
    Vec2 GetFrameSize() const;
    GuiPartRect GetPartRect(int32_t piece, float width, float height) const;
    // The pieces into (x, y, width x scale, height x scale). With
    // `rotationDegrees` the first piece (the shown frame of an animation)
    // turns about its centre for this draw only; a colour fill never turns.
    void Draw(float x, float y, float width, float height, float scale, float alpha, const Matrix4& matrix,
              const float* rotationDegrees = nullptr) const;

    Mode GetMode() const { return mode_; }
    bool IsEmpty() const { return mode_ == kModeEmpty; }
    size_t GetFrameCount() const { return frames_.size(); }
    GuiTexture* GetFrame(size_t index) const { return index < frames_.size() ? frames_[index].Get() : nullptr; }
    // The frame an animation shows now.
    size_t GetShownFrame() const;
    float GetPosition() const { return position_; }
    float GetFrameSpeed() const { return frameSpeed_; }
    int32_t GetLoopsLeft() const { return loopsLeft_; }

private:
    void Reset();
    Vec2 FrameSize(int32_t index) const;
    int32_t PieceCount() const;
    void Reflect(float count);

    std::vector<AutoRef<GuiTexture>> frames_;
    Mode mode_ = kModeEmpty;
    int32_t loopsLeft_ = 0;  // 0: endless
    float frameSpeed_ = kDefaultFrameSpeed;
    bool bounce_ = false;
    float position_ = 0;
    uint32_t colour_ = 0;
};

}  // namespace halvo
