#include "minigames/pushpuzzle/MG_PushPuzzle.h"

#include "game/Game.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/PixelRect.h"
#include "platform/TgaFile.h"

namespace {

constexpr const char* kFolder = "MiniGames/Mosaik/";
constexpr const char* kSlideSound = "Sfx/action_click_out_wood";

// The folder's file of that name and extension; empty for a missing name.
std::string FileOf(const char* name, const char* extension) {
    if (!name || !*name) return {};
    return std::string(kFolder) + name + extension;
}

void PlaceAt(GLImage& image, Vec2 position) {
    if (image.position == position) return;
    image.position = position;
    image.matrixDirty = true;
}

}  // namespace

const ClassRecord MG_PushPuzzle::kClassRecord = {"MG_PushPuzzle", &GameScreen::kClassRecord,
                                                 &MG_PushPuzzle::Create};

halvo::RefObj* MG_PushPuzzle::Create() { return new MG_PushPuzzle(); }

MG_PushPuzzle::MG_PushPuzzle() = default;

MG_PushPuzzle::~MG_PushPuzzle() = default;

// The pieces are cut after the rules are built: the rules fix the piece size
// and where the picture sits, and the screen does not compute them twice.
bool MG_PushPuzzle::LoadConfig(const Vec2& centre) {
    std::string file;
    std::unique_ptr<uint8_t[]> picture;
    const char* why = ReadConfig(file, picture);
    if (!why) why = ReadPushPuzzleConfig(config_);
    if (!why) {
        rules_ = std::make_unique<PushPuzzleRules>(config_);
        if (!rules_->IsReady()) why = "the shuffle found no start";
    }
    if (!why) why = CutPieces(picture.get());
    if (why) {
        halvo::LogMessage("MG_PushPuzzle::LoadConfig - %s (%s)", why, file.c_str());
        rules_.reset();
        pieces_.clear();
        background_ = {};
        return false;
    }
    CentreOn(centre, background_->size);
    if (MiniGameScreen* host = GetHost()) host->CreateCounter(true, kMovesKey);
    return true;
}

const char* MG_PushPuzzle::ReadConfig(std::string& file, std::unique_ptr<uint8_t[]>& picture) {
    // The picture is named by the loader when it cannot be read; the
    // refusal names the key that named it.
    const char* background = DataTree::GetString(kBackgroundKey);
    file = kBackgroundKey;
    if (!background || !*background) return "no background named";
    // The rules check the picture against the background's size.
    background_ = LoadMiniGameImage(kFolder, background);
    if (!background_) return "the background is missing or unreadable";
    background_->anchor = {0.0f, 0.0f};
    config_.backgroundWidth = background_->size.x;
    config_.backgroundHeight = background_->size.y;

    file = FileOf(DataTree::GetString(kPictureKey), ".tga");
    if (file.empty()) {
        file = kPictureKey;
        return "no picture named";
    }
    if (!DataTree::Exists(kGridSizeKey)) return "no grid size";
    config_.gridSize = DataTree::GetInt(kGridSizeKey);
    Point2i size;
    picture = LoadTGA(&size, &config_.pictureBitsPerPixel, "%s", file.c_str());
    if (!picture) return "the picture is missing or unreadable";
    config_.pictureWidth = size.x;
    config_.pictureHeight = size.y;
    return nullptr;
}

const char* MG_PushPuzzle::CutPieces(const uint8_t* picture) {
    const int32_t n = rules_->GetGridSize();
    const Point2i tile{rules_->GetTileWidth(), rules_->GetTileHeight()};
    const Point2i pictureSize{config_.pictureWidth, config_.pictureHeight};
    pieces_.assign(size_t(rules_->GetCellCount()), {});
    for (int32_t home = 0; home < rules_->GetCellCount(); ++home) {
        if (home == rules_->GetGapHome()) continue;
        const Point2i origin{tile.x * (home % n), tile.y * (home / n)};
        const std::unique_ptr<uint8_t[]> pixels = CopyPixelRect(tile, picture, pictureSize, origin);
        halvo::AutoRef<GLImage> piece(new GLImage());
        if (!pixels || !piece->CreateFromPixels(pixels.get(), tile)) return "a piece cannot be cut";
        piece->anchor = {0.0f, 0.0f};
        pieces_[home] = piece;
    }
    return nullptr;
}

// ---- input -------------------------------------------------------------------------

bool MG_PushPuzzle::OnInput(const InputEvent& event) {
    if (event.kind != InputEvent::kButtonUp) return false;
    if (AdvanceMessage(event)) return true;
    const Point2i size = GetSize();
    if (!rules_ || !(event.x >= 0 && event.x < float(size.x) && event.y >= 0 && event.y < float(size.y)))
        return false;
    // A slide during the help's solve would leave the picture unsolved.
    if (IsFinished() || rules_->IsAutoSolved()) return true;
    const Point2i cell = CellFromEvent(event);
    if (!rules_->Slide(cell.x, cell.y)) return true;
    PlayMiniGameSound(kSlideSound);
    if (MiniGameScreen* host = GetHost()) host->SetCounter(rules_->GetMoves());
    return true;
}

Point2i MG_PushPuzzle::CellFromEvent(const InputEvent& event) const {
    return {TruncateToInt((event.x - float(rules_->GetPictureX())) / float(rules_->GetTileWidth())),
            TruncateToInt((event.y - float(rules_->GetPictureY())) / float(rules_->GetTileHeight()))};
}

// ---- update, help and drawing -------------------------------------------------------

void MG_PushPuzzle::OnUpdate(double, double) {
    if (!rules_ || IsFrozen()) return;
    const Game* game = Game::Current();
    if (rules_->Step(game && game->cheatAutoPlay) != PushPuzzleStep::kSolved) return;
    Finish(rules_->IsAutoSolved() ? kMiniGameSkipped : kMiniGameWon);
}

void MG_PushPuzzle::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    DrawPieces(matrix);
}

bool MG_PushPuzzle::SolveOnHelp() {
    if (!rules_) return false;
    rules_->AutoSolve();
    return true;
}

void MG_PushPuzzle::DrawPieces(const Matrix4& matrix) {
    for (int32_t cell = 0; cell < rules_->GetCellCount(); ++cell) {
        const int32_t home = rules_->HomeAt(cell);
        if (home == rules_->GetGapHome()) continue;
        GLImage& piece = *pieces_[size_t(home)];
        const PushPuzzlePoint place = rules_->PiecePlace(cell);
        PlaceAt(piece, {place.x, place.y});
        piece.Draw(matrix);
    }
}
