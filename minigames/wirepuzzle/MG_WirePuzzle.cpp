#include "minigames/wirepuzzle/MG_WirePuzzle.h"

#include "game/Game.h"
#include "gui/GuiTexture.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"
#include "platform/XmlUtil.h"

#include <cmath>

namespace {

constexpr const char* kFolder = "MiniGames/Draehte/";
constexpr const char* kTurnSound = "Sfx/minigame_stoneplate1_move";
constexpr const char* kDropSound = "Sfx/minigame_stoneplate2_move";

bool IsAutoPlay() {
    const Game* game = Game::Current();
    return game && game->cheatAutoPlay;
}

}  // namespace

const ClassRecord MG_WirePuzzle::kClassRecord = {"MG_WirePuzzle", &GameScreen::kClassRecord,
                                                 &MG_WirePuzzle::Create};

halvo::RefObj* MG_WirePuzzle::Create() { return new MG_WirePuzzle(); }

MG_WirePuzzle::MG_WirePuzzle() = default;

MG_WirePuzzle::~MG_WirePuzzle() = default;

bool MG_WirePuzzle::LoadConfig(const Vec2& centre) {
    std::string file;
    const char* why = ReadConfig(file);
    if (!why) why = LoadImages();
    if (why) {
        halvo::LogMessage("MG_WirePuzzle::LoadConfig - %s (%s)", why, file.c_str());
        return false;
    }
    CentreOn(centre, background_->size);
    rules_ = std::make_unique<WirePuzzleRules>(config_);
    BuildHotSpots();
    pressed_ = false;
    moveCount_ = 0;
    if (MiniGameScreen* host = GetHost()) host->CreateCounter(true, kMovesKey);
    if (IsAutoPlay()) rules_->StartAutoPlay();
    return true;
}

const char* MG_WirePuzzle::ReadConfig(std::string& file) {
    const char* name = DataTree::GetString(kConfigKey);
    if (!name || !*name) return "no configuration named";
    file = std::string(kFolder) + name + ".xml";
    TiXmlDocument document;
    if (!XmlLoadFile(document, file.c_str())) return "the file is missing or no XML";
    return ReadWirePuzzleConfig(document, config_);
}

const char* MG_WirePuzzle::LoadImages() {
    background_ = LoadMiniGameImage(kFolder, config_.background);
    if (!background_) return "no background picture";
    background_->anchor = {0.0f, 0.0f};
    background_->matrixDirty = true;
    plateImages_.clear();
    for (const WireTileConfig& tile : config_.tiles) {
        halvo::AutoRef<GLImage> image = LoadMiniGameImage(kFolder, tile.file);
        if (!image) return "a plate picture is missing";
        plateImages_.push_back(image);
    }
    wires_.clear();
    for (const WireConnectionConfig& connection : config_.connections) {
        Wire wire;
        for (const WireImageConfig& picture : connection.images) {
            halvo::AutoRef<GLImage> image = LoadMiniGameImage(kFolder, picture.file);
            if (!image) return "a wire picture is missing";
            image->position = {picture.position.x, picture.position.y};
            halvo::SetRotationDegrees(*image, picture.angle);
            if (picture.coloured) wire.colourImages[picture.colour] = image;
            else wire.defaultImage = image;
        }
        wires_.push_back(std::move(wire));
    }
    return nullptr;
}

void MG_WirePuzzle::BuildHotSpots() {
    hotSpots_.clear();
    for (const auto& [label, place] : config_.places) {
        const auto polygon = config_.hotspots.find(place.hotspotName);
        if (polygon == config_.hotspots.end()) {
            hotSpots_.emplace_back();
            continue;
        }
        halvo::AutoRef<HotSpot> hotSpot(new HotSpot());
        for (const WirePoint& point : polygon->second) hotSpot->AddPoint({point.x, point.y});
        hotSpots_.push_back(hotSpot);
    }
}

int32_t MG_WirePuzzle::PlaceAt(Vec2 point) const {
    if (!rules_) return WirePuzzleRules::kNoPlace;
    for (int32_t place = 0; place < rules_->GetPlaceCount(); ++place) {
        const HotSpot* hotSpot = hotSpots_[place].Get();
        if (hotSpot && hotSpot->Contains(point - rules_->GetPlacePosition(place))) return place;
    }
    return WirePuzzleRules::kNoPlace;
}

// ---- input -------------------------------------------------------------------------

bool MG_WirePuzzle::OnInput(const InputEvent& event) {
    if (!rules_) return false;
    const Vec2 p{event.x, event.y};
    switch (event.kind) {
    case InputEvent::kButtonDown:
        if (!IsMessageShown() && !pressed_) Press(p);
        return true;
    case InputEvent::kPointer:
        if (IsMessageShown()) return true;
        if (pressed_) Drag(p);
        return false;
    case InputEvent::kButtonUp:
        if (AdvanceMessage(event)) return true;
        if (pressed_) Release();
        return true;
    default:
        return false;
    }
}

