#pragma once
// Turns a GUI frame into a slowly rising page of text lines: the credits when
// the frame's "credits" property is true, else the player's statistics. As a
// listener of the frame it moves the frame's children up on every update,
// fades them in at the bottom and out at the top, removes those that have
// left, and makes the next lines of the page as room opens at the bottom.
// The credits roll once: after their last line the frame stays empty, so a
// script knows they are over. The statistics page starts again from its
// first line once the frame is empty, to be read at any time. The frame owns
// it; the page ends with the frame or its listeners.

#include <cstdint>
#include <string>
#include <vector>

#include "game/screens/CreditsPage.h"
#include "gui/GuiListener.h"
#include "platform/RefObj.h"

namespace halvo {
class GuiWidget;
}
namespace Vrel {
class t_Named;
}

class CreditsWidget : public halvo::GuiListener {
public:
    static constexpr const char* kCreditsFile = "loca/credits.xml";
    static constexpr const char* kStatisticsFile = "loca/statistics.xml";
    // The frame property that chooses the credits page.
    static constexpr const char* kPropCredits = "credits";
    // Set true on the frame once a line with text has been drawn faded in
    // far enough to be read, on a lit screen, for scripts that must know
    // whether the page has been seen (a leave then ends the story) without
    // guessing from times. An empty line that only makes room counts for
    // nothing, and nor does a line rising behind a fade to black that a
    // script left standing. It is set in the update after the one that
    // raised the line so far: input taken in between may have been given
    // while that frame was still being made, the line not yet on screen.
    static constexpr const char* kPropSeen = "seen";
    static constexpr float kSeenAlpha = 0.5f;
    // The game's fade level (0 lit, 1 black) up to which the screen counts
    // as lit: at least half of the picture shows through.
    static constexpr float kLitFadeLevel = 0.5f;
    static constexpr const char* kLineFont = "gui/verdana.ttf";
    // Lines rise this many units per millisecond (70 per second)...
    static constexpr double kRiseSpeed = 0.07;
    // ...fade over this many units at either edge...
    static constexpr float kFadeBand = 128.0f;
    // ...and are removed this far above the top.
    static constexpr float kRemoveAbove = -50.0f;

    // False for no frame or a page that cannot be read; otherwise the frame
    // holds a new page as its listener.
    static bool Create(halvo::GuiWidget* frame);

    CreditsWidget() = default;
    ~CreditsWidget() override;

    void OnUpdate(double timeMs, double dtMs) override;

    // 0 above the top and from the bottom down, 1 in between, ramping over
    // the fade band at both edges.
    float FadeAlpha(float y) const;

private:
    bool Load(halvo::GuiWidget* frame);
    void Restart();
    void EmitDueLines(halvo::GuiWidget& frame);
    void EmitLine(halvo::GuiWidget& frame, const CreditsLine& line);
    void FillLineTable(const CreditsLine& line, Vrel::t_Named& table) const;
    // The value column: a second text in the line's row, right-aligned to
    // the one edge all values of the page share.
    void EmitValue(halvo::GuiWidget& frame, const CreditsLine& line, Vrel::t_Named& table) const;
    void RiseChildren(halvo::GuiWidget& frame, float rise);
    void MarkSeen(halvo::GuiWidget& frame);

    halvo::WeakRef<halvo::GuiWidget> frame_;
    CreditsPage page_;
    // The page's next line to make; past the end once it is exhausted.
    size_t next_ = 0;
    float nextY_ = 0;
    float height_ = 0;
    bool isCredits_ = false;
    // A line that cannot be made is reported once per page.
    bool reportedFailure_ = false;
    bool seen_ = false;
    // A line with text stood faded in far enough to be read after the last
    // update, so the frame drawn since showed it.
    bool readableDrawn_ = false;
    // The frame's children during a rise, kept for the next frame's.
    std::vector<halvo::AutoRef<halvo::GuiWidget>> rising_;
};
