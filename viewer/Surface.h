#pragma once

// Where the frames are drawn: a window on the display, or a buffer in memory
// that needs no display at all. Whichever is open holds the program's one GL
// context; the drawing asks whether there is a context, never which kind it
// draws into.
enum class SurfaceKind { window, offscreen };

// What one kind does around the frames.
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

// The framebuffer every kind asks for: 8 bits for each colour channel and
// for alpha, and a 32-bit depth buffer. The same sizes give the same pixels.
constexpr int surfaceColourBits = 8;
constexpr int surfaceDepthBits = 32;

// Called by a kind once its context is current, and by shutdownVideo with
// null once it is gone.
void surfaceOpened(const SurfaceOperations* operations);

// Whether a GL context is current: GL calls before the surface opens or
// after it closes would go nowhere.
bool glContextReady();
void* glFunction(const char* name);
bool surfaceHasPointer();

// Opens the offscreen buffer of this size with its context current, or ends
// the process with exit status 1 and one line saying why.
void setupOffscreen(const char* caption, int width, int height);
