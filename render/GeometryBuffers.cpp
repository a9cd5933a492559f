#include "GeometryBuffers.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include "BSP.h"
#include "GeometryWalk.h"
#include "MaterialTextures.h"
#include "Normals.h"
#include "Palette.h"
#include "SurfaceLooks.h"

namespace {

// Groups are culled in pieces of at most this many triangles: a group's
// triangles can lie all over the level, and a small piece's box stays close
// to what it holds.
constexpr std::uint32_t cullTriangles = 128;

// Every triangle the passes draw when no single group is selected, in their
// order, with the position of its group.
template <typename Visit>
void forEachDrawnTriangle(const Qor::BSP& level, Visit visit) {
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        const auto index = static_cast<std::size_t>(&group - level.textureGroups.data());
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            visit(index, group, a, b, c);
        });
    });
}

// Fills an array front to back through a small staging block, so that
// building never holds a second copy of a large level.
template <typename T>
class ArrayFiller {
public:
    explicit ArrayFiller(VertexArray& array) : target(array) { pending.reserve(blockSize); }

    void add(T value) {
        pending.push_back(value);
        if (pending.size() == blockSize) flush();
    }

    template <std::size_t n>
    void add(const std::array<T, n>& values) {
        for (const T value : values) add(value);
    }

    void flush() {
        target.write(written, pending.data(), pending.size() * sizeof(T));
        written += pending.size() * sizeof(T);
        pending.clear();
    }

private:
    static constexpr std::size_t blockSize = 1 << 16;
    VertexArray& target;
    std::vector<T> pending;
    std::size_t written = 0;
};

}  // namespace

void GeometryBuffers::build(const Qor::BSP& level, double fillAlpha, Look look) {
    release();
    std::uint64_t triangles = 0;
    forEachDrawnTriangle(level, [&](std::size_t, const Qor::TextureGroup&, const Qor::Vertex&, const Qor::Vertex&,
                                    const Qor::Vertex&) { ++triangles; });
    const std::uint64_t corners = 3 * triangles;
    // Planes without a point take no room: slot k is the first point of plane k.
    planeSlots.assign(1, 0);
    for (const Qor::Plane& plane : level.planes)
        planeSlots.push_back(planeSlots.back() + (Qor::planePoint(plane) ? 1 : 0));
    const std::uint64_t points = corners + planeSlots.back();
    const std::uint64_t positionBytes = points * 3 * sizeof(GLfloat);
    const std::uint64_t colourBytes = corners * 4 * sizeof(GLfloat);
    const std::uint64_t outlineBytes = corners * 2 * sizeof(GLuint);
    const std::uint64_t needed = positionBytes + 2 * colourBytes + outlineBytes;
    // Firsts and counts of the draw calls are GLint.
    constexpr auto largestCount = static_cast<std::uint64_t>(std::numeric_limits<GLint>::max());
    if (needed > byteLimit || 2 * corners > largestCount || points > largestCount) return refuse(needed);

    if (!onlyOpenGl11) functions = ArrayFunctions::load();
    const ArrayFunctions* gl = functions.hasBuffers() ? &functions : nullptr;
    if (!positions.allocate(gl, GL_ARRAY_BUFFER, GL_STATIC_DRAW, positionBytes) ||
        !fillColours.allocate(gl, GL_ARRAY_BUFFER, GL_DYNAMIC_DRAW, colourBytes) ||
        !outlineColours.allocate(gl, GL_ARRAY_BUFFER, GL_STATIC_DRAW, colourBytes) ||
        !outlines.allocate(gl, GL_ELEMENT_ARRAY_BUFFER, GL_STATIC_DRAW, outlineBytes))
        return refuse(needed);
    cornerCount = static_cast<std::uint32_t>(corners);
    planeCount = planeSlots.back();

    ArrayFiller<GLfloat> position(positions);
    ArrayFiller<GLfloat> outlineColour(outlineColours);
    ArrayFiller<GLuint> outline(outlines);
    groupItems.assign(level.textureGroups.size(), {0, 0});
    std::size_t itemGroup = 0;
    std::uint32_t corner = 0;
    forEachDrawnTriangle(level, [&](std::size_t group, const Qor::TextureGroup& record, const Qor::Vertex& a,
                                    const Qor::Vertex& b, const Qor::Vertex& c) {
        const bool newGroup = items.empty() || itemGroup != group;
        if (newGroup || items.back().cornerCount == 3 * cullTriangles) {
            constexpr float infinity = std::numeric_limits<float>::infinity();
            items.push_back(Item{corner, 0, true, static_cast<std::uint32_t>(group), record.texture,
                                 {infinity, infinity, infinity}, {-infinity, -infinity, -infinity}, 0, 0});
            if (newGroup) groupItems[group].first = static_cast<std::uint32_t>(items.size() - 1);
            groupItems[group].second = static_cast<std::uint32_t>(items.size());
            itemGroup = group;
        }
        Item& item = items.back();
        const std::array<GLfloat, 4> colour = paletteColour(outlineEntry(record.texture), 1.0);
        for (const Qor::Vertex* v : {&a, &b, &c}) {
            const std::array<GLfloat, 3> at = {v->x, v->y, v->z};
            position.add(at);
            outlineColour.add(colour);
            for (std::size_t k = 0; k < 3; ++k) {
                item.finite = item.finite && std::isfinite(at[k]);
                item.low[k] = std::min(item.low[k], at[k]);
                item.high[k] = std::max(item.high[k], at[k]);
            }
        }
        // The sides in the order GL_LINE_LOOP draws them, closing from the last corner.
        for (const std::uint32_t k : {0u, 1u, 1u, 2u, 2u, 0u}) outline.add(corner + k);
        corner += 3;
        item.cornerCount += 3;
    });
    for (const Qor::Plane& plane : level.planes)
        if (const auto point = Qor::planePoint(plane)) position.add(*point);
    position.flush();
    outlineColour.flush();
    outline.flush();

    if (!uploadFillColours(level, fillAlpha)) return refuse(needed);
    state = State::ready;
    // The textured look's colours wait for its images, found by its first frame.
    if (look != Look::classic && look != Look::textured) makeLook(level, look, nullptr);
}

