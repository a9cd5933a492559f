#include "Surface.h"

#include "FrameTimer.h"
#include "Renderer.h"

namespace {
const SurfaceOperations* openSurface = nullptr;
}

void surfaceOpened(const SurfaceOperations* operations) { openSurface = operations; }

bool glContextReady() { return openSurface != nullptr; }

void* glFunction(const char* name) { return openSurface != nullptr ? openSurface->glFunction(name) : nullptr; }

bool surfaceHasPointer() { return openSurface != nullptr && openSurface->hasPointer; }

void endFrame() {
    if (openSurface != nullptr) openSurface->present();
    recordFrame();
}

void shutdownVideo() {
    if (openSurface == nullptr) return;
    const SurfaceOperations* closing = openSurface;
    openSurface = nullptr;
    closing->close();
}
