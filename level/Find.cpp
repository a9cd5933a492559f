#include "Find.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "EntityMarkers.h"
#include "EntityRules.h"
#include "GeometryWalk.h"
#include "Normals.h"
#include "TextFormat.h"

namespace Qor {

namespace {

char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool finite(const Vertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The corners' normals summed: where the stored ones disagree with the
// winding they still say which side the level shows.
std::array<double, 3> facing(const Vertex& a, const Vertex& b, const Vertex& c) {
    std::array<double, 3> sum{};
    for (const Direction& n : cornerNormals(a, b, c))
        for (std::size_t axis = 0; axis < 3; ++axis) sum[axis] += n[axis];
    const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    if (!(length > 1e-9)) {
        const Direction n = faceNormal(a, b, c);
        return {n[0], n[1], n[2]};
    }
    return {sum[0] / length, sum[1] / length, sum[2] / length};
}

}  // namespace

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.empty()) return false;
    const auto same = [](char x, char y) { return lowered(x) == lowered(y); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

std::vector<FindMatch> findMatches(const BSP& level, std::string_view text) {
    std::vector<FindMatch> matches;
    if (text.empty()) return matches;
    for (std::size_t e = 0; e < level.entities.size(); ++e) {
        const Entity& entity = level.entities[e];
        const auto valueMatches = [&](const auto& pair) { return containsIgnoringCase(pair.second, text); };
        if (entityOrigin(entity) && std::any_of(entity.pairs.begin(), entity.pairs.end(), valueMatches))
            matches.push_back({FindMatch::Kind::entity, e, markerLabel(entity)});
    }
    for (std::size_t m = 0; m < level.materials.size(); ++m)
        if (containsIgnoringCase(level.materials[m].name, text))
            matches.push_back({FindMatch::Kind::material, m, printableText(level.materials[m].name)});
    return matches;
}

std::optional<FoundTriangle> nearestTriangleOf(const BSP& level, std::uint32_t material,
                                               const std::array<double, 3>& from, const MaterialFilter& drawn) {
    if (drawn && !drawn(material)) return std::nullopt;
    std::optional<FoundTriangle> nearest;
    double nearestSquared = std::numeric_limits<double>::infinity();
    forEachDrawnGroup(level, false, 0, [&](const TextureGroup& group) {
        if (group.texture != material) return;
        forEachTrianglePosition(level, group, [&](std::size_t position, const std::array<std::uint32_t, 3>& at) {
            const Vertex& a = level.vertices[at[0]];
            const Vertex& b = level.vertices[at[1]];
            const Vertex& c = level.vertices[at[2]];
            if (!finite(a) || !finite(b) || !finite(c)) return;
            const std::array<double, 3> centre = {(double{a.x} + b.x + c.x) / 3.0, (double{a.y} + b.y + c.y) / 3.0,
                                                  (double{a.z} + b.z + c.z) / 3.0};
            double squared = 0.0;
            for (std::size_t axis = 0; axis < 3; ++axis)
                squared += (centre[axis] - from[axis]) * (centre[axis] - from[axis]);
            // Strictly nearer, so that of equals the first drawn wins.
            if (squared >= nearestSquared) return;
            nearestSquared = squared;
            nearest = FoundTriangle{position, centre, facing(a, b, c)};
        });
    });
    return nearest;
}

}  // namespace Qor