void MG_WirePuzzle::Press(Vec2 p) {
    pressed_ = true;
    pressPos_ = pointerPos_ = p;
    dragMoved_ = false;
    rules_->Grab(PlaceAt(p));
}

void MG_WirePuzzle::Drag(Vec2 p) {
    pointerPos_ = p;
    if (!dragMoved_) {
        const Vec2 d = pointerPos_ - pressPos_;
        if (d.x * d.x + d.y * d.y > kDragDistanceSquared) {
            dragMoved_ = true;
            rules_->AllConnected();  // the wires through the lifted plate go out
        }
    }
    if (dragMoved_) rules_->DragGrabbedTo(pointerPos_);
}

void MG_WirePuzzle::Release() {
    if (rules_->GetGrabbed() != WirePuzzleRules::kNoPlate) {
        if (dragMoved_) {
            PlayMiniGameSound(kDropSound);
            if (rules_->DropGrabbed(PlaceAt(pointerPos_)) == WireDrop::kMoved) ++moveCount_;
        } else if (rules_->TurnGrabbed()) {
            PlayMiniGameSound(kTurnSound);
            rules_->AllConnected();
            ++moveCount_;
        }
        if (MiniGameScreen* host = GetHost()) host->SetCounter(moveCount_);
    }
    pressed_ = false;
    dragMoved_ = false;
    rules_->Release();
}

// ---- update and drawing -------------------------------------------------------------

void MG_WirePuzzle::OnUpdate(double, double) {
    if (!rules_ || IsFrozen()) return;
    if (rules_->Step(IsAutoPlay()).won) MiniGameScreen::ReportWon(*this);
}

float MG_WirePuzzle::PlateAngle(float turn, int32_t sideCount) {
    if (sideCount <= 0) return 0.0f;
    // A turn forward brings side i + 1's colour to side i: with sides counted
    // clockwise the picture turns anticlockwise, and the image's positive
    // angles turn clockwise (its y axis points down).
    float angle = std::fmod(-turn * 360.0f / static_cast<float>(sideCount), 360.0f);
    if (angle < 0) angle += 360.0f;
    return angle;
}

void MG_WirePuzzle::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    DrawPlates(matrix, false);
    DrawWires(matrix);
    DrawPlates(matrix, true);
    const Game* game = Game::Current();
    if (game && game->cheatShowHotspots) DrawOutlines(matrix);
    GLState::SetColor(Color::White);
}

void MG_WirePuzzle::PosePlate(int32_t index) {
    const WireTile& tile = rules_->GetTile(index);
    GLImage& image = *plateImages_[tile.id];
    image.position = WirePuzzleRules::ShownPosition(tile);
    const bool dragged = pressed_ && dragMoved_ && rules_->GetGrabbed() == index;
    const float scale = WirePuzzleRules::IsAnimating(tile) || dragged ? kLiftedScale : 1.0f;
    image.scale = {scale, scale};
    halvo::SetRotationDegrees(image, PlateAngle(WirePuzzleRules::ShownTurn(tile),
                                                static_cast<int32_t>(tile.sides.size())));
}

// Resting plates lie under the wires, moving and held ones above them; the
// plate at the front of the list is drawn last in its layer.
void MG_WirePuzzle::DrawPlates(const Matrix4& matrix, bool lifted) {
    for (int32_t i = rules_->GetTileCount() - 1; i >= 0; --i) {
        const WireTile& tile = rules_->GetTile(i);
        const bool isLifted = tile.moveFrames > 0 || (pressed_ && rules_->GetGrabbed() == i);
        if (isLifted != lifted) continue;
        PosePlate(i);
        plateImages_[tile.id]->Draw(matrix);
    }
}

void MG_WirePuzzle::DrawWires(const Matrix4& matrix) {
    const std::vector<WireCnnct>& connections = rules_->GetConnections();
    for (size_t i = 0; i < connections.size(); ++i) {
        if (connections[i].shownColour < 0) continue;
        const Wire& wire = wires_[i];
        const auto coloured = wire.colourImages.find(rules_->GetColourName(connections[i].shownColour));
        GLImage* image = coloured != wire.colourImages.end() ? coloured->second.Get() : wire.defaultImage.Get();
        if (image) image->Draw(matrix);
    }
}

void MG_WirePuzzle::DrawOutlines(const Matrix4& matrix) {
    for (int32_t place = 0; place < rules_->GetPlaceCount(); ++place) {
        const HotSpot* hotSpot = hotSpots_[place].Get();
        if (!hotSpot || hotSpot->Points().empty()) continue;
        // The model-view's y axis points up: the place's offset goes in negated.
        Matrix4 placed = matrix;
        placed.m[12] += rules_->GetPlacePosition(place).x;
        placed.m[13] -= rules_->GetPlacePosition(place).y;
        GLState::SetModelview(placed);
        hotSpot->DrawOutline();
    }
}
