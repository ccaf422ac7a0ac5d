#pragma once
// An image that GUI widgets draw, shared through the GUI manager's texture
// cache by the name it was requested under. Because it is shared, a draw
// that needs a rotation applies it for that draw only and puts the cached
// placement back (top-left anchor, no rotation) before it returns.

#include "platform/GLImage.h"
#include "platform/Math.h"

namespace halvo {

class GuiTexture : public GLImage {
public:
    GuiTexture() = default;
    ~GuiTexture() override = default;

    using GLImage::Draw;

    // Draws `texture` stretched into (x, y, w, h); a w or h not above 0
    // takes the image's own width or height. Blended, white, with the alpha
    // fraction as its alpha byte (clamped). With `rotationDegrees` the image
    // turns about its centre, which sits at (x, y). An empty image draws
    // nothing.
    static void Draw(GuiTexture& texture, float x, float y, float w, float h, float alpha,
                     const Matrix4& matrix, const float* rotationDegrees = nullptr);
};

// The image's rotation about the screen normal, in degrees (wrapped into
// [0, 360); a value that is not finite counts as 0); raises matrixDirty.
void SetRotationDegrees(GLImage& image, float degrees);

}  // namespace halvo
