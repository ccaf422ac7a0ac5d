// The data tool's readers on arbitrary bytes: the first byte picks the text
// source reader (even) or the TGA reader (odd). What must hold: an accepted
// source gives a table whose index stays inside it; an accepted picture has
// exactly its pixels, and once encoded in the format the second byte picks it
// loads back through the engine's reader at its own size.

#include "platform/GLImage.h"
#include "platform/GLState.h"
#include "support/FakeGlApi.h"
#include "tools/datawriters/CbsiEncoder.h"
#include "tools/datawriters/LocaSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Keeps one run's encoding small: TGA sizes reach 32767 x 32767.
constexpr int64_t kMaxPixelsToEncode = 128 * 128;
constexpr CbsiFormat kFormats[] = {CbsiFormat::kAuto, CbsiFormat::kRgb, CbsiFormat::kRgba,
                                   CbsiFormat::kDxt1, CbsiFormat::kDxt5};

void Check(bool condition) {
    if (!condition) std::abort();
}

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

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return v;
}

void ReadSource(std::string_view text) {
    LocaTableWriter table;
    if (!LocaSource::Read(text, table).empty()) return;
    const std::string built = table.Build();
    Check(table.Count() > 0);
    const uint32_t count = Le32(built, 4), index = Le32(built, 12);
    Check(count == table.Count());
    Check(uint64_t{index} + 8ull * count == built.size());
    for (uint32_t i = 0; i < 2 * count; ++i) Check(Le32(built, index + 4 * i) < index);
}

void ReadPicture(const uint8_t* data, size_t size, CbsiFormat format) {
    Picture picture;
    if (ReadTgaPicture(data, size, picture)) {
        Check(picture.pixels.empty());
        return;
    }
    Check(picture.pixels.size() == size_t(picture.width) * picture.height * 4);
    if (int64_t{picture.width} * picture.height > kMaxPixelsToEncode) return;
    std::vector<uint8_t> file;
    Check(CbsiEncoder::Encode(picture, format, file) == nullptr);
    Gl().Clear();
    halvo::AutoRef<GLImage> image(new GLImage);
    Check(image->LoadFromMemory(file.data(), file.size()));
    Check(image->size.x == picture.width && image->size.y == picture.height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    if (data[0] % 2 == 0) {
        ReadSource({reinterpret_cast<const char*>(data + 1), size - 1});
    } else {
        ReadPicture(data + 2, size - 2, kFormats[data[1] % std::size(kFormats)]);
    }
    return 0;
}
