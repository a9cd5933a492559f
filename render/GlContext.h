#pragma once

// The program's one GL context, as whatever opened it describes it: the
// drawing asks whether there is a context and for its entry points, never
// what kind of surface it draws into.

// What one kind of surface does around the frames.
struct SurfaceOperations {
    // The frame is drawn: show it, or wait until it is done.
    void (*present)();
    // Lets go of the context and all that came with it.
    void (*close)();
    // An entry point of the context's OpenGL past 1.1, or null.
    void* (*glFunction)(const char* name);
    // Whether there is a pointer that mouse look can hide and pin.
    bool hasPointer;
};

// Called by a surface once its context is current, and with null once it is gone.
void surfaceOpened(const SurfaceOperations* operations);
// The surface open now, or null.
const SurfaceOperations* openSurface();

// Whether a GL context is current: GL calls before the surface opens or
// after it closes would go nowhere.
bool glContextReady();
void* glFunction(const char* name);
bool surfaceHasPointer();
