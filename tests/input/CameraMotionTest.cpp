#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "CameraMotion.h"

namespace {

using Vector = std::array<double, 3>;

constexpr double halfPi = 1.57079632679489661923;
// One frame of drive from rest at a time scale and speed of 1: 2.67 damped once.
constexpr double firstFrame = 2.67 * 0.75;

// Holds the input for this many frames and returns the velocity.
Vector hold(MovementInput input, int frames, double speed = 1.0, Vector velocity = {}) {
    for (int frame = 0; frame < frames; ++frame) driveAndDamp(velocity, input, 0.0, 1.0, speed);
    return velocity;
}

void expectNear(const Vector& actual, const Vector& expected) {
    for (std::size_t axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(actual[axis], expected[axis], 1e-12) << "axis " << axis;
}

TEST(CameraDrive, SettlesAtThreeTimesTheDrivePerFrameAndFourTimesThatWithShift) {
    EXPECT_NEAR(hold({0, 1, 0}, 200)[1], 8.01, 1e-9);
    EXPECT_NEAR(hold({0, 1, 0}, 200, 4.0)[1], 32.04, 1e-9);
    EXPECT_NEAR(hold({0, -1, 0}, 200)[1], -8.01, 1e-9);
}

TEST(CameraDrive, CoastsAFurtherThreeSettledFramesAfterRelease) {
    Vector velocity = hold({0, 1, 0}, 200);
    double coasted = 0.0;
    for (int frame = 0; frame < 200; ++frame) {
        driveAndDamp(velocity, {0, 0, 0}, 0.0, 1.0, 1.0);
        coasted += velocity[1];
    }
    EXPECT_NEAR(coasted, 24.03, 1e-9);
    EXPECT_LT(velocity[1], 1e-20);
}

TEST(CameraDrive, ForwardFollowsTheHeadingAndSidewaysIsToItsRight) {
    struct Case {
        double yaw;
        MovementInput input;
        Vector velocity;
    };
    for (const Case& c :
         {Case{0.0, {0, 1, 0}, {0.0, firstFrame, 0.0}}, Case{0.0, {1, 0, 0}, {firstFrame, 0.0, 0.0}},
          Case{halfPi, {0, 1, 0}, {firstFrame, 0.0, 0.0}}, Case{halfPi, {1, 0, 0}, {0.0, -firstFrame, 0.0}},
          Case{halfPi, {-1, -1, 0}, {-firstFrame, firstFrame, 0.0}}}) {
        SCOPED_TRACE(c.yaw);
        Vector velocity{};
        driveAndDamp(velocity, c.input, c.yaw, 1.0, 1.0);
        expectNear(velocity, c.velocity);
    }
}

TEST(CameraDrive, VerticalDriveIsStraightAlongZWhateverTheHeading) {
    for (const double yaw : {0.0, 1.234, -2.5}) {
        for (const int input : {1, -1}) {
            Vector velocity{};
            driveAndDamp(velocity, {0, 0, input}, yaw, 1.0, 1.0);
            EXPECT_EQ(velocity, (Vector{0.0, 0.0, input * firstFrame}));
        }
    }
}

TEST(CameraDrive, DiagonalDriveSettlesAtRootTwoTimesTheSpeed) {
    const Vector velocity = hold({1, 1, 0}, 200);
    EXPECT_NEAR(std::hypot(velocity[0], velocity[1]), 8.01 * std::sqrt(2.0), 1e-9);
}

TEST(CameraDrive, OnlyTheDriveIsScaledByFrameTime) {
    Vector velocity{4.0, -8.0, 2.0};
    driveAndDamp(velocity, {0, 0, 1}, 0.0, 0.5, 1.0);
    expectNear(velocity, {3.0, -6.0, (2.0 + 0.5 * 2.67) * 0.75});
    driveAndDamp(velocity, {0, 0, 0}, 0.0, 0.0, 1.0);
    expectNear(velocity, {2.25, -4.5, (2.0 + 0.5 * 2.67) * 0.5625});
}

TEST(ClipDistances, TenFramesOfPageUpThenPageDownComeBack) {
    double nearPlane = 10.0;
    double farPlane = 10000.0;
    for (int frame = 0; frame < 10; ++frame) ASSERT_TRUE(scaleClipDistances(nearPlane, farPlane, true, 1.0));
    EXPECT_NEAR(nearPlane, 10.0 * 2.5937424601, 1e-9);
    EXPECT_NEAR(farPlane, 10000.0 * 2.5937424601, 1e-6);
    for (int frame = 0; frame < 10; ++frame) ASSERT_TRUE(scaleClipDistances(nearPlane, farPlane, false, 1.0));
    EXPECT_NEAR(nearPlane, 10.0, 1e-12);
    EXPECT_NEAR(farPlane, 10000.0, 1e-9);
}

TEST(ClipDistances, ShiftScalesByFourPointFourNotByTheFourthPower) {
    double nearPlane = 10.0;
    double farPlane = 10000.0;
    ASSERT_TRUE(scaleClipDistances(nearPlane, farPlane, true, 4.0));
    EXPECT_DOUBLE_EQ(nearPlane, 44.0);
    EXPECT_DOUBLE_EQ(farPlane, 44000.0);
}

TEST(ClipDistances, StayFinitePositiveAndInRatioHoweverLongEitherKeyIsHeld) {
    for (const double speed : {1.0, 4.0}) {
        for (const bool growing : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "speed " << speed << (growing ? " Page Up" : " Page Down"));
            double nearPlane = 10.0;
            double farPlane = 10000.0;
            int refused = 0;
            for (int frame = 0; frame < 5000; ++frame) {
                const double wasNear = nearPlane;
                const double wasFar = farPlane;
                if (!scaleClipDistances(nearPlane, farPlane, growing, speed)) {
                    ++refused;
                    EXPECT_EQ(nearPlane, wasNear);
                    EXPECT_EQ(farPlane, wasFar);
                }
            }
            EXPECT_GT(refused, 4000);
            EXPECT_TRUE(std::isfinite(farPlane));
            EXPECT_LE(farPlane, 1e12);
            EXPECT_GE(nearPlane, 1e-6);
            EXPECT_NEAR(farPlane / nearPlane, 1000.0, 1e-9);
            // Refused only at the bounds: one more step would have crossed them.
            if (growing) {
                EXPECT_GT(farPlane * 1.1 * speed, 1e12);
            } else {
                EXPECT_LT(nearPlane / (1.1 * speed), 1e-6);
            }
        }
    }
}

TEST(HeldAdjustments, ShrinkingFloorsAtZeroOnTheFrameAfterCrossingIt) {
    double size = 1.05;
    for (const double expected : {0.85, 0.65, 0.45, 0.25, 0.05, -0.15, 0.0, 0.0}) {
        shrinkTowardZero(size, 0.05, 4.0);
        EXPECT_NEAR(size, expected, 1e-12);
    }
    EXPECT_EQ(size, 0.0);
}

TEST(HeldAdjustments, CommaTakesTheResetFillAlphaToZeroInAboutTwentyFrames) {
    double alpha = 0.1;
    int frames = 0;
    while (alpha != 0.0 && frames < 100) {
        shrinkTowardZero(alpha, 0.005, 1.0);
        EXPECT_GT(alpha, -0.005);
        ++frames;
        if (frames < 19) {
            EXPECT_GT(alpha, 0.0);
        }
    }
    EXPECT_GE(frames, 20);
    EXPECT_LE(frames, 21);
}

TEST(HeldAdjustments, GrowingHasNoLimit) {
    double alpha = 0.1;
    for (int frame = 0; frame < 1000; ++frame) growBy(alpha, 0.005, 1.0);
    EXPECT_NEAR(alpha, 5.1, 1e-9);
    growBy(alpha, 0.005, 4.0);
    EXPECT_NEAR(alpha, 5.12, 1e-9);
}

TEST(HeldAdjustments, BothBracketsHeldLeaveTheSizeWhereItWas) {
    double size = 1.0;
    for (int frame = 0; frame < 100; ++frame) {
        growBy(size, 0.05, 1.0);
        shrinkTowardZero(size, 0.05, 1.0);
    }
    EXPECT_NEAR(size, 1.0, 1e-9);
}

}  // namespace
