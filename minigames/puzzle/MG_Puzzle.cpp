#include "minigames/puzzle/MG_Puzzle.h"

#include "game/Game.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/puzzle/PuzzleCutter.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/TgaFile.h"

namespace {

constexpr const char* kFolder = "MiniGames/Puzzle/";
constexpr const char* kTurnSound = "Sfx/minigame_paper_turn";
constexpr const char* kJoinSound = "Sfx/object_chewgum_paper";
constexpr const char* kDownSound = "Sfx/minigame_paper_down";
// The tray sits above the centre by this share of the room left below it.
constexpr float kTrayLift = 0.25f;
constexpr int32_t kTurnsPerCircle = 4;
// Pieces are scattered this far clear of the host's timer display: the
// frame a table draws round it, signs and all, stays free too.
constexpr float kTimerClearance = 90.0f;

const char* NameAt(const char* key) {
    const char* name = DataTree::Exists(key) ? DataTree::GetString(key) : nullptr;
    return name ? name : "";
}

Point2i TruncatedPosition(const InputEvent& event) { return {TruncateToInt(event.x), TruncateToInt(event.y)}; }

Point2i TrayPoint(Vec2 design, Vec2 trayCorner) {
    return {TruncateToInt(design.x - trayCorner.x), TruncateToInt(design.y - trayCorner.y)};
}

}  // namespace

const ClassRecord MG_Puzzle::kClassRecord = {"MG_Puzzle", &GameScreen::kClassRecord, &MG_Puzzle::Create};

halvo::RefObj* MG_Puzzle::Create() { return new MG_Puzzle(); }

MG_Puzzle::MG_Puzzle() = default;

MG_Puzzle::~MG_Puzzle() = default;

bool MG_Puzzle::LoadConfig(const Vec2& centre) {
    const char* why = ReadConfig();
    if (!why) why = LoadImages();
    if (!why) {
        PlaceTray(centre);
        rules_ = std::make_unique<PuzzleRules>(config_);
        why = CutPieceImages();
    }
    picturePixels_.reset();
    picture_ = {};
    if (why) {
        halvo::LogMessage("MG_Puzzle::LoadConfig - %s (%s%s.tga, %s%s.tga)", why, kFolder, config_.picture.c_str(),
                          kFolder, config_.mask.c_str());
        rules_.reset();
        pieces_.clear();
        background_.Reset();
        return false;
    }
    CreateTimer(kTimeKey);
    return true;
}

const char* MG_Puzzle::ReadConfig() {
    config_.background = NameAt(kBackgroundKey);
    config_.picture = NameAt(kPictureKey);
    config_.mask = NameAt(kMaskKey);
    const Game* game = Game::Current();
    if (!game) return "no game to size the tray by";
    SetPuzzleScreen(config_, game->screenSize, game->windowSize.y);
    if (config_.picture.empty() || config_.mask.empty()) return "no picture or mask named";
    picturePixels_ = LoadTGA(&picture_.size, &picture_.bitsPerPixel, "%s%s.tga", kFolder, config_.picture.c_str());
    picture_.pixels = picturePixels_.get();
    PuzzleImage mask;
    const std::unique_ptr<uint8_t[]> maskPixels =
        LoadTGA(&mask.size, &mask.bitsPerPixel, "%s%s.tga", kFolder, config_.mask.c_str());
    mask.pixels = maskPixels.get();
    return ReadPuzzleConfig(picture_, mask, config_);
}

const char* MG_Puzzle::LoadImages() {
    if (!DataTree::Exists(kBackgroundKey)) return nullptr;
    background_ = LoadMiniGameImage(kFolder, config_.background);
    if (!background_) return "no background picture";
    background_->position = {static_cast<float>(config_.trayWidth) * 0.5f, static_cast<float>(config_.trayHeight) * 0.5f};
    background_->matrixDirty = true;
    return nullptr;
}

void MG_Puzzle::PlaceTray(const Vec2& centre) {
    const Point2i tray{config_.trayWidth, config_.trayHeight};
    CentreOn(centre, tray);
    const Game* game = Game::Current();
    const float logicalHeight = game ? static_cast<float>(game->screenSize.y) : static_cast<float>(tray.y);
    SetPosition(GetPosition() - Vec2{0.0f, (logicalHeight - static_cast<float>(tray.y)) * kTrayLift});
    const Vec2 clearance{kTimerClearance, kTimerClearance};
    config_.clearMin = TrayPoint(MiniGameScreen::kTextDisplayMin - clearance, GetPosition());
    config_.clearMax = TrayPoint(MiniGameScreen::kTextDisplayMax + clearance, GetPosition());
}