bool GeometryBuffers::uploadFillColours(const Qor::BSP& level, double fillAlpha) {
    if (!fillColours.renew()) return false;
    // A vertex alpha is a byte, so a corner's alpha is one of 256.
    std::array<GLfloat, 256> alphas{};
    for (std::size_t alpha = 0; alpha < alphas.size(); ++alpha)
        alphas[alpha] = paletteColour(0, cornerAlpha(static_cast<std::uint8_t>(alpha), fillAlpha))[3];
    ArrayFiller<GLfloat> colour(fillColours);
    forEachDrawnTriangle(level, [&](std::size_t, const Qor::TextureGroup& group, const Qor::Vertex& a,
                                    const Qor::Vertex& b, const Qor::Vertex& c) {
        std::array<GLfloat, 4> rgba = paletteColour(fillEntry(group.texture), 0.0);
        for (const Qor::Vertex* v : {&a, &b, &c}) {
            rgba[3] = alphas[v->alpha];
            colour.add(rgba);
        }
    });
    colour.flush();
    uploadedAlpha = fillAlpha;
    return true;
}

bool GeometryBuffers::makeLook(const Qor::BSP& level, Look look, const MaterialTextures* textures) {
    LookArrays& arrays = arraysOf(look);
    const std::uint64_t colourBytes = std::uint64_t{cornerCount} * 3 * sizeof(GLfloat);
    const std::uint64_t normalBytes = litLook(look) ? colourBytes : 0;
    const std::uint64_t coordinateBytes = look == Look::textured ? std::uint64_t{cornerCount} * 2 * sizeof(GLfloat) : 0;
    const std::uint64_t needed = bytes() + colourBytes + normalBytes + coordinateBytes;
    const ArrayFunctions* gl = functions.hasBuffers() ? &functions : nullptr;
    if (needed > byteLimit || !arrays.colours.allocate(gl, GL_ARRAY_BUFFER, GL_STATIC_DRAW, colourBytes) ||
        (normalBytes > 0 && !arrays.normals.allocate(gl, GL_ARRAY_BUFFER, GL_STATIC_DRAW, normalBytes)) ||
        (coordinateBytes > 0 &&
         !arrays.textureCoordinates.allocate(gl, GL_ARRAY_BUFFER, GL_STATIC_DRAW, coordinateBytes))) {
        refuse(needed);
        return false;
    }
    ArrayFiller<GLfloat> colour(arrays.colours);
    ArrayFiller<GLfloat> normal(arrays.normals);
    ArrayFiller<GLfloat> coordinates(arrays.textureCoordinates);
    // The walk of forEachDrawnTriangle, with each group's paint made once.
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        const bool hasImage = textures != nullptr && textures->hasImage(group.texture);
        const SurfacePaint paint(look, level, group, 0.0, hasImage);
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            for (const SurfaceCorner& corner : paint(a, b, c)) {
                for (std::size_t k = 0; k < 3; ++k) colour.add(corner.colour[k]);
                if (normalBytes > 0) normal.add(corner.normal);
                if (coordinateBytes > 0) coordinates.add(corner.texture);
            }
        });
    });
    colour.flush();
    normal.flush();
    coordinates.flush();
    arrays.made = true;
    return true;
}

