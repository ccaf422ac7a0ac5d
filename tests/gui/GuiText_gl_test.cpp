// Text on screen: where the ink lands for each alignment, the outline pass,
// the caret, glyphs that keep their pixels while the atlas grows, and quads
// snapped to the window's pixels.

#include "gui/TextTestSupport.h"
#include "platform/GLState.h"
#include "platform/WindowProc.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using halvo::AutoRef;
using halvo::GuiText;
using halvo::GuiWidget;
using testsupport::MakeText;

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;

struct Pixel {
    int r, g, b;
};
// The box of the pixels that pass a test; empty when none does.
struct Ink {
    int left = W, top = H, right = -1, bottom = -1, count = 0;
    int Width() const { return right - left + 1; }
};

class GuiTextPixels : public testsupport::GuiFixture {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        testsupport::InstallTestFont();
        GLState::Reset();
        GLState::ResetClipPlanes();
        glViewport(0, 0, W, H);
        GLState::SetProjection(GlTestContext::PixelProjection(W, H));
        GLState::SetAlpha(0);
        // A full-size window: one design unit is one window pixel.
        ShellState::Global().clientWidth = 1920;
        ShellState::Global().clientHeight = 1080;
        screen = halvo::GuiCreateWidget("Frame", Vrel::t_Named(), nullptr);
    }
    void TearDown() override {
        GuiFixture::TearDown();
        ShellState::Global() = {};
    }
    void Draw() {
        glClear(GL_COLOR_BUFFER_BIT);
        screen->Render(0, 0, 1, 1, Matrix4::Identity());
        glFinish();
        pixels.resize(W * H * 4);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    Pixel At(int x, int y) const {
        const uint8_t* p = &pixels[((H - 1 - y) * W + x) * 4];
        return {p[0], p[1], p[2]};
    }
    Ink Find(const std::function<bool(Pixel)>& wanted) const {
        Ink ink;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (wanted(At(x, y)))
                    ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x),
                           std::max(ink.bottom, y), ink.count + 1};
        return ink;
    }
    static bool Lit(Pixel p) { return p.r > 64 || p.g > 64 || p.b > 64; }
    // A screen frame as the game makes it for a window `scale` times the
    // design size.
    AutoRef<GuiWidget> WindowFrame(float scale) {
        ShellState::Global().clientWidth = static_cast<int>(1920 * scale);
        ShellState::Global().clientHeight = static_cast<int>(1080 * scale);
        return halvo::GuiCreateWidget("Frame", *testsupport::Params({{"start_scale", Vrel::Var(scale)}}),
                                      screen.Get());
    }
    AutoRef<GuiText> Text(std::initializer_list<std::pair<const char*, Vrel::Var>> members) {
        return MakeText(screen.Get(), members);
    }

    GlTestContext context;
    AutoRef<GuiWidget> screen;
    std::vector<uint8_t> pixels;
};

TEST_F(GuiTextPixels, AlignmentMovesTheInkByTheRoomLeftInTheBox) {
    AutoRef<GuiText> text = Text({{"text", Vrel::Var("H")}, {"size", Vrel::Var(20)}, {"xpos", Vrel::Var(10.0f)},
                                  {"ypos", Vrel::Var(10.0f)}, {"xsize", Vrel::Var(100.0f)},
                                  {"ysize", Vrel::Var(60.0f)}, {"color", Vrel::Var(static_cast<int>(0xFF0000FFu))}});
    Draw();
    const Ink topLeft = Find(Lit);
    ASSERT_GT(topLeft.count, 20);
    EXPECT_TRUE(topLeft.left >= 10 && topLeft.left <= 13 && topLeft.top >= 10);
    EXPECT_EQ(Find([](Pixel p) { return p.g > 64 || p.b > 64; }).count, 0);  // red only
    const float lineWidth = text->GetLineWidth(0);
    const float lineHeight = text->GetMainFont()->GetLineHeight();
    text->WriteInt("x_align", GuiText::kAlignRight);
    text->WriteInt("y_align", GuiText::kAlignBottom);
    Draw();
    const Ink bottomRight = Find(Lit);
    EXPECT_EQ(bottomRight.left - topLeft.left, static_cast<int>(10 + 100 - lineWidth) - 10);
    EXPECT_EQ(bottomRight.top - topLeft.top, static_cast<int>(10 + 60 - lineHeight) - 10);
    text->WriteInt("x_align", GuiText::kAlignCentre);
    text->WriteInt("y_align", GuiText::kAlignMiddle);
    Draw();
    EXPECT_EQ(Find(Lit).left - topLeft.left, static_cast<int>(10 + (100 - lineWidth) * 0.5f) - 10);
}

TEST_F(GuiTextPixels, JustifiedWrappedLinesStretchAtTheirSpacesUpToTheEdge) {
    AutoRef<GuiText> text = Text({{"text", Vrel::Var("mm mm mm mm")}, {"multiline", Vrel::Var(true)},
                                  {"linebreak", Vrel::Var(true)}, {"xsize", Vrel::Var(100.0f)},
                                  {"xpos", Vrel::Var(4.0f)}});
    ASSERT_EQ(text->GetLineCount(), 2u);
    ASSERT_TRUE(text->IsLineWrapped(0));
    text->WriteFloat("ysize", text->GetMainFont()->GetLineHeight());  // show the first line only
    Draw();
    const Ink left = Find(Lit);
    text->WriteInt("x_align", GuiText::kAlignJustify);
    Draw();
    const Ink justified = Find(Lit);
    EXPECT_GT(justified.right, left.right + (100 - text->GetLineWidth(0)) / 2);
    EXPECT_LE(justified.right, 4 + 100);
}

