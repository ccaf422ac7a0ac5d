#pragma once
// An image that GUI widgets draw, shared through the GUI manager's texture
// cache by the name it was requested under.

#include "platform/GLImage.h"

namespace halvo {

class GuiTexture : public GLImage {
public:
    GuiTexture() = default;
    ~GuiTexture() override = default;
};

}  // namespace halvo
