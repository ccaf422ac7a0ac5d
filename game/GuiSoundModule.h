#pragma once
// The game's click sound for the GUI: every button and radio click plays the
// same wooden confirmation effect. Installed once, first thing at the game's
// start; the GUI manager keeps it for the rest of the run.

#include "gui/GuiSound.h"

class GuiSoundModule : public halvo::GuiSound {
public:
    static constexpr const char* kClickSound = "Sfx/bestaetigung_drop_hit_wood_button";

    // Adds the module to the GUI manager's sound modules, unless this
    // process has installed one already (a second game would double every
    // click).
    static void Install();

    void PlayButtonSound(halvo::GuiWidget* widget) override;
    void PlayRadioSound(halvo::GuiWidget* widget) override;
};
