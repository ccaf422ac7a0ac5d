// GUI frame cost: 2,000 widgets (1,500 sprites on one texture, 300 texts of
// 20 glyphs, 200 colour quads; every tenth one moving) updated and drawn
// each frame at 1920x1080 in a real GL context. Counts, per steady frame,
// the CPU time of update and draw, the draw calls and texture binds that
// reach the driver, and the heap allocations; then times the layout of
// 10,000 glyphs on a warm and on a cold atlas.
//
// bench_gui DATA_FOLDER WORK_FOLDER: DATA_FOLDER holds gui/verdana.ttf.

#include "AllocationCount.h"
#include "CountingGlApi.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/GlApi.h"
#include "platform/WindowProc.h"
#include "tools/datawriters/CbsiWriter.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSprites = 1500;
constexpr int kTexts = 300;
constexpr int kQuads = 200;
constexpr int kAnimatedEvery = 10;
constexpr int kWarmFrames = 120;
constexpr int kFrames = 600;
constexpr double kStepMs = 17.0;
constexpr const char* kFont = "gui/verdana.ttf";
// Twenty glyphs.
constexpr const char* kLabel = "Score 0123456789 abc";
constexpr int kLayoutGlyphs = 10000;
constexpr int kLayoutLineLength = 100;

struct Context {
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;

    bool Create() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window = SDL_CreateWindow("tavrin-bench-gui", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) return false;
        gl = SDL_GL_CreateContext(window);
        if (!gl) return false;
        SDL_GL_MakeCurrent(window, gl);
        SDL_GL_SetSwapInterval(0);
        return true;
    }
    ~Context() {
        GLState::SetContextAlive(false);
        if (gl) SDL_GL_DeleteContext(gl);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
    }
};

// A 64 x 64 sprite image in one tile, opaque with a soft edge.
void WriteSpriteTexture(const std::string& workFolder) {
    constexpr uint32_t kSide = 64;
    CbsiWriter writer;
    writer.Header("RGBA", kSide, kSide, 1);
    writer.Tile({0, 0, kSide, kSide, kSide, kSide, 0}, CbsiWriter::SolidTexels(kSide, 40, 160, 220, 255));
    std::filesystem::create_directories(workFolder + "/gui");
    std::ofstream(workFolder + "/gui/bench_sprite.cbi", std::ios::binary)
        .write(reinterpret_cast<const char*>(writer.bytes.data()), static_cast<std::streamsize>(writer.bytes.size()));
}

AutoRef<Vrel::t_Named> Parameters(std::initializer_list<std::pair<const char*, Vrel::Var>> members) {
    AutoRef<Vrel::t_Named> parameters(new Vrel::t_Named);
    for (const auto& [name, value] : members) parameters->GetOrAddMember(name)->Assign(value);
    return parameters;
}

// Widget `index` of the screen at its grid place; every tenth one moves a
// little for far longer than the run.
void Animate(GuiWidget* widget, int index) {
    if (index % kAnimatedEvery != 0) return;
    const Vec2 at = widget->GetPosition();
    halvo::StartAnimation(widget, "Mover",
                          *Parameters({{"xpos", Vrel::Var(at.x + 30.0f)}, {"ypos", Vrel::Var(at.y + 20.0f)},
                                       {"time", Vrel::Var(1.0e7f)}}));
}

Vec2 GridPlace(int index) {
    constexpr int kColumns = 50;
    return {static_cast<float>(index % kColumns) * 38.0f, static_cast<float>(index / kColumns) * 26.0f};
}

