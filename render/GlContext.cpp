#include "GlContext.h"

namespace {
const SurfaceOperations* opened = nullptr;
}

void surfaceOpened(const SurfaceOperations* operations) { opened = operations; }

const SurfaceOperations* openSurface() { return opened; }

bool glContextReady() { return opened != nullptr; }

void* glFunction(const char* name) { return opened != nullptr ? opened->glFunction(name) : nullptr; }

bool surfaceHasPointer() { return opened != nullptr && opened->hasPointer; }
