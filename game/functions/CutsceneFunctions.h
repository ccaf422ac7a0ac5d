#pragma once
// The script functions that direct cutscenes and adventure scenes: speakers
// entering, changing pose and leaving, chat bubbles, the adventure scene's
// cutscene mode and hotspot picking, speaker poses kept loaded, and the
// credits page. The waiting forms check their own arguments and put the
// caller to sleep for the animation's time.

#include "script/runtime/library/FunctionAdapter.h"

namespace CutsceneFunctions {

// The animation time in ms; 0 without a cutscene screen.
float AddSpeakerNoWait(const char* name, const char* position, const char* pose);
// Exactly three texts, else reported; the caller sleeps the animation time.
float AddSpeaker(Vrel::t_Interface& call);
float SetPoseNoWait(const char* speaker, const char* pose);
// Exactly two texts.
float SetPose(Vrel::t_Interface& call);
float RemoveSpeakerNoWait(const char* speaker);
// At least one argument; the first, a text, names the speaker.
float RemoveSpeaker(Vrel::t_Interface& call);
// "Says"(speaker, text): the caller waits for the bubble; without a
// cutscene screen it runs on.
void Says(Vrel::t_Interface& call);

void EnterCutscene();
void LeaveCutscene();
// The label of the adventure scene's hotspot at the point; empty for none.
const char* PickHotspot(float x, float y);

void PreloadPose(const char* pose);
void UnloadAllPoses();

// The credits or statistics page in the frame given as the first argument;
// false without a widget or a page.
bool PlayCredits(Vrel::t_Interface& call);

}  // namespace CutsceneFunctions
