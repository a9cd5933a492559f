#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "FrameTimer.h"
#include "Renderer.h"
#include "Surface.h"
#include "WindowStart.h"

namespace {

const char* const windowCaption = "Orvandel - by Tolvane & Drelvik";

// A 2 × 2 black checker of two alphas, kept bound for screen-space drawing.
const std::uint8_t backgroundTexels[16] = {
    0, 0, 0, 192, 0, 0, 0, 128,
    0, 0, 0, 128, 0, 0, 0, 192,
};

}  // namespace

namespace {

// SDL's last error, never empty, since an empty reason means success.
std::string sdlFailure() {
    const char* error = SDL_GetError();
    return error != nullptr && *error != '\0' ? error : "SDL gave no reason";
}

// One attempt at the whole start: SDL's video, the framebuffer request and
// the mode. Empty when the window opened; else SDL is shut down again.
std::string openWindow(const char* caption, int width, int height, bool fullscreen, int bitsPerPixel) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return sdlFailure();

    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, surfaceColourBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, surfaceColourBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, surfaceColourBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, surfaceColourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, surfaceDepthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_WM_SetCaption(caption, nullptr);

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) {
        const std::string reason = sdlFailure();
        SDL_Quit();
        return reason;
    }
    Uint32 flags = SDL_OPENGL | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWPALETTE;
    if (info->hw_available) flags |= SDL_HWSURFACE;
    if (info->blit_hw) flags |= SDL_HWACCEL;
    if (fullscreen) flags |= SDL_FULLSCREEN;
    if (SDL_SetVideoMode(width, height, bitsPerPixel, flags) == nullptr) {
        const std::string reason = sdlFailure();
        SDL_Quit();
        return reason;
    }
    return {};
}

// Ten seconds of tries while the display refuses (a virtual display on a busy
// machine can take that long to take connections again); none without a
// display to wait for.
constexpr int displayAttempts = 41;
constexpr std::chrono::milliseconds displayPause{250};

void swapBuffers() { SDL_GL_SwapBuffers(); }

void* windowGlFunction(const char* name) { return SDL_GL_GetProcAddress(name); }

const SurfaceOperations windowOperations{swapBuffers, SDL_Quit, windowGlFunction, true};

}  // namespace

void setupVideo(const char* caption, int width, int height, bool fullscreen, int bitsPerPixel) {
    frameTimer.captionText = caption;
    // Only X11 gives SDL an OpenGL window here. Left to choose, SDL would go on
    // to its text-mode drivers when there is no display, and they write
    // terminal codes to stdout before they fail.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    const char* display = std::getenv("DISPLAY");
    const bool haveDisplay = display != nullptr && *display != '\0';
    const std::string reason = openWindowRetrying(
        [&] { return openWindow(caption, width, height, fullscreen, bitsPerPixel); },
        haveDisplay ? displayAttempts : 1, displayPause);
    if (!reason.empty()) {
        std::cerr << windowFailureMessage(width, height, reason);
        std::exit(1);
    }
    SDL_EnableUNICODE(1);
    surfaceOpened(&windowOperations);
    startFrameTimer();
}

void clearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void Renderer::initGL() {
    const int screenWidth = view.screenWidth;
    const int screenHeight = view.screenHeight;
    if (surfaceKind == SurfaceKind::offscreen)
        setupOffscreen(windowCaption, screenWidth, screenHeight);
    else
        setupVideo(windowCaption, screenWidth, screenHeight, fullscreen, 32);

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_REPEAT));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, backgroundTexels);
    textures["text_background"] = name;
    frame.background = name;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    applySizes(view);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glViewport(0, 0, screenWidth, screenHeight);

    if (surfaceHasPointer()) {
        SDL_ShowCursor(SDL_DISABLE);
        SDL_WarpMouse(static_cast<Uint16>(screenWidth / 2), static_cast<Uint16>(screenHeight / 2));
    }

    setupOrthographic(view);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    clearFrame();
    endFrame();
}
