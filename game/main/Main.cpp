// Program entry: builds the process-wide objects in their fixed order, then
// runs the game in the application shell.

#include "game/GameShellClient.h"
#include "platform/AppShell.h"
#include "platform/InputQueue.h"

namespace {

// Function-local statics are destroyed in the reverse order of their
// construction, so touching them here fixes both orders. The script machine,
// the type registry, the file manager and the GUI manager come before the
// input queue, and the localisation table, the sound state, the render-state
// cache and the data tree's documents after it, as those subsystems arrive.
void ConstructProcessWideObjects() { InputQueue::Global(); }

}  // namespace

int main() {
    ConstructProcessWideObjects();
    GameShellClient client;
    AppShell shell;
    return shell.Run(client);
}
