#pragma once

// The view that shows a whole level, free of any window so that it can be
// checked on its own.

#include <array>

#include "Bounds.h"
#include "CameraRequest.h"

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

// Where the camera stands to look at a point from `distance` away, turned to
// yaw and pitch (radians): the point then shows at the window's centre.
std::array<double, 3> positionLookingAt(const std::array<double, 3>& point, double yaw, double pitch,
                                        double distance);
