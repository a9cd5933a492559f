#pragma once

// One frame of the level as the view sets it up: the projection and camera,
// the render mode's state, the passes switched on, the markers, the labels
// and the panel, ending in the screen-space state every frame leaves.

#include <vector>

#include "EntityMarkers.h"
#include "GeometryBuffers.h"
#include "MaterialTextures.h"
#include "Panel.h"
#include "PanelText.h"
#include "View.h"

// The GL resources the frames draw with, owned by the viewer.
struct FrameResources {
    GeometryBuffers geometry;  // the level's arrays, rebuilt for each level
    MaterialTextures textures;  // the textured look's, uploaded on its first frame
    PanelCache panel;
    unsigned int background = 0;  // the panel's checker, "text_background"
};

// What the frame shows is `shown`: its view, its level and, while page 3 is
// shown, what lies under the pixel pointed at. The markers are the level's.
void drawFrame(const PanelState& shown, const std::vector<Qor::Marker>& markers, FrameResources& resources);

void setupPerspective(const View& view);
void setupOrthographic(const View& view);
// OpenGL's point size and line width as the view has them.
void applySizes(const View& view);

// The passes of the glBegin/glEnd path, each as the view switches it.
void drawPlanePoints(const View& view, const Qor::BSP& level);
void drawFilledTriangles(const View& view, const Qor::BSP& level, const MaterialTextures& textures);
void drawWireframe(const View& view, const Qor::BSP& level);
void drawCornerPoints(const View& view, const Qor::BSP& level);

// The entity markers shown and the one page 4 selects; the outline of the
// triangle pointed at; the labels; the panel; the crosshair.
void drawMarkers(const View& view, const Qor::BSP& level, const std::vector<Qor::Marker>& markers);
void drawPointedTriangle(const View& view, const Hit& pointing);
void drawLabels(const View& view, const Qor::BSP& level, const std::vector<Qor::Marker>& markers,
                FrameResources& resources);
void drawPanel(const PanelState& shown, FrameResources& resources);
// The find prompt along the bottom edge, and the outline of every drawn
// triangle of the material it found.
void drawFindPrompt(const View& view, FrameResources& resources);
void drawFoundMaterial(const View& view, const Qor::BSP& level);
void drawCrosshair(const View& view);
// The mark m dropped, as a small cross over everything, and while page 3
// points at something the line from the mark to it.
void drawMeasure(const View& view, const Hit& pointing);
