#include "minigames/target/MG_Target.h"

#include "game/Game.h"
#include "game/Statistics.h"
#include "gui/GuiText.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"
#include "platform/XmlUtil.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kFolder = "MiniGames/Zielscheiben/";
constexpr const char* kFlipSound = "Sfx/abbrechen_wipe_metal_button";
constexpr const char* kMissSound = "Sfx/undo_drop_hit_button";
constexpr const char* kHitSound = "Sfx/action_hit_wood_6018_80_4";
constexpr const char* kScoreFormat = "%i / %i";

// The announcement of a round's enemy: this text with the enemy's picture.
constexpr const char* kBubbleText = "minigame_zielscheiben_enemy";

// The rising numbers: one step lifts a number by kRise and fades it by
// kFade, so it is gone after 128 steps (about two seconds).
constexpr const char* kTextType = "Text";
constexpr const char* kTextFont = "gui/DAYROM__.ttf";
constexpr int32_t kTextSize = 64;
constexpr int32_t kTextOutline = 64;
constexpr int32_t kTextOutlineColour = static_cast<int32_t>(0xFF000000u);
constexpr int32_t kLossColour = static_cast<int32_t>(0xFF4040FFu);  // red
constexpr int32_t kGainColour = static_cast<int32_t>(0xFF40FF40u);  // green
constexpr float kRise = 1.5f;
constexpr float kFade = 1.0f / 128.0f;
constexpr size_t kExpectedFloatingTexts = 16;

constexpr float kPi = 3.1415927f;

bool LoadEach(const std::vector<std::string>& names, std::vector<halvo::AutoRef<GLImage>>& images) {
    images.clear();
    for (const std::string& name : names) {
        halvo::AutoRef<GLImage> image = LoadMiniGameImage(kFolder, name);
        if (!image) return false;
        images.push_back(image);
    }
    return true;
}

// Dead when its widget is gone or was taken out of the tree by others (the
// HUD's frame rebuilt under it).
bool IsDead(const halvo::WeakRef<halvo::GuiWidget>& ref) {
    const halvo::GuiWidget* widget = ref.Get();
    return !widget || !widget->GetParent();
}

}  // namespace

const ClassRecord MG_Target::kClassRecord = {"MG_Target", &GameScreen::kClassRecord, &MG_Target::Create};

halvo::RefObj* MG_Target::Create() { return new MG_Target(); }

MG_Target::MG_Target() { floatingTexts_.reserve(kExpectedFloatingTexts); }

MG_Target::~MG_Target() {
    for (halvo::WeakRef<halvo::GuiWidget>& text : floatingTexts_) halvo::RemoveObservedWidget(text);
    floatingTexts_.clear();
}

bool MG_Target::LoadConfig(const Vec2& centre) {
    std::string file;
    const char* why = ReadConfig(file);
    if (!why) why = LoadImages();
    if (why) {
        halvo::LogMessage("MG_Target::LoadConfig - %s (%s)", why, file.c_str());
        background_.Reset();
        tileBack_.Reset();
        tileFront_.Reset();
        genericImages_.clear();
        friendImages_.clear();
        enemyImages_.clear();
        return false;
    }
    CentreOn(centre, background_->size);
    const Game* game = Game::Current();
    rules_ = std::make_unique<TargetRules>(config_, tileBack_->size, game && game->cheatAutoPlay);
    enemyDue_ = config_.IsGeneric();
    CreateTimer(kTimeKey);
    if (MiniGameScreen* host = GetHost()) host->CreateScore(true);
    ShowScore();
    return true;
}

const char* MG_Target::ReadConfig(std::string& file) {
    const char* name = DataTree::GetString(kConfigKey);
    if (!name || !*name) return "no configuration named";
    file = std::string(kFolder) + name + ".xml";
    if (!DataTree::Exists(kDelayKey) || !DataTree::Exists(kFriendsKey) || !DataTree::Exists(kEnemiesKey)) {
        return "no Delay, Friends or Enemies given";
    }
    config_.delayMs = DataTree::GetFloat(kDelayKey);
    config_.friendCount = DataTree::GetInt(kFriendsKey);
    config_.enemyCount = DataTree::GetInt(kEnemiesKey);
    TiXmlDocument document;
    if (!XmlLoadFile(document, file.c_str())) return "the file is missing or no XML";
    return ReadTargetConfig(document, config_);
}

