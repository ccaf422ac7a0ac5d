#include "game/Game.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/ShutdownFlag.h"

namespace {

constexpr double kScreenStepMs = 17.0;

float Aspect(const Point2i& size) {
    return static_cast<float>(size.x) / static_cast<float>(size.y);
}

// ---- Raw OpenGL of the frame set-up and the bars, kept together so that the
// render-state cache can take them over in one place.

void LoadMatrixIfChanged(GLenum mode, const Matrix4& matrix, Matrix4& loaded, bool force) {
    if (!force && Matrix4::Equals(matrix, loaded)) return;
    glMatrixMode(mode);
    glLoadMatrixf(matrix.m);
    loaded = matrix;
}

void DisableClipPlanes() {
    for (int plane = 0; plane < 6; ++plane) glDisable(GL_CLIP_PLANE0 + plane);
}

void BeginFrameGl(const Point2i& window, const Matrix4& projection, const Matrix4& modelView,
                  int fadeAlpha, Matrix4& loadedProjection, Matrix4& loadedModelView,
                  bool& matricesLoaded) {
    glViewport(0, 0, window.x, window.y);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    LoadMatrixIfChanged(GL_PROJECTION, projection, loadedProjection, !matricesLoaded);
    LoadMatrixIfChanged(GL_MODELVIEW, modelView, loadedModelView, !matricesLoaded);
    matricesLoaded = true;
    // The fade darkens everything drawn: full brightness at 0, black at 255.
    const GLubyte brightness = static_cast<GLubyte>(255 - fadeAlpha);
    glColor4ub(brightness, brightness, brightness, 255);
    DisableClipPlanes();
}

void DrawLetterboxGl(const float* vertices, const uint8_t* indices, Matrix4& loadedModelView) {
    DisableClipPlanes();
    LoadMatrixIfChanged(GL_MODELVIEW, Matrix4::Identity(), loadedModelView, false);
    glColor4ub(0, 0, 0, 255);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glDrawElements(GL_TRIANGLES, 12, GL_UNSIGNED_BYTE, indices);
}

}  // namespace

Game::Game() = default;

Game::~Game() {
    hudScreen.Reset();
    halvo::MarkProcessShuttingDown();
    currentScene.Reset();
    ClearLetterbox();
    rootScreen.Reset();
}

void Game::Init() {
    // The click sound, the HUD, the script machine with the game's built-ins
    // and "maininclude" join here with their subsystems.
    rootScreen = new GameScreen();
    rootScreen->Init();
}

void Game::Shutdown() {
    if (rootScreen) rootScreen->RemoveAllChildren();
    hudScreen.Reset();
    rootScreen.Reset();
}

void Game::SetWindowSize(const Point2i& size) {
    if (size.x < 1 || size.y < 1 || size == windowSize) return;
    windowSize = size;
    windowAspect = Aspect(size);
    ClearLetterbox();
    UpdateProjection();
}

void Game::SetDesignSize(const Point2i& size) {
    if (size.x < 1 || size.y < 1 || size == designSize) return;
    designSize = size;
    designAspect = Aspect(size);
    ClearLetterbox();
    UpdateProjection();
}

void Game::UpdateProjection() {
    baseModelView = Matrix4::Identity();
    baseModelView.m[5] = -1;
    baseModelView.m[10] = -1;
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    float offsetX = 0, offsetY = 0;
    if (fitWindowAspect == 0) {
        if (designAspect < windowAspect)
            viewExtent = {static_cast<int32_t>(dh * windowAspect), designSize.y};
        else
            viewExtent = {designSize.x, static_cast<int32_t>(dw / windowAspect)};
        offsetX = -dw * 0.5f;
        offsetY = dh * 0.5f;
        screenSize = designSize;
    } else {
        if (designAspect > windowAspect) {
            viewExtent = {static_cast<int32_t>(dh * windowAspect), designSize.y};
            offsetX = -0.5f * dh * windowAspect;
            offsetY = dh * 0.5f;
        } else {
            viewExtent = {designSize.x, static_cast<int32_t>(dw / windowAspect)};
            offsetX = -dw * 0.5f;
            offsetY = 0.5f * dw / windowAspect;
        }
        screenSize = viewExtent;
    }
    baseModelView.m[12] += offsetX;
    baseModelView.m[13] += offsetY;
}

void Game::SetFade(float level) {
    fadeLevel = std::clamp(level, 0.0f, 1.0f);
    if (fadeLevel == 0 || fadeLevel == 1) fadeSpeed = 0;
}

