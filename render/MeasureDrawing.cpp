#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "Frame.h"
#include "ViewRay.h"

namespace {

// Each arm of the cross reaches this many pixels from the mark, however far
// the mark lies.
constexpr double crossPixels = 8.0;

}  // namespace

// Over everything drawn in the level, so that a mark behind a wall still
// shows where it is; solid white lines one pixel wide.
void drawMeasure(const View& view, const Hit& pointing) {
    if (!view.mark) return;
    const std::array<double, 3>& mark = *view.mark;
    const ViewBasis basis = viewBasis(view.cameraPos, view.cameraYaw, view.cameraPitch, view.screenWidth,
                                      view.screenHeight);
    // The arm's length in level units at the mark's depth along the view.
    double depth = 0.0;
    for (std::size_t k = 0; k < 3; ++k) depth += (mark[k] - view.cameraPos[k]) * basis.forward[k];
    const double unitsPerPixel = 2.0 * std::fabs(depth) * basis.halfHeight / std::max(1, view.screenHeight);
    const double arm = crossPixels * unitsPerPixel;

    const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    glColor3ub(255, 255, 255);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        std::array<double, 3> low = mark;
        std::array<double, 3> high = mark;
        low[axis] -= arm;
        high[axis] += arm;
        glVertex3dv(low.data());
        glVertex3dv(high.data());
    }
    if (pointingShown(view) && pointing.kind != Hit::Kind::nothing) {
        glVertex3dv(mark.data());
        glVertex3dv(pointing.point.data());
    }
    glEnd();
    glLineWidth(static_cast<GLfloat>(view.lineWidth));
    glEnable(GL_LINE_SMOOTH);
    if (blending) glEnable(GL_BLEND);
}
