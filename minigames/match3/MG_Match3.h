#pragma once
// Match-three ("Match3"): the player drags a tile onto a neighbour; the two
// change places when that makes a line of three or more, lines vanish and
// fill the collection stacks beside the board, tiles fall and new ones drop
// in. Won when every stack is full; there is no way to lose, and the host's
// timer runs. Match3Rules decides every move; this screen loads the pictures,
// turns pointer events into presses, drags and releases, draws the board and
// the stacks, plays the sounds and reports the win to the host.

#include "minigames/match3/Match3Config.h"
#include "minigames/match3/Match3Rules.h"
#include "minigames/MiniGame.h"

#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_Match3 : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kConfigKey = "[PLAYER]/Data/Minigames/Match3/Config";
    static constexpr const char* kTimeKey = "[STATS]/match3";

    MG_Match3();
    ~MG_Match3() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    // Presses, pointer moves and releases on the game; a release outside it
    // leaves the drag on until one inside.
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests.
    const Match3Rules* GetRules() const { return rules_.get(); }

private:
    // Each null when it went well, else why not.
    const char* ReadConfig(std::string& file);
    const char* LoadImages();
    bool IsInside(const InputEvent& event) const;
    void PlayNewSounds();
    void DrawStacks(const Matrix4& matrix);
    void DrawTiles(const Matrix4& matrix);
    static void DrawAt(GLImage& image, Vec2 position, float scale, const Matrix4& matrix);

    Match3Config config_;
    std::unique_ptr<Match3Rules> rules_;
    halvo::AutoRef<GLImage> background_;
    // By tile type, in the order of the configuration's tiles.
    std::vector<halvo::AutoRef<GLImage>> tileImages_;
    std::vector<halvo::AutoRef<GLImage>> greyImages_;
    // The rules' running totals as far as their sounds have been played.
    int64_t explosionsHeard_ = 0;
    int64_t landingsHeard_ = 0;
};
