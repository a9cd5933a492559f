#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "Renderer.h"
#include "SurfaceLooks.h"

void Renderer::resetView() {
    nearPlane = 10.0;
    farPlane = 10000.0;
    pointSize = 1.0;
    lineWidth = 1.0;
    fillAlpha = 0.1;
    renderMode = 2;
    overlayVisible = false;
    showCornerPoints = true;
    showFilled = true;
    showWireframe = true;
    showPlanePoints = false;
    singleGroup = false;
    singlePlane = false;
    selectedGroup = 0;
    selectedPlane = 0;

    // The constructor resets the view before the window exists; the GL set-up
    // applies the same values once there is a context.
    if (!glContextReady()) return;
    glPointSize(static_cast<GLfloat>(pointSize));
    glLineWidth(static_cast<GLfloat>(lineWidth));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void Renderer::setupPerspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of height 0 has nothing to show; keep the matrix finite anyway.
    const double aspect = screenHeight != 0
                              ? static_cast<double>(screenWidth) / static_cast<double>(screenHeight)
                              : 1.0;
    gluPerspective(fieldOfViewDegrees, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void Renderer::setupOrthographic() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, screenWidth, screenHeight, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void Renderer::drawFrame() {
    setupPerspective();
    glLoadIdentity();
    const double direction[3] = {std::cos(cameraPitch) * std::sin(cameraYaw),
                                 std::cos(cameraPitch) * std::cos(cameraYaw), std::sin(cameraPitch)};
    gluLookAt(cameraPos[0], cameraPos[1], cameraPos[2], cameraPos[0] + direction[0],
              cameraPos[1] + direction[1], cameraPos[2] + direction[2], 0.0, 0.0, 1.0);
    glDisable(GL_TEXTURE_2D);

    // Page 3 tells what lies under the pixel pointed at, as this frame shows it.
    const bool pointingShown = overlayVisible && overlayPage == 3;
    if (pointingShown) {
        const std::array<int, 2> pixel = pointedPixel();
        pointing = pointAt(pixel[0], pixel[1]);
    }

    setFrameState(renderMode, look);

    if (drawPath != DrawPath::buffered || !geometry.draw(*this)) {
        if (showPlanePoints || singlePlane) drawPlanePoints();
        if (showFilled) drawFilledTriangles();
        if (showWireframe) drawWireframe();
        if (showCornerPoints) drawCornerPoints();
    }
    drawMarkers();
    if (pointingShown) drawPointedTriangle();

    setupOrthographic();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);

    if (showMarkers) drawLabels();
    if (overlayVisible) drawPanel();
    // Over the panel, which may reach over the window's centre.
    if (pointingShown) drawCrosshair();
}
