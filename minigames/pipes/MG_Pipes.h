#pragma once
// Pipe connection ("Rohre"): coloured liquid runs from inlets at the board's
// edge through pipe pieces the player turns a quarter clockwise per click,
// and the game is won when every outlet gets liquid. The board is generated
// from the game's running time, so one load gives one board. PipesRules
// decides every turn and the flow; this screen turns clicks into cells,
// draws the pieces in their liquid's colours with the turn animation, plays
// the sounds and reports to the host. There is no way to lose and no self-
// play: help skips.

#include "minigames/MiniGame.h"
#include "minigames/pipes/PipesConfig.h"
#include "minigames/pipes/PipesRules.h"

#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_Pipes : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kConfigKey = "[PLAYER]/Data/Minigames/Rohre/Config";
    static constexpr const char* kTimeKey = "[STATS]/pipes";

    MG_Pipes();
    ~MG_Pipes() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests: the rules, and the centre of a cell in the game's own
    // coordinates.
    const PipesRules* GetRules() const { return rules_.get(); }
    Vec2 CellCentre(int32_t x, int32_t y) const;
    // The angle in degrees a piece is drawn at: a quarter turn clockwise on
    // screen per rotation step, swinging from the previous rotation to the
    // new one while it turns.
    static float DrawAngle(const PipesTile& tile, bool animated);

private:
    // The pictures of one kind of piece; the masks may be missing.
    struct TypeImages {
        halvo::AutoRef<GLImage> base, mask1, mask2;
    };

    // Null when the configuration is playable, else why not.
    const char* ReadConfig(std::string& file);
    const char* LoadImages();
    halvo::AutoRef<GLImage> LoadShared(const std::string& name);
    // False when the release lies on no cell (the cell is then untouched).
    bool CellFromEvent(const InputEvent& event, Point2i& cell) const;
    void DrawTile(const PipesTile& tile, Vec2 position, float angle, const Matrix4& matrix);

    PipesConfig config_;
    std::unique_ptr<PipesRules> rules_;
    halvo::AutoRef<GLImage> background_;
    // Indexed like the rules' piece kinds: plain pieces, inlets, outlets.
    std::vector<TypeImages> types_;
    // Pictures by name, null where one cannot be read: the sample's inlets
    // share theirs.
    std::vector<std::pair<std::string, halvo::AutoRef<GLImage>>> loaded_;
};