TEST_F(GuiTextPixels, OutlinePassLiesUnderTheTextAndAroundItAtEveryScale) {
    for (const float scale : {1.0f, 0.5f}) {
        SCOPED_TRACE(scale);
        AutoRef<GuiWidget> frame = WindowFrame(scale);
        AutoRef<GuiText> text =
            MakeText(frame.Get(), {{"text", Vrel::Var("I")}, {"size", Vrel::Var(40)}, {"xpos", Vrel::Var(20.0f)},
                                   {"ypos", Vrel::Var(10.0f)}, {"color", Vrel::Var(static_cast<int>(0xFF0000FFu))},
                                   {"outline", Vrel::Var(128)},
                                   {"outline_color", Vrel::Var(static_cast<int>(0xFF00FF00u))}});
        Draw();
        const Ink red = Find([](Pixel p) { return p.r > 200 && p.g < 64; });
        const Ink green = Find([](Pixel p) { return p.g > 200 && p.r < 64; });
        ASSERT_GT(red.count, 20);
        EXPECT_LE(green.left, red.left - 1);
        EXPECT_GE(green.right, red.right + 1);
        EXPECT_LE(green.top, red.top - 1);
        EXPECT_GE(green.bottom, red.bottom + 1);
        EXPECT_NEAR(green.top - red.top, red.bottom - green.bottom, 2 / scale);
        frame->RemoveAndDetach();
    }
}

TEST_F(GuiTextPixels, AtHalfScaleAnchoredTextCentresOnItsPosition) {
    AutoRef<GuiWidget> frame = WindowFrame(0.5f);
    const auto centre = [&](float xsize, int32_t xAlign) {
        AutoRef<GuiText> text = MakeText(frame.Get(), {{"text", Vrel::Var("HH")}, {"size", Vrel::Var(20)},
                                                       {"xpos", Vrel::Var(64.0f)}, {"ypos", Vrel::Var(10.0f)},
                                                       {"xanchor", Vrel::Var(0.5f)}, {"xsize", Vrel::Var(xsize)},
                                                       {"x_align", Vrel::Var(xAlign)}});
        Draw();
        const Ink ink = Find(Lit);
        text->RemoveAndDetach();
        return (ink.left + ink.right + 1) / 2.0f;
    };
    EXPECT_NEAR(centre(-1.0f, GuiText::kAlignLeft), 64, 2) << "sized by its text";
    EXPECT_NEAR(centre(80.0f, GuiText::kAlignCentre), 64, 2) << "a fixed box, centred text";
}

TEST_F(GuiTextPixels, CaretShowsAfterTheTextOnlyWhileFocused) {
    AutoRef<GuiText> text = Text({{"input", Vrel::Var(true)}, {"text", Vrel::Var("ab")}, {"size", Vrel::Var(20)},
                                  {"xsize", Vrel::Var(100.0f)}, {"xpos", Vrel::Var(10.0f)},
                                  {"ypos", Vrel::Var(10.0f)}});
    const auto magenta = [](Pixel p) { return p.r > 200 && p.b > 200 && p.g < 64; };
    Draw();
    EXPECT_EQ(Find(magenta).count, 0);
    const Ink letters = Find(Lit);
    text->TakeFocus();
    text->RouteInput(testsupport::Key(35, 0));
    Draw();
    const Ink caret = Find(magenta);
    EXPECT_EQ(caret.Width(), 4);
    EXPECT_EQ(caret.bottom - caret.top + 1, text->GetMainFont()->GetAscender() / 64);
    EXPECT_GE(caret.left, letters.right - 1);
    // Select-all: a box in the caret's colour behind the letters, no caret.
    text->RouteInput(testsupport::Key(0, 1));
    Draw();
    const Ink box = Find(magenta);
    EXPECT_LE(box.left, letters.left);
    EXPECT_GE(box.right, letters.right - 2);
}

TEST_F(GuiTextPixels, GlyphsKeepTheirPixelsWhileTheAtlasGrows) {
    AutoRef<GuiText> text = Text({{"text", Vrel::Var("Ag")}, {"size", Vrel::Var(20)}, {"xpos", Vrel::Var(5.0f)},
                                  {"ypos", Vrel::Var(5.0f)}});
    Draw();
    const std::vector<uint8_t> before = pixels;
    halvo::Font* font = text->GetMainFont();
    const int32_t width = font->Atlas().GetWidth() * font->Atlas().GetHeight();
    for (char16_t c = u'!'; c < u'!' + 60; ++c) ASSERT_TRUE(font->AcquireGlyph(c));
    ASSERT_GT(font->Atlas().GetWidth() * font->Atlas().GetHeight(), width);
    Draw();
    EXPECT_EQ(pixels, before);
}

TEST_F(GuiTextPixels, QuadsSnapToWindowPixelsAndAMinimisedWindowDrawsUnsnapped) {
    Text({{"text", Vrel::Var("H")}, {"size", Vrel::Var(20)}, {"xpos", Vrel::Var(11.0f)}, {"ypos", Vrel::Var(11.0f)}});
    Draw();
    const Ink full = Find(Lit);
    // Half the design size: each texel covers two design units, and quads
    // start on even units.
    ShellState::Global() = {false, false, 960, 540};
    Draw();
    const Ink half = Find(Lit);
    EXPECT_NEAR(half.Width(), 2 * full.Width(), 2);
    EXPECT_NEAR(half.left, 10 + 2 * (full.left - 11), 2);
    ShellState::Global() = {};
    Draw();
    const Ink unsnapped = Find(Lit);
    EXPECT_EQ(unsnapped.left, full.left);
    EXPECT_EQ(unsnapped.count, full.count);
}

}  // namespace
