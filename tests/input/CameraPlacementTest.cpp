#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "CameraPlacement.h"
#include "KeyBindings.h"

namespace {

constexpr double degree = 3.14159265358979323846 / 180.0;

TEST(CameraOption, ReadsAPositionWithOrWithoutAnglesFitAndSpawnPoints) {
    using Kind = CameraRequest::Kind;
    const std::tuple<std::string, Kind, std::array<double, 3>, double, double, std::size_t> good[] = {
        {"1,2,3", Kind::position, {1, 2, 3}, 0, 0, 1},
        {"-1.5,2e3,0,90,-30", Kind::position, {-1.5, 2000, 0}, 90 * degree, -30 * degree, 1},
        {"0,0,0,-720,100", Kind::position, {0, 0, 0}, -720 * degree, pitchLimit, 1},  // pitch held at the limit
        {"fit", Kind::fit, {0, 0, 0}, 0, 0, 1},
        {"spawn", Kind::spawn, {0, 0, 0}, 0, 0, 1},
        {"spawn:12", Kind::spawn, {0, 0, 0}, 0, 0, 12},
    };
    for (const auto& [text, kind, position, yaw, pitch, spawn] : good) {
        SCOPED_TRACE(text);
        CameraRequest request;
        ASSERT_TRUE(parseCameraRequest(text, request));
        EXPECT_EQ(std::tie(request.kind, request.position, request.spawn), std::tie(kind, position, spawn));
        EXPECT_NEAR(request.yaw, yaw, 1e-12);
        EXPECT_NEAR(request.pitch, pitch, 1e-12);
    }
    for (const char* text : {"", "1,2", "1,2,3,4", "1,2,3,4,5,6", "1,,3", "1,2,x", "1,2,3x", " 1,2,3", "1,2,nan",
                             "1,2,inf", "1e999,0,0", "spawn:0", "spawn:", "spawn:-1", "spawn:x", "Fit", "spawn2"}) {
        CameraRequest request;
        request.spawn = 7;
        EXPECT_FALSE(parseCameraRequest(text, request)) << text;
        EXPECT_EQ(request.spawn, 7u) << "a refused value leaves the request alone: " << text;
    }
}

// Projects a point as the viewer's perspective and look-at do, into
// coordinates from -1 to 1 across the window, and its distance ahead.
std::array<double, 3> project(const CameraView& view, double aspect, const std::array<double, 3>& point) {
    const std::array<double, 3> ahead = {std::cos(view.pitch) * std::sin(view.yaw),
                                         std::cos(view.pitch) * std::cos(view.yaw), std::sin(view.pitch)};
    const std::array<double, 3> right = {std::cos(view.yaw), -std::sin(view.yaw), 0};
    const std::array<double, 3> up = {right[1] * ahead[2] - right[2] * ahead[1],
                                      right[2] * ahead[0] - right[0] * ahead[2],
                                      right[0] * ahead[1] - right[1] * ahead[0]};
    std::array<double, 3> along{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double d = point[axis] - view.position[axis];
        along[0] += d * right[axis];
        along[1] += d * up[axis];
        along[2] += d * ahead[axis];
    }
    const double tangent = std::tan(22.5 * degree);
    return {along[0] / (along[2] * tangent * aspect), along[1] / (along[2] * tangent), along[2]};
}

// Every corner of the box shows, between the clip distances, and in the
// usual window shapes the box spans at least half the window's width or
// height. (The sphere around a long thin level fits a very tall or very
// wide window by its narrow side, which can leave the level smaller.)
TEST(FitView, ShowsTheWholeLevelLargeAtAnyShapeSizeAndAspect) {
    const Qor::Box shapes[] = {
        {{-100, -100, -100}, {100, 100, 100}},           // a cube at the origin
        {{-8000, 0, -10}, {8000, 20000, 10}},            // a wide flat field
        {{1e6f, 2e6f, 0}, {1e6f + 10, 2e6f + 10, 5000}},  // a tall tower far from the origin
        {{0, 0, 0}, {0.5f, 0.25f, 1}},                   // a pebble, nearer than the near distance
        {{3, 3, 3}, {3, 3, 3}},                          // one point
        {{-4e7f, -4e7f, -1e6f}, {4e7f, 4e7f, 1e6f}},     // a world beyond the far distance
    };
    for (const double aspect : {800.0 / 600.0, 16.0 / 9.0, 0.5, 3.0}) {
        for (const Qor::Box& box : shapes) {
            SCOPED_TRACE(testing::Message() << "aspect " << aspect << ", box from " << box.low[0] << " to "
                                            << box.high[0]);
            const CameraView view = fitView(box, aspect, 10.0, 10000.0);
            EXPECT_NEAR(view.yaw, 45 * degree, 1e-12);
            EXPECT_NEAR(view.pitch, -30 * degree, 1e-12);
            EXPECT_NEAR(view.farPlane / view.nearPlane, 1000.0, 1e-6);
            std::array<double, 2> low = {1, 1};
            std::array<double, 2> high = {-1, -1};
            for (int corner = 0; corner < 8; ++corner) {
                const auto at = project(view, aspect,
                                        {corner & 1 ? box.high[0] : box.low[0], corner & 2 ? box.high[1] : box.low[1],
                                         corner & 4 ? box.high[2] : box.low[2]});
                for (std::size_t k = 0; k < 2; ++k) {
                    EXPECT_LT(std::abs(at[k]), 1.0) << "corner " << corner;
                    low[k] = std::min(low[k], at[k]);
                    high[k] = std::max(high[k], at[k]);
                }
                EXPECT_GT(at[2], view.nearPlane);
                EXPECT_LT(at[2], view.farPlane);
            }
            if (box.low != box.high && aspect > 1 && aspect < 2) {
                EXPECT_GE(std::max(high[0] - low[0], high[1] - low[1]), 1.0);
            }
        }
    }
}

}  // namespace
