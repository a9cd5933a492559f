#include "SurfaceLooks.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>

#include "MaterialColours.h"
#include "Normals.h"
#include "Palette.h"

namespace {

// A surface facing the eye shows its own colour; one seen edge on keeps the
// ambient part of it, so that nothing lit is ever black.
constexpr GLfloat ambientPart = 0.35f;
constexpr GLfloat diffusePart = 1.0f - ambientPart;

float unitChannel(std::uint8_t value) { return static_cast<float>(value) / 255.0f; }

std::array<float, 4> opaque(const std::array<std::uint8_t, 3>& rgb) {
    return {unitChannel(rgb[0]), unitChannel(rgb[1]), unitChannel(rgb[2]), 1.0f};
}

}  // namespace

void setFrameState(RenderMode renderMode, Look look) {
    switch (look == Look::classic ? renderMode : RenderMode::opaque) {
    case RenderMode::blend:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case RenderMode::additive:
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    case RenderMode::opaque:
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        break;
    }
}

// The headlight is two lights in eye space, one shining along the view and
// one against it: together they light a surface by how squarely it faces the
// eye, whichever way its normal points. OpenGL's two-sided lighting would
// instead go by the winding of the corners on the screen, and level
// compilers do not agree on a winding: with the other one a level would be
// dark from both sides. A light at infinity also keeps the lighting per
// vertex the cheapest there is.
void beginSurfaces(Look look) {
    if (look == Look::classic) return;
    if (look == Look::textured) {
        // The image's texels times the lit corner colour; the texture bound
        // before, the panel's, and texturing off come back at the end.
        glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_TEXTURE_2D);
    }
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    if (!litLook(look)) return;

    const GLfloat ambient[4] = {ambientPart, ambientPart, ambientPart, 1.0f};
    const GLfloat diffuse[4] = {diffusePart, diffusePart, diffusePart, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat fromBehindTheEye[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat fromAhead[4] = {0.0f, 0.0f, -1.0f, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    // Positions are taken through the model-view matrix: the identity puts
    // them in eye space, where they stay however the camera moves.
    glPushMatrix();
    glLoadIdentity();
    for (const auto& [light, direction] : {std::make_pair(GLenum{GL_LIGHT0}, fromBehindTheEye),
                                           std::make_pair(GLenum{GL_LIGHT1}, fromAhead)}) {
        glLightfv(light, GL_POSITION, direction);
        glLightfv(light, GL_AMBIENT, none);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_SPECULAR, none);
        glEnable(light);
    }
    glPopMatrix();
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
}

void endSurfaces(Look look) {
    if (look == Look::classic) return;
    if (litLook(look)) {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_LIGHT0);
        glDisable(GL_LIGHT1);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    if (look == Look::textured) glPopAttrib();
}

namespace {

std::array<float, 4> groupColourOf(Look look, const Qor::BSP& level, const Qor::TextureGroup& group, bool hasImage) {
    switch (look) {
    case Look::textured:
        if (hasImage) return {1.0f, 1.0f, 1.0f, 1.0f};
        return opaque(Qor::textureColour(level, group.texture));
    case Look::shaded: return opaque(Qor::textureColour(level, group.texture));
    case Look::classic:
    case Look::baked:
    case Look::normals: break;
    }
    return paletteColour(fillEntry(group.texture), 0.0);
}

}  // namespace

std::array<float, 2> drawnTextureCoordinates(const Qor::Vertex& vertex) {
    if (!std::isfinite(vertex.texture[0]) || !std::isfinite(vertex.texture[1])) return {0.0f, 0.0f};
    return vertex.texture;
}

SurfacePaint::SurfacePaint(Look look_, const Qor::BSP& level, const Qor::TextureGroup& group, double fillAlpha_,
                           bool hasImage)
    : look(look_), fillAlpha(fillAlpha_), groupColour(groupColourOf(look, level, group, hasImage)) {}

std::array<SurfaceCorner, 3> SurfacePaint::operator()(const Qor::Vertex& a, const Qor::Vertex& b,
                                                      const Qor::Vertex& c) const {
    const Qor::Vertex* const vertices[3] = {&a, &b, &c};
    std::array<SurfaceCorner, 3> corners{};
    switch (look) {
    case Look::classic:
        for (std::size_t k = 0; k < 3; ++k) {
            corners[k].colour = groupColour;
            corners[k].colour[3] = paletteColour(0, cornerAlpha(vertices[k]->alpha, fillAlpha))[3];
        }
        break;
    case Look::shaded: {
        const std::array<Qor::Direction, 3> normals = Qor::cornerNormals(a, b, c);
        for (std::size_t k = 0; k < 3; ++k) corners[k] = {groupColour, normals[k], {}};
        break;
    }
    case Look::textured: {
        const std::array<Qor::Direction, 3> normals = Qor::cornerNormals(a, b, c);
        for (std::size_t k = 0; k < 3; ++k)
            corners[k] = {groupColour, normals[k], drawnTextureCoordinates(*vertices[k])};
        break;
    }
    case Look::baked:
        for (std::size_t k = 0; k < 3; ++k) corners[k].colour = opaque(vertices[k]->colour);
        break;
    case Look::normals: {
        // Each axis from -1 to 1 as its channel from 0 to 1: a floor facing
        // up is (0.5, 0.5, 1).
        const std::array<Qor::Direction, 3> normals = Qor::cornerNormals(a, b, c);
        for (std::size_t k = 0; k < 3; ++k) {
            const Qor::Direction& n = normals[k];
            corners[k].colour = {(n[0] + 1.0f) * 0.5f, (n[1] + 1.0f) * 0.5f, (n[2] + 1.0f) * 0.5f, 1.0f};
        }
        break;
    }
    }
    return corners;
}
