#pragma once

// The camera's view as the frame's perspective and look-at set it up, worked
// out without OpenGL: the ray through a pixel, and where a point shows. A
// pointing answer then needs no window, only the camera and the window size.

#include <array>
#include <optional>

using Vector3 = std::array<double, 3>;

// The perspective's vertical field of view; the horizontal one follows the window's aspect.
constexpr double fieldOfViewDegrees = 45.0;

struct ViewBasis {
    Vector3 eye;
    Vector3 forward;  // unit, along the view
    Vector3 right;    // unit, level with the ground
    Vector3 up;       // unit, completing the frame
    double halfWidth;   // tangents of half the horizontal and vertical fields of view
    double halfHeight;
    int width;  // the window, in pixels
    int height;
};

ViewBasis viewBasis(const Vector3& eye, double yaw, double pitch, int width, int height);

struct Ray {
    Vector3 origin;
    Vector3 direction;  // unit
};

// The ray from the eye through the centre of pixel (x, y), counted from the
// window's top-left corner.
Ray pixelRay(const ViewBasis& view, int x, int y);

struct ScreenPoint {
    double x;  // window coordinates from the top-left corner, in pixels
    double y;
    double depth;  // distance ahead along the view
};

// Where a point ahead of the eye shows; nothing for a point level with the
// eye or behind it.
std::optional<ScreenPoint> projectPoint(const ViewBasis& view, const Vector3& point);

double dot(const Vector3& a, const Vector3& b);
double distanceBetween(const Vector3& a, const Vector3& b);
