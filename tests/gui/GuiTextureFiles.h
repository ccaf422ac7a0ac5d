#pragma once
// Solid-colour GUI textures written as ".cbi" files under the global data
// root, and a fixture that loads them through the recording GL driver.

#include "gui/GuiTestSupport.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "support/CbsiWriter.h"
#include "support/FakeGlApi.h"
#include "support/GlobalDataRoot.h"

#include <cstdint>
#include <string>

namespace testsupport {

// One tile of 32 x 32 texels, all B G R A, showing width x height of them.
inline void WriteGuiTexture(const std::string& path, uint32_t width, uint32_t height, uint8_t r = 255,
                            uint8_t g = 0, uint8_t b = 0, uint8_t a = 255) {
    constexpr uint32_t kSide = 32;
    CbsiWriter w;
    w.Header("RGBA", width, height, 1);
    w.Tile({0, 0, kSide, kSide, width, height, 0}, CbsiWriter::SolidTexels(kSide, b, g, r, a));
    GlobalDataRoot().WriteFile(path, std::string(w.bytes.begin(), w.bytes.end()));
    FileManager::Global().ResetDirectoryCaches();
}

// "gui/<name>.cbi", as the texture cache finds a plain name.
inline void WriteGuiImage(const std::string& name, uint32_t width, uint32_t height, uint8_t r = 255,
                          uint8_t g = 0, uint8_t b = 0, uint8_t a = 255) {
    WriteGuiTexture("gui/" + name + ".cbi", width, height, r, g, b, a);
}

class GuiFakeGlFixture : public GuiFixture {
protected:
    void SetUp() override {
        GLState::UseApi(&gl);
        GLState::Reset();
    }
    void TearDown() override {
        GuiFixture::TearDown();
        GLState::SetContextAlive(false);
        GLState::UseApi(nullptr);
    }
    FakeGlApi gl;
};

}  // namespace testsupport
