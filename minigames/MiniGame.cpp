#include "minigames/MiniGame.h"

#include "game/Game.h"
#include "minigames/MiniGameScreen.h"
#include "platform/Log.h"
#include "platform/Sound.h"

halvo::AutoRef<GLImage> LoadMiniGameImage(const char* folder, const std::string& name) {
    halvo::AutoRef<GLImage> image(new GLImage());
    if (image->Load("%s%s.cbi", folder, name.c_str())) return image;
    halvo::LogMessage("MiniGame::LoadConfig - a picture cannot be read (%s%s.cbi)", folder, name.c_str());
    return {};
}

void PlayMiniGameSound(const char* name) { Sound::Play(1.0f, false, "%s", name); }

MiniGameScreen* MiniGame::GetHost() const { return CastTo<MiniGameScreen>(GetParent()); }

bool MiniGame::IsFrozen() const {
    const Game* game = Game::Current();
    if (game && game->paused) return true;
    return IsFinished() || IsMessageShown();
}

bool MiniGame::IsFinished() const {
    const MiniGameScreen* host = GetHost();
    return host && host->IsFinished();
}

bool MiniGame::IsMessageShown() const {
    const MiniGameScreen* host = GetHost();
    return host && host->IsMessageShown();
}

bool MiniGame::AdvanceMessage(const InputEvent& event) {
    MiniGameScreen* host = GetHost();
    if (event.kind != InputEvent::kButtonUp || !host || !host->IsMessageShown()) return false;
    host->ShowNextMessage();
    return true;
}

void MiniGame::AddTime(double stepMs) {
    if (MiniGameScreen* host = GetHost()) host->AddTime(stepMs);
}

void MiniGame::CreateTimer(const char* statisticsKey) {
    if (MiniGameScreen* host = GetHost()) host->CreateTimer(true, statisticsKey);
}

void MiniGame::Finish(int32_t result) {
    if (MiniGameScreen* host = GetHost()) host->Finish(result);
}

void MiniGame::CentreOn(const Vec2& centre, Point2i size) {
    SetSize(size);
    SetPosition(centre - Vec2{static_cast<float>(size.x), static_cast<float>(size.y)} * 0.5f);
}
