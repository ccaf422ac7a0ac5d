#pragma once
// What the program entry sets up around the one game: shared with the
// headless harness and the game benchmark, which start the game as it does.

#include "platform/AppClient.h"

// Function-local statics are destroyed in the reverse order of their
// construction, so touching them here fixes both orders: the script machine
// is built first and destroyed last.
void ConstructProcessWideObjects();

// The platform's hooks with the frame's script scheduler pass and the GUI
// root's update filled in.
ShellHooks GameShellHooks();
