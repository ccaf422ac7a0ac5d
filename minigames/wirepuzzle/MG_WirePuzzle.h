#pragma once
// Wire connection ("Draehte"): stone plates with a colour on each side lie
// on the places of a board; a click turns a plate a step back, a drag moves
// it to a free place, and wires light up between places whose plates show
// one colour on the connected sides. Every turn and every move counts on
// the host's counter. WirePuzzleRules decides; this screen finds the place
// under the pointer through the places' hotspot polygons, tells a click
// from a drag, draws plates and wires, plays the sounds and reports the win.

#include "game/scene/HotSpot.h"
#include "minigames/MiniGame.h"
#include "minigames/wirepuzzle/WirePuzzleConfig.h"
#include "minigames/wirepuzzle/WirePuzzleRules.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_WirePuzzle : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kConfigKey = "[PLAYER]/Data/Minigames/Draehte/Config";
    static constexpr const char* kMovesKey = "[STATS]/draehte";
    // A press becomes a drag once the pointer is further than this (squared,
    // in the game's units) from where it went down.
    static constexpr float kDragDistanceSquared = 225.0f;
    static constexpr float kLiftedScale = 1.1f;

    MG_WirePuzzle();
    ~MG_WirePuzzle() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests.
    const WirePuzzleRules* GetRules() const { return rules_.get(); }
    int32_t GetMoveCount() const { return moveCount_; }
    // The place whose polygon holds the point (game units), or kNoPlace.
    int32_t PlaceAt(Vec2 point) const;
    // The plate's picture angle in degrees for a turn state, in [0, 360):
    // sides are counted clockwise, so a player's turn back a step turns the
    // picture clockwise.
    static float PlateAngle(float turn, int32_t sideCount);

private:
    struct Wire {
        halvo::AutoRef<GLImage> defaultImage;
        std::map<std::string, halvo::AutoRef<GLImage>> colourImages;
    };

    // Null when the configuration is playable, else why not.
    const char* ReadConfig(std::string& file);
    const char* LoadImages();
    void BuildHotSpots();
    void Press(Vec2 p);
    void Drag(Vec2 p);
    void Release();
    void PosePlate(int32_t index);
    void DrawPlates(const Matrix4& matrix, bool lifted);
    void DrawWires(const Matrix4& matrix);
    void DrawOutlines(const Matrix4& matrix);

    WirePuzzleConfig config_;
    std::unique_ptr<WirePuzzleRules> rules_;
    halvo::AutoRef<GLImage> background_;
    std::vector<halvo::AutoRef<GLImage>> plateImages_;  // by plate id
    std::vector<Wire> wires_;                           // by connection
    std::vector<halvo::AutoRef<HotSpot>> hotSpots_;     // by place; null where its polygon is missing
    bool pressed_ = false;
    Vec2 pressPos_;
    Vec2 pointerPos_;
    bool dragMoved_ = false;
    int32_t moveCount_ = 0;
};
