#include "Pointing.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <limits>

#include "BSP.h"
#include "GeometryWalk.h"
#include "HugePages.h"
#include "Normals.h"

namespace {

// Two distances this close, relatively, are one: the same triangle drawn by
// two groups, or two triangles met at their shared edge, whose distances
// differ only by rounding.
constexpr double tieTolerance = 1e-9;

using Range = std::pair<std::uint32_t, std::uint32_t>;  // first and end primitive

}  // namespace

// Which primitives a cast may meet: those of the selected group, or all,
// less those of hidden materials' groups and, with one-sided drawing, those
// the ray meets from behind.
struct PrimitiveFilter {
    Range primitives;
    const std::vector<Range>* groups = nullptr;       // each group's primitives
    const std::vector<char>* hiddenGroups = nullptr;  // per group; null while nothing is hidden
    std::function<bool(std::uint32_t)> behind;        // set for one-sided drawing

    bool allows(std::uint32_t primitive) const {
        if (primitive < primitives.first || primitive >= primitives.second) return false;
        if (behind && behind(primitive)) return false;
        if (hiddenGroups == nullptr) return true;
        const auto group = std::upper_bound(groups->begin(), groups->end(), primitive,
                                            [](std::uint32_t p, const Range& range) { return p < range.second; });
        return group == groups->end() || (*hiddenGroups)[static_cast<std::size_t>(group - groups->begin())] == 0;
    }
};

namespace {

// What the filter sees: Embree hands back the context it was given, and this
// one begins with it.
struct FilterContext {
    RTCIntersectContext embree;
    const PrimitiveFilter* filter;
};

// Keeps only the hits the filter allows.
void filterHits(const RTCFilterFunctionNArguments* arguments) {
    const auto* context = reinterpret_cast<const FilterContext*>(arguments->context);
    for (unsigned int k = 0; k < arguments->N; ++k)
        if (!context->filter->allows(RTCHitN_primID(arguments->hit, arguments->N, k))) arguments->valid[k] = 0;
}

struct Nearby {
    const PrimitiveFilter* filter;
    std::vector<std::uint32_t> found;
};

bool noteNearby(RTCPointQueryFunctionArguments* arguments) {
    auto* nearby = static_cast<Nearby*>(arguments->userPtr);
    if (nearby->filter->allows(arguments->primID)) nearby->found.push_back(arguments->primID);
    return false;
}

std::array<float, 3> position(const Qor::Vertex& v) { return {v.x, v.y, v.z}; }

bool finite(const Qor::Vertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The distance along the ray at which it meets the triangle, worked out in
// double precision, counting a meeting just on an edge or a corner as one;
// nothing when it misses or runs along the triangle's plane.
std::optional<double> triangleDistance(const Ray& ray, const std::array<std::array<float, 3>, 3>& corners) {
    constexpr double onEdge = 1e-9;  // of the barycentric coordinates
    Vector3 edge1{}, edge2{}, fromCorner{};
    for (std::size_t k = 0; k < 3; ++k) {
        edge1[k] = static_cast<double>(corners[1][k]) - corners[0][k];
        edge2[k] = static_cast<double>(corners[2][k]) - corners[0][k];
        fromCorner[k] = ray.origin[k] - corners[0][k];
    }
    const Vector3& d = ray.direction;
    const Vector3 p = {d[1] * edge2[2] - d[2] * edge2[1], d[2] * edge2[0] - d[0] * edge2[2],
                       d[0] * edge2[1] - d[1] * edge2[0]};
    const double determinant = dot(edge1, p);
    if (determinant == 0.0) return std::nullopt;
    const double u = dot(fromCorner, p) / determinant;
    const Vector3 q = {fromCorner[1] * edge1[2] - fromCorner[2] * edge1[1],
                       fromCorner[2] * edge1[0] - fromCorner[0] * edge1[2],
                       fromCorner[0] * edge1[1] - fromCorner[1] * edge1[0]};
    const double v = dot(d, q) / determinant;
    const double distance = dot(edge2, q) / determinant;
    if (!(u >= -onEdge && v >= -onEdge && u + v <= 1.0 + onEdge) || !std::isfinite(distance)) return std::nullopt;
    return distance;
}

// Where the ray, from the distance it starts at, meets the marker's cube, or
// leaves it when it starts inside.
std::optional<double> cubeDistance(const Ray& ray, const Vector3& centre, double start) {
    const double half = Qor::markerSide / 2.0;
    double entry = -std::numeric_limits<double>::infinity();
    double exit = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < 3; ++k) {
        const double low = centre[k] - half - ray.origin[k];
        const double high = centre[k] + half - ray.origin[k];
        if (ray.direction[k] == 0.0) {
            if (low > 0.0 || high < 0.0) return std::nullopt;
            continue;
        }
        const double a = low / ray.direction[k];
        const double b = high / ray.direction[k];
        entry = std::max(entry, std::min(a, b));
        exit = std::min(exit, std::max(a, b));
    }
    if (entry > exit || exit < start) return std::nullopt;
    return entry >= start ? entry : exit;
}

// Whether a distance lies between the two, counting one that differs from
// either only by rounding as on it. What the ray's own start lies on is
// never met.
bool within(double distance, double nearest, double farthest) {
    return distance > 0.0 && distance >= nearest * (1.0 - tieTolerance) && distance <= farthest * (1.0 + tieTolerance);
}

// A distance in single precision on the outer side of the double one, so
// that Embree passes over nothing the double precision would keep.
float roundedDown(double distance) {
    const auto rounded = static_cast<float>(std::min(distance, double{std::numeric_limits<float>::max()}));
    return static_cast<double>(rounded) > distance ? std::nextafter(rounded, 0.0f) : rounded;
}

float roundedUp(double distance) {
    const auto rounded = static_cast<float>(std::min(distance, double{std::numeric_limits<float>::max()}));
    return static_cast<double>(rounded) < distance ? std::nextafter(rounded, std::numeric_limits<float>::max())
                                                   : rounded;
}

Vector3 along(const Ray& ray, double distance) {
    return {ray.origin[0] + distance * ray.direction[0], ray.origin[1] + distance * ray.direction[1],
            ray.origin[2] + distance * ray.direction[2]};
}

}  // namespace

