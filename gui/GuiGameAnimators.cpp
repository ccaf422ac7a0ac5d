#include "gui/GuiGameAnimators.h"

#include "gui/GuiMain.h"
#include "gui/GuiPulsarAnimator.h"
#include "gui/GuiStarAnimator.h"

namespace halvo {

void RegisterGameAnimators() {
    GuiMain& gui = GuiMain::Global();
    gui.RegisterAnimator("StarAnimator", &NewAnimator<GuiStarAnimator>);
    gui.RegisterAnimator("Pulsar", &NewAnimator<GuiPulsarAnimator>);
}

}  // namespace halvo
