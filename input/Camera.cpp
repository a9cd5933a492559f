#include <GL/gl.h>

#include <optional>

#include "Bounds.h"
#include "CameraMotion.h"
#include "CameraPlacement.h"
#include "FrameTimer.h"
#include "KeyBindings.h"
#include "Renderer.h"

double Renderer::timeScale() const { return averageFrameSeconds() * timeScaleRate; }

void Renderer::updateCamera() {
    driveAndDamp(cameraVelocity, MovementInput{moveSideways, moveForward, moveVertical}, cameraYaw,
                 timeScale(), speedFactor * flySpeed);
    for (std::size_t axis = 0; axis < 3; ++axis) cameraPos[axis] += cameraVelocity[axis];

    if (keyDown[heldPageUp] && scaleClipDistances(nearPlane, farPlane, true, speedFactor))
        setupPerspective();
    if (keyDown[heldPageDown] && scaleClipDistances(nearPlane, farPlane, false, speedFactor))
        setupPerspective();
    if (keyDown[heldRightBracket]) {
        growBy(pointSize, sizeStep, speedFactor);
        glPointSize(static_cast<GLfloat>(pointSize));
    }
    if (keyDown[heldLeftBracket]) {
        shrinkTowardZero(pointSize, sizeStep, speedFactor);
        glPointSize(static_cast<GLfloat>(pointSize));
    }
    if (keyDown[heldQuote]) {
        growBy(lineWidth, sizeStep, speedFactor);
        glLineWidth(static_cast<GLfloat>(lineWidth));
    }
    if (keyDown[heldSemicolon]) {
        shrinkTowardZero(lineWidth, sizeStep, speedFactor);
        glLineWidth(static_cast<GLfloat>(lineWidth));
    }
    if (keyDown[heldPeriod]) growBy(fillAlpha, alphaStep, speedFactor);
    if (keyDown[heldComma]) shrinkTowardZero(fillAlpha, alphaStep, speedFactor);
}

void Renderer::placeCamera(const CameraRequest& request) {
    switch (request.kind) {
    case CameraRequest::Kind::origin: break;
    case CameraRequest::Kind::position:
        cameraPos = request.position;
        cameraYaw = request.yaw;
        cameraPitch = request.pitch;
        break;
    case CameraRequest::Kind::fit: fitLevel(); break;
    case CameraRequest::Kind::spawn: break;
    }
}

void Renderer::fitLevel() {
    const std::optional<Qor::Box> box = Qor::levelBounds(*level);
    if (!box) return;
    const double aspect = static_cast<double>(screenWidth) / static_cast<double>(screenHeight);
    const CameraView view = fitView(*box, aspect, nearPlane, farPlane);
    cameraPos = view.position;
    cameraYaw = view.yaw;
    cameraPitch = view.pitch;
    nearPlane = view.nearPlane;
    farPlane = view.farPlane;
}
