#pragma once

#include <array>

// What the loaded projection and camera can show, as six planes in world
// coordinates, widened so that testing against it never loses a pixel:
// - at the four sides by a margin of pixels, for the wide lines and large
//   points whose vertices lie outside but whose pixels reach in;
// - at every plane by the float rounding OpenGL makes, which lets it still
//   draw a little past the near and the far distance.
// A box wholly outside one plane of it draws nothing.
class ViewVolume {
public:
    // Matrices column-major, as glGetDoublev gives them; the viewport's size
    // in pixels. A volume that cannot be worked out keeps every box.
    ViewVolume(const std::array<double, 16>& projection, const std::array<double, 16>& modelView,
               double viewportWidth, double viewportHeight, double marginPixels);

    bool mayShow(const std::array<float, 3>& low, const std::array<float, 3>& high) const;

private:
    struct Plane {
        std::array<double, 4> inward;  // ≥ 0 inside, for (x, y, z, 1)
        std::array<double, 4> rounding;  // the sizes of the terms OpenGL rounds, per coordinate
    };
    std::array<Plane, 6> planes{};
    bool culls = false;
};
