#include "minigames/match3/MG_Match3.h"

#include "game/Game.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"
#include "platform/XmlUtil.h"

namespace {

constexpr const char* kFolder = "MiniGames/Match3/";
constexpr const char* kPickSound = "Sfx/minigame_computer_button_click";
constexpr const char* kExplodeSound = "Sfx/action_explode_poof_6039_52_1";
constexpr const char* kRefusedSound = "Sfx/undo_drop_hit_button";
constexpr const char* kLandSound = "Sfx/MG_Decoder_click";

}  // namespace

const ClassRecord MG_Match3::kClassRecord = {"MG_Match3", &GameScreen::kClassRecord, &MG_Match3::Create};

halvo::RefObj* MG_Match3::Create() { return new MG_Match3(); }

MG_Match3::MG_Match3() = default;

MG_Match3::~MG_Match3() = default;

bool MG_Match3::LoadConfig(const Vec2& centre) {
    std::string file;
    const char* why = ReadConfig(file);
    if (!why) why = LoadImages();
    if (!why) {
        rules_ = std::make_unique<Match3Rules>(config_);
        if (!rules_->IsReady()) why = "the board does not settle";
    }
    if (why) {
        halvo::LogMessage("MG_Match3::LoadConfig - %s (%s)", why, file.c_str());
        rules_.reset();
        return false;
    }
    CentreOn(centre, background_->size);
    CreateTimer(kTimeKey);
    return true;
}

const char* MG_Match3::ReadConfig(std::string& file) {
    file = kConfigKey;
    const char* name = DataTree::GetString(kConfigKey);
    if (!name || !*name) return "no configuration named";
    file = std::string(kFolder) + name + ".xml";
    TiXmlDocument document;
    if (!XmlLoadFile(document, file.c_str())) return "the file is missing or no XML";
    return ReadMatch3Config(document, config_);
}

const char* MG_Match3::LoadImages() {
    background_ = LoadMiniGameImage(kFolder, config_.background);
    if (!background_) return "no background picture";
    background_->anchor = {0.0f, 0.0f};
    tileImages_.clear();
    greyImages_.clear();
    for (const Match3TileType& type : config_.types) {
        tileImages_.push_back(LoadMiniGameImage(kFolder, type.file));
        greyImages_.push_back(LoadMiniGameImage(kFolder, type.file + "grey"));
        if (!tileImages_.back() || !greyImages_.back()) return "a tile picture is missing";
    }
    return nullptr;
}

// ---- input -------------------------------------------------------------------------

bool MG_Match3::OnInput(const InputEvent& event) {
    const bool pointer = event.kind == InputEvent::kButtonDown || event.kind == InputEvent::kButtonUp ||
                         event.kind == InputEvent::kPointer;
    if (!pointer || !rules_) return false;
    if (IsMessageShown()) {
        AdvanceMessage(event);
        return true;
    }
    switch (event.kind) {
    case InputEvent::kButtonDown:
        if (!IsInside(event)) return false;
        // Nothing is picked up once the game has its result.
        if (!IsFinished() && rules_->Press(event.x, event.y) == Match3Press::kPicked) PlayMiniGameSound(kPickSound);
        return true;
    case InputEvent::kPointer:
        if (!rules_->IsDragging()) return false;
        rules_->MovePointer(event.x, event.y);
        return true;
    default:
        if (!IsInside(event)) return false;  // the drag stays on
        break;
    }
    const Match3Release release = rules_->Release();
    if (release == Match3Release::kSwapped) {
        PlayMiniGameSound(kExplodeSound);
        explosionsHeard_ = rules_->GetExplosionCount();  // the swap's own lines sound with it
    } else if (release == Match3Release::kRefused) {
        PlayMiniGameSound(kRefusedSound);
    }
    return true;
}

bool MG_Match3::IsInside(const InputEvent& event) const {
    const Point2i size = GetSize();
    return event.x >= 0 && event.x < float(size.x) && event.y >= 0 && event.y < float(size.y);
}

// ---- update and drawing -------------------------------------------------------------

void MG_Match3::OnUpdate(double, double stepMs) {
    if (!rules_ || IsFrozen()) return;
    AddTime(stepMs);
    const Game* game = Game::Current();
    const Match3Step step = rules_->Step(game && game->cheatAutoPlay);
    PlayNewSounds();
    if (step == Match3Step::kWon) MiniGameScreen::ReportWon(*this);
}

// One sound of a kind per step, however many lines or tiles it concerns: a
// whole new board landing at once would otherwise post dozens of commands
// into the sound thread's small mailbox and stall the frame.
void MG_Match3::PlayNewSounds() {
    if (rules_->GetExplosionCount() != explosionsHeard_) PlayMiniGameSound(kExplodeSound);
    if (rules_->GetLandingCount() != landingsHeard_) PlayMiniGameSound(kLandSound);
    explosionsHeard_ = rules_->GetExplosionCount();
    landingsHeard_ = rules_->GetLandingCount();
}

void MG_Match3::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    DrawStacks(matrix);
    DrawTiles(matrix);
}

// Each stack from its top slot down; a slot shows grey until it is full and
// its colour grows over it while it fills.
void MG_Match3::DrawStacks(const Matrix4& matrix) {
    for (int32_t type = 0; type < rules_->GetTypeCount(); ++type) {
        const Match3TileType& stack = config_.types[size_t(type)];
        for (int32_t slot = type; slot >= 0; --slot) {
            const Vec2 at{stack.stackPosX + float(slot) * stack.stackStepX,
                          stack.stackPosY + float(slot) * stack.stackStepY};
            const float fill = rules_->GetStackFill(type, slot);
            if (fill < 1.0f) DrawAt(*greyImages_[size_t(type)], at, 1.0f, matrix);
            if (fill > 0.0f) DrawAt(*tileImages_[size_t(type)], at, fill, matrix);
        }
    }
}

void MG_Match3::DrawTiles(const Matrix4& matrix) {
    for (int32_t y = 0; y < rules_->GetCountY(); ++y) {
        for (int32_t x = 0; x < rules_->GetCountX(); ++x) {
            const Match3Tile& tile = *rules_->TileAt(x, y);
            if (tile.shownType < 0) continue;
            DrawAt(*tileImages_[size_t(tile.shownType)], {tile.currentX, tile.currentY}, tile.scale, matrix);
        }
    }
}

// The images are shared by every tile and slot of their type.
void MG_Match3::DrawAt(GLImage& image, Vec2 position, float scale, const Matrix4& matrix) {
    const Vec2 scales{scale, scale};
    if (!(image.position == position) || !(image.scale == scales)) {
        image.position = position;
        image.scale = scales;
        image.matrixDirty = true;
    }
    image.Draw(matrix);
}
