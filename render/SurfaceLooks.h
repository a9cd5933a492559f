#pragma once

// The looks' drawing rules, shared by the glBegin/glEnd passes and the
// buffered arrays so that the two give the same pictures: the state each
// look draws with, and the colour and normal of every filled corner.

#include <array>
#include <cstdint>

#include "Elements.h"
#include "Look.h"
#include "View.h"

namespace Qor {
class BSP;
}

// The depth test and blending every pass of a frame is drawn with: the
// render mode's in the classic look, opaque with a depth test in the others
// (the render mode keeps its value for when classic comes back). Render
// modes blend and additive rely on the blending on and depth test off that
// the end of every frame leaves behind.
void setFrameState(RenderMode renderMode, Look look);

// What the filled triangles of a look need beyond the frame's state: in
// every look but classic the surfaces pushed back in depth, so that outlines
// lying on them show along their whole length; in the shaded look, lighting
// by the eye; in the textured look, texturing, each group binding its own
// image. Both drawing paths call these around their filled triangles;
// the second takes away all that the first put in place.
void beginSurfaces(Look look);
void endSurfaces(Look look);

// Whether the look's filled corners carry normals for the lighting.
inline bool litLook(Look look) { return look == Look::shaded || look == Look::textured; }

// One filled corner as OpenGL is given it: red, green, blue and alpha, in a
// lit look its normal, and in the textured look its texture coordinates.
struct SurfaceCorner {
    std::array<float, 4> colour;
    std::array<float, 3> normal;
    std::array<float, 2> texture;
};

// A corner's texture coordinates as drawn: as stored, or (0, 0) in place of
// any that is not finite, which OpenGL leaves undefined.
std::array<float, 2> drawnTextureCoordinates(const Qor::Vertex& vertex);

// The filled corners of one group's triangles in a look: classic's false
// colour with the vertex alpha weighed by the fill alpha; the material's
// colour, lit; the vertex's baked colour; the normal as a colour; or, in the
// textured look, white over a material's image and its colour over the
// checkerboard of a material without one, lit.
class SurfacePaint {
public:
    SurfacePaint(Look look, const Qor::BSP& level, const Qor::TextureGroup& group, double fillAlpha,
                 bool hasImage = false);
    std::array<SurfaceCorner, 3> operator()(const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) const;

private:
    Look look;
    double fillAlpha;
    std::array<float, 4> groupColour;  // classic's and shaded's
};
