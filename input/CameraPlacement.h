#pragma once

// Where the camera is put, free of any window so that it can be checked on
// its own: what --camera asks for, and the view that shows a whole level.

#include <array>
#include <cstddef>
#include <string>

#include "Bounds.h"

struct CameraRequest {
    enum class Kind { origin, position, fit, spawn };
    Kind kind = Kind::origin;
    std::array<double, 3> position{};
    double yaw = 0.0;        // radians
    double pitch = 0.0;      // radians, within the mouse-look limit
    std::size_t spawn = 1;   // spawn point number, counted from 1
};

// Reads "X,Y,Z", "X,Y,Z,YAW,PITCH" (angles in degrees), "fit", "spawn" or
// "spawn:N". False for anything else, a number that does not parse whole or
// is not finite, and spawn point 0.
bool parseCameraRequest(const std::string& text, CameraRequest& request);

// Radians from degrees, with the pitch held within the mouse-look limit.
double yawFromDegrees(double degrees);
double pitchFromDegrees(double degrees);

struct CameraView {
    std::array<double, 3> position;
    double yaw;
    double pitch;
    double nearPlane;
    double farPlane;
};

// The view from yaw 45° and pitch −30° at which the sphere around the box
// fits the field of view (vertically, and horizontally by the aspect) with
// a small margin. Near and far are scaled together, keeping their ratio,
// when the sphere would not lie between them.
CameraView fitView(const Qor::Box& box, double aspect, double nearPlane, double farPlane);
