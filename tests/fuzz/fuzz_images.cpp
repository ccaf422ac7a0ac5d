// The ".cbi" and TGA readers on arbitrary bytes, with every GL call going to
// the recording stand-in (which reads each upload in full, so an over-read
// shows up under the address sanitizer).

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "platform/PixelRect.h"
#include "platform/TgaFile.h"
#include "support/FakeGlApi.h"

#include <cstddef>
#include <cstdint>

namespace {

// Keeps one run's tiling work small: TGA sizes reach 32767 x 32767.
constexpr int64_t kMaxPixelsToTile = 256 * 256;

FakeGlApi& Gl() {
    static FakeGlApi gl;
    static bool ready = [] {
        GLState::UseApi(&gl);
        GLState::Reset();
        return true;
    }();
    (void)ready;
    return gl;
}

void TileTga(const uint8_t* data, size_t size) {
    Point2i tgaSize;
    int32_t bits = 0;
    auto pixels = LoadTGAFromMemory(&tgaSize, &bits, data, size);
    if (!pixels || bits != 32) return;
    if (int64_t{tgaSize.x} * tgaSize.y > kMaxPixelsToTile) return;
    halvo::AutoRef<GLImage> image(new GLImage);
    image->CreateFromPixels(pixels.get(), tgaSize);
    image->Draw(Matrix4::Identity());
    const Point2i half{tgaSize.x / 2 + 1, tgaSize.y / 2};
    CopyPixelRect(half, pixels.get(), tgaSize, {tgaSize.x / 3, tgaSize.y / 4});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeGlApi& gl = Gl();
    gl.Clear();
    {
        halvo::AutoRef<GLImage> image(new GLImage);
        image->LoadFromMemory(data, size);
        image->anchor = {0, 0};
        image->matrixDirty = true;
        image->Draw(Matrix4::Identity());
    }
    TileTga(data, size);
    gl.Clear();
    return 0;
}
