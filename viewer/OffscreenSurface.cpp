#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "ExtensionList.h"
#include "FrameTimer.h"
#include "Surface.h"

// The offscreen buffer: an EGL pbuffer on Mesa's surfaceless platform, which
// needs no display, no window system and no device. A pbuffer rather than a
// framebuffer object, because Mesa draws into it exactly as into a window,
// where a framebuffer object's pixels differ by a level here and there.

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLContext context = EGL_NO_CONTEXT;
EGLSurface pbuffer = EGL_NO_SURFACE;

std::string eglErrorName(EGLint error) {
    switch (error) {
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return "EGL error " + std::to_string(error);
    }
}

std::string failed(const char* what) { return std::string(what) + " (" + eglErrorName(eglGetError()) + ")"; }

// EGL sorts deeper colour first, so the exact sizes are looked for among
// all the configurations that are at least as deep.
EGLConfig chooseConfig() {
    const std::pair<EGLint, EGLint> sizes[] = {
        {EGL_RED_SIZE, surfaceColourBits},  {EGL_GREEN_SIZE, surfaceColourBits},
        {EGL_BLUE_SIZE, surfaceColourBits}, {EGL_ALPHA_SIZE, surfaceColourBits},
        {EGL_DEPTH_SIZE, surfaceDepthBits}, {EGL_SAMPLES, 0},
    };
    std::vector<EGLint> wanted = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT};
    for (const auto& [attribute, bits] : sizes) wanted.insert(wanted.end(), {attribute, bits});
    wanted.push_back(EGL_NONE);
    EGLint count = 0;
    if (eglChooseConfig(display, wanted.data(), nullptr, 0, &count) != EGL_TRUE || count <= 0) return nullptr;
    std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
    if (eglChooseConfig(display, wanted.data(), configs.data(), count, &count) != EGL_TRUE) return nullptr;
    configs.resize(static_cast<std::size_t>(count));
    for (const EGLConfig config : configs) {
        const bool exact = std::all_of(std::begin(sizes), std::end(sizes), [&](const std::pair<EGLint, EGLint>& size) {
            EGLint value = -1;
            return eglGetConfigAttrib(display, config, size.first, &value) == EGL_TRUE && value == size.second;
        });
        if (exact) return config;
    }
    return nullptr;
}

void release() {
    if (display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (pbuffer != EGL_NO_SURFACE) eglDestroySurface(display, pbuffer);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    eglTerminate(display);
    eglReleaseThread();
    display = EGL_NO_DISPLAY;
    context = EGL_NO_CONTEXT;
    pbuffer = EGL_NO_SURFACE;
}

// Empty when the buffer is open with its context current; else why not, with
// everything already let go again.
std::string open(int width, int height) {
    if (!listsName(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless"))
        return "EGL offers no surfaceless platform";
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return "EGL offers no surfaceless platform";
    display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return failed("EGL has no surfaceless display");
    std::string reason;
    EGLConfig config = nullptr;
    if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        reason = failed("EGL could not start");
    } else if ((config = chooseConfig()) == nullptr) {
        reason = "EGL has no pbuffer of 8-bit colour and alpha with a 32-bit depth buffer";
    } else if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        reason = failed("EGL offers no desktop OpenGL");
    } else if ((context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr)) == EGL_NO_CONTEXT) {
        reason = failed("EGL could not create an OpenGL context");
    } else {
        const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        if ((pbuffer = eglCreatePbufferSurface(display, config, size)) == EGL_NO_SURFACE)
            reason = failed("EGL could not create the pbuffer");
        else if (eglMakeCurrent(display, pbuffer, pbuffer, context) != EGL_TRUE)
            reason = failed("EGL could not make the context current");
    }
    if (!reason.empty()) release();
    return reason;
}

// Nothing is shown, so the frame ends when it is drawn: its time then covers
// the drawing as the window's buffer swap makes it do.
void finish() { glFinish(); }

void* lookUp(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

const SurfaceOperations offscreenOperations{finish, release, lookUp, false};

}  // namespace

void setupOffscreen(const char* caption, int width, int height) {
    frameTimer.captionText = caption;
    const std::string reason = open(width, height);
    if (!reason.empty()) {
        std::cerr << "ERROR: Could not open an offscreen buffer of '" << width << "' by '" << height
                  << "' pixels: '" << reason << "'.\n";
        std::exit(1);
    }
    surfaceOpened(&offscreenOperations);
    startFrameTimer();
}
