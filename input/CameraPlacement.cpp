#include "CameraPlacement.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "CameraMotion.h"
#include "KeyBindings.h"
#include "Renderer.h"

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;

// The whole text as one finite number.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool parseSpawnNumber(const std::string& text, std::size_t& number) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value == 0) return false;
    number = static_cast<std::size_t>(value);
    return true;
}

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

// The margin around the level's sphere, so that its edge does not touch the window's.
constexpr double fitMargin = 1.02;
constexpr double smallestRadius = 1e-3;
constexpr double fitYawDegrees = 45.0;
constexpr double fitPitchDegrees = -30.0;

}  // namespace

double yawFromDegrees(double degrees) { return degrees * radiansPerDegree; }

double pitchFromDegrees(double degrees) { return std::clamp(degrees * radiansPerDegree, -pitchLimit, pitchLimit); }

bool parseCameraRequest(const std::string& text, CameraRequest& request) {
    CameraRequest read;
    if (text == "fit") {
        read.kind = CameraRequest::Kind::fit;
    } else if (text == "spawn") {
        read.kind = CameraRequest::Kind::spawn;
    } else if (text.compare(0, 6, "spawn:") == 0) {
        read.kind = CameraRequest::Kind::spawn;
        if (!parseSpawnNumber(text.substr(6), read.spawn)) return false;
    } else {
        const std::vector<std::string> parts = splitAtCommas(text);
        if (parts.size() != 3 && parts.size() != 5) return false;
        double numbers[5] = {};
        for (std::size_t k = 0; k < parts.size(); ++k)
            if (!parseNumber(parts[k], numbers[k])) return false;
        read.kind = CameraRequest::Kind::position;
        read.position = {numbers[0], numbers[1], numbers[2]};
        read.yaw = yawFromDegrees(numbers[3]);
        read.pitch = pitchFromDegrees(numbers[4]);
    }
    request = read;
    return true;
}

CameraView fitView(const Qor::Box& box, double aspect, double nearPlane, double farPlane) {
    std::array<double, 3> centre{};
    double radius = 0.0;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double low = box.low[axis];
        const double high = box.high[axis];
        centre[axis] = low + (high - low) / 2.0;
        radius += (high - low) * (high - low) / 4.0;
    }
    // A level of one point still needs a distance to be seen from.
    radius = std::max(std::sqrt(radius), smallestRadius);

    const double halfVertical = fieldOfViewDegrees / 2.0 * radiansPerDegree;
    const double halfHorizontal = std::atan(std::tan(halfVertical) * aspect);
    const double distance = radius / std::sin(std::min(halfVertical, halfHorizontal)) * fitMargin;

    CameraView view{};
    view.yaw = yawFromDegrees(fitYawDegrees);
    view.pitch = pitchFromDegrees(fitPitchDegrees);
    const double direction[3] = {std::cos(view.pitch) * std::sin(view.yaw), std::cos(view.pitch) * std::cos(view.yaw),
                                 std::sin(view.pitch)};
    for (std::size_t axis = 0; axis < 3; ++axis) view.position[axis] = centre[axis] - distance * direction[axis];

    // The sphere lies from distance − radius to distance + radius ahead, and
    // distance is well above radius, so near always has room before it.
    double scale = 1.0;
    if (farPlane < (distance + radius) * fitMargin) scale = (distance + radius) * fitMargin / farPlane;
    if (nearPlane > (distance - radius) / fitMargin) scale = (distance - radius) / fitMargin / nearPlane;
    scale = std::clamp(scale, minNearPlane / nearPlane, maxFarPlane / farPlane);
    view.nearPlane = nearPlane * scale;
    view.farPlane = farPlane * scale;
    return view;
}