// A triangle whose front cannot be told is held in both orders, so that it
// shows from either side as it does without one-sided drawing.
bool GeometryBuffers::makeFrontIndices(const Qor::BSP& level) {
    std::vector<Qor::Winding> windings;
    windings.reserve(cornerCount / 3);
    std::uint64_t indexCount = 0;
    forEachDrawnTriangle(level, [&](std::size_t, const Qor::TextureGroup&, const Qor::Vertex& a, const Qor::Vertex& b,
                                    const Qor::Vertex& c) {
        windings.push_back(Qor::frontWinding(a, b, c));
        indexCount += 3 * Qor::frontCornerOrders(windings.back()).count;
    });
    const std::uint64_t indexBytes = indexCount * sizeof(GLuint);
    const std::uint64_t needed = bytes() + indexBytes;
    const ArrayFunctions* gl = functions.hasBuffers() ? &functions : nullptr;
    if (needed > byteLimit || !frontIndices.allocate(gl, GL_ELEMENT_ARRAY_BUFFER, GL_STATIC_DRAW, indexBytes)) {
        refuse(needed);
        return false;
    }
    ArrayFiller<GLuint> index(frontIndices);
    std::uint32_t written = 0;
    for (Item& item : items) {
        item.firstFrontIndex = written;
        for (std::uint32_t corner = item.firstCorner; corner < item.firstCorner + item.cornerCount; corner += 3) {
            const Qor::CornerOrders orders = Qor::frontCornerOrders(windings[corner / 3]);
            for (std::size_t n = 0; n < orders.count; ++n)
                for (const std::uint8_t k : orders.orders[n]) index.add(corner + k);
            written += static_cast<std::uint32_t>(3 * orders.count);
        }
        item.frontIndexCount = written - item.firstFrontIndex;
    }
    index.flush();
    frontIndicesMade = true;
    return true;
}

void GeometryBuffers::refuse(std::uint64_t needed) {
    release();
    state = State::refused;
    std::cerr << "WARNING: The level's vertex arrays do not fit in memory, so it is drawn without them, more "
                 "slowly; bytes needed: '"
              << needed << "'.\n";
}

void GeometryBuffers::release() {
    for (VertexArray* array : {&positions, &fillColours, &outlineColours, &outlines}) array->release();
    for (LookArrays& arrays : lookArrays) {
        arrays.colours.release();
        arrays.normals.release();
        arrays.textureCoordinates.release();
        arrays.made = false;
    }
    frontIndices.release();
    frontIndicesMade = false;
    functions = ArrayFunctions();
    items = std::vector<Item>();
    groupItems = std::vector<std::pair<std::uint32_t, std::uint32_t>>();
    planeSlots = std::vector<std::uint32_t>();
    cornerCount = 0;
    planeCount = 0;
    sent = 0;
    state = State::none;
}

std::size_t GeometryBuffers::bytes() const {
    std::size_t total = positions.size() + fillColours.size() + outlineColours.size() + outlines.size() +
                        frontIndices.size();
    for (const LookArrays& arrays : lookArrays)
        total += arrays.colours.size() + arrays.normals.size() + arrays.textureCoordinates.size();
    return total;
}
