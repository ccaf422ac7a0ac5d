#pragma once
// The one top-level window with its OpenGL context, over SDL's video layer.

#include <cstdint>

struct SDL_Window;

namespace os {

// SDL's video and event layers for the lifetime of the object. Everything
// made through SDL (the window, the game's textures) must be gone first.
class VideoSession {
public:
    VideoSession();
    ~VideoSession();
    VideoSession(const VideoSession&) = delete;
    VideoSession& operator=(const VideoSession&) = delete;
    bool IsOpen() const { return open_; }
    // The library found no display to use and fell back to a driver that
    // shows nothing (a named display that does not answer), which nobody
    // chose with SDL_VIDEODRIVER. The session is not open then, and nothing
    // was said: the caller tells the player that there is no display.
    bool FoundNoDisplay() const { return foundNoDisplay_; }

private:
    bool open_ = false;
    bool foundNoDisplay_ = false;
};

struct ClientSize {
    int32_t width = 0, height = 0;
};

// The desktop's size and the part of it not taken by panels and task bars.
ClientSize DesktopSize();
ClientSize DesktopUsableSize();

class Window {
public:
    Window() = default;
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // A hidden window titled `title` at (0, 0), not resizable, with the given
    // client size. False on failure.
    bool Create(const char* title, ClientSize size);
    // Covers the desktop from the moment the window is shown.
    void EnterFullscreen();
    // RGB 8 bits, depth 24, stencil 8, double buffered, compatibility profile.
    bool CreateGlContext();
    // Shrinks the client so that the whole window, borders included, has the
    // given outer size.
    void FitOuterSize(ClientSize outer);
    void SetClientSize(ClientSize size);
    ClientSize GetClientSize() const;
    void Show();
    void Minimize();
    void SwapBuffers();

    SDL_Window* Handle() const { return window_; }

private:
    SDL_Window* window_ = nullptr;
    void* glContext_ = nullptr;
};

}  // namespace os
