#pragma once
// Target shooting ("Zielscheiben"): a grid of targets shows who is friend
// and who is enemy in a preview, then hides them; the player shoots where
// the enemies were. Each shot shows its points as a rising, fading number
// on the HUD; the game is won at the end of the round that reached the
// goal. In the variant with generic pictures the host's message announces
// each round's enemy with its picture (the first once the how-to is read),
// and the round waits until it is read and clicked away. TargetRules
// decides; this screen loads the pictures, draws the turning targets, plays
// the sounds, keeps the score text and reports to the host.

#include "gui/GuiWidget.h"
#include "minigames/MiniGame.h"
#include "minigames/target/TargetConfig.h"
#include "minigames/target/TargetRules.h"

#include <memory>
#include <string>
#include <vector>

class GLImage;

class MG_Target : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kConfigKey = "[PLAYER]/Data/Minigames/Zielscheiben/Config";
    static constexpr const char* kDelayKey = "[PLAYER]/Data/Minigames/Zielscheiben/Delay";
    static constexpr const char* kFriendsKey = "[PLAYER]/Data/Minigames/Zielscheiben/Friends";
    static constexpr const char* kEnemiesKey = "[PLAYER]/Data/Minigames/Zielscheiben/Enemies";
    static constexpr const char* kTimeKey = "[STATS]/zielscheiben";
    static constexpr const char* kPointsKey = "[STATS]/zielscheiben_pkt";

    MG_Target();
    // Takes the floating numbers off the HUD.
    ~MG_Target() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests.
    TargetRules* GetRules() const { return rules_.get(); }
    size_t GetFloatingTextCount() const { return floatingTexts_.size(); }
    halvo::GuiWidget* GetFloatingText(size_t i) const { return floatingTexts_[i].Get(); }

private:
    // Null when the configuration is playable, else why not.
    const char* ReadConfig(std::string& file);
    const char* LoadImages();
    void AnnounceEnemy();
    void ShowShot(const TargetClick& click);
    void ShowPoints(int32_t tile, int32_t points);
    void ShowScore();
    void StepFloatingTexts();
    void Report(const TargetStepReport& report);
    Vec2 CellCentre(const TargetTile& tile) const;
    GLImage* FaceOf(const TargetTile& tile) const;

    TargetConfig config_;
    std::unique_ptr<TargetRules> rules_;
    halvo::AutoRef<GLImage> background_;
    halvo::AutoRef<GLImage> tileBack_;
    halvo::AutoRef<GLImage> tileFront_;
    std::vector<halvo::AutoRef<GLImage>> genericImages_;
    std::vector<halvo::AutoRef<GLImage>> friendImages_;
    std::vector<halvo::AutoRef<GLImage>> enemyImages_;
    // The first round's enemy waits for the host's messages to be read.
    bool enemyDue_ = false;
    std::vector<halvo::WeakRef<halvo::GuiWidget>> floatingTexts_;
    int32_t shownScore_ = -1;
};
