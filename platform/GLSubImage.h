#pragma once
// One OpenGL texture of an image and the part of the picture it shows.

#include "platform/Math.h"
#include "platform/RefObj.h"

#include <cstdint>

class GLSubImage : public halvo::RefObj {
public:
    GLSubImage(Point2i offset, Point2i textureSize, Point2i contentSize, int32_t format)
        : offset(offset), textureSize(textureSize), contentSize(contentSize), format(format) {}
    // Deletes the texture, unbinding it first when it is the bound one.
    ~GLSubImage() override;

    // Top-left corner of the content, relative to the image centre.
    Point2i offset;
    Point2i textureSize;
    Point2i contentSize;
    int32_t format;
    uint32_t texture = 0;
};