bool BuildScreen(GuiWidget* screen) {
    int index = 0;
    for (int i = 0; i < kSprites; ++i, ++index) {
        const Vec2 at = GridPlace(index);
        AutoRef<GuiWidget> sprite = halvo::GuiCreateWidget(
            "Sprite", *Parameters({{"texture", Vrel::Var("bench_sprite")}, {"xpos", Vrel::Var(at.x)},
                                   {"ypos", Vrel::Var(at.y)}, {"xsize", Vrel::Var(32.0f)}, {"ysize", Vrel::Var(24.0f)}}),
            screen);
        if (!sprite) return false;
        Animate(sprite.Get(), index);
    }
    for (int i = 0; i < kTexts; ++i, ++index) {
        const Vec2 at = GridPlace(index);
        AutoRef<GuiWidget> text = halvo::GuiCreateWidget(
            "Text", *Parameters({{"font", Vrel::Var(kFont)}, {"size", Vrel::Var(16)}, {"text", Vrel::Var(kLabel)},
                                 {"xpos", Vrel::Var(at.x)}, {"ypos", Vrel::Var(at.y)}}),
            screen);
        if (!text) return false;
        Animate(text.Get(), index);
    }
    for (int i = 0; i < kQuads; ++i, ++index) {
        const Vec2 at = GridPlace(index);
        AutoRef<GuiWidget> quad = halvo::GuiCreateWidget(
            "Sprite", *Parameters({{"color", Vrel::Var(0x7F3080F0)}, {"xpos", Vrel::Var(at.x)},
                                   {"ypos", Vrel::Var(at.y)}, {"xsize", Vrel::Var(36.0f)}, {"ysize", Vrel::Var(22.0f)}}),
            screen);
        if (!quad) return false;
        Animate(quad.Get(), index);
    }
    return true;
}

Matrix4 DesignProjection() {
    Matrix4 projection;
    projection.m[0] = 2.0f / kWidth;
    projection.m[5] = -2.0f / kHeight;
    projection.m[10] = -1;
    projection.m[12] = -1;
    projection.m[13] = 1;
    return projection;
}

struct FrameFigures {
    double cpuMs = 0;
    double worstMs = 0;
    uint64_t draws = 0;
    uint64_t binds = 0;
    uint64_t allocations = 0;       // over all measured frames
    uint64_t worstAllocations = 0;  // in the worst frame
};

FrameFigures RunFrames(Context& context, CountingGlApi& counting, GuiWidget* screen) {
    const Matrix4 identity;
    FrameFigures figures;
    double timeMs = 0;
    for (int frame = 0; frame < kWarmFrames + kFrames; ++frame) {
        const bool measured = frame >= kWarmFrames;
        const uint64_t draws = counting.draws, binds = counting.binds;
        const uint64_t allocations = bench::AllocationCount();
        const auto start = std::chrono::steady_clock::now();
        halvo::GuiMain::Global().GetRoot()->Update(timeMs, kStepMs);
        GLState::Gl().Clear(0x4000);  // GL_COLOR_BUFFER_BIT
        screen->Render(0, 0, 1, 1, identity);
        const auto end = std::chrono::steady_clock::now();
        const uint64_t made = bench::AllocationCount() - allocations;
        timeMs += kStepMs;
        SDL_GL_SwapWindow(context.window);
        if (!measured) continue;
        const double ms = std::chrono::duration<double, std::milli>(end - start).count();
        figures.cpuMs += ms;
        figures.worstMs = std::max(figures.worstMs, ms);
        figures.draws += counting.draws - draws;
        figures.binds += counting.binds - binds;
        figures.allocations += made;
        figures.worstAllocations = std::max(figures.worstAllocations, made);
    }
    figures.cpuMs /= kFrames;
    figures.draws /= kFrames;
    figures.binds /= kFrames;
    return figures;
}

// Milliseconds to create a text of 10,000 glyphs (lines of 100) at a size
// no other text uses, so its font is made and each glyph rendered on first
// use; then the same again while the first still holds every glyph.
struct LayoutFigures {
    double coldMs = 0;
    double warmMs = 0;
};

