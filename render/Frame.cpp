#include "Frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "BSP.h"
#include "SurfaceLooks.h"
#include "ViewRay.h"

void applySizes(const View& view) {
    glPointSize(static_cast<GLfloat>(view.pointSize));
    glLineWidth(static_cast<GLfloat>(view.lineWidth));
}

void setupPerspective(const View& view) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of height 0 has nothing to show; keep the matrix finite anyway.
    const double aspect = view.screenHeight != 0
                              ? static_cast<double>(view.screenWidth) / static_cast<double>(view.screenHeight)
                              : 1.0;
    gluPerspective(fieldOfViewDegrees, aspect, view.nearPlane, view.farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void setupOrthographic(const View& view) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, view.screenWidth, view.screenHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

namespace {

void setupCamera(const View& view) {
    setupPerspective(view);
    glLoadIdentity();
    const auto& eye = view.cameraPos;
    const double direction[3] = {std::cos(view.cameraPitch) * std::sin(view.cameraYaw),
                                 std::cos(view.cameraPitch) * std::cos(view.cameraYaw), std::sin(view.cameraPitch)};
    gluLookAt(eye[0], eye[1], eye[2], eye[0] + direction[0], eye[1] + direction[1], eye[2] + direction[2], 0.0, 0.0,
              1.0);
}

void setupScreenSpace(const View& view) {
    setupOrthographic(view);
    glLoadIdentity();
}

}  // namespace

void drawFrame(const PanelState& shown, const std::vector<Qor::Marker>& markers, FrameResources& resources) {
    const View& view = shown.view;
    const Qor::BSP& level = *shown.level;
    applySizes(view);
    setupCamera(view);
    glDisable(GL_TEXTURE_2D);

    setFrameState(view.renderMode, view.look);

    // One-sided drawing: both paths give each triangle's corners
    // counter-clockwise as seen from its front, so OpenGL's own culling
    // leaves out what is seen from behind, in every pass.
    if (view.cull) {
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        glEnable(GL_CULL_FACE);
    }
    // The first textured frame waits for every image, so that it is the
    // same picture each time.
    if (view.look == Look::textured && view.showFilled) resources.textures.upload();
    if (view.drawPath != DrawPath::buffered || !resources.geometry.draw(view, level, resources.textures)) {
        if (view.showPlanePoints || view.singlePlane) drawPlanePoints(view, level);
        if (view.showFilled) drawFilledTriangles(view, level, resources.textures);
        if (view.showWireframe) drawWireframe(view, level);
        if (view.showCornerPoints) drawCornerPoints(view, level);
    }
    if (view.cull) glDisable(GL_CULL_FACE);
    drawMarkers(view, level, markers);
    if (view.find.open && view.find.material >= 0) drawFoundMaterial(view, level);
    drawMeasure(view, shown.pointing);

    setupScreenSpace(view);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);

    if (view.showMarkers) drawLabels(view, level, markers, resources);
    if (view.overlayVisible) drawPanel(shown, resources);
    if (view.find.open) drawFindPrompt(view, resources);
    // The outline and the crosshair over the panel, which may reach over
    // what is pointed at.
    if (pointingShown(view)) {
        setupCamera(view);
        glDisable(GL_TEXTURE_2D);
        drawPointedTriangle(view, shown.pointing);
        glEnable(GL_TEXTURE_2D);
        setupScreenSpace(view);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        drawCrosshair(view);
    }
}
