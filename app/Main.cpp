// Program entry: builds the process-wide objects in their fixed order, then
// runs the game in the application shell.

#include "game/GameProcess.h"
#include "game/GameShellClient.h"
#include "minigames/MiniGames.h"
#include "platform/AppShell.h"

int main() {
    ConstructProcessWideObjects();
    RegisterMiniGames();
    GameShellClient client;
    AppShell shell(GameShellHooks());
    return shell.Run(client);
}
