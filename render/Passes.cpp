#include <GL/gl.h>

#include <array>

#include "BSP.h"
#include "GeometryWalk.h"
#include "Normals.h"
#include "Palette.h"
#include "Frame.h"
#include "SurfaceLooks.h"

namespace {

using Qor::forEachDrawnGroup;
using Qor::forEachTriangle;

void vertexAt(const Qor::Vertex& v) { glVertex3f(v.x, v.y, v.z); }

void colourOf(std::size_t entry, double alpha) { glColor4fv(paletteColour(entry, alpha).data()); }

// The orders the triangle's corners are sent in: as stored, or with one-sided
// drawing counter-clockwise from the front, as the arrays hold them.
Qor::CornerOrders sentOrders(const View& view, const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
    if (!view.cull) return Qor::frontCornerOrders(Qor::Winding::asStored);
    return Qor::frontCornerOrders(Qor::frontWinding(a, b, c));
}

// Outlines or corner points of one-sided triangles: OpenGL culls polygons
// only, so they are sent as triangles drawn as lines or points.
void drawOneSided(const View& view, const Qor::BSP& level, GLenum polygonMode) {
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    glBegin(GL_TRIANGLES);
    forEachDrawnGroup(level, view.singleGroup, view.selectedGroup, view.hidden, [&](const Qor::TextureGroup& group) {
        const std::size_t entry = outlineEntry(group.texture);
        forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const Qor::Vertex* const vertices[3] = {&a, &b, &c};
            const Qor::CornerOrders sent = sentOrders(view, a, b, c);
            for (std::size_t n = 0; n < sent.count; ++n) {
                for (const std::uint8_t k : sent.orders[n]) {
                    colourOf(entry, 1.0);
                    vertexAt(*vertices[k]);
                }
            }
        });
    });
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace

void drawPlanePoints(const View& view, const Qor::BSP& level) {
    const auto& planes = level.planes;
    auto point = [](const Qor::Plane& plane) {
        if (const auto at = Qor::planePoint(plane)) glVertex3f((*at)[0], (*at)[1], (*at)[2]);
    };
    glBegin(GL_POINTS);
    if (view.singlePlane) {
        if (view.selectedPlane < planes.size()) point(planes[view.selectedPlane]);
    } else {
        for (const Qor::Plane& plane : planes) point(plane);
    }
    glEnd();
}

// The look's corners, each with its colour and, when lit, its normal set
// inside glBegin/glEnd as the arrays give them. A texture is bound only
// outside glBegin/glEnd, so the textured look draws a pair per group.
void drawFilledTriangles(const View& view, const Qor::BSP& level, const MaterialTextures& textures) {
    const bool lit = litLook(view.look);
    const bool textured = view.look == Look::textured;
    beginSurfaces(view.look);
    if (!textured) glBegin(GL_TRIANGLES);
    forEachDrawnGroup(level, view.singleGroup, view.selectedGroup, view.hidden, [&](const Qor::TextureGroup& group) {
        const SurfacePaint paint(view.look, level, group, view.fillAlpha, textures.hasImage(group.texture));
        if (textured) {
            glBindTexture(GL_TEXTURE_2D, textures.textureOf(group.texture));
            glBegin(GL_TRIANGLES);
        }
        forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const std::array<SurfaceCorner, 3> corners = paint(a, b, c);
            const Qor::Vertex* const vertices[3] = {&a, &b, &c};
            const Qor::CornerOrders sent = sentOrders(view, a, b, c);
            for (std::size_t n = 0; n < sent.count; ++n) {
                for (const std::uint8_t k : sent.orders[n]) {
                    glColor4fv(corners[k].colour.data());
                    if (lit) glNormal3fv(corners[k].normal.data());
                    if (textured) glTexCoord2fv(corners[k].texture.data());
                    vertexAt(*vertices[k]);
                }
            }
        });
        if (textured) glEnd();
    });
    if (!textured) glEnd();
    endSurfaces(view.look);
}

// Each loop sets its colour inside glBegin/glEnd, where OpenGL keeps it with
// every vertex. Set outside, Mesa keeps it either as the current colour or
// with each vertex depending on what it has buffered, and the two can differ
// in the last bit of a pixel, so the picture would vary with the groups
// drawn before.
void drawWireframe(const View& view, const Qor::BSP& level) {
    if (view.cull) return drawOneSided(view, level, GL_LINE);
    forEachDrawnGroup(level, view.singleGroup, view.selectedGroup, view.hidden, [&](const Qor::TextureGroup& group) {
        const std::size_t entry = outlineEntry(group.texture);
        forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            glBegin(GL_LINE_LOOP);
            colourOf(entry, 1.0);
            vertexAt(a);
            vertexAt(b);
            vertexAt(c);
            glEnd();
        });
    });
}

void drawCornerPoints(const View& view, const Qor::BSP& level) {
    if (view.cull) return drawOneSided(view, level, GL_POINT);
    glBegin(GL_POINTS);
    forEachDrawnGroup(level, view.singleGroup, view.selectedGroup, view.hidden, [&](const Qor::TextureGroup& group) {
        colourOf(outlineEntry(group.texture), 1.0);
        forEachTriangle(level, group, [](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            vertexAt(a);
            vertexAt(b);
            vertexAt(c);
        });
    });
    glEnd();
}
