#pragma once

#include "platform/Math.h"

#include <cstdint>
#include <memory>

// A new buffer of rectSize.x x rectSize.y 32-bit pixels holding the
// rectangle at `origin` of a source buffer of bufferSize pixels. Null when
// the rectangle is empty or does not lie wholly inside the source.
std::unique_ptr<uint8_t[]> CopyPixelRect(Point2i rectSize, const uint8_t* pixels,
                                         Point2i bufferSize, Point2i origin);
