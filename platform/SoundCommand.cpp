#include "platform/SoundCommand.h"

#include <cstdlib>

void SoundCommand::FreeOwned() {
    if (type == kSoundLoadBuffer) {
        std::free(args[0].p);
        std::free(args[2].p);
        args[0].p = nullptr;
        args[2].p = nullptr;
    } else if (type == kSoundStartStream) {
        std::free(args[1].p);
        args[1].p = nullptr;
    }
}
