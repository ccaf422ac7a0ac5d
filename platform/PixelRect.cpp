#include "platform/PixelRect.h"

#include <cstring>

namespace {

bool Inside(int32_t start, int32_t length, int32_t limit) {
    return start >= 0 && length > 0 && int64_t{start} + length <= limit;
}

}  // namespace

std::unique_ptr<uint8_t[]> CopyPixelRect(Point2i rectSize, const uint8_t* pixels,
                                         Point2i bufferSize, Point2i origin) {
    if (!pixels || !Inside(origin.x, rectSize.x, bufferSize.x) ||
        !Inside(origin.y, rectSize.y, bufferSize.y))
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(rectSize.x) * 4;
    const size_t sourceStride = static_cast<size_t>(bufferSize.x) * 4;
    auto out = std::make_unique_for_overwrite<uint8_t[]>(rowBytes * static_cast<size_t>(rectSize.y));
    for (int32_t row = 0; row < rectSize.y; ++row) {
        const uint8_t* source =
            pixels + (static_cast<size_t>(origin.y) + row) * sourceStride + size_t(origin.x) * 4;
        std::memcpy(out.get() + static_cast<size_t>(row) * rowBytes, source, rowBytes);
    }
    return out;
}
