#include "CameraRequest.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstdlib>
#include <vector>

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

// The shortest plain digits that read back as exactly the value.
std::string shortestText(double value) {
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, written.ptr);
}

// Degrees whose conversion gives exactly these radians: the nearest degrees
// may miss them by the rounding of the conversion, so their neighbours are
// tried too, nearest first.
std::string degreesText(double radians, double (*fromDegrees)(double)) {
    const double degrees = radians / radiansPerDegree;
    double candidate[2] = {degrees, degrees};
    for (int step = 0; step < 64; ++step)
        for (double& tried : candidate) {
            const std::string text = shortestText(tried);
            if (fromDegrees(std::strtod(text.c_str(), nullptr)) == radians) return text;
            tried = std::nextafter(tried, &tried == &candidate[0] ? -HUGE_VAL : HUGE_VAL);
        }
    return shortestText(degrees);
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

}  // namespace

double yawFromDegrees(double degrees) { return degrees * radiansPerDegree; }

double pitchFromDegrees(double degrees) { return std::clamp(degrees * radiansPerDegree, -pitchLimit, pitchLimit); }

std::string cameraArgument(const std::array<double, 3>& position, double yaw, double pitch) {
    return "--camera " + shortestText(position[0]) + ',' + shortestText(position[1]) + ',' +
           shortestText(position[2]) + ',' + degreesText(yaw, yawFromDegrees) + ',' +
           degreesText(pitch, pitchFromDegrees);
}

bool parseCameraRequest(const std::string& text, CameraRequest& request) {
    CameraRequest read;
    if (text == "fit") {
        read.kind = CameraRequest::Kind::fit;
    } else if (text == "spawn") {
        read.kind = CameraRequest::Kind::spawn;
    } else if (text.compare(0, 6, "spawn:") == 0) {
        read.kind = CameraRequest::Kind::spawn;
        if (!parseSpawnNumber(text.substr(6), read.spawn)) return false;
    } else if (text.size() == 6 && text.compare(0, 5, "view:") == 0 && text[5] >= '1' && text[5] <= '9') {
        read.kind = CameraRequest::Kind::view;
        read.view = text[5] - '0';
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
