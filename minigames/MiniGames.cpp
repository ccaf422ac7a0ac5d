#include "minigames/MiniGames.h"

#include "game/Game.h"
#include "minigames/lock/MG_Lock.h"
#include "minigames/match3/MG_Match3.h"
#include "minigames/pipes/MG_Pipes.h"
#include "minigames/pushpuzzle/MG_PushPuzzle.h"
#include "minigames/puzzle/MG_Puzzle.h"
#include "minigames/senso/MG_Senso.h"
#include "minigames/target/MG_Target.h"
#include "minigames/wirepuzzle/MG_WirePuzzle.h"
#include "minigames/MiniGameScreen.h"
#include "platform/Log.h"

#include <cstring>
#include <string>

namespace {

struct MiniGameEntry {
    const char* name;
    halvo::RefObj* (*create)();
};

constexpr MiniGameEntry kMiniGames[] = {
    {"Abfolge", &MG_Senso::Create},
    {"Draehte", &MG_WirePuzzle::Create},
    {"Match3", &MG_Match3::Create},
    {"Mosaik", &MG_PushPuzzle::Create},
    {"Puzzle", &MG_Puzzle::Create},
    {"Rohre", &MG_Pipes::Create},
    {"Schloss", &MG_Lock::Create},
    {"Zielscheiben", &MG_Target::Create},
};

// An author who wrote a game's English name or a folder's case needs the
// names there are.
void TellUnknownName(const char* name) {
    std::string names;
    for (const MiniGameEntry& entry : kMiniGames) names += std::string(names.empty() ? "" : ", ") + entry.name;
    halvo::LogMessage("MiniGames::Start - no mini-game is named '%s' (the names: %s)", name, names.c_str());
}

MiniGameStart StartOver(GameScreen& cutscene, const char* name, Vrel::Thread* caller) {
    halvo::AutoRef<MiniGameScreen> host(new MiniGameScreen());
    cutscene.AddChild(host.Get());
    host->Begin(caller);
    halvo::AutoRef<MiniGame> game(CreateMiniGame(name));
    if (!game) {
        TellUnknownName(name);
        host->GiveUp();
        return MiniGameStart::kUnknownName;
    }
    host->AddGame(game.Get());
    if (game->LoadConfig(host->GetViewCenter())) return MiniGameStart::kStarted;
    host->GiveUp();
    return MiniGameStart::kRefused;
}

}  // namespace

MiniGame* CreateMiniGame(const char* name) {
    if (!name) return nullptr;
    for (const MiniGameEntry& entry : kMiniGames)
        if (std::strcmp(entry.name, name) == 0) return static_cast<MiniGame*>(entry.create());
    return nullptr;
}

void RegisterMiniGames() { Game::SetMiniGameStarter(&StartOver); }
