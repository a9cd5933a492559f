#include <GL/gl.h>

#include <array>

#include "BSP.h"
#include "EntityLabels.h"
#include "Frame.h"
#include "GeometryWalk.h"

namespace {

// The crosshair's arms reach this far from the pixel pointed at, and leave
// the pixel itself clear.
constexpr int crosshairReach = 7;
constexpr int crosshairGap = 2;
constexpr float selectedMarkerWidth = 3.0f;

std::array<GLubyte, 3> markerColour(Qor::EntityKind kind) {
    switch (kind) {
    case Qor::EntityKind::spawnPoint: return {0, 255, 0};
    case Qor::EntityKind::light: return {255, 255, 0};
    case Qor::EntityKind::other: break;
    }
    return {255, 128, 0};
}

// Inside glBegin(GL_LINES): the cube's twelve edges, and a spawn point's
// facing.
void markerLines(const Qor::BSP& level, const Qor::Marker& marker) {
    glColor3ubv(markerColour(marker.kind).data());
    const double half = Qor::markerSide / 2.0;
    const auto corner = [&](int bits) {
        glVertex3d(marker.origin[0] + ((bits & 1) != 0 ? half : -half),
                   marker.origin[1] + ((bits & 2) != 0 ? half : -half),
                   marker.origin[2] + ((bits & 4) != 0 ? half : -half));
    };
    // Each edge joins two corners that differ in one axis.
    for (int bits = 0; bits < 8; ++bits)
        for (int axis = 1; axis < 8; axis <<= 1)
            if ((bits & axis) == 0) {
                corner(bits);
                corner(bits | axis);
            }
    if (marker.kind != Qor::EntityKind::spawnPoint) return;
    const std::array<double, 3> facing =
        Qor::facingDirection(Qor::entityFacing(level.entities[marker.entity]));
    glVertex3d(marker.origin[0], marker.origin[1], marker.origin[2]);
    glVertex3d(marker.origin[0] + Qor::facingLineLength * facing[0],
               marker.origin[1] + Qor::facingLineLength * facing[1],
               marker.origin[2] + Qor::facingLineLength * facing[2]);
}

// Lines as drawn here are solid and exactly their colour, whatever the
// render mode blends; what they change is put back by the caller's restore.
void beginSolidLines(float width) {
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    glLineWidth(width);
}

void endSolidLines(bool blending, double lineWidth) {
    glLineWidth(static_cast<GLfloat>(lineWidth));
    glEnable(GL_LINE_SMOOTH);
    if (blending) glEnable(GL_BLEND);
}

}  // namespace

// Only frames drawn with a depth test leave depths to test against; in the
// others the markers show through the level.
void drawMarkers(const View& view, const Qor::BSP& level, const std::vector<Qor::Marker>& markers) {
    const bool entityPage = view.overlayVisible && view.overlayPage == 4;
    const std::optional<Qor::Marker> selected =
        entityPage && view.selectedEntity >= 0
            ? Qor::entityMarker(level, static_cast<std::size_t>(view.selectedEntity))
            : std::nullopt;
    if ((!view.showMarkers || markers.empty()) && !selected) return;
    const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    if (depthTested(view.renderMode, view.look))
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    beginSolidLines(1.0f);
    if (view.showMarkers) {
        glBegin(GL_LINES);
        for (const Qor::Marker& marker : markers) markerLines(level, marker);
        glEnd();
    }
    if (selected) {
        glLineWidth(selectedMarkerWidth);
        glBegin(GL_LINES);
        markerLines(level, *selected);
        glEnd();
    }
    endSolidLines(blending, view.lineWidth);
}

void drawPointedTriangle(const View& view, const Hit& pointing) {
    if (pointing.kind != Hit::Kind::surface) return;
    const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    glDisable(GL_DEPTH_TEST);
    beginSolidLines(1.0f);
    glBegin(GL_LINE_LOOP);
    glColor3ub(255, 255, 255);
    for (const auto& corner : pointing.corners) glVertex3fv(corner.data());
    glEnd();
    endSolidLines(blending, view.lineWidth);
}

// Every edge of every drawn triangle of the material, over whatever lies in
// front, as the triangle pointed at is.
void drawFoundMaterial(const View& view, const Qor::BSP& level) {
    const auto material = static_cast<std::uint64_t>(view.find.material);
    const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    glDisable(GL_DEPTH_TEST);
    beginSolidLines(1.0f);
    glColor3ub(255, 255, 255);
    glBegin(GL_LINES);
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        if (group.texture != material) return;
        Qor::forEachTriangle(level, group, [](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            const std::array<const Qor::Vertex*, 3> corners{&a, &b, &c};
            for (std::size_t k = 0; k < 3; ++k) {
                glVertex3f(corners[k]->x, corners[k]->y, corners[k]->z);
                glVertex3f(corners[(k + 1) % 3]->x, corners[(k + 1) % 3]->y, corners[(k + 1) % 3]->z);
            }
        });
    });
    glEnd();
    endSolidLines(blending, view.lineWidth);
}

// On the screen-space stage, which it leaves as it found it.
void drawLabels(const View& view, const Qor::BSP& level, const std::vector<Qor::Marker>& markers,
                FrameResources& resources) {
    const GLuint background = resources.background;
    const GlyphAtlas& atlas = panelGlyphs(resources.panel, background);
    if (atlas.texture == 0) return;
    const std::vector<Label> labels = placeLabels(
        chooseLabels(level, markers,
                     viewBasis(view.cameraPos, view.cameraYaw, view.cameraPitch, view.screenWidth, view.screenHeight)),
        atlas.advance, atlas.lineHeight);
    if (labels.empty()) return;
    glBindTexture(GL_TEXTURE_2D, atlas.texture);
    for (const Label& label : labels) {
        PanelLayout layout;
        layout.textX = label.box.x;
        layout.textY = label.box.y;
        layout.lines = 1;
        layout.columns = label.text.size();
        glColor3ubv(markerColour(label.kind).data());
        drawText({label.text}, layout, atlas);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, background);
}

void drawCrosshair(const View& view) {
    const std::array<int, 2> pixel = pointedPixel(view);
    const float x = static_cast<float>(pixel[0]) + 0.5f;
    const float y = static_cast<float>(pixel[1]) + 0.5f;
    const auto reach = static_cast<float>(crosshairReach);
    const auto gap = static_cast<float>(crosshairGap);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LINE_SMOOTH);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    for (const float sign : {-1.0f, 1.0f}) {
        glVertex2f(x + sign * gap, y);
        glVertex2f(x + sign * (reach + 1.0f), y);
        glVertex2f(x, y + sign * gap);
        glVertex2f(x, y + sign * (reach + 1.0f));
    }
    glEnd();
    glLineWidth(static_cast<GLfloat>(view.lineWidth));
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_TEXTURE_2D);
}