const char* MG_Target::LoadImages() {
    background_ = LoadMiniGameImage(kFolder, config_.background);
    if (!background_) return "no background picture";
    background_->anchor = {0.0f, 0.0f};
    tileBack_ = LoadMiniGameImage(kFolder, config_.tileBack);
    tileFront_ = LoadMiniGameImage(kFolder, config_.tileFront);
    if (!tileBack_ || !tileFront_) return "no tileback or tilefront picture";
    if (!LoadEach(config_.genericNames, genericImages_)) return "a tile_generic picture is missing";
    if (!LoadEach(config_.friendNames, friendImages_)) return "a tile_friend picture is missing";
    if (!LoadEach(config_.enemyNames, enemyImages_)) return "a tile_enemy picture is missing";
    return nullptr;
}

// ---- the enemy's announcement --------------------------------------------------------

// A message of the host's like any other: it freezes the round until a
// click of its own turns it, once it has stood.
void MG_Target::AnnounceEnemy() {
    enemyDue_ = false;
    const int32_t enemy = rules_->GetRoundEnemy();
    MiniGameScreen* host = GetHost();
    if (enemy < 0 || !host) return;
    // The bubble's script may take the game away while it runs.
    halvo::AutoRef<MG_Target> self(this);
    host->AddPictureMessage(kBubbleText, std::string("#") + kFolder + config_.genericNames[enemy] + ".cbi");
}

// ---- input -------------------------------------------------------------------------

// A release turns a shown message (the enemy's announcement among them),
// else it shoots.
bool MG_Target::OnInput(const InputEvent& event) {
    if (event.kind != InputEvent::kButtonUp || !rules_) return false;
    if (AdvanceMessage(event)) return true;
    ShowShot(rules_->Click({TruncateToInt(event.x), TruncateToInt(event.y)}));
    return true;
}

void MG_Target::ShowShot(const TargetClick& click) {
    if (click.shot == TargetShot::kNone) return;
    PlayMiniGameSound(click.shot == TargetShot::kEnemy ? kHitSound : kMissSound);
    ShowPoints(click.tile, TargetRules::PointsFor(click.shot));
    ShowScore();
}

// The number is centred on the target, in the HUD's frame; without one
// there is nowhere to show it.
void MG_Target::ShowPoints(int32_t tile, int32_t points) {
    const Game* game = Game::Current();
    halvo::GuiWidget* hud = game ? game->GetHudGui() : nullptr;
    if (!hud) return;
    const Vec2 at = CellCentre(rules_->GetTiles()[tile]) + GetPosition();
    char text[16];
    std::snprintf(text, sizeof text, "%i", points);
    Vrel::t_Named table;
    table.GetOrAddMember(halvo::GuiWidget::kPropXPos)->SetFloat(at.x);
    table.GetOrAddMember(halvo::GuiWidget::kPropYPos)->SetFloat(at.y);
    table.GetOrAddMember(halvo::GuiWidget::kPropXSize)->SetFloat(-1.0f);
    table.GetOrAddMember(halvo::GuiWidget::kPropYSize)->SetFloat(-1.0f);
    table.GetOrAddMember(halvo::GuiText::kPropFont)->SetString(kTextFont);
    table.GetOrAddMember(halvo::GuiText::kPropSize)->SetInt(kTextSize);
    table.GetOrAddMember(halvo::GuiText::kPropText)->SetString(text);
    table.GetOrAddMember(halvo::GuiText::kPropColor)->SetInt(points < 0 ? kLossColour : kGainColour);
    table.GetOrAddMember(halvo::GuiText::kPropOutline)->SetInt(kTextOutline);
    table.GetOrAddMember(halvo::GuiText::kPropOutlineColor)->SetInt(kTextOutlineColour);
    table.GetOrAddMember(halvo::GuiWidget::kPropAlpha)->SetFloat(1.0f);
    table.GetOrAddMember(halvo::GuiText::kPropXAlign)->SetInt(halvo::GuiText::kAlignCentre);
    table.GetOrAddMember(halvo::GuiText::kPropYAlign)->SetInt(halvo::GuiText::kAlignMiddle);
    halvo::AutoRef<halvo::GuiWidget> widget = halvo::GuiCreateWidget(kTextType, table, hud);
    if (!widget) return;
    const Vec2 corner = widget->GetPosition();
    widget->SetPositionXY(corner.x - widget->ReadFloat(halvo::GuiWidget::kPropXSize) * 0.5f,
                          corner.y - widget->ReadFloat(halvo::GuiWidget::kPropYSize) * 0.5f);
    floatingTexts_.emplace_back(widget.Get());
}

