#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <vector>

#include "CameraMotion.h"

// The camera's motion frame by frame, without a window.

namespace {

using ::testing::DoubleNear;
using ::testing::Pointwise;
using Vector = std::array<double, 3>;

// Held for 200 frames the drive settles; let go for 200 more, the camera
// coasts three settled frames' worth. Only the drive is scaled by the time
// scale (damping is per frame), so the settled speed is 3 × 2.67 × T × S.
TEST(CameraDrive, SettlesAtThreeTimesTheScaledDriveAlongTheHeadingItsRightOrUpThenCoastsThreeTimesThat) {
    constexpr double halfPi = 1.57079632679489661923;
    for (const auto& [yaw, input, timeScale, speed, settled] :
         std::vector<std::tuple<double, MovementInput, double, double, Vector>>{
             {0, {0, 1, 0}, 1, 1, {0, 8.01, 0}}, {0, {1, 0, 0}, 1, 1, {8.01, 0, 0}},
             {halfPi, {0, 1, 0}, 1, 1, {8.01, 0, 0}}, {halfPi, {1, 0, 0}, 1, 1, {0, -8.01, 0}},
             {halfPi, {0, 0, -1}, 0.5, 4, {0, 0, -16.02}}}) {
        Vector velocity{};
        for (int frame = 0; frame < 200; ++frame) driveAndDamp(velocity, input, yaw, timeScale, speed);
        EXPECT_THAT(velocity, Pointwise(DoubleNear(1e-9), settled)) << "yaw " << yaw;
        Vector coasted{};
        for (int frame = 0; frame < 200; ++frame) {
            driveAndDamp(velocity, {0, 0, 0}, yaw, timeScale, speed);
            for (std::size_t axis = 0; axis < 3; ++axis) coasted[axis] += velocity[axis] / 3;
        }
        EXPECT_THAT(coasted, Pointwise(DoubleNear(1e-9), settled)) << "a third of the coast, yaw " << yaw;
    }
}

// Ten frames of Page Up and ten of Page Down come back; held with Shift for
// as long as it takes, each stops short of infinity or zero, in ratio.
TEST(ClipDistances, ScaleTogetherPerFrameAndStayFinitePositiveAndInRatioHoweverLongHeld) {
    double nearPlane = 10.0;
    double farPlane = 10000.0;
    for (int frame = 0; frame < 10; ++frame) scaleClipDistances(nearPlane, farPlane, true, 1.0);
    EXPECT_NEAR(farPlane, 25937.424601, 1e-6);
    for (int frame = 0; frame < 10; ++frame) scaleClipDistances(nearPlane, farPlane, false, 1.0);
    EXPECT_NEAR(nearPlane, 10.0, 1e-12);
    for (const bool growing : {true, false}) {
        for (int frame = 0; frame < 1000; ++frame) scaleClipDistances(nearPlane, farPlane, growing, 4.0);
        EXPECT_TRUE(std::isfinite(farPlane) && nearPlane > 0.0) << (growing ? "Page Up" : "Page Down");
        EXPECT_NEAR(farPlane / nearPlane, 1000.0, 1e-9);
    }
}

TEST(HeldAdjustments, ShrinkingWithShiftFloorsAtZeroOnTheFrameAfterCrossingIt) {
    double size = 1.05;
    for (const double expected : {0.85, 0.65, 0.45, 0.25, 0.05, -0.15, 0.0, 0.0}) {
        shrinkTowardZero(size, 0.05, 4.0);
        EXPECT_NEAR(size, expected, 1e-12);
    }
}

}  // namespace
