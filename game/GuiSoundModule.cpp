#include "game/GuiSoundModule.h"

#include "gui/GuiMain.h"
#include "platform/Sound.h"

void GuiSoundModule::Install() {
    // The GUI manager holds its modules for the whole process.
    static bool installed = false;
    if (installed) return;
    installed = true;
    halvo::GuiMain::Global().InstallSoundModule(new GuiSoundModule());
}

void GuiSoundModule::PlayButtonSound(halvo::GuiWidget*) { Sound::Play(1.0f, false, "%s", kClickSound); }

void GuiSoundModule::PlayRadioSound(halvo::GuiWidget*) { Sound::Play(1.0f, false, "%s", kClickSound); }
