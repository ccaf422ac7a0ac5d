#pragma once
// The shell's hooks for the services the platform layer itself provides:
// file roots, the data tree, the render-state cache, sound and language.
// Later subsystems add their own hooks (scripts, GUI) to the same set.

#include "platform/AppClient.h"

ShellHooks PlatformServiceHooks();
