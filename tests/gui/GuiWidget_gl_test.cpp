#include "gui/GuiPixelFixture.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;

using testsupport::kBlack;
using testsupport::kGreen;
using testsupport::kRed;
using testsupport::Rgb;

// Fills its rectangle with its "color" word.
class QuadWidget : public GuiWidget {
public:
    void DrawContent(float x, float y, float scale, float alpha, const Matrix4& matrix) override {
        halvo::GuiMain::Global().DrawQuad(static_cast<uint32_t>(ReadInt("color")), matrix, x, y,
                                          x + GetXSize() * scale, y + GetYSize() * scale, alpha);
    }
};

class GuiPixels : public testsupport::GuiPixelFixture {
protected:
    // clip: 1 true, 0 false, -1 no "clip" property at all.
    static AutoRef<GuiWidget> Frame(GuiWidget* parent, float x, float y, float w, float h, int clip) {
        auto params = testsupport::Params({{"xpos", Vrel::Var(x)}, {"ypos", Vrel::Var(y)}, {"xsize", Vrel::Var(w)},
                                           {"ysize", Vrel::Var(h)}});
        if (clip >= 0) params->GetOrAddMember("clip")->SetBool(clip == 1);
        return halvo::GuiCreateWidget("Frame", *params, parent);
    }
    static AutoRef<GuiWidget> Quad(GuiWidget* parent, float x, float y, float w, float h, uint32_t color) {
        AutoRef<GuiWidget> quad(new QuadWidget);
        auto params = testsupport::Params({{"xpos", Vrel::Var(x)}, {"ypos", Vrel::Var(y)}, {"xsize", Vrel::Var(w)},
                                           {"ysize", Vrel::Var(h)}, {"color", Vrel::Var(static_cast<int32_t>(color))}});
        quad->Init(*params);
        quad->SetParent(parent, false);
        return quad;
    }
};

TEST_F(GuiPixels, DrawQuadFillsItsCornersInItsColour) {
    halvo::GuiMain::Global().DrawQuad(0xFF0000FFu, Matrix4::Identity(), 10, 20, 30, 40, 1.0f);
    EXPECT_EQ(At(10, 20), kRed);
    EXPECT_EQ(At(29, 39), kRed);
    EXPECT_EQ(At(9, 25), kBlack);
    EXPECT_EQ(At(30, 25), kBlack);
    EXPECT_EQ(At(15, 40), kBlack);
    // Half alpha over black: 128 of 255.
    halvo::GuiMain::Global().DrawQuad(0xFF00FF00u, Matrix4::Identity(), 50, 50, 60, 60, 0.5f);
    const Rgb half = At(55, 55);
    EXPECT_NEAR(half.g, 128, 2);
    EXPECT_EQ(half.r, 0);
}

TEST_F(GuiPixels, NestedClipsIntersectAndTheOuterClipReturnsAfterTheInner) {
    AutoRef<GuiWidget> screen = Frame(nullptr, 0, 0, -1, -1, -1);
    AutoRef<GuiWidget> outer = Frame(screen.Get(), 10, 10, 60, 60, 1);
    AutoRef<GuiWidget> inner = Frame(outer.Get(), 30, 30, 60, 60, 1);  // 40..100 on screen
    Quad(inner.Get(), -40, -40, 128, 128, 0xFF0000FFu);
    Quad(outer.Get(), -10, -10, 128, 128, 0xFF00FF00u);  // after the inner clip ended
    screen->Render(0, 0, 1, 1, Matrix4::Identity());
    EXPECT_EQ(At(50, 50), kGreen);   // both drew here; green came last
    EXPECT_EQ(At(20, 20), kGreen);   // outer only
    EXPECT_EQ(At(80, 80), kBlack);   // inside the inner clip, outside the outer
    EXPECT_EQ(At(100, 20), kBlack);  // the outer clip held for the later sibling
    EXPECT_EQ(At(5, 5), kBlack);
    for (const float* plane : GLState::Mirror().clipPlanes) EXPECT_EQ(plane[0] * plane[0] + plane[3] * plane[3], 0.0f);

    glClear(GL_COLOR_BUFFER_BIT);
    AutoRef<GuiWidget> lone = Frame(nullptr, 0, 0, -1, -1, -1);
    AutoRef<GuiWidget> clipped = Frame(lone.Get(), 40, 40, 60, 60, 1);
    Quad(clipped.Get(), -40, -40, 128, 128, 0xFF0000FFu);
    lone->Render(0, 0, 1, 1, Matrix4::Identity());
    EXPECT_EQ(At(80, 80), kRed);
    EXPECT_EQ(At(20, 20), kBlack);
}

TEST_F(GuiPixels, ChildrenWhollyOutsideAClipPropertyParentAreCulled) {
    AutoRef<GuiWidget> screen = Frame(nullptr, 0, 0, -1, -1, -1);
    AutoRef<GuiWidget> box = Frame(screen.Get(), 0, 0, 50, 50, 0);
    Quad(box.Get(), 60, 0, 20, 20, 0xFF0000FFu);   // wholly outside: not drawn
    Quad(box.Get(), 40, 60, 20, 20, 0xFF0000FFu);  // wholly below: not drawn
    Quad(box.Get(), 45, 10, 20, 20, 0xFF00FF00u);  // partly inside: drawn whole (no clip)
    screen->Render(0, 0, 1, 1, Matrix4::Identity());
    EXPECT_EQ(At(70, 10), kBlack);
    EXPECT_EQ(At(45, 70), kBlack);
    EXPECT_EQ(At(60, 20), kGreen);
    box->Properties().RemoveMember("clip");
    screen->Render(0, 0, 1, 1, Matrix4::Identity());
    EXPECT_EQ(At(70, 10), kRed);
}

}  // namespace