void Game::SetFadeSpeed(float seconds) { fadeSpeed = seconds == 0 ? 0 : 1 / seconds; }

InputEvent Game::WindowToDesign(const InputEvent& event) const {
    const float ww = static_cast<float>(windowSize.x), wh = static_cast<float>(windowSize.y);
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    InputEvent out = event;
    float k = wh / dh;
    if (fitWindowAspect != 0) {
        out.x = event.x / k;
        out.y = event.y / k;
    } else if (designAspect < windowAspect) {
        const float off = (ww - dw * k) / (2 * k);
        out.x = event.x / k - off;
        out.y = event.y / k;
    } else {
        k = ww / dw;
        const float off = (wh - dh * k) / (2 * k);
        out.x = event.x / k;
        out.y = event.y / k - off;
    }
    out.dx = event.dx / k;
    out.dy = event.dy / k;
    return out;
}

void Game::ProcessInput() {
    InputQueue& queue = InputQueue::Global();
    while (std::unique_ptr<InputEvent> event = queue.PopFront()) {
        if (IsFading()) {
            if (inputHooks.clearHover) inputHooks.clearHover();
            continue;
        }
        if (gameStarted && inputHooks.countStatistics) inputHooks.countStatistics(*event);
        const InputEvent design = WindowToDesign(*event);
        if (rootScreen) rootScreen->DispatchInput(design);
    }
}

void Game::Update(double stepMs) {
    if (fadeSpeed != 0) {
        fadeLevel += static_cast<float>(stepMs / 1000.0 * fadeSpeed);
        if (fadeLevel <= 0 || fadeLevel >= 1) {
            fadeLevel = std::clamp(fadeLevel, 0.0f, 1.0f);
            fadeSpeed = 0;
        }
    }
    // The music and ambience playlists are polled here once sound exists.
    if (rootScreen) rootScreen->Update(totalTime, kScreenStepMs);
}

void Game::AddPlayTime(double ms) {
    playTimeMs += ms;
    while (playTimeMs >= 1000) {
        playTimeMs -= 1000;
        ++playSeconds;
    }
}

void Game::Render() {
    const Matrix4 projection = Matrix4::Ortho(static_cast<float>(viewExtent.x),
                                              static_cast<float>(viewExtent.y), kProjectionNear,
                                              kProjectionFar);
    frameModelView = baseModelView;
    BeginFrameGl(windowSize, projection, frameModelView, static_cast<int>(fadeLevel * 255),
                 loadedProjection, loadedModelView, matricesLoaded);
}

bool Game::NeedsLetterbox() const { return fitWindowAspect == 0 && windowAspect != designAspect; }

void Game::BuildLetterbox() {
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    const float ww = static_cast<float>(windowSize.x), wh = static_cast<float>(windowSize.y);
    const float m = kLetterboxMargin;
    float v[8][2];
    if (windowAspect <= designAspect) {
        const float k = ww / dw, bar = (wh - k * dh) / (2 * k);
        const float left = -dw / 2 - m, right = dw / 2 + m;
        const float top = dh / 2, bottom = -dh / 2;
        const float rows[8][2] = {{left, top},  {right, top},  {right, top + bar + m},
                                  {left, top + bar + m},       {left, bottom - bar - m},
                                  {right, bottom - bar - m},   {right, bottom},
                                  {left, bottom}};
        std::copy(&rows[0][0], &rows[0][0] + 16, &v[0][0]);
    } else {
        const float k = wh / dh, bar = (ww - k * dw) / (2 * k);
        const float bottom = -dh / 2 - m, top = dh / 2 + m;
        const float right = dw / 2, left = -dw / 2;
        const float rows[8][2] = {{right + bar + m, bottom}, {right, bottom}, {right, top},
                                  {right + bar + m, top},    {left, bottom},
                                  {left - bar - m, bottom},  {left - bar - m, top},
                                  {left, top}};
        std::copy(&rows[0][0], &rows[0][0] + 16, &v[0][0]);
    }
    for (int i = 0; i < 8; ++i) {
        letterboxVertices[3 * i] = v[i][0];
        letterboxVertices[3 * i + 1] = v[i][1];
        letterboxVertices[3 * i + 2] = 0;
    }
    letterboxIndices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    letterboxBuilt = true;
}

void Game::RenderLetterbox() {
    if (!NeedsLetterbox()) return;
    if (!letterboxBuilt) BuildLetterbox();
    DrawLetterboxGl(letterboxVertices.data(), letterboxIndices.data(), loadedModelView);
}
