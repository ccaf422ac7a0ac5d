#pragma once
// The click-sound interface: the GUI manager asks every installed module to
// play the button or radio click of a widget. The game installs its module.

#include "platform/RefObj.h"

namespace halvo {

class GuiWidget;

// Kinds of GuiMain::PlaySound.
enum GuiSoundKind : int32_t {
    kSoundButton = 0,
    kSoundRadio = 1,
};

class GuiSound : public RefObj {
public:
    ~GuiSound() override = default;
    virtual void PlayButtonSound(GuiWidget* widget) = 0;
    virtual void PlayRadioSound(GuiWidget* widget) = 0;
};

}  // namespace halvo