void MG_Target::ShowScore() {
    if (rules_->GetScore() == shownScore_) return;
    shownScore_ = rules_->GetScore();
    if (MiniGameScreen* host = GetHost()) host->SetScoreText(kScoreFormat, shownScore_, rules_->GetGoal());
}

// ---- update and drawing -------------------------------------------------------------

void MG_Target::OnUpdate(double, double stepMs) {
    const Game* game = Game::Current();
    if (!rules_ || (game && game->paused)) return;
    StepFloatingTexts();
    if (IsFrozen()) return;
    // Announced only once the host's messages are read, and the round waits
    // until its enemy has been seen.
    if (enemyDue_) AnnounceEnemy();
    if (IsMessageShown()) return;
    AddTime(stepMs);
    Report(rules_->Step(game && game->cheatAutoPlay));
}

void MG_Target::StepFloatingTexts() {
    for (size_t i = 0; i < floatingTexts_.size();) {
        halvo::WeakRef<halvo::GuiWidget>& ref = floatingTexts_[i];
        if (halvo::GuiWidget* text = IsDead(ref) ? nullptr : ref.Get()) {
            const float alpha = text->ReadFloat(halvo::GuiWidget::kPropAlpha, 1.0f) - kFade;
            const Vec2 at = text->GetPosition();
            text->SetPositionXY(at.x, at.y - kRise);
            text->WriteFloat(halvo::GuiWidget::kPropAlpha, alpha);
            if (alpha > 0.0f) {
                ++i;
                continue;
            }
            halvo::RemoveObservedWidget(ref);
        }
        floatingTexts_.erase(floatingTexts_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void MG_Target::Report(const TargetStepReport& report) {
    if (report.flipSound) PlayMiniGameSound(kFlipSound);
    ShowShot(report.shot);
    if (report.newRound && config_.IsGeneric()) AnnounceEnemy();
    if (!report.won) return;
    AddToStatistic(kPointsKey, rules_->GetScore());
    MiniGameScreen::ReportWon(*this);
}

Vec2 MG_Target::CellCentre(const TargetTile& tile) const {
    return {static_cast<float>(config_.offsetX + config_.spacingX * tile.column),
            static_cast<float>(config_.offsetY + config_.spacingY * tile.row)};
}

GLImage* MG_Target::FaceOf(const TargetTile& tile) const {
    if (tile.picture < 0) return tileFront_.Get();
    if (config_.IsGeneric()) return genericImages_[tile.picture].Get();
    return (tile.kind == kTargetEnemy ? enemyImages_ : friendImages_)[tile.picture].Get();
}

// A target turns about its vertical axis: the back shows until it is half
// turned, then the face.
void MG_Target::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    const std::vector<TargetTile>& tiles = rules_->GetTiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        const float flip = rules_->GetFlip(static_cast<int32_t>(i));
        GLImage* image = flip < 0.5f ? tileBack_.Get() : FaceOf(tiles[i]);
        image->position = CellCentre(tiles[i]);
        image->scale = {std::fabs(std::cos(kPi * flip)), 1.0f};
        image->matrixDirty = true;
        image->Draw(matrix);
    }
}
