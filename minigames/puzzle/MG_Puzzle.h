#pragma once
// The jigsaw ("Puzzle"): a picture cut along a mask's regions into pieces
// that lie scattered and turned on a tray. The player drags groups, turns
// one by clicking it and joins it to a matching neighbour by dropping it
// close to its place; the last group rights itself and the game is won.
// Help makes the puzzle solve itself (skipped). PuzzleRules decides; this
// screen loads the picture and mask, cuts each piece's picture, draws the
// groups, plays the sounds and reports to the host.

#include "minigames/MiniGame.h"
#include "minigames/puzzle/PuzzleConfig.h"
#include "minigames/puzzle/PuzzleRules.h"

#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_Puzzle : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kBackgroundKey = "[PLAYER]/Data/Minigames/Puzzle/Background";
    static constexpr const char* kPictureKey = "[PLAYER]/Data/Minigames/Puzzle/Puzzle";
    static constexpr const char* kMaskKey = "[PLAYER]/Data/Minigames/Puzzle/Mask";
    static constexpr const char* kTimeKey = "[STATS]/puzzle";

    MG_Puzzle();
    ~MG_Puzzle() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // Help: whatever is held is put down and the puzzle solves itself.
    bool SolveOnHelp() override;

    // For tests.
    PuzzleRules* GetRules() const { return rules_.get(); }
    GLImage* GetPieceImage(int32_t piece) const { return pieces_[piece].Get(); }
    // Places the piece's picture where the rules put the piece, turned with
    // its group (as drawn).
    void PlacePieceImage(int32_t piece);

private:
    const char* ReadConfig();
    const char* LoadImages();
    // Sizes and places the game after the tray, a little above the centre,
    // and tells the scatter where the host's timer stands on it.
    void PlaceTray(const Vec2& centre);
    const char* CutPieceImages();
    void PlayMoveSounds(PuzzleMove move);
    void Report(PuzzleResult result);

    PuzzleConfig config_;
    std::unique_ptr<PuzzleRules> rules_;
    halvo::AutoRef<GLImage> background_;
    // Indexed as the rules' pieces.
    std::vector<halvo::AutoRef<GLImage>> pieces_;
    // The picture, kept between the reading and the cutting only.
    std::unique_ptr<uint8_t[]> picturePixels_;
    PuzzleImage picture_;
};
