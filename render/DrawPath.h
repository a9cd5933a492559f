#pragma once

// How the passes reach OpenGL: arrays built once per level, or the
// glBegin/glEnd walks that stay the reference for them.
enum class DrawPath { immediate, buffered };
