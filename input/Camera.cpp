#include <GL/gl.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <vector>

#include "Bounds.h"
#include "CameraMotion.h"
#include "CameraPlacement.h"
#include "FrameTimer.h"
#include "KeyBindings.h"
#include "SpawnPoints.h"
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
    case CameraRequest::Kind::spawn:
        if (!goToSpawn(request.spawn - 1))
            std::cerr << "WARNING: Spawn point '" << request.spawn << "' was asked for, but the level has '"
                      << Qor::spawnPoints(*level).size() << "'; the camera starts at the origin.\n";
        break;
    }
}

bool Renderer::goToSpawn(std::size_t index) {
    const std::vector<Qor::SpawnPoint> points = Qor::spawnPoints(*level);
    if (index >= points.size()) return false;
    const Qor::SpawnPoint& point = points[index];
    cameraPos = point.position;
    cameraYaw = yawFromDegrees(point.yaw);
    cameraPitch = pitchFromDegrees(point.pitch);
    spawnCursor = static_cast<std::int64_t>(index);
    return true;
}

void Renderer::stepSpawn(bool backward) {
    const auto count = static_cast<std::int64_t>(Qor::spawnPoints(*level).size());
    if (count == 0) return;
    std::int64_t next = backward ? count - 1 : 0;
    // A reload can leave fewer spawn points than the one last visited.
    if (spawnCursor >= 0) next = (std::min(spawnCursor, count - 1) + (backward ? count - 1 : 1)) % count;
    goToSpawn(static_cast<std::size_t>(next));
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
