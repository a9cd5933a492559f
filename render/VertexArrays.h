#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The entry points past OpenGL 1.1 that drawing from arrays uses, looked up
// in the current context: buffer objects (OpenGL 1.5, or the ARB extension
// before it) and multi-draw (OpenGL 1.4, or the EXT extension). Null where
// the context lacks them.
struct ArrayFunctions {
    PFNGLGENBUFFERSPROC genBuffers = nullptr;
    PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAPROC bufferData = nullptr;
    PFNGLBUFFERSUBDATAPROC bufferSubData = nullptr;
    PFNGLMULTIDRAWARRAYSPROC multiDrawArrays = nullptr;
    PFNGLMULTIDRAWELEMENTSPROC multiDrawElements = nullptr;

    static ArrayFunctions load();
    bool hasBuffers() const;
    bool hasMultiDraw() const;
};

// One array of the level's geometry: in a buffer object when the context has
// them, in our own memory otherwise (OpenGL 1.1 client arrays). Both kinds
// are filled and handed to the gl*Pointer and glDraw* calls the same way.
class VertexArray {
public:
    // Room for `bytes` of undefined contents, replacing what was held; false
    // when there is not enough memory. Null functions keep the array in our
    // memory.
    bool allocate(const ArrayFunctions* functions, GLenum target, GLenum usage, std::size_t bytes);
    // Drops the contents before they are all written again, so that a
    // buffer the GPU is still reading need not be waited for.
    bool renew();
    void write(std::size_t offset, const void* data, std::size_t bytes);
    // Binds the array's buffer to its target; client arrays need none bound.
    void bind() const;
    // What the gl*Pointer and glDraw* calls take for this offset, once bound.
    const void* at(std::size_t offset) const;
    // Frees the memory and deletes the buffer.
    void release();

    std::size_t size() const { return bytes; }

private:
    const ArrayFunctions* gl = nullptr;
    GLenum target = 0;
    GLenum usage = 0;
    GLuint name = 0;
    std::vector<std::uint8_t> memory;
    std::size_t bytes = 0;
};
