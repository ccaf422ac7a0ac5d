#include "platform/GLSubImage.h"

#include "platform/GLState.h"

GLSubImage::~GLSubImage() { GLState::DeleteTexture(texture); }
