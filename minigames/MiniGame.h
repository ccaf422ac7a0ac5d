#pragma once
// Base of the mini-game screens: what every game does the same way towards
// its host (reached as its parent, when that is a MiniGameScreen) and the
// game. Each game's class record keeps "GameScreen" as its parent; this base
// adds no record. Without a host the host calls are skipped and the game
// still runs.

#include <string>

#include "game/screens/GameScreen.h"
#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class MiniGameScreen;

// The picture "<folder><name>.cbi"; null when it cannot be loaded, which
// is told in one line naming the file (the game's refusal, if any, names
// its configuration and not the picture again).
halvo::AutoRef<GLImage> LoadMiniGameImage(const char* folder, const std::string& name);
// One sound effect at full volume; the name is data, never a format.
void PlayMiniGameSound(const char* name);

class MiniGame : public GameScreen {
public:
    // Reads the game's keys and files, sizes and centres the game on
    // `centre`, builds its rules and only then creates the host's timer or
    // counter. False, having committed nothing, when anything is missing or
    // unplayable: the host then removes itself.
    virtual bool LoadConfig(const Vec2& centre) = 0;
    // The player asked for help: true when the game starts solving itself,
    // false to let the host skip it.
    virtual bool SolveOnHelp() { return false; }

protected:
    // Null when the parent is gone or is no host.
    MiniGameScreen* GetHost() const;
    // The game's clock and moves stop while the game is paused by script,
    // the host has a result, or a message is shown.
    bool IsFrozen() const;
    // The host has its result: input makes no more moves. A pause by
    // script stops the clock and the animations, not the player's input.
    bool IsFinished() const;
    bool IsMessageShown() const;
    // A button release while a message is shown shows the next message;
    // true when it did.
    bool AdvanceMessage(const InputEvent& event);
    void AddTime(double stepMs);
    void CreateTimer(const char* statisticsKey);
    void Finish(int32_t result);
    // Places the game, sized `size`, with its centre on `centre`.
    void CentreOn(const Vec2& centre, Point2i size);
};
