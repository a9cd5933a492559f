#include <GL/gl.h>

#include "CameraMotion.h"
#include "FrameTimer.h"
#include "KeyBindings.h"
#include "Renderer.h"

double Renderer::timeScale() const { return averageFrameSeconds() * timeScaleRate; }

void Renderer::updateCamera() {
    driveAndDamp(cameraVelocity, MovementInput{moveSideways, moveForward, moveVertical}, cameraYaw,
                 timeScale(), speedFactor);
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
