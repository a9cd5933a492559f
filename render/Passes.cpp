#include <GL/gl.h>

#include <array>
#include <cstdint>

#include "BSP.h"
#include "GeometryWalk.h"
#include "Palette.h"
#include "Renderer.h"

namespace {

using Qor::forEachDrawnGroup;
using Qor::forEachTriangle;

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

}  // namespace

void Renderer::drawPlanePoints() {
    const auto& planes = level->planes;
    auto point = [](const Qor::Plane& plane) {
        const std::array<float, 3> at = Qor::planePoint(plane);
        glVertex3f(at[0], at[1], at[2]);
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
