#pragma once

#include "GlContext.h"

// Where the frames are drawn: a window on the display, or a buffer in memory
// that needs no display at all. Whichever is open holds the program's one GL
// context; the drawing asks whether there is a context, never which kind it
// draws into.
enum class SurfaceKind { window, offscreen };

// The framebuffer every kind asks for: 8 bits for each colour channel and
// for alpha, and a 32-bit depth buffer. The same sizes give the same pixels.
constexpr int surfaceColourBits = 8;
constexpr int surfaceDepthBits = 32;

// Opens the offscreen buffer of this size with its context current, or ends
// the process with exit status 1 and one line saying why.
void setupOffscreen(const char* caption, int width, int height);