const char* MG_Puzzle::CutPieceImages() {
    const std::vector<PuzzleTile>& tiles = rules_->GetTiles();
    pieces_.clear();
    pieces_.reserve(tiles.size());
    for (const PuzzleTile& tile : tiles) {
        const std::vector<uint8_t> pixels = CutPuzzleTile(picture_, config_, tile);
        halvo::AutoRef<GLImage> image(new GLImage());
        if (!image->CreateFromPixels(pixels.data(), tile.size)) return "a piece's picture could not be made";
        image->anchor = {0.0f, 0.0f};
        pieces_.push_back(image);
    }
    return nullptr;
}

// ---- input -------------------------------------------------------------------------

bool MG_Puzzle::OnInput(const InputEvent& event) {
    if (!rules_) return false;
    const bool pointerEvent = event.kind == InputEvent::kButtonDown || event.kind == InputEvent::kPointer ||
                              event.kind == InputEvent::kButtonUp;
    if (!pointerEvent || rules_->IsAutoSolving()) return false;
    if (IsMessageShown()) {
        AdvanceMessage(event);
        return true;
    }
    const Game* game = Game::Current();
    const double now = game ? game->totalTime : 0.0;
    PuzzleMove move = PuzzleMove::kIgnored;
    if (event.kind == InputEvent::kButtonDown) move = rules_->Press(TruncatedPosition(event), now);
    if (event.kind == InputEvent::kPointer) move = rules_->MovePointer(TruncatedPosition(event));
    if (event.kind == InputEvent::kButtonUp) move = rules_->Release(now);
    PlayMoveSounds(move);
    // A release always belongs to the puzzle; a move only while pressed.
    return move != PuzzleMove::kIgnored || event.kind == InputEvent::kButtonUp;
}

void MG_Puzzle::PlayMoveSounds(PuzzleMove move) {
    if (move == PuzzleMove::kTurned) PlayMiniGameSound(kTurnSound);
    if (move == PuzzleMove::kJoined) PlayMiniGameSound(kJoinSound);
    if (move == PuzzleMove::kJoined || move == PuzzleMove::kPlaced) PlayMiniGameSound(kDownSound);
}

bool MG_Puzzle::SolveOnHelp() {
    if (!rules_) return false;
    rules_->StartAutoSolve();
    return true;
}

// ---- update and drawing -------------------------------------------------------------

void MG_Puzzle::OnUpdate(double, double stepMs) {
    if (!rules_ || IsFrozen()) return;
    AddTime(stepMs);
    const Game* game = Game::Current();
    Report(rules_->Step(game && game->cheatAutoPlay));
}

void MG_Puzzle::Report(PuzzleResult result) {
    if (result == PuzzleResult::kWon) Finish(kMiniGameWon);
    if (result == PuzzleResult::kSkipped) Finish(kMiniGameSkipped);
}

void MG_Puzzle::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    if (background_) background_->Draw(matrix);
    for (int32_t piece : rules_->GetDrawOrder()) {
        PlacePieceImage(piece);
        pieces_[piece]->Draw(matrix);
    }
}

// The rules turn a group counter-clockwise on screen by its rotation about
// each piece's home corner: the picture turns the same way about its
// top-left corner.
void MG_Puzzle::PlacePieceImage(int32_t piece) {
    GLImage& image = *pieces_[piece];
    const Point2i at = rules_->GetWorldPosition(piece);
    const Vec2 position{static_cast<float>(at.x), static_cast<float>(at.y)};
    const int32_t turns = (kTurnsPerCircle - rules_->GetGroupRotation(piece)) % kTurnsPerCircle;
    const Quaternion rotation = Quaternion::FromAngleZ(PuzzleRules::kQuarterTurn * static_cast<float>(turns));
    if (image.position == position && image.rotation.z == rotation.z && image.rotation.w == rotation.w) return;
    image.position = position;
    image.rotation = rotation;
    image.matrixDirty = true;
}
