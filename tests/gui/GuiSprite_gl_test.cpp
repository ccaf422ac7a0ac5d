#include "gui/GuiPixelFixture.h"
#include "gui/GuiSprite.h"
#include "gui/GuiTextureFiles.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using namespace testsupport;  // pixels, colours, texture files

class GuiSpritePixels : public GuiPixelFixture {
protected:
    void SetUp() override {
        GuiPixelFixture::SetUp();
        screen = testsupport::MakeFrame(nullptr, "screen", 0, 0, -1, -1, false);
    }
    AutoRef<GuiWidget> Sprite(std::initializer_list<std::pair<const char*, Vrel::Var>> params) {
        return halvo::GuiCreateWidget("Sprite", *Params(params), screen.Get());
    }
    void Render() { screen->Render(0, 0, 1, 1, Matrix4::Identity()); }
    AutoRef<GuiWidget> screen;
};

TEST_F(GuiSpritePixels, NinePieceCornersKeepTheirSizeAndThreePieceKeepsItsHeight) {
    for (int i = 0; i < 9; ++i) {
        const bool corner = i % 2 == 0 && i != 4;
        WriteGuiImage("nine_F0" + std::to_string(i), 8, 8, corner ? 255 : 0, corner || i == 4 ? 0 : 255,
                      i == 4 ? 255 : 0);
    }
    for (int i = 0; i < 3; ++i)
        WriteGuiImage("three_F0" + std::to_string(i), 8, 16, i == 0 ? 255 : 0, i == 1 ? 255 : 0, i == 2 ? 255 : 0);
    ASSERT_TRUE(Sprite({{"texture", Vrel::Var("nine_F00")}, {"xpos", Vrel::Var(10.0f)}, {"ypos", Vrel::Var(10.0f)},
                        {"xsize", Vrel::Var(60.0f)}, {"ysize", Vrel::Var(40.0f)}}));
    ASSERT_TRUE(Sprite({{"texture", Vrel::Var("three_F00")}, {"xpos", Vrel::Var(10.0f)}, {"ypos", Vrel::Var(70.0f)},
                        {"xsize", Vrel::Var(60.0f)}, {"ysize", Vrel::Var(40.0f)}}));
    Render();
    EXPECT_EQ(At(11, 11), kRed);
    EXPECT_EQ(At(16, 16), kRed);   // the corner is 8 x 8 however large the frame
    EXPECT_EQ(At(19, 12), kGreen);
    EXPECT_EQ(At(60, 12), kGreen);
    EXPECT_EQ(At(63, 12), kRed);
    EXPECT_EQ(At(12, 30), kGreen);
    EXPECT_EQ(At(40, 30), kBlue);
    EXPECT_EQ(At(68, 48), kRed);
    EXPECT_EQ(At(71, 30), kBlack);
    EXPECT_EQ(At(40, 51), kBlack);
    EXPECT_EQ(At(12, 75), kRed);
    EXPECT_EQ(At(40, 75), kGreen);
    EXPECT_EQ(At(66, 84), kBlue);
    EXPECT_EQ(At(40, 90), kBlack);  // 16 high, not 40
}

TEST_F(GuiSpritePixels, AnimatedSpriteShowsItsCurrentFrame) {
    const Rgb colours[4] = {kRed, kGreen, kBlue, {255, 255, 255}};
    for (int i = 0; i < 4; ++i)
        WriteGuiImage("anim_S0" + std::to_string(i), 16, 16, colours[i].r, colours[i].g, colours[i].b);
    AutoRef<GuiWidget> sprite =
        Sprite({{"texture", Vrel::Var("anim_S02")}, {"xpos", Vrel::Var(20.0f)}, {"ypos", Vrel::Var(20.0f)}});
    ASSERT_TRUE(sprite);
    Render();
    EXPECT_EQ(At(28, 28), kRed);
    screen->Update(17, 17);  // ten frames per ms: 170 frames on, frame 2 of 4
    Render();
    EXPECT_EQ(At(28, 28), kBlue);
    sprite->StartTextureAnim(0.1f, false, 0);
    screen->Update(34, 17);
    Render();
    EXPECT_EQ(At(28, 28), kGreen);
}

TEST_F(GuiSpritePixels, ColourAndAlphaBlendAndAlphaAboveOneStaysOpaque) {
    WriteGuiImage("white", 16, 16, 255, 255, 255);
    ASSERT_TRUE(Sprite({{"color", Vrel::Var(static_cast<int>(0x800000FFu))}, {"xpos", Vrel::Var(10.0f)},
                        {"ypos", Vrel::Var(10.0f)}, {"xsize", Vrel::Var(20.0f)}, {"ysize", Vrel::Var(20.0f)}}));
    ASSERT_TRUE(Sprite({{"color", Vrel::Var(static_cast<int>(0xFF00FF00u))}, {"alpha", Vrel::Var(1.5f)},
                        {"xpos", Vrel::Var(40.0f)}, {"ypos", Vrel::Var(10.0f)}, {"xsize", Vrel::Var(20.0f)},
                        {"ysize", Vrel::Var(20.0f)}, {"rotate", Vrel::Var(45.0f)}}));
    ASSERT_TRUE(Sprite({{"texture", Vrel::Var("white")}, {"alpha", Vrel::Var(1.5f)}, {"xpos", Vrel::Var(70.0f)},
                        {"ypos", Vrel::Var(10.0f)}}));
    ASSERT_TRUE(Sprite({{"texture", Vrel::Var("white")}, {"alpha", Vrel::Var(0.5f)}, {"xpos", Vrel::Var(90.0f)},
                        {"ypos", Vrel::Var(10.0f)}}));
    Render();
    EXPECT_NEAR(At(20, 20).r, 128, 2);
    EXPECT_EQ(At(20, 20).g, 0);
    EXPECT_EQ(At(50, 20), kGreen);  // a colour fill never turns
    EXPECT_EQ(At(78, 18), (Rgb{255, 255, 255}));
    EXPECT_NEAR(At(98, 18).r, 127, 2);
}

TEST_F(GuiSpritePixels, RotatedSpriteLeavesOtherUsersOfItsTextureUnturned) {
    WriteGuiImage("square", 16, 16, 255, 0, 0);
    AutoRef<GuiWidget> turned = Sprite({{"texture", Vrel::Var("square")}, {"rotate", Vrel::Var(45.0f)},
                                        {"xpos", Vrel::Var(30.0f)}, {"ypos", Vrel::Var(30.0f)}});
    ASSERT_TRUE(Sprite({{"texture", Vrel::Var("square")}, {"xpos", Vrel::Var(80.0f)}, {"ypos", Vrel::Var(80.0f)}}));
    Render();
    // The turned square is centred on its top-left corner: a diamond.
    EXPECT_EQ(At(30, 30), kRed);
    EXPECT_EQ(At(30, 39), kRed);
    EXPECT_EQ(At(36, 36), kBlack);
    EXPECT_EQ(At(81, 81), kRed);
    EXPECT_EQ(At(94, 94), kRed);
    EXPECT_EQ(At(79, 88), kBlack);
    const halvo::GuiTexture* shared = static_cast<halvo::GuiSprite*>(turned.Get())->GetTextureSet().GetFrame(0);
    EXPECT_EQ(shared->anchor, (Vec2{0, 0}));
    EXPECT_FALSE(shared->rotation.IsNotIdentity());
}

}  // namespace
