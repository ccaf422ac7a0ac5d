#pragma once
// The script functions that answer about the machine and the running game
// rather than a screen: platform questions (always the desktop answer),
// opening an address with the desktop, random numbers, powers, the game
// time, the logical screen size and localised texts.

#include "script/runtime/values/Var.h"

namespace SystemFunctions {

// Opens a text with the desktop's default application; true when started.
using DesktopOpener = bool (*)(const char* target);

// "IsIPhone" and "IsConnectedToINet".
bool Never();
// "RatingMessage" and "ActivateEditControlHack".
void Nothing();
// "ShowURL" and "ShowFileURL": the text goes to the desktop opener as one
// argument, never through a shell; no text or an empty one is ignored, and
// so is the outcome.
void ShowURL(const char* target);
// Tests replace the opener; null restores the desktop's.
void SetDesktopOpener(DesktopOpener opener);
// 0 to 32767 modulo n, never negative; 0 for n of 0.
int Random(int n);
float GetGameTime();
// A new structure each call: {"xres", "yres"} of the logical screen size.
Vrel::Var GetScreenRes();
float Power(float base, float exponent);
// The key's translation as UTF-16 text; the key's own bytes, widened, when
// the table has no entry. Nil for no text.
Vrel::Var GetLocaText(const char* key);
// Always 0: the desktop platform.
int GetPlatform();
// Accepted and ignored.
void LogTime(const char* label);

}  // namespace SystemFunctions
