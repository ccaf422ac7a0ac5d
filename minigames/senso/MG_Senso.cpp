#include "minigames/senso/MG_Senso.h"

#include "game/Game.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"
#include "platform/XmlUtil.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char* kFolder = "MiniGames/Abfolge/";
constexpr const char* kBlinkSound = "Sfx/action_diode_blink_WB02-66-2";
constexpr const char* kRightSound = "Sfx/MG_Dance_hit";
constexpr const char* kWrongSound = "Sfx/undo_drop_hit_button";

}  // namespace

const ClassRecord MG_Senso::kClassRecord = {"MG_Senso", &GameScreen::kClassRecord, &MG_Senso::Create};

halvo::RefObj* MG_Senso::Create() { return new MG_Senso(); }

MG_Senso::MG_Senso() = default;

MG_Senso::~MG_Senso() = default;

bool MG_Senso::LoadConfig(const Vec2& centre) {
    std::string file;
    const char* why = ReadConfig(file);
    if (!why) why = LoadImages();
    if (!why) {
        rules_ = std::make_unique<SensoRules>(config_);
        if (!rules_->IsReady()) why = "no sequence to play";
    }
    if (why) {
        halvo::LogMessage("MG_Senso::LoadConfig - %s (%s)", why, file.c_str());
        rules_.reset();
        return false;
    }
    CentreOn(centre, background_->size);
    CreateTimer(kTimeKey);
    return true;
}

const char* MG_Senso::ReadConfig(std::string& file) {
    const char* name = DataTree::GetString(kConfigKey);
    if (!name || !*name) return "no configuration named";
    file = std::string(kFolder) + name + ".xml";
    if (!DataTree::Exists(kMinLengthKey) || !DataTree::Exists(kMaxLengthKey)) return "no sequence lengths";
    config_.minLength = DataTree::GetInt(kMinLengthKey);
    config_.maxLength = DataTree::GetInt(kMaxLengthKey);
    TiXmlDocument document;
    if (!XmlLoadFile(document, file.c_str())) return "the file is missing or no XML";
    return ReadSensoConfig(document, config_);
}

const char* MG_Senso::LoadImages() {
    background_ = LoadMiniGameImage(kFolder, config_.background);
    if (!background_) return "no background picture";
    background_->anchor = {0.0f, 0.0f};
    buttons_.clear();
    for (const SensoButton& button : config_.buttons) {
        halvo::AutoRef<GLImage> image = LoadMiniGameImage(kFolder, button.image);
        if (!image) return "a button picture is missing";
        image->position = {static_cast<float>(button.x), static_cast<float>(button.y)};
        buttons_.push_back(image);
    }
    return nullptr;
}

// ---- input -------------------------------------------------------------------------

bool MG_Senso::OnInput(const InputEvent& event) {
    if (event.kind != InputEvent::kButtonUp) return false;
    if (AdvanceMessage(event)) return true;
    const Point2i size = GetSize();
    if (!(event.x >= 0 && event.x < static_cast<float>(size.x) && event.y >= 0 &&
          event.y < static_cast<float>(size.y)))
        return false;
    if (!rules_ || rules_->GetState() != SensoState::kInput) return true;
    const int32_t button = HitButton({TruncateToInt(event.x), TruncateToInt(event.y)});
    if (button < 0) return true;
    const SensoClick click = rules_->Click(button);
    if (click == SensoClick::kRight) PlayMiniGameSound(kRightSound);
    if (click == SensoClick::kWrong) PlayMiniGameSound(kWrongSound);
    return true;
}

int32_t MG_Senso::HitButton(Point2i p) const {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const SensoButton& button = config_.buttons[i];
        const Point2i half = Point2i::DivideByInt(buttons_[i]->size, 2);
        if (button.x - half.x <= p.x && p.x < button.x + half.x && button.y - half.y <= p.y &&
            p.y < button.y + half.y)
            return static_cast<int32_t>(i);
    }
    return -1;
}

// ---- update and drawing -------------------------------------------------------------

void MG_Senso::OnUpdate(double, double stepMs) {
    if (!rules_ || IsFrozen()) return;
    AddTime(stepMs);
    const Game* game = Game::Current();
    const SensoStep step = rules_->Step(game && game->cheatAutoPlay);
    if (step == SensoStep::kBlink) PlayMiniGameSound(kBlinkSound);
    if (step == SensoStep::kWon) MiniGameScreen::ReportWon(*this);
}

void MG_Senso::OnRender(const Matrix4& matrix) {
    if (!background_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const float highlight = rules_ ? rules_->GetHighlight(static_cast<int32_t>(i)) : 0.0f;
        const int32_t alpha = std::clamp(TruncateToInt(highlight * 255.0f), 0, 255);
        if (alpha == 0) continue;
        GLState::SetColor({255, 255, 255, static_cast<uint8_t>(alpha)});
        buttons_[i]->Draw(matrix);
    }
    GLState::SetColor(Color::White);
}
