#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "Look.h"
#include "VertexArrays.h"
#include "View.h"

namespace Qor {
class BSP;
}
class MaterialTextures;

// The level's geometry handed to OpenGL once, so that a frame costs a few
// calls per pass however large the level is: every corner the triangle
// passes draw, in the order they draw them, with its fill colour and its
// outline colour, the sides of every triangle and the plane points; and for
// each look other than classic, made the first time it is drawn, the
// corners' colours and normals in that look, and in the textured look their
// texture coordinates, drawn a run of one group at a time, each with its
// group's texture bound; and, made the first time one-sided drawing is on,
// the corners of every triangle in the order that runs counter-clockwise
// from its front. Each frame sends only the
// groups the view can show. The pictures are those of the glBegin/glEnd
// passes, byte for byte.
class GeometryBuffers {
public:
    // Makes the arrays for the level with the fill colours of fillAlpha, and
    // those of the look when it is not classic, replacing any earlier ones;
    // the level's context must be current. A level the arrays cannot hold
    // gets a warning and is drawn without them.
    void build(const Qor::BSP& level, double fillAlpha, Look look);
    // Frees the arrays; the next draw builds them for the view's level.
    void release();

    // Draws the passes the view has switched on, as the glBegin/glEnd passes
    // would, the textured look with textures (uploaded). False, with nothing
    // drawn, for a level drawn without arrays.
    bool draw(const View& view, const Qor::BSP& level, const MaterialTextures& textures);

    // What the arrays take, and the triangles the last draw sent.
    std::size_t bytes() const;
    std::size_t trianglesSent() const { return sent; }

    // Draws as on OpenGL 1.1, from client arrays with a call per run of
    // groups, even where the context has more (for tests).
    bool onlyOpenGl11 = false;
    // The most the arrays may take.
    std::uint64_t byteLimit = std::uint64_t{1} << 31;

private:
    // Some of one group's triangles, culled as one.
    struct Item {
        std::uint32_t firstCorner;
        std::uint32_t cornerCount;
        bool finite;  // boxes of infinities and NaNs are never culled
        std::uint32_t group;    // its position in the level's groups
        std::uint32_t texture;  // its group's
        std::array<float, 3> low;
        std::array<float, 3> high;
        // Its run in the one-sided indices, once they are made.
        std::uint32_t firstFrontIndex;
        std::uint32_t frontIndexCount;
    };
    enum class State { none, ready, refused };
    // A look's own corner arrays, beside the corners of `positions`.
    struct LookArrays {
        VertexArray colours;  // red, green, blue
        VertexArray normals;  // in a lit look only
        VertexArray textureCoordinates;  // in the textured look only
        bool made = false;
    };

    bool uploadFillColours(const Qor::BSP& level, double fillAlpha);
    bool makeLook(const Qor::BSP& level, Look look, const MaterialTextures* textures);
    bool makeFrontIndices(const Qor::BSP& level);
    LookArrays& arraysOf(Look look) { return lookArrays[static_cast<std::size_t>(look) - 1]; }
    void drawFilled(Look look, bool cull, const MaterialTextures& textures);
    void refuse(std::uint64_t needed);
    // Runs of one group each when they are to be drawn with its texture.
    void chooseRuns(const View& view, const Qor::BSP& level, bool byGroup);
    // The plane points the view shows: first and count.
    std::pair<GLint, GLsizei> planePoints(const View& view) const;
    void drawRuns(GLenum mode) const;
    // The chosen triangles one-sided: filled, or as lines or points.
    void drawFrontRuns(GLenum polygonMode) const;

    State state = State::none;
    ArrayFunctions functions;
    VertexArray positions;       // the triangles' corners, then the plane points that are shown
    VertexArray fillColours;     // per corner, with the fill alpha
    VertexArray outlineColours;  // per corner
    VertexArray outlines;        // corner pairs, three per triangle, as GL_LINES
    std::array<LookArrays, 4> lookArrays;  // shaded, baked, normals, textured
    VertexArray frontIndices;    // corners counter-clockwise from the front, as GL_TRIANGLES
    bool frontIndicesMade = false;
    std::uint32_t cornerCount = 0;
    std::uint32_t planeCount = 0;                // plane points in the positions
    std::vector<std::uint32_t> planeSlots;       // per plane, its first point; one more at the end
    double uploadedAlpha = 0.0;
    std::vector<Item> items;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> groupItems;  // first and end item of each group
    // This frame's runs of consecutive corners to send, as the draw calls
    // take them: first corner and count, and for the outlines the same in
    // indices.
    std::vector<GLint> runFirsts;
    std::vector<GLsizei> runCounts;
    std::vector<std::uint32_t> runTextures;  // each run's group's texture
    std::vector<const void*> runLineStarts;
    std::vector<GLsizei> runLineCounts;
    std::vector<const void*> runFrontStarts;
    std::vector<GLsizei> runFrontCounts;
    std::vector<std::uint32_t> runFrontTextures;  // each front run's group's texture
    std::size_t sent = 0;
};