LayoutFigures TimeLayout(GuiWidget* screen) {
    std::string content;
    const std::string words = "The lantern hangs by the north door of the old mill. ";
    for (size_t i = 0; i < kLayoutGlyphs; ++i) {
        content += (i + 1) % kLayoutLineLength == 0 ? '\n' : words[i % words.size()];
    }
    AutoRef<Vrel::t_Named> parameters =
        Parameters({{"font", Vrel::Var(kFont)}, {"size", Vrel::Var(23)}, {"multiline", Vrel::Var(true)},
                    {"linebreak", Vrel::Var(true)},
                    {"text", Vrel::Var(content.c_str())}, {"show", Vrel::Var(false)}});
    LayoutFigures figures;
    auto start = std::chrono::steady_clock::now();
    AutoRef<GuiWidget> cold = halvo::GuiCreateWidget("Text", *parameters, screen);
    figures.coldMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    start = std::chrono::steady_clock::now();
    AutoRef<GuiWidget> warm = halvo::GuiCreateWidget("Text", *parameters, screen);
    figures.warmMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!cold || !warm) figures = {-1, -1};
    if (cold) cold->RemoveAndDetach();
    if (warm) warm->RemoveAndDetach();
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_gui DATA_FOLDER WORK_FOLDER\n");
        return 2;
    }
    Context context;
    if (!context.Create()) {
        std::fprintf(stderr, "gui: no OpenGL context: %s\n", SDL_GetError());
        return 1;
    }
    // Glyphs snap to the window's pixels, as in the game's window.
    ShellState::Global().clientWidth = kWidth;
    ShellState::Global().clientHeight = kHeight;
    CountingGlApi counting;
    GLState::UseApi(&counting);
    GLState::Reset();
    GLState::ResetClipPlanes();
    GLState::Gl().Viewport(0, 0, kWidth, kHeight);
    GLState::SetProjection(DesignProjection());
    GLState::SetAlpha(0);

    WriteSpriteTexture(argv[2]);
    FileManager::Global().AddRoot(argv[2]);
    FileManager::Global().AddRoot(argv[1]);

    halvo::GuiMain& gui = halvo::GuiMain::Global();
    AutoRef<GuiWidget> screen = halvo::GuiCreateWidget(
        "Frame", *Parameters({{"xsize", Vrel::Var(static_cast<float>(kWidth))},
                              {"ysize", Vrel::Var(static_cast<float>(kHeight))}}),
        gui.GetRoot());
    if (!screen || !BuildScreen(screen.Get())) {
        std::fprintf(stderr, "gui: building the screen failed: %s\n", gui.GetLastError().c_str());
        return 1;
    }

    const FrameFigures figures = RunFrames(context, counting, screen.Get());
    const LayoutFigures layout = TimeLayout(screen.Get());
    std::printf("widgets            %d (%d sprites, %d texts, %d quads; every %dth moving)\n",
                kSprites + kTexts + kQuads, kSprites, kTexts, kQuads, kAnimatedEvery);
    std::printf("frame cpu          %.3f ms mean, %.3f ms worst over %d frames\n", figures.cpuMs, figures.worstMs,
                kFrames);
    std::printf("draw calls         %llu per frame\n", static_cast<unsigned long long>(figures.draws));
    std::printf("texture binds      %llu per frame\n", static_cast<unsigned long long>(figures.binds));
    std::printf("heap allocations   %llu in %d frames, %llu in the worst\n",
                static_cast<unsigned long long>(figures.allocations), kFrames,
                static_cast<unsigned long long>(figures.worstAllocations));
    std::printf("layout             %d glyphs: %.3f ms on a cold atlas, %.3f ms on a warm one\n", kLayoutGlyphs,
                layout.coldMs, layout.warmMs);
    std::printf("gui: frame %.3f drawcalls %llu allocs %llu\n", figures.cpuMs,
                static_cast<unsigned long long>(figures.draws),
                static_cast<unsigned long long>(figures.worstAllocations));

    screen->RemoveAndDetach();
    screen.Reset();
    GLState::UseApi(nullptr);
    return 0;
}
