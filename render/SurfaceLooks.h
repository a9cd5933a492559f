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
// by the eye. Both drawing paths call these around their filled triangles;
// the second takes away all that the first put in place.
void beginSurfaces(Look look);
void endSurfaces(Look look);

// Whether the look's filled corners carry normals for the lighting.
inline bool litLook(Look look) { return look == Look::shaded; }

// One filled corner as OpenGL is given it: red, green, blue and alpha, and
// in a lit look its normal.
struct SurfaceCorner {
    std::array<float, 4> colour;
    std::array<float, 3> normal;
};

// The filled corners of one group's triangles in a look: classic's false
// colour with the vertex alpha weighed by the fill alpha; the material's
// colour, lit; the vertex's baked colour; or the normal as a colour.
class SurfacePaint {
public:
    SurfacePaint(Look look, const Qor::BSP& level, const Qor::TextureGroup& group, double fillAlpha);
    std::array<SurfaceCorner, 3> operator()(const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) const;

private:
    Look look;
    double fillAlpha;
    std::array<float, 4> groupColour;  // classic's and shaded's
};