PickScene::~PickScene() {
    release();
    if (device != nullptr) rtcReleaseDevice(device);
}

void PickScene::release() {
    if (scene != nullptr) rtcReleaseScene(scene);
    scene = nullptr;
    state = State::none;
    primitiveCorners = {};
    primitiveTriangle = {};
    groupPrimitives = {};
}

void PickScene::build(const Qor::BSP& level) {
    if (state != State::none) return;
    state = State::ready;
    groupPrimitives.assign(level.textureGroups.size(), {0, 0});
    // Most levels draw each triangle once. Huge pages, as for the level's
    // own records: a large level would otherwise spend a third of this in
    // page faults.
    primitiveCorners.reserve(level.triangles.size());
    primitiveTriangle.reserve(level.triangles.size());
    preferHugePages(primitiveCorners.data(), primitiveCorners.capacity() * sizeof(primitiveCorners[0]));
    preferHugePages(primitiveTriangle.data(), primitiveTriangle.capacity() * sizeof(primitiveTriangle[0]));
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        auto& range = groupPrimitives[static_cast<std::size_t>(&group - level.textureGroups.data())];
        range.first = static_cast<std::uint32_t>(primitiveTriangle.size());
        Qor::forEachTrianglePosition(level, group, [&](std::size_t triangle, const std::array<std::uint32_t, 3>& at) {
            if (!finite(level.vertices[at[0]]) || !finite(level.vertices[at[1]]) || !finite(level.vertices[at[2]]))
                return;
            primitiveCorners.push_back(at);
            primitiveTriangle.push_back(static_cast<std::uint32_t>(triangle));
        });
        range.second = static_cast<std::uint32_t>(primitiveTriangle.size());
    });
    // Groups not drawn hold no primitives, where the group before them ends,
    // so that the ranges stay in order.
    std::uint32_t end = 0;
    for (auto& range : groupPrimitives) {
        if (range.second == 0) range = {end, end};
        end = range.second;
    }
    if (primitiveCorners.empty()) return;

    if (device == nullptr) device = rtcNewDevice(nullptr);
    if (device != nullptr) {
        scene = rtcNewScene(device);
        // The quickest build there is (Embree's Morton builder): a level is
        // pointed at a pixel at a time, so a slower cast costs far less
        // than a slower first build would.
        rtcSetSceneFlags(scene, RTC_SCENE_FLAG_ROBUST | RTC_SCENE_FLAG_CONTEXT_FILTER_FUNCTION);
        rtcSetSceneBuildQuality(scene, RTC_BUILD_QUALITY_LOW);
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
        rtcSetGeometryBuildQuality(geometry, RTC_BUILD_QUALITY_LOW);
        // The level's vertex records are neither in the host's byte order
        // for certain nor aligned as the caster needs: the positions are
        // copied into a buffer of its own, which it pads as it must.
        constexpr std::size_t stride = 3 * sizeof(float);
        if (auto* positions = static_cast<float*>(rtcSetNewGeometryBuffer(
                geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, stride, level.vertices.size()))) {
            for (const Qor::Vertex& v : level.vertices) {
                *positions++ = v.x;
                *positions++ = v.y;
                *positions++ = v.z;
            }
        }
        rtcSetSharedGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, primitiveCorners.data(), 0,
                                   sizeof(primitiveCorners[0]), primitiveCorners.size());
        rtcCommitGeometry(geometry);
        rtcAttachGeometry(scene, geometry);
        rtcReleaseGeometry(geometry);
        rtcCommitScene(scene);
    }
    const RTCError error = device != nullptr ? rtcGetDeviceError(device) : RTC_ERROR_UNKNOWN;
    if (error == RTC_ERROR_NONE) return;
    std::cerr << "WARNING: The level's triangles cannot be pointed at: the ray caster failed with error '"
              << static_cast<int>(error) << "'.\n";
    release();
    state = State::refused;
}

