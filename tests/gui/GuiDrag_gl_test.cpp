// Drag and drop as a script starts it: a copy of the dragged widget follows
// the pointer over its host and is drawn over every other widget there, the
// widget itself hidden meanwhile; the release lands on the widget under the
// pointer, and the end of the drag shows the widget again.

#include "gui/GuiPixelFixture.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::kBlack;
using testsupport::kGreen;
using testsupport::kRed;

class GuiDragPixels : public testsupport::GuiPixelFixture {
protected:
    static AutoRef<GuiWidget> Fill(GuiWidget* parent, const char* name, float x, float y, float side,
                                   uint32_t colour) {
        auto params = testsupport::Params({{"name", Vrel::Var(name)}, {"xpos", Vrel::Var(x)}, {"ypos", Vrel::Var(y)},
                                           {"xsize", Vrel::Var(side)}, {"ysize", Vrel::Var(side)},
                                           {"color", Vrel::Var(static_cast<int32_t>(colour))},
                                           {"pick", Vrel::Var(true)}});
        return halvo::GuiCreateWidget("Sprite", *params, parent);
    }
    void TearDown() override {
        host->EndDrag();
        UpdateMousePosition(0, 0);  // where the next test's pointer starts
        GuiPixelFixture::TearDown();
    }
    void Draw() {
        glClear(GL_COLOR_BUFFER_BIT);
        host->Render(0, 0, 1, 1, Matrix4::Identity());
    }
    AutoRef<GuiWidget> host = testsupport::MakeFrame(nullptr, "host", 0, 0, W, H);
    std::vector<std::string> log;
};

TEST_F(GuiDragPixels, TheCopyFollowsThePointerOnTopAndTheDropReachesTheWidgetUnderIt) {
    AutoRef<GuiWidget> item = Fill(host.Get(), "item", 4, 4, 16, 0xFF0000FFu);
    AutoRef<GuiWidget> slot = Fill(host.Get(), "slot", 60, 60, 40, 0xFF00FF00u);  // drawn after the item
    ASSERT_TRUE(item && slot);
    AutoRef<testsupport::RecordingListener> slotLog(new testsupport::RecordingListener(&log, "slot"));
    slot->AddListener(slotLog.Get());
    Draw();
    ASSERT_EQ(At(10, 10), kRed);
    ASSERT_EQ(At(75, 75), kGreen);

    UpdateMousePosition(10, 10);
    host->StartDrag(item.Get());
    ASSERT_TRUE(host->GetDragImage());
    EXPECT_EQ(host->GetDragSource(), item.Get());
    for (float at : {30.0f, 50.0f, 70.0f}) host->RouteInput(testsupport::Move(at, at));
    Draw();
    EXPECT_EQ(At(10, 10), kBlack) << "the dragged widget is hidden";
    EXPECT_EQ(At(75, 75), kRed) << "the copy at the pointer, over the slot";
    EXPECT_EQ(At(95, 95), kGreen);

    // The copy takes no input: the pointer is over the slot, and the drop
    // click lands there.
    EXPECT_EQ(log, (std::vector<std::string>{"slot:6 slot 10,10"}));
    log.clear();
    host->RouteInput(testsupport::Press(75, 75));
    host->RouteInput(testsupport::Release(75, 75));
    EXPECT_EQ(log, (std::vector<std::string>{"slot:3 slot 1", "slot:4 slot 1"}));
    host->EndDrag();
    EXPECT_FALSE(host->GetDragImage());
    Draw();
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(75, 75), kGreen);
}

}  // namespace
