#include "gui/GuiTextureFiles.h"
#include "gui/GuiTextureSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using halvo::GuiTextureSet;
using testsupport::WriteGuiImage;

class GuiTextureSetTest : public testsupport::GuiFakeGlFixture {
protected:
    static void WriteFrames(const std::string& base, int count, uint32_t w = 8, uint32_t h = 8) {
        for (int i = 0; i < count; ++i) WriteGuiImage(base + (i < 10 ? "0" : "") + std::to_string(i), w, h);
    }
    GuiTextureSet set;
};

TEST_F(GuiTextureSetTest, TheNameSuffixChoosesFramesAndMode) {
    WriteFrames("nine_F", 9);
    WriteFrames("three_F", 3);
    WriteFrames("one_F", 1);
    WriteFrames("glow_S", 8);
    WriteFrames("tall_V", 3);
    WriteGuiImage("hole_S00", 8, 8);
    WriteGuiImage("hole_S01", 8, 8);
    WriteGuiImage("hole_S03", 8, 8);
    WriteGuiImage("solo", 8, 8);
    WriteGuiImage("odd_F0", 8, 8);
    testsupport::WriteGuiTexture("pics/ext_S00.cbi", 8, 8);
    testsupport::WriteGuiTexture("pics/ext_S01.cbi", 8, 8);
    struct Case {
        const char* name;
        GuiTextureSet::Mode mode;
        size_t frames;
    } cases[] = {
        {"nine_F00", GuiTextureSet::kModeNine, 9},       {"three_f07", GuiTextureSet::kModeThreeAcross, 3},
        {"one_F00", GuiTextureSet::kModeSingle, 1},      {"glow_S01", GuiTextureSet::kModeAnimation, 8},
        {"tall_V00", GuiTextureSet::kModeThreeDown, 3},  {"hole_S02", GuiTextureSet::kModeAnimation, 2},
        {"solo", GuiTextureSet::kModeSingle, 1},          {"odd_F0", GuiTextureSet::kModeSingle, 1},
        {"#pics/ext_S00.cbi", GuiTextureSet::kModeAnimation, 2},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(set.Load(c.name, true)) << c.name;
        EXPECT_EQ(set.GetMode(), c.mode) << c.name;
        EXPECT_EQ(set.GetFrameCount(), c.frames) << c.name;
        EXPECT_EQ(set.GetPosition(), 0.0f) << c.name;
    }
    EXPECT_FALSE(set.Load("missing_F00", true));
    EXPECT_EQ(set.GetMode(), GuiTextureSet::kModeEmpty);
    EXPECT_FALSE(set.Load(nullptr, true));
}

TEST_F(GuiTextureSetTest, CornersKeepTheirSizeWhileEdgesAndCentreStretch) {
    const uint32_t widths[3] = {4, 8, 6}, heights[3] = {5, 7, 3};
    for (int i = 0; i < 9; ++i) WriteGuiImage("grid_F0" + std::to_string(i), widths[i % 3], heights[i / 3]);
    ASSERT_TRUE(set.Load("grid_F00", false));
    EXPECT_EQ(set.GetFrameSize(), (Vec2{18, 15}));
    const halvo::GuiPartRect centre = set.GetPartRect(4, 100, 50);
    EXPECT_EQ(centre.x, 4);
    EXPECT_EQ(centre.y, 5);
    EXPECT_EQ(centre.w, 90);
    EXPECT_EQ(centre.h, 42);
    const halvo::GuiPartRect corner = set.GetPartRect(8, 100, 50);
    EXPECT_EQ(corner.x, 94);
    EXPECT_EQ(corner.y, 47);
    EXPECT_EQ(corner.w, 6);
    EXPECT_EQ(corner.h, 3);

    for (int i = 0; i < 3; ++i) WriteGuiImage("col_V0" + std::to_string(i), 10 - i, heights[i]);
    ASSERT_TRUE(set.Load("col_V00", false));
    EXPECT_EQ(set.GetFrameSize(), (Vec2{10, 15}));
    const halvo::GuiPartRect middle = set.GetPartRect(1, 40, 60);
    EXPECT_EQ(middle.y, 5);
    EXPECT_EQ(middle.h, 52);
    EXPECT_EQ(middle.w, 9);
    EXPECT_EQ(set.GetPartRect(2, 40, 60).y, 57);
}

TEST_F(GuiTextureSetTest, AdvanceReflectsWrapsAndStopsWithinTheFrames) {
    WriteFrames("four_S", 4);
    WriteFrames("eight_S", 8);
    ASSERT_TRUE(set.Load("four_S00", false));
    set.StartAnimation(1.0f, true, 0);
    EXPECT_TRUE(set.Advance(4.5));
    EXPECT_FLOAT_EQ(set.GetPosition(), 2.5f);
    EXPECT_LT(set.GetFrameSpeed(), 0);
    set.StartAnimation(-1.0f, true, 0);
    EXPECT_TRUE(set.Advance(1));
    EXPECT_FLOAT_EQ(set.GetPosition(), 1.0f);
    EXPECT_GT(set.GetFrameSpeed(), 0);

    // Two loops without bounce end on the last frame.
    set.StartAnimation(1.0f, false, 2);
    EXPECT_TRUE(set.Advance(3));
    EXPECT_TRUE(set.Advance(2));
    EXPECT_FLOAT_EQ(set.GetPosition(), 1.0f);
    EXPECT_FALSE(set.Advance(3));
    EXPECT_EQ(set.GetPosition(), 3.0f);
    EXPECT_EQ(set.GetFrameSpeed(), 0.0f);

    // The default ten frames per ms over 17 ms, and far larger steps.
    ASSERT_TRUE(set.Load("eight_S00", false));
    for (bool bounce : {true, false}) {
        set.StartAnimation(GuiTextureSet::kDefaultFrameSpeed, bounce, 0);
        for (double dt : {17.0, 17.0, 1e6, 3.3, 123456.7, 17.0}) {
            EXPECT_TRUE(set.Advance(dt));
            EXPECT_GE(set.GetPosition(), 0.0f);
            EXPECT_LT(set.GetPosition(), 8.0f);
            EXPECT_LT(set.GetShownFrame(), 8u);
        }
    }
    set.StartAnimation(10.0f, true, 0);
    set.Advance(17);
    EXPECT_FLOAT_EQ(set.GetPosition(), 5.0f);  // 170 frames on: one reflection alone gives -155

    for (float speed : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        set.StartAnimation(speed, false, 0);
        EXPECT_FALSE(set.Advance(17));
        EXPECT_EQ(set.GetPosition(), 0.0f);
    }
}

}  // namespace
