#pragma once
// The image widget (type name "Sprite"): one texture set named by "texture",
// or a solid rectangle in "color" (0xAABBGGRR) when there is no texture;
// optionally a second set, "hover", shown while the pointer is over it
// (naming one makes the sprite pickable); "rotate" turns the image by that
// many degrees about the widget's top-left corner. Animated sets advance
// every update. Raises no events of its own.

#include "gui/GuiTextureSet.h"
#include "gui/GuiWidget.h"

#include <memory>

namespace halvo {

class GuiSprite : public GuiWidget {
public:
    static const ClassRecord kClassRecord;
    static RefObj* Create();

    // Read when present.
    static constexpr const char* kPropTexture = "texture";
    static constexpr const char* kPropColor = "color";
    static constexpr const char* kPropHover = "hover";
    static constexpr const char* kPropRotate = "rotate";

    GuiSprite() = default;
    ~GuiSprite() override = default;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // False, with the manager's error text set, without a texture or colour,
    // for a colour without a size, and for a texture that does not load.
    bool Init(const Vrel::t_Named& parameters) override;
    void Update(double timeMs, double dtMs) override;
    // Restarts the animation of both sets; answers true.
    bool StartTextureAnim(float speed, bool bounce, int32_t loops) override;
    void DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) override;

    static void SetRotationDegrees(GuiTexture& texture, float degrees);

    const GuiTextureSet& GetTextureSet() const { return textureSet_; }
    const GuiTextureSet* GetHoverSet() const { return hoverSet_.get(); }

private:
    bool InitTexture(const char* name);
    bool InitColor();
    void InitHover();

    GuiTextureSet textureSet_;
    std::unique_ptr<GuiTextureSet> hoverSet_;
};

}  // namespace halvo