bool PickScene::seenFromBehind(const Qor::BSP& level, const Ray& ray, std::uint32_t primitive) const {
    const auto& at = primitiveCorners[primitive];
    return Qor::seenFromBehind(level.vertices[at[0]], level.vertices[at[1]], level.vertices[at[2]], ray.direction);
}

std::pair<float, std::uint32_t> PickScene::nearestAlong(const Ray& ray, float nearest, float farthest,
                                                       const PrimitiveFilter& filter) const {
    FilterContext context{};
    rtcInitIntersectContext(&context.embree);
    context.filter = &filter;
    if (filter.primitives.first != 0 || filter.primitives.second != primitiveTriangle.size() ||
        filter.hiddenGroups != nullptr || filter.behind)
        context.embree.filter = filterHits;

    RTCRayHit rayHit{};
    rayHit.ray.org_x = static_cast<float>(ray.origin[0]);
    rayHit.ray.org_y = static_cast<float>(ray.origin[1]);
    rayHit.ray.org_z = static_cast<float>(ray.origin[2]);
    rayHit.ray.dir_x = static_cast<float>(ray.direction[0]);
    rayHit.ray.dir_y = static_cast<float>(ray.direction[1]);
    rayHit.ray.dir_z = static_cast<float>(ray.direction[2]);
    rayHit.ray.tnear = nearest;
    rayHit.ray.tfar = farthest;
    rayHit.ray.mask = 0xFFFFFFFFu;
    rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
    rtcIntersect1(scene, &context.embree, &rayHit);
    if (rayHit.hit.geomID == RTC_INVALID_GEOMETRY_ID) return {farthest, RTC_INVALID_GEOMETRY_ID};
    return {rayHit.ray.tfar, rayHit.hit.primID};
}

