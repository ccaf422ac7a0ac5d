#pragma once
// Repeat-the-sequence ("Abfolge"): buttons on a panel light up in a random
// sequence and the player clicks them in the same order; each repeated
// sequence brings one a step longer, a wrong click replays it. SensoRules
// decides; this screen loads the panel, draws the lit buttons, plays the
// sounds and reports the win to the host.

#include "minigames/MiniGame.h"
#include "minigames/senso/SensoConfig.h"
#include "minigames/senso/SensoRules.h"

#include <memory>
#include <vector>

class GLImage;

class MG_Senso : public MiniGame {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kConfigKey = "[PLAYER]/Data/Minigames/Abfolge/Config";
    static constexpr const char* kMinLengthKey = "[PLAYER]/Data/Minigames/Abfolge/MinBlinkCnt";
    static constexpr const char* kMaxLengthKey = "[PLAYER]/Data/Minigames/Abfolge/MaxBlinkCnt";
    static constexpr const char* kTimeKey = "[STATS]/abfolge";

    MG_Senso();
    ~MG_Senso() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool LoadConfig(const Vec2& centre) override;
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // For tests.
    const SensoRules* GetRules() const { return rules_.get(); }
    const SensoConfig& GetConfig() const { return config_; }

private:
    // Null when the configuration is playable, else why not.
    const char* ReadConfig(std::string& file);
    const char* LoadImages();
    // The first button whose picture holds the point; -1 none.
    int32_t HitButton(Point2i p) const;

    SensoConfig config_;
    std::unique_ptr<SensoRules> rules_;
    halvo::AutoRef<GLImage> background_;
    std::vector<halvo::AutoRef<GLImage>> buttons_;
};
