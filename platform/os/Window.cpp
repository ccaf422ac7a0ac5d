#include "platform/os/Window.h"

#include <SDL.h>

#include <string_view>

#include "platform/Log.h"

namespace os {
namespace {

bool SameDriverName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && SDL_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The drivers that show nothing; the library falls back to one when no
// display answers, and the game would then run unseen until killed.
bool ShowsNothing(std::string_view driver) {
    return SameDriverName(driver, "offscreen") || SameDriverName(driver, "dummy");
}

// SDL_VIDEODRIVER names the driver, alone or in its comma-separated list.
bool ChosenDriver(std::string_view driver) {
    const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    for (std::string_view rest = hint ? hint : ""; !rest.empty();) {
        const size_t comma = rest.find(',');
        if (SameDriverName(rest.substr(0, comma), driver)) return true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return false;
}

}  // namespace

VideoSession::VideoSession() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        halvo::LogMessage("VideoSession - Unable to start video: %s", SDL_GetError());
        return;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    foundNoDisplay_ = driver && ShowsNothing(driver) && !ChosenDriver(driver);
    open_ = !foundNoDisplay_;
    if (foundNoDisplay_) SDL_Quit();
}

VideoSession::~VideoSession() {
    if (open_) SDL_Quit();
}

ClientSize DesktopSize() {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {1024, 768};
    return {mode.w, mode.h};
}

ClientSize DesktopUsableSize() {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return DesktopSize();
    return {usable.w, usable.h};
}

Window::~Window() {
    if (glContext_) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(glContext_);
    }
    if (window_) SDL_DestroyWindow(window_);
}

bool Window::Create(const char* title, ClientSize size) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    window_ = SDL_CreateWindow(title, 0, 0, size.width, size.height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) halvo::LogMessage("Window::Create - %s", SDL_GetError());
    return window_ != nullptr;
}

bool Window::CreateGlContext() {
    glContext_ = SDL_GL_CreateContext(window_);
    if (!glContext_) {
        halvo::LogMessage("Window::CreateGlContext - %s", SDL_GetError());
        return false;
    }
    // No swap interval is asked for: the main loop sets the pace itself, one
    // frame per 17 ms step, and rests between frames. A swap that waited for
    // the display's refresh would beat against that step (and on a 50 Hz
    // display hold every frame past the next one's time); the driver's own
    // setting, which a player may choose, stays as it is.
    if (SDL_GL_MakeCurrent(window_, glContext_) == 0) return true;
    halvo::LogMessage("Window::CreateGlContext - %s", SDL_GetError());
    return false;
}

void Window::FitOuterSize(ClientSize outer) {
    int top = 0, left = 0, bottom = 0, right = 0;
    // Without a window manager there are no borders to account for.
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    SDL_SetWindowSize(window_, outer.width - left - right, outer.height - top - bottom);
    SDL_SetWindowPosition(window_, left, top);
}

void Window::EnterFullscreen() {
    // The windowed size first, as a window made fullscreen would have it.
    SetClientSize(DesktopSize());
    if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        halvo::LogMessage("Window::EnterFullscreen - %s", SDL_GetError());
}

void Window::SetClientSize(ClientSize size) { SDL_SetWindowSize(window_, size.width, size.height); }

ClientSize Window::GetClientSize() const {
    ClientSize size;
    SDL_GetWindowSize(window_, &size.width, &size.height);
    return size;
}

void Window::Show() { SDL_ShowWindow(window_); }
void Window::Minimize() { SDL_MinimizeWindow(window_); }
void Window::SwapBuffers() { SDL_GL_SwapWindow(window_); }

}  // namespace os
