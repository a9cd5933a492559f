#include <GL/gl.h>

#include <cstdint>
#include <cstring>

#include "BSP.h"
#include "Palette.h"
#include "Renderer.h"

namespace {

// The level's numbers are taken as they come, so every position derived from
// them is checked: a triangle or corner outside the sequences is skipped and
// the rest of the level is still drawn.

bool drawable(const Qor::TextureGroup& group) {
    return group.indexCount % 3 == 0 && group.firstIndex % 3 == 0;
}

// Calls draw(group) for each group the triangle passes show: all of them, or
// only the selected one (none when the selection lies outside the list).
// Groups whose counts are not whole triangles are passed over.
template <typename Draw>
void forEachDrawnGroup(const Qor::BSP& level, bool single, std::uint32_t selected, Draw draw) {
    const auto& groups = level.textureGroups;
    if (single) {
        if (selected < groups.size() && drawable(groups[selected])) draw(groups[selected]);
        return;
    }
    for (const Qor::TextureGroup& group : groups)
        if (drawable(group)) draw(group);
}

// Calls corners(v0, v1, v2) for each of the group's triangles that lies wholly
// inside the level.
template <typename Corners>
void forEachTriangle(const Qor::BSP& level, const Qor::TextureGroup& group, Corners corners) {
    const std::size_t first = group.firstIndex / 3;
    const std::size_t count = group.indexCount / 3;
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t position = first + t;
        if (position >= level.triangles.size()) return;
        const Qor::Triangle& triangle = level.triangles[position];
        const Qor::Vertex* vertex[3];
        bool inside = true;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint32_t at = group.firstVertex + triangle.corners[k];
            inside = inside && at < level.vertices.size();
            vertex[k] = inside ? &level.vertices[at] : nullptr;
        }
        if (inside) corners(*vertex[0], *vertex[1], *vertex[2]);
    }
}

void vertexAt(const Qor::Vertex& v) { glVertex3f(v.x, v.y, v.z); }

void colourOf(std::size_t entry, double alpha) {
    const auto& rgb = groupPalette[entry % paletteSize];
    glColor4f(static_cast<GLfloat>(rgb[0]), static_cast<GLfloat>(rgb[1]), static_cast<GLfloat>(rgb[2]),
              static_cast<GLfloat>(alpha));
}

// Outlines and corners take the colour six entries on from the fill.
std::size_t outlineEntry(const Qor::TextureGroup& group) {
    return static_cast<std::uint32_t>(group.texture + 6u) % paletteSize;
}

// The integer product keeps its low 32 bits, read back as signed.
float wrappedProduct(std::int32_t a, std::int32_t b) {
    const std::uint32_t bits = static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b);
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return static_cast<float>(value);
}

}  // namespace

void Renderer::drawPlanePoints() {
    const auto& planes = level->planes;
    auto point = [](const Qor::Plane& p) {
        glVertex3f(wrappedProduct(p.a, p.d), wrappedProduct(p.b, p.d), wrappedProduct(p.c, p.d));
    };
    glBegin(GL_POINTS);
    if (singlePlane) {
        if (selectedPlane < planes.size()) point(planes[selectedPlane]);
    } else {
        for (const Qor::Plane& plane : planes) point(plane);
    }
    glEnd();
}

void Renderer::drawFilledTriangles() {
    glBegin(GL_TRIANGLES);
    forEachDrawnGroup(*level, singleGroup, selectedGroup, [&](const Qor::TextureGroup& group) {
        const std::size_t entry = group.texture % paletteSize;
        auto corner = [&](const Qor::Vertex& v) {
            colourOf(entry, v.alpha / 255.0 * fillAlpha);
            vertexAt(v);
        };
        forEachTriangle(*level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            corner(a);
            corner(b);
            corner(c);
        });
    });
    glEnd();
}

void Renderer::drawWireframe() {
    forEachDrawnGroup(*level, singleGroup, selectedGroup, [&](const Qor::TextureGroup& group) {
        colourOf(outlineEntry(group), 1.0);
        forEachTriangle(*level, group, [](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            glBegin(GL_LINE_LOOP);
            vertexAt(a);
            vertexAt(b);
            vertexAt(c);
            glEnd();
        });
    });
}

void Renderer::drawCornerPoints() {
    glBegin(GL_POINTS);
    forEachDrawnGroup(*level, singleGroup, selectedGroup, [&](const Qor::TextureGroup& group) {
        colourOf(outlineEntry(group), 1.0);
        forEachTriangle(*level, group, [](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            vertexAt(a);
            vertexAt(b);
            vertexAt(c);
        });
    });
    glEnd();
}
