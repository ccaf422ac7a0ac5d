#include "minigames/pipes/MG_Pipes.h"

#include "game/Game.h"
#include "gui/GuiTexture.h"
#include "minigames/pipes/MersenneTwister.h"
#include "minigames/MiniGameScreen.h"
#include "platform/DataTree.h"
#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/Sound.h"
#include "platform/XmlUtil.h"

#include <cmath>
#include <numbers>

namespace {

constexpr const char* kFolder = "MiniGames/Rohre/";
constexpr const char* kTurnSound = "Sfx/action_glass_move";
constexpr const char* kDrainSound = "Sfx/action_chili_drop_liquid";
constexpr const char* kFillSound = "Sfx/object_plastic_bottle_liquid";
// A quarter turn clockwise on screen, as the openings turn: the image's
// positive angles turn clockwise, its y axis pointing down.
constexpr float kDegreesPerTurn = 90.0f;

// b - a, each taken modulo the period, brought into (-period/2, period/2]:
// the short way from a to b.
float WrappedDifference(float a, float b, float period) {
    float d = std::fmod(b, period) - std::fmod(a, period);
    if (d <= -period / 2) d += period;
    if (d > period / 2) d -= period;
    return d;
}

}  // namespace

const ClassRecord MG_Pipes::kClassRecord = {"MG_Pipes", &GameScreen::kClassRecord, &MG_Pipes::Create};

halvo::RefObj* MG_Pipes::Create() { return new MG_Pipes(); }

MG_Pipes::MG_Pipes() = default;

MG_Pipes::~MG_Pipes() = default;

bool MG_Pipes::LoadConfig(const Vec2& centre) {
    std::string file;
    const char* why = ReadConfig(file);
    if (!why) why = LoadImages();
    if (!why) {
        const Game* game = Game::Current();
        const uint32_t seed = MersenneTwister::SeedWordFromTime(game ? game->totalTime : 0.0);
        rules_ = std::make_unique<PipesRules>(config_, seed);
        why = rules_->GetRefusal();
    }
    if (why) {
        halvo::LogMessage("MG_Pipes::LoadConfig - %s (%s)", why, file.c_str());
        rules_.reset();
        return false;
    }
    CentreOn(centre, background_->size);
    CreateTimer(kTimeKey);
    return true;
}

const char* MG_Pipes::ReadConfig(std::string& file) {
    const char* name = DataTree::GetString(kConfigKey);
    if (!name || !*name) return "no configuration named";
    file = std::string(kFolder) + name + ".xml";
    TiXmlDocument document;
    if (!XmlLoadFile(document, file.c_str())) return "the file is missing or no XML";
    return ReadPipesConfig(document, config_);
}

const char* MG_Pipes::LoadImages() {
    background_ = LoadShared(config_.background);
    if (!background_) return "no background picture";
    background_->anchor = {0.0f, 0.0f};
    background_->matrixDirty = true;
    types_.clear();
    for (const PipesTypeInfo& tile : config_.tiles) {
        TypeImages images{LoadShared(tile.baseFile), LoadShared(tile.maskFile1), LoadShared(tile.maskFile2)};
        if (!images.base || !images.mask1 || !images.mask2) return "a tile picture is missing";
        types_.push_back(images);
    }
    for (const std::vector<PipesPort>* ports : {&config_.inlets, &config_.outlets}) {
        for (const PipesPort& port : *ports) {
            // An inlet's or outlet's overlay is optional; a missing one is skipped.
            TypeImages images{LoadShared(port.type.baseFile), {}, {}};
            if (!port.type.maskFile1.empty()) images.mask1 = LoadShared(port.type.maskFile1);
            if (!images.base) return "an inlet or outlet picture is missing";
            types_.push_back(images);
        }
    }
    return nullptr;
}

halvo::AutoRef<GLImage> MG_Pipes::LoadShared(const std::string& name) {
    for (const auto& [loadedName, image] : loaded_)
        if (loadedName == name) return image;
    // Kept when it cannot be read too: it is tried, and told, once.
    halvo::AutoRef<GLImage> image = LoadMiniGameImage(kFolder, name);
    loaded_.emplace_back(name, image);
    return image;
}

Vec2 MG_Pipes::CellCentre(int32_t x, int32_t y) const {
    return {static_cast<float>(config_.offX + config_.spcX * x), static_cast<float>(config_.offY + config_.spcY * y)};
}

