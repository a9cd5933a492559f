#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "CameraPlacement.h"
#include "ViewRay.h"

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

// Every corner of the box shows, between the clip distances; in the usual
// window shapes (not very tall or wide ones, which a long thin level fits by
// its narrow side) the box spans at least half the width or height.
TEST(FitView, ShowsTheWholeLevelLargeAtAnyShapeSizeAndAspect) {
    const Qor::Box shapes[] = {
        {{-100, -100, -100}, {100, 100, 100}},           // a cube at the origin
        {{-8000, 0, -10}, {8000, 20000, 10}},            // a wide flat field
        {{1e6f, 2e6f, 0}, {1e6f + 10, 2e6f + 10, 5000}},  // a tall tower far from the origin
        {{0, 0, 0}, {0.5f, 0.25f, 1}},                   // a pebble, nearer than the near distance
        {{3, 3, 3}, {3, 3, 3}},                          // one point
        {{-4e7f, -4e7f, -1e6f}, {4e7f, 4e7f, 1e6f}},     // a world beyond the far distance
    };
    for (const auto& [width, height] : {std::pair{800, 600}, {1600, 900}, {400, 800}, {1200, 400}}) {
        const double aspect = static_cast<double>(width) / height;
        for (const Qor::Box& box : shapes) {
            SCOPED_TRACE(testing::Message() << "aspect " << aspect << ", box from " << box.low[0] << " to "
                                            << box.high[0]);
            const CameraView view = fitView(box, aspect, 10.0, 10000.0);
            EXPECT_NEAR(view.yaw, 45 * degree, 1e-12);
            EXPECT_NEAR(view.pitch, -30 * degree, 1e-12);
            EXPECT_NEAR(view.farPlane / view.nearPlane, 1000.0, 1e-6);
            const ViewBasis basis = viewBasis(view.position, view.yaw, view.pitch, width, height);
            // Across and up from the window's centre, its edges at -1 and 1.
            std::array<double, 2> low = {1, 1}, high = {-1, -1};
            for (int corner = 0; corner < 8; ++corner) {
                const auto at = projectPoint(basis, {corner & 1 ? box.high[0] : box.low[0],
                                                     corner & 2 ? box.high[1] : box.low[1],
                                                     corner & 4 ? box.high[2] : box.low[2]});
                ASSERT_TRUE(at) << "corner " << corner;
                const std::array<double, 2> shown = {2 * at->x / width - 1, 1 - 2 * at->y / height};
                for (std::size_t k = 0; k < 2; ++k) {
                    EXPECT_LT(std::abs(shown[k]), 1.0) << "corner " << corner;
                    low[k] = std::min(low[k], shown[k]);
                    high[k] = std::max(high[k], shown[k]);
                }
                EXPECT_GT(at->depth, view.nearPlane);
                EXPECT_LT(at->depth, view.farPlane);
            }
            if (box.low != box.high && aspect > 1 && aspect < 2) {
                EXPECT_GE(std::max(high[0] - low[0], high[1] - low[1]), 1.0);
            }
        }
    }
}

}  // namespace
