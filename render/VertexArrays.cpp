#include "VertexArrays.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "ExtensionList.h"
#include "GlContext.h"

namespace {

bool versionAtLeast(const char* version, int major, int minor) {
    int hasMajor = 0;
    int hasMinor = 0;
    if (version == nullptr || std::sscanf(version, "%d.%d", &hasMajor, &hasMinor) != 2) return false;
    return hasMajor > major || (hasMajor == major && hasMinor >= minor);
}

template <typename Function>
void lookUp(Function& function, const char* name, const char* suffix) {
    const std::string full = std::string(name) + suffix;
    function = reinterpret_cast<Function>(glFunction(full.c_str()));
}

// A buffer too large for the driver's memory shows as an error, not a crash.
bool outOfMemory() {
    bool failed = false;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        failed = failed || error == GL_OUT_OF_MEMORY;
    return failed;
}

// The core names from the version that has them, else the extension's
// (named with its suffix); null when neither is there.
const char* suffixFor(int major, int minor, const char* extension, const char* extensionSuffix) {
    if (versionAtLeast(reinterpret_cast<const char*>(glGetString(GL_VERSION)), major, minor)) return "";
    if (listsName(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), extension)) return extensionSuffix;
    return nullptr;
}

}  // namespace

ArrayFunctions ArrayFunctions::load() {
    ArrayFunctions functions;
    if (const char* suffix = suffixFor(1, 5, "GL_ARB_vertex_buffer_object", "ARB")) {
        lookUp(functions.genBuffers, "glGenBuffers", suffix);
        lookUp(functions.deleteBuffers, "glDeleteBuffers", suffix);
        lookUp(functions.bindBuffer, "glBindBuffer", suffix);
        lookUp(functions.bufferData, "glBufferData", suffix);
        lookUp(functions.bufferSubData, "glBufferSubData", suffix);
    }
    if (const char* suffix = suffixFor(1, 4, "GL_EXT_multi_draw_arrays", "EXT")) {
        lookUp(functions.multiDrawArrays, "glMultiDrawArrays", suffix);
        lookUp(functions.multiDrawElements, "glMultiDrawElements", suffix);
    }
    return functions;
}

bool ArrayFunctions::hasBuffers() const {
    return genBuffers != nullptr && deleteBuffers != nullptr && bindBuffer != nullptr && bufferData != nullptr &&
           bufferSubData != nullptr;
}

bool ArrayFunctions::hasMultiDraw() const { return multiDrawArrays != nullptr && multiDrawElements != nullptr; }

bool VertexArray::allocate(const ArrayFunctions* functions, GLenum target_, GLenum usage_, std::size_t bytes_) {
    release();
    gl = functions;
    target = target_;
    usage = usage_;
    bytes = bytes_;
    if (gl == nullptr) {
        try {
            memory.resize(bytes);
        } catch (const std::bad_alloc&) {
            release();
            return false;
        }
        return true;
    }
    gl->genBuffers(1, &name);
    if (renew()) return true;
    release();
    return false;
}

bool VertexArray::renew() {
    if (gl == nullptr) return true;
    outOfMemory();  // what earlier calls left is not this buffer's
    gl->bindBuffer(target, name);
    gl->bufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, usage);
    gl->bindBuffer(target, 0);
    return !outOfMemory();
}

void VertexArray::write(std::size_t offset, const void* data, std::size_t count) {
    if (count == 0) return;
    if (gl == nullptr) {
        std::memcpy(memory.data() + offset, data, count);
        return;
    }
    gl->bindBuffer(target, name);
    gl->bufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(count), data);
    gl->bindBuffer(target, 0);
}

void VertexArray::bind() const {
    if (gl != nullptr) gl->bindBuffer(target, name);
}

const void* VertexArray::at(std::size_t offset) const {
    if (gl == nullptr) return memory.data() + offset;
    return reinterpret_cast<const void*>(offset);
}

void VertexArray::release() {
    // Without a surface the context is gone, and its buffers with it.
    if (gl != nullptr && name != 0 && glContextReady()) gl->deleteBuffers(1, &name);
    name = 0;
    gl = nullptr;
    memory = std::vector<std::uint8_t>();
    bytes = 0;
}