// ---- input -------------------------------------------------------------------------

bool MG_Pipes::OnInput(const InputEvent& event) {
    if (event.kind != InputEvent::kButtonUp) return false;
    if (AdvanceMessage(event)) return true;
    const Point2i size = GetSize();
    if (!(event.x >= 0 && event.x < static_cast<float>(size.x) && event.y >= 0 &&
          event.y < static_cast<float>(size.y)))
        return false;
    Point2i cell;
    if (!rules_ || !CellFromEvent(event, cell)) return true;
    const PipesTurn turn = rules_->TryTurn(cell.x, cell.y);
    if (turn == PipesTurn::kRefused) return true;
    PlayMiniGameSound(kTurnSound);
    if (turn == PipesTurn::kTurnedAndDrained) PlayMiniGameSound(kDrainSound);
    return true;
}

bool MG_Pipes::CellFromEvent(const InputEvent& event, Point2i& cell) const {
    // The reader keeps the spacing at 1 or more, so these stay finite.
    const float spcX = static_cast<float>(config_.spcX), spcY = static_cast<float>(config_.spcY);
    const float qx = (event.x - static_cast<float>(config_.offX) + spcX * 0.5f) / spcX;
    const float qy = (event.y - static_cast<float>(config_.offY) + spcY * 0.5f) / spcY;
    if (!(qx >= 0 && qy >= 0)) return false;
    cell = {TruncateToInt(qx), TruncateToInt(qy)};
    return true;
}

// ---- update and drawing -------------------------------------------------------------

void MG_Pipes::OnUpdate(double, double stepMs) {
    if (!rules_ || IsFrozen()) return;
    AddTime(stepMs);
    const PipesStepReport report = rules_->Step();
    if (report.outletFilled) PlayMiniGameSound(kFillSound);
    if (report.won) MiniGameScreen::ReportWon(*this);
}

float MG_Pipes::DrawAngle(const PipesTile& tile, bool animated) {
    float turns = static_cast<float>(tile.rotation);
    if (animated && tile.turnSteps > 0) {
        const float progress = static_cast<float>(tile.turnSteps) / static_cast<float>(PipesRules::kTurnSteps);
        const float weight = 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * progress);
        turns += weight * WrappedDifference(static_cast<float>(tile.rotation),
                                            static_cast<float>(tile.prevRotation), 4.0f);
    }
    return WrapDegrees(kDegreesPerTurn * turns);
}

void MG_Pipes::OnRender(const Matrix4& matrix) {
    if (!rules_) return;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    background_->Draw(matrix);
    for (int32_t y = 0; y < rules_->GetCountY(); ++y) {
        for (int32_t x = 0; x < rules_->GetCountX(); ++x) {
            const PipesTile& tile = rules_->TileAt(x, y);
            DrawTile(tile, CellCentre(x, y), DrawAngle(tile, true), matrix);
        }
    }
    const std::vector<PipesTile>& slots = rules_->GetInletSlots();
    for (size_t i = 0; i < slots.size(); ++i) {
        const Vec2 offset{config_.inlets[i].offsetX, config_.inlets[i].offsetY};
        DrawTile(slots[i], CellCentre(slots[i].cellX, slots[i].cellY) + offset, DrawAngle(slots[i], false), matrix);
    }
    GLState::SetColor(Color::White);
}

void MG_Pipes::DrawTile(const PipesTile& tile, Vec2 position, float angle, const Matrix4& matrix) {
    if (tile.typeIndex < 0 || tile.typeIndex >= static_cast<int32_t>(types_.size())) return;
    const TypeImages& images = types_[tile.typeIndex];
    GLImage* const layers[3] = {images.base.Get(), images.mask1.Get(), images.mask2.Get()};
    for (int layer = 0; layer < 3; ++layer) {
        GLImage* image = layers[layer];
        if (!image) continue;
        if (layer == 0) {
            GLState::SetColor(Color::White);
        } else {
            const int32_t colour = tile.channelColour[layer - 1];
            if (colour < 0 || colour >= static_cast<int32_t>(config_.colours.size())) continue;
            const PipesColour& c = config_.colours[colour];
            GLState::SetColor({c.red, c.green, c.blue, 255});
        }
        image->position = position;
        halvo::SetRotationDegrees(*image, angle);
        image->Draw(matrix);
    }
}
