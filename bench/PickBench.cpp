// Pointing's costs, beside what they are weighed against, in one run:
// - building the ray-casting scene of a level, against loading the level;
// - one pick, for each of 10 000 pixels spread over an 800 x 600 view of the
//   whole level (as --camera fit places it), as a median;
// - with a window: a frame of the level with panel page 3 shown, and what the
//   pointing adds to it (the cast, the outline and the crosshair).
// Usage: orvandel_bench_pick LEVEL... [--window LEVEL]... [--frames N]

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "CameraPlacement.h"
#include "Pointing.h"
#include "Renderer.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

constexpr int width = 800;
constexpr int height = 600;

CameraView fitted(const Qor::BSP& level) {
    const std::optional<Qor::Box> box = Qor::levelBounds(level);
    return fitView(box.value_or(Qor::Box{}), static_cast<double>(width) / height, 10.0, 10000.0);
}

// The load and the scene's build, best of three each, taking turns.
void buildAgainstLoad(const char* path) {
    double load = 1e300;
    double build = 1e300;
    std::size_t triangles = 0;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        const auto level = std::make_unique<Qor::BSP>("", path);
        load = std::min(load, millisecondsSince(start));
        PickScene scene;
        start = Clock::now();
        scene.build(*level);
        build = std::min(build, millisecondsSince(start));
        triangles = scene.triangleCount();
    }
    std::printf("%-28s %10zu %10.1f %10.1f %8.2f\n", path, triangles, load, build, build / load);
}

void picks(const char* path) {
    const Qor::BSP level("", path);
    const CameraView view = fitted(level);
    const ViewBasis basis = viewBasis(view.position, view.yaw, view.pitch, width, height);
    PickScene scene;
    scene.build(level);
    std::vector<double> times;
    std::vector<double> hitTimes;
    for (int row = 0; row < 100; ++row)
        for (int column = 0; column < 100; ++column) {
            const int x = column * width / 100 + width / 200;
            const int y = row * height / 100 + height / 200;
            const auto start = Clock::now();
            const Ray ray = pixelRay(basis, x, y);
            const Hit hit =
                scene.cast(level, {ray, view.farPlane / dot(ray.direction, basis.forward), false, 0, nullptr, false});
            times.push_back(millisecondsSince(start) * 1000.0);
            if (hit.kind != Hit::Kind::nothing) hitTimes.push_back(times.back());
        }
    std::printf("%-28s %10zu %12.2f %12.2f %12.2f\n", path, hitTimes.size(), median(times), median(hitTimes),
                *std::max_element(times.begin(), times.end()));
}

void pageThreeFrames(const char* path, int frames) {
    Renderer renderer({width, height});
    Qor::BSP level("", path);
    renderer.setLevel(&level);
    const CameraView view = fitted(level);
    renderer.view.cameraPos = view.position;
    renderer.view.cameraYaw = view.yaw;
    renderer.view.cameraPitch = view.pitch;
    renderer.view.nearPlane = view.nearPlane;
    renderer.view.farPlane = view.farPlane;
    renderer.view.overlayVisible = true;
    renderer.view.overlayPage = 3;
    std::vector<double> frame;
    std::vector<double> cast;
    std::vector<double> marks;
    for (int k = 0; k < frames + 10; ++k) {
        clearFrame();
        glFinish();
        auto start = Clock::now();
        renderer.drawFrame();
        glFinish();
        const double whole = millisecondsSince(start);
        // The pointing's own steps again, alone: the cast, then the outline
        // and the crosshair as far as OpenGL takes them.
        start = Clock::now();
        const std::array<int, 2> pixel = pointedPixel(renderer.view);
        renderer.pointing = renderer.pointAt(pixel[0], pixel[1]);
        const double castTime = millisecondsSince(start);
        start = Clock::now();
        renderer.drawPointedTriangle();
        renderer.drawCrosshair();
        glFinish();
        double marksTime = millisecondsSince(start);
        // Less what waiting for OpenGL costs with nothing to wait for.
        start = Clock::now();
        glFinish();
        marksTime -= millisecondsSince(start);
        endFrame();
        if (k < 10) continue;  // the first frames make the glyphs and the scene
        frame.push_back(whole);
        cast.push_back(castTime);
        marks.push_back(marksTime);
    }
    std::printf("%-28s %10.3f %10.4f %10.4f %10.4f\n", path, median(frame), median(cast), median(marks),
                median(cast) + median(marks));
    shutdownVideo();
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<const char*> levels;
    int frames = 200;
    std::vector<const char*> windows;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--frames") == 0 && k + 1 < argc)
            frames = std::atoi(argv[++k]);
        else if (std::strcmp(argv[k], "--window") == 0 && k + 1 < argc)
            windows.push_back(argv[++k]);
        else
            levels.push_back(argv[k]);
    }
    std::printf("Building the pointing scene against loading the level (ms, best of 3):\n");
    std::printf("%-28s %10s %10s %10s %8s\n", "level", "triangles", "load_ms", "build_ms", "ratio");
    for (const char* level : levels) buildAgainstLoad(level);
    std::printf("\nOne pick, 10 000 pixels of the fitted 800 x 600 view (microseconds):\n");
    std::printf("%-28s %10s %12s %12s %12s\n", "level", "hits", "median_us", "hits_med_us", "worst_us");
    for (const char* level : levels) picks(level);
    if (windows.empty()) return 0;
    std::printf("\nA frame with page 3 shown, fitted view, 800 x 600, median of %d (ms):\n", frames);
    std::printf("%-28s %10s %10s %10s %10s\n", "level", "frame_ms", "cast_ms", "marks_ms", "added_ms");
    for (const char* window : windows) pageThreeFrames(window, frames);
    return 0;
}
