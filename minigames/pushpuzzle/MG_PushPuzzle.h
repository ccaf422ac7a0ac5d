#pragma once
// The sliding picture ("Mosaik"): a picture cut into N × N pieces on a
// background, the bottom-right piece missing; a click on a piece beside the
// gap slides it there, and the game is won when every piece is home. Help
// slides every piece home at once and ends the game as skipped. Counts the
// player's slides with the host's counter. PushPuzzleRules decides; this
// screen cuts and draws the pieces, plays the sound and reports to the host.

#include "minigames/MiniGame.h"
#include "minigames/pushpuzzle/PushPuzzleConfig.h"
#include "minigames/pushpuzzle/PushPuzzleRules.h"

#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_PushPuzzle : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kBackgroundKey = "[PLAYER]/Data/Minigames/Mosaik/Background";
    static constexpr const char* kGridSizeKey = "[PLAYER]/Data/Minigames/Mosaik/Gridsize";
    static constexpr const char* kPictureKey = "[PLAYER]/Data/Minigames/Mosaik/Puzzle";
    static constexpr const char* kMovesKey = "[STATS]/mosaik";

    MG_PushPuzzle();
    ~MG_PushPuzzle() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    // Button releases only: the piece under the point slides into the gap
    // beside it. Nothing moves while the game is frozen or solving itself.
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // Help: every piece slides home; their arrival ends the game as skipped.
    bool SolveOnHelp() override;

    // For tests.
    const PushPuzzleRules* GetRules() const { return rules_.get(); }

private:
    // Each null when it went well, else why not; `file` names the file
    // the refusal is about.
    const char* ReadConfig(std::string& file, std::unique_ptr<uint8_t[]>& picture);
    const char* CutPieces(const uint8_t* picture);
    // The grid cell under a point of the game, truncated toward zero.
    Point2i CellFromEvent(const InputEvent& event) const;
    void DrawPieces(const Matrix4& matrix);

    PushPuzzleConfig config_;
    std::unique_ptr<PushPuzzleRules> rules_;
    halvo::AutoRef<GLImage> background_;
    // By the picture cell they show (N·y + x); the gap's entry stays null.
    std::vector<halvo::AutoRef<GLImage>> pieces_;
};
