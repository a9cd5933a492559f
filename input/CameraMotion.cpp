#include "CameraMotion.h"

#include <algorithm>
#include <cmath>

void driveAndDamp(std::array<double, 3>& velocity, const MovementInput& input, double yaw,
                  double timeScale, double speed) {
    if (input.sideways != 0) {
        velocity[0] = timeScale * (std::cos(yaw) * input.sideways * driveRate) * speed + velocity[0];
        velocity[1] = velocity[1] - timeScale * (std::sin(yaw) * input.sideways * driveRate) * speed;
    }
    if (input.forward != 0) {
        velocity[0] = timeScale * (std::sin(yaw) * input.forward * driveRate) * speed + velocity[0];
        velocity[1] = timeScale * (std::cos(yaw) * input.forward * driveRate) * speed + velocity[1];
    }
    if (input.vertical != 0)
        velocity[2] = timeScale * (input.vertical * driveRate) * speed + velocity[2];
    for (double& component : velocity) component *= velocityDamping;
}

bool scaleClipDistances(double& nearPlane, double& farPlane, bool growing, double speed) {
    const double k = clipFactor * speed;
    const double nextNear = growing ? k * nearPlane : nearPlane / k;
    const double nextFar = growing ? k * farPlane : farPlane / k;
    if (!(nextFar <= maxFarPlane) || !(nextNear >= minNearPlane)) return false;
    nearPlane = nextNear;
    farPlane = nextFar;
    return true;
}

void growBy(double& value, double step, double speed) { value = step * speed + value; }

void shrinkTowardZero(double& value, double step, double speed) {
    if (value > 0.0)
        value = value - step * speed;
    else
        value = 0.0;
}

double steppedFlySpeed(double speed, bool faster) {
    return std::clamp(faster ? speed * 2.0 : speed / 2.0, minFlySpeed, maxFlySpeed);
}
