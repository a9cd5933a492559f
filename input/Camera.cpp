#include <algorithm>
#include <iostream>
#include <optional>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "CameraMotion.h"
#include "CameraPlacement.h"
#include "Input.h"
#include "SpawnPoints.h"

void updateCamera(View& view, Controls& controls, double timeScale) {
    driveAndDamp(controls.cameraVelocity,
                 MovementInput{controls.moveSideways, controls.moveForward, controls.moveVertical}, view.cameraYaw,
                 timeScale, view.speedFactor * view.flySpeed);
    for (std::size_t axis = 0; axis < 3; ++axis) view.cameraPos[axis] += controls.cameraVelocity[axis];

    const double speed = view.speedFactor;
    if (controls.isHeld(KeyAction::clipFarther)) scaleClipDistances(view.nearPlane, view.farPlane, true, speed);
    if (controls.isHeld(KeyAction::clipNearer)) scaleClipDistances(view.nearPlane, view.farPlane, false, speed);
    if (controls.isHeld(KeyAction::pointBigger)) growBy(view.pointSize, sizeStep, speed);
    if (controls.isHeld(KeyAction::pointSmaller)) shrinkTowardZero(view.pointSize, sizeStep, speed);
    if (controls.isHeld(KeyAction::lineWider)) growBy(view.lineWidth, sizeStep, speed);
    if (controls.isHeld(KeyAction::lineThinner)) shrinkTowardZero(view.lineWidth, sizeStep, speed);
    if (controls.isHeld(KeyAction::moreAlpha)) growBy(view.fillAlpha, alphaStep, speed);
    if (controls.isHeld(KeyAction::lessAlpha)) shrinkTowardZero(view.fillAlpha, alphaStep, speed);
}

void placeCamera(View& view, Controls& controls, const Qor::BSP& level, const CameraRequest& request) {
    switch (request.kind) {
    case CameraRequest::Kind::origin: break;
    // Saved views are the viewer's to read.
    case CameraRequest::Kind::view: break;
    case CameraRequest::Kind::position:
        view.cameraPos = request.position;
        view.cameraYaw = request.yaw;
        view.cameraPitch = request.pitch;
        break;
    case CameraRequest::Kind::fit: fitLevel(view, level); break;
    case CameraRequest::Kind::spawn:
        if (!goToSpawn(view, controls, level, request.spawn - 1))
            std::cerr << "WARNING: Spawn point '" << request.spawn << "' was asked for, but the level has '"
                      << Qor::spawnPoints(level).size() << "'; the camera starts at the origin.\n";
        break;
    }
}

bool goToSpawn(View& view, Controls& controls, const Qor::BSP& level, std::size_t index) {
    const std::vector<Qor::SpawnPoint> points = Qor::spawnPoints(level);
    if (index >= points.size()) return false;
    const Qor::SpawnPoint& point = points[index];
    view.cameraPos = point.position;
    view.cameraYaw = yawFromDegrees(point.yaw);
    view.cameraPitch = pitchFromDegrees(point.pitch);
    controls.spawnCursor = static_cast<std::int64_t>(index);
    return true;
}

void stepSpawn(View& view, Controls& controls, const Qor::BSP& level, bool backward) {
    const auto count = static_cast<std::int64_t>(Qor::spawnPoints(level).size());
    if (count == 0) return;
    std::int64_t next = backward ? count - 1 : 0;
    // A reload can leave fewer spawn points than the one last visited.
    if (controls.spawnCursor >= 0)
        next = (std::min(controls.spawnCursor, count - 1) + (backward ? count - 1 : 1)) % count;
    goToSpawn(view, controls, level, static_cast<std::size_t>(next));
}

void fitLevel(View& view, const Qor::BSP& level) {
    const std::optional<Qor::Box> box = Qor::levelBounds(level);
    if (!box) return;
    const double aspect = static_cast<double>(view.screenWidth) / static_cast<double>(view.screenHeight);
    const CameraView fitted = fitView(*box, aspect, view.nearPlane, view.farPlane);
    view.cameraPos = fitted.position;
    view.cameraYaw = fitted.yaw;
    view.cameraPitch = fitted.pitch;
    view.nearPlane = fitted.nearPlane;
    view.farPlane = fitted.farPlane;
}
