#pragma once

#include <array>

// The camera's motion rules, free of any window so that they can be checked
// on their own. Rates are per frame; only the drive is scaled by frame time.

constexpr double driveRate = 2.67;
constexpr double velocityDamping = 0.75;
constexpr double timeScaleRate = 75.0;
constexpr double clipFactor = 1.1;
constexpr double sizeStep = 0.05;
constexpr double alphaStep = 0.005;

// Held long enough, Page Up and Page Down would take the far distance to
// infinity or the near one to zero. Steps that would cross these bounds are
// refused whole, so the two distances keep their ratio.
constexpr double maxFarPlane = 1.0e12;
constexpr double minNearPlane = 1.0e-6;

// The fly speed the = and - keys double and halve.
constexpr double minFlySpeed = 1.0 / 16.0;
constexpr double maxFlySpeed = 64.0;

// One press of = (faster) or -: twice or half the speed, within its bounds.
double steppedFlySpeed(double speed, bool faster);

struct MovementInput {
    int sideways;
    int forward;
    int vertical;
};

// Adds the frame's drive along the heading (forward (sin, cos, 0), right
// (cos, −sin, 0), up (0, 0, 1)), damps the velocity and returns it.
void driveAndDamp(std::array<double, 3>& velocity, const MovementInput& input, double yaw,
                  double timeScale, double speed);

// One frame of Page Up (growing true) or Page Down; false when the step was
// refused at the bounds.
bool scaleClipDistances(double& nearPlane, double& farPlane, bool growing, double speed);

// One frame of a held size or alpha key: grows without bound; shrinking
// stops at 0 on the frame after the value has reached or crossed it.
void growBy(double& value, double step, double speed);
void shrinkTowardZero(double& value, double step, double speed);
