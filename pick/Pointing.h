#pragma once

// What lies under a pixel: the nearest of the triangles the filled pass
// draws and the entity markers shown, along the ray from the camera through
// the pixel. The panel's pointing row, --pick and the outline of the
// triangle pointed at all read the one Hit a cast returns.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EntityMarkers.h"
#include "ViewRay.h"

struct RTCDeviceTy;
struct RTCSceneTy;

struct Hit {
    enum class Kind { nothing, surface, entity };
    Kind kind = Kind::nothing;
    std::uint32_t group = 0;     // a surface's texture group, from 0
    std::uint32_t triangle = 0;  // a surface's position in the level's triangles, from 0
    std::size_t entity = 0;      // an entity's position in the level's entities, from 0
    Vector3 point{};
    double distance = 0.0;
    std::array<std::array<float, 3>, 3> corners{};  // a surface's triangle, as drawn
};

struct PickQuery {
    Ray ray;
    // Along the ray, where the picture begins and ends: the clip planes.
    // What lies nearer or further is not seen.
    double nearDistance;
    double farDistance;
    bool singleGroup;
    std::uint32_t selectedGroup;
    const std::vector<Qor::Marker>* markers;  // null while they are hidden
    bool cull;  // one-sided drawing: the ray passes through triangles it meets from behind
};

// The ray-casting structure of one level's drawn triangles, built the first
// time a cast needs it, so that a level never pointed at costs nothing.
// Triangles with a corner that is not a finite number are left out: they
// draw nothing either. The level must outlive the scene or its release().
class PickScene {
public:
    PickScene() = default;
    ~PickScene();
    PickScene(const PickScene&) = delete;
    PickScene& operator=(const PickScene&) = delete;

    Hit cast(const Qor::BSP& level, const PickQuery& query);
    // Drops the scene; the next cast builds it for the level it is given.
    void release();
    // Builds the scene now when it is not built; what the first cast does.
    void build(const Qor::BSP& level);
    bool built() const { return state != State::none; }
    std::size_t triangleCount() const { return primitiveTriangle.size(); }

private:
    enum class State { none, ready, refused };
    std::optional<Hit> castSurfaces(const Qor::BSP& level, const PickQuery& query);
    // Embree's nearest hit between the two distances among the primitives
    // from first to end: its distance and primitive, or no primitive.
    std::pair<float, std::uint32_t> nearestAlong(const Qor::BSP& level, const PickQuery& query, float nearest,
                                                 float farthest,
                                                 std::pair<std::uint32_t, std::uint32_t> primitives) const;
    bool seenFromBehind(const Qor::BSP& level, const Ray& ray, std::uint32_t primitive) const;
    std::array<std::array<float, 3>, 3> cornersOf(const Qor::BSP& level, std::uint32_t primitive) const;

    State state = State::none;
    RTCDeviceTy* device = nullptr;
    RTCSceneTy* scene = nullptr;
    // Each primitive is one drawn triangle, in drawing order: by group, then
    // by position, so the lower primitive is the lower group, then triangle.
    std::vector<std::array<std::uint32_t, 3>> primitiveCorners;  // positions in the level's vertices
    std::vector<std::uint32_t> primitiveTriangle;
    // Per group of the level, its first and end primitive.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> groupPrimitives;
};

// The line --pick prints for pixel (x, y).
std::string pickLine(int x, int y, const Hit& hit, const Qor::BSP& level);

// What a hit met, in words, each a label and its value: a surface's group,
// triangle and quoted material name ('' when its group has none), or an
// entity's number from 1 and quoted classname; none for nothing. Names are
// in printable ASCII. The --pick line and the panel both tell a hit by these.
std::vector<std::pair<std::string, std::string>> hitParts(const Qor::BSP& level, const Hit& hit);
