#include "Surface.h"

#include "FrameTimer.h"
#include "Renderer.h"

void endFrame() {
    if (const SurfaceOperations* surface = openSurface()) surface->present();
    recordFrame();
}

void shutdownVideo() {
    const SurfaceOperations* closing = openSurface();
    if (closing == nullptr) return;
    surfaceOpened(nullptr);
    closing->close();
}
