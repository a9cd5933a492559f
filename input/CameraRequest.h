#pragma once

// Where the user asks the camera to start, as --camera says it, free of any
// window so that it can be checked on its own.

#include <array>
#include <cstddef>
#include <string>

// The elevation stops just short of straight up or down, where the view
// direction would be parallel to the up vector.
constexpr double pitchLimit = (0.5 - 0.001) * 3.14159265358979323846;

struct CameraRequest {
    enum class Kind { origin, position, fit, spawn, view };
    Kind kind = Kind::origin;
    std::array<double, 3> position{};
    double yaw = 0.0;        // radians
    double pitch = 0.0;      // radians, within the pitch limit
    std::size_t spawn = 1;   // spawn point number, counted from 1
    int view = 1;            // saved view slot, 1 to 9
};

// Reads "X,Y,Z", "X,Y,Z,YAW,PITCH" (angles in degrees), "fit", "spawn",
// "spawn:N" or "view:N" (N from 1 to 9). False for anything else, a number
// that does not parse whole or is not finite, and spawn point 0.
bool parseCameraRequest(const std::string& text, CameraRequest& request);

// Radians from degrees, with the pitch held within the limit.
double yawFromDegrees(double degrees);
double pitchFromDegrees(double degrees);

// The --camera argument that puts the camera back exactly there: the fewest
// digits that read back to the same numbers.
std::string cameraArgument(const std::array<double, 3>& position, double yaw, double pitch);