// Embree finds a nearest triangle in single precision. It may pass over
// another one just as near, where the ray runs exactly along a shared edge,
// and it has no order among equals; so every triangle about the point found
// is measured again in double precision, and of those at the nearest the
// lowest group, then triangle, wins. Measured so, the triangles found may
// all lie outside the clip distances after all: then the ray goes on past
// them, a few times at most.
std::optional<Hit> PickScene::castSurfaces(const Qor::BSP& level, const PickQuery& query) {
    constexpr int mostCasts = 4;
    build(level);
    if (scene == nullptr) return std::nullopt;
    Range primitives{0, static_cast<std::uint32_t>(primitiveTriangle.size())};
    if (query.singleGroup) {
        if (query.selectedGroup >= groupPrimitives.size()) return std::nullopt;
        primitives = groupPrimitives[query.selectedGroup];
    }
    // Hidden materials' triangles, and with one-sided drawing those met from
    // behind, let the ray through.
    std::vector<char> hiddenGroups;
    PrimitiveFilter filter{primitives, &groupPrimitives, nullptr, {}};
    if (query.hidden != nullptr && !query.hidden->showsAll()) {
        hiddenGroups.resize(level.textureGroups.size());
        for (std::size_t group = 0; group < hiddenGroups.size(); ++group)
            hiddenGroups[group] = query.hidden->hides(level.textureGroups[group].texture) ? 1 : 0;
        filter.hiddenGroups = &hiddenGroups;
    }
    if (query.cull)
        filter.behind = [&](std::uint32_t primitive) { return seenFromBehind(level, query.ray, primitive); };
    const double nearLimit = std::max(query.nearDistance, 0.0);
    const double farLimit = query.farDistance;
    if (!(nearLimit <= farLimit)) return std::nullopt;
    const float farthest = roundedUp(farLimit);
    float from = roundedDown(nearLimit);
    // Embree's distance is off by the rounding of the ray to single precision.
    double reach = 0.0;
    for (const double c : query.ray.origin) reach = std::max(reach, std::fabs(c));

    for (int cast = 0; cast < mostCasts; ++cast) {
        const auto [distance, primitive] = nearestAlong(query.ray, from, farthest, filter);
        if (primitive == RTC_INVALID_GEOMETRY_ID) return std::nullopt;

        const Vector3 found = along(query.ray, distance);
        RTCPointQuery around{};
        around.x = static_cast<float>(found[0]);
        around.y = static_cast<float>(found[1]);
        around.z = static_cast<float>(found[2]);
        around.radius = static_cast<float>(1e-5 * distance + 1e-6 * reach + 1e-5);
        RTCPointQueryContext aroundContext{};
        rtcInitPointQueryContext(&aroundContext);
        Nearby nearby{&filter, {primitive}};
        rtcPointQuery(scene, &around, &aroundContext, noteNearby, &nearby);

        std::vector<std::pair<double, std::uint32_t>> measured;  // distance, primitive
        double nearest = std::numeric_limits<double>::infinity();
        for (const std::uint32_t candidate : nearby.found) {
            std::optional<double> exact = triangleDistance(query.ray, cornersOf(level, candidate));
            // Embree's own triangle, met just off its edge in double
            // precision, stays in at Embree's distance.
            if (candidate == primitive && !exact) exact = std::clamp(double{distance}, nearLimit, farLimit);
            if (!exact || !within(*exact, nearLimit, farLimit)) continue;
            measured.emplace_back(*exact, candidate);
            nearest = std::min(nearest, *exact);
        }
        std::pair<double, std::uint32_t> best{0.0, RTC_INVALID_GEOMETRY_ID};
        for (const auto& entry : measured)
            if (entry.first <= nearest * (1.0 + tieTolerance) && entry.second < best.second) best = entry;
        if (best.second == RTC_INVALID_GEOMETRY_ID) {
            if (distance >= farthest) return std::nullopt;
            from = std::nextafter(distance, farthest);
            continue;
        }

        Hit hit;
        hit.kind = Hit::Kind::surface;
        hit.triangle = primitiveTriangle[best.second];
        const auto group = std::upper_bound(groupPrimitives.begin(), groupPrimitives.end(), best.second,
                                            [](std::uint32_t p, const Range& range) { return p < range.second; });
        hit.group = static_cast<std::uint32_t>(group - groupPrimitives.begin());
        hit.corners = cornersOf(level, best.second);
        hit.distance = best.first;
        hit.point = along(query.ray, hit.distance);
        return hit;
    }
    return std::nullopt;
}

std::array<std::array<float, 3>, 3> PickScene::cornersOf(const Qor::BSP& level, std::uint32_t primitive) const {
    const auto& at = primitiveCorners[primitive];
    return {position(level.vertices[at[0]]), position(level.vertices[at[1]]), position(level.vertices[at[2]])};
}

Hit PickScene::cast(const Qor::BSP& level, const PickQuery& query) {
    Hit nearest;
    if (const std::optional<Hit> surface = castSurfaces(level, query)) nearest = *surface;
    if (query.markers == nullptr) return nearest;
    // A marker is drawn over a surface at the same depth, so it wins a tie.
    for (const Qor::Marker& marker : *query.markers) {
        const std::optional<double> distance = cubeDistance(query.ray, marker.origin, query.nearDistance);
        if (!distance || *distance > query.farDistance) continue;
        const bool isNearest = nearest.kind == Hit::Kind::nothing ||
                               (nearest.kind == Hit::Kind::surface
                                    ? *distance <= nearest.distance * (1.0 + tieTolerance)
                                    : *distance < nearest.distance);
        if (!isNearest) continue;
        nearest = Hit{};
        nearest.kind = Hit::Kind::entity;
        nearest.entity = marker.entity;
        nearest.distance = *distance;
        nearest.point = along(query.ray, *distance);
    }
    return nearest;
}
