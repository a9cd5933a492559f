#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "BSP.h"
#include "Pointing.h"
#include "PointingLevel.h"
#include "TestSupport.h"

// Pointing without a window: the nearest triangle or marker on a ray, and
// the words that describe what it meets.

namespace {

Ray towards(const Vector3& from, const Vector3& to) {
    Vector3 direction{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const double length = std::sqrt(dot(direction, direction));
    for (double& d : direction) d /= length;
    return Ray{from, direction};
}

// "s G T" for a surface, "e N" for an entity, "-" for nothing.
std::string hitName(const Hit& hit) {
    if (hit.kind == Hit::Kind::surface) return "s " + std::to_string(hit.group) + ' ' + std::to_string(hit.triangle);
    if (hit.kind == Hit::Kind::entity) return "e " + std::to_string(hit.entity);
    return "-";
}

// A ray cast, the hit it makes and the point it meets.
struct Case {
    const char* what;
    PickQuery query;
    std::string hit;
    Vector3 point;
};

// The distance along the ray, to the precision of the clip distances it is
// held against.
void expectHits(PickScene& scene, const Qor::BSP& level, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Hit hit = scene.cast(level, c.query);
        EXPECT_EQ(hitName(hit), c.hit);
        if (hit.kind == Hit::Kind::nothing) continue;
        EXPECT_THAT(hit.point, testing::Pointwise(testing::DoubleNear(1e-4), c.point));
        EXPECT_NEAR(hit.distance, distanceBetween(c.query.ray.origin, c.point), 1e-6);
    }
}

using Markers = std::vector<Qor::Marker>;

// The cases below over the pointing level saved at path.
void expectNearestHits(const std::string& path) {
    const Qor::BSP level("", path.c_str());
    PickScene scene;
    EXPECT_FALSE(scene.built());
    const Vector3 eye{0, 0, 0};
    const Vector3 ahead{0, 1000, 0};
    const auto marker = [](std::size_t entity, Vector3 at) { return Qor::Marker{entity, at, Qor::EntityKind::other}; };
    const Markers inFront = {marker(0, {0, 600, 0}), marker(3, {0, 400, 0})};
    const Markers onTheWall = {marker(1, {0, 508, 0})};
    const Markers aroundTheEye = {marker(2, {0, 3, 0})};
    const auto query = [](Ray ray, double far, std::optional<std::uint32_t> single, const Markers* markers) {
        return PickQuery{ray, 0.0, far, single.has_value(), single.value_or(0), markers, false};
    };
    expectHits(scene, level, {
        {"the wall, drawn by two groups", query(towards(eye, ahead), 10000, {}, nullptr), "s 1 2", {0, 500, 0}},
        {"a triangle drawn twice in a group, before the wall", query(towards(eye, {0, 300, 5}), 10000, {}, nullptr),
         "s 3 3", {0, 300, 5}},
        {"past the triangle that is no number", query(towards(eye, {0, 200, -6}), 10000, {}, nullptr), "s 0 0",
         {0, 333.3333333, -10}},
        {"behind the eye", query(towards(eye, {0, -100, 0}), 10000, {}, nullptr), "-", {}},
        {"only the second group of the wall", query(towards(eye, ahead), 10000, 2u, nullptr), "s 2 2", {0, 500, 0}},
        {"only a group that is not whole triangles", query(towards(eye, {0, 100, 0}), 10000, 5u, nullptr), "-", {}},
        {"a group past the last", query(towards(eye, ahead), 10000, 7u, nullptr), "-", {}},
        {"the nearest marker before the wall", query(towards(eye, ahead), 10000, {}, &inFront), "e 3", {0, 392, 0}},
        {"a marker on the wall's face", query(towards(eye, ahead), 10000, {}, &onTheWall), "e 1", {0, 500, 0}},
        {"a marker around the eye", query(towards(eye, ahead), 10000, {}, &aroundTheEye), "e 2", {0, 11, 0}},
        {"markers beyond the far distance", query(towards(eye, ahead), 300, {}, &inFront), "-", {}},
        {"a marker missed", query(towards(eye, {20, 400, 0}), 10000, {}, &inFront), "s 1 2", {25, 500, 0}},
    });
    // Triangles 5 (a corner no number) and 7 (a corner outside) are left
    // out, and so is group 5's; triangle 2 is there for each of its groups.
    EXPECT_TRUE(scene.built());
    EXPECT_EQ(scene.triangleCount(), 6u);
    scene.release();
    EXPECT_FALSE(scene.built());
}

TEST(PickScene, FindsTheNearestDrawnTriangleOrMarkerAndBreaksTiesByGroupThenTriangle) {
    {
        SCOPED_TRACE("as written");
        expectNearestHits(testsupport::writeLevel("pointing.d3dbsp", pointingLevel()));
    }
    // A one-byte lump before them puts every vertex record at an odd offset,
    // where the positions cannot be handed to the caster as they lie.
    SCOPED_TRACE("records at odd offsets");
    Qor::LevelWriter odd = Qor::writerFor(pointingLevel());
    odd.lumpBytes[1] = {0x5A};
    expectNearestHits(testsupport::writeTemp("pointing-odd.d3dbsp", odd.bytes()));
}

// The ray covers what the picture shows, from the near clip distance to the
// far one, however Embree's single precision rounds either end; a cast that
// finds nothing in between answers nothing.
TEST(PickScene, MeetsOnlyWhatLiesBetweenTheClipDistancesAndElseNothing) {
    const Qor::BSP level("", testsupport::writeLevel("clipped.d3dbsp", pointingLevel()).c_str());
    PickScene scene;
    const Vector3 eye{0, 0, 0};
    const Vector3 ahead{0, 1000, 0};
    const Vector3 onTheDiagonal{0, 500, -10};  // where the floor's two triangles meet, under the wall
    const Vector3 floorCorner{-100, 0, -10};
    const Vector3 onTheFloor{0, 0, -10};
    const Vector3 wall{0, 500, 0};
    const Markers aroundTheEye = {{2, {0, 3, 0}, Qor::EntityKind::other}};
    const auto query = [](Ray ray, double near, double far, const Markers* markers = nullptr) {
        return PickQuery{ray, near, far, false, 0, markers, false};
    };
    expectHits(scene, level, {
        {"the wall at exactly the far distance", query(towards(eye, ahead), 10, 500), "s 1 2", wall},
        // 499.99999 rounds to 500 in single precision: Embree meets the wall.
        {"the wall just past the far distance", query(towards(eye, ahead), 10, 499.99999), "-", {}},
        {"through the floor's shared edge at the far distance: the lower triangle",
         query(towards(eye, onTheDiagonal), 10, distanceBetween(eye, onTheDiagonal)), "s 0 0", onTheDiagonal},
        {"just short of the shared edge",
         query(towards(eye, onTheDiagonal), 10, distanceBetween(eye, onTheDiagonal) - 1e-4), "-", {}},
        {"along the shared edge, in the floor's plane, to the wall's foot at the far distance",
         query(towards(floorCorner, onTheDiagonal), 10, distanceBetween(floorCorner, onTheDiagonal)), "s 1 2",
         onTheDiagonal},
        {"standing on the floor, looking up at the wall", query(towards(onTheFloor, {0, 500, 5}), 10, 10000), "s 1 2",
         {0, 500, 5}},
        {"on the floor, into it", query(towards(onTheFloor, {0, 500, -20}), 10, 10000), "-", {}},
        {"on the floor, into it, from the eye", query(towards(onTheFloor, {0, 500, -20}), 0, 10000), "-", {}},
        {"the small triangle nearer than the near distance", query(towards(eye, {0, 300, 5}), 300.05, 10000),
         "s 1 2", {0, 500, 500 * 5 / 300.0}},
        {"the small triangle just past it", query(towards(eye, {0, 300, 5}), 300.03, 10000), "s 3 3", {0, 300, 5}},
        {"a marker the near distance starts inside", query(towards(eye, ahead), 10, 10000, &aroundTheEye), "e 2",
         {0, 11, 0}},
        {"a marker nearer than the near distance", query(towards(eye, ahead), 12, 10000, &aroundTheEye), "s 1 2",
         wall},
        {"a near distance past the far one", query(towards(eye, ahead), 600, 500), "-", {}},
    });
}

// Three walls across the view, each its own group, wound counter-clockwise
// seen from the eye: at y 200 the normals face away from it, at y 300 they
// sum to nothing (no front), at y 500 they face it.
TEST(PickScene, WithOneSidedDrawingPassesThroughTrianglesMetFromBehind) {
    Qor::LevelContents contents;
    using Normals = std::array<std::array<float, 3>, 3>;
    for (const auto& [y, normals] :
         {std::pair{200.0f, Normals{{{0, 1, 0}, {0, 1, 0}, {0, 1, 0}}}},
          {300.0f, Normals{{{1, 0, 0}, {-0.5f, 0, 0.8660254f}, {-0.5f, 0, -0.8660254f}}}},
          {500.0f, Normals{{{0, -1, 0}, {0, -1, 0}, {0, -1, 0}}}}}) {
        const auto group = static_cast<std::uint32_t>(contents.textureGroups.size());
        const float corners[3][2] = {{-100, -100}, {100, -100}, {0, 100}};
        for (std::size_t k = 0; k < 3; ++k)
            contents.vertices.push_back(Qor::Vertex{corners[k][0], y, corners[k][1], 255, normals[k]});
        contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
        contents.textureGroups.push_back({group, 3 * group, 3, 3 * group, 3});
    }
    const Qor::BSP level("", testsupport::writeLevel("one-sided.d3dbsp", contents).c_str());
    PickScene scene;
    const Vector3 eye{0, 0, 0};
    const Vector3 beyond{0, 1000, 0};
    const auto query = [](Ray ray, std::optional<std::uint32_t> single, bool cull) {
        return PickQuery{ray, 0.0, 10000, single.has_value(), single.value_or(0), nullptr, cull};
    };
    expectHits(scene, level, {
        {"both sides: the nearest", query(towards(eye, beyond), {}, false), "s 0 0", {0, 200, 0}},
        {"one-sided: through the first, to the one without a front", query(towards(eye, beyond), {}, true), "s 1 1",
         {0, 300, 0}},
        {"one-sided, only the first: nothing", query(towards(eye, beyond), 0u, true), "-", {}},
        {"one-sided, only the last: met from the front", query(towards(eye, beyond), 2u, true), "s 2 2", {0, 500, 0}},
        {"from beyond, both sides", query(towards(beyond, eye), {}, false), "s 2 2", {0, 500, 0}},
        {"from beyond, one-sided: through the last", query(towards(beyond, eye), {}, true), "s 1 1", {0, 300, 0}},
        {"from beyond, one-sided, only the first: met from the front", query(towards(beyond, eye), 0u, true), "s 0 0",
         {0, 200, 0}},
    });
}

// Both the --pick line and the panel tell a hit by these words; a
// coordinate that rounds to zero from below reads as zero.
TEST(HitWords, NameTheSurfaceOrEntityAndPrintTheLineWithTwoDecimals) {
    Qor::LevelContents contents = pointingLevel();
    contents.materials[1].name = "wa\x01ll";
    contents.entities = {{{{"classname", "light"}}}, {{{"origin", "0 0 0"}}}};
    const Qor::BSP level("", testsupport::writeLevel("words.d3dbsp", contents).c_str());
    using Parts = std::vector<std::pair<std::string, std::string>>;
    Hit surface;
    surface.kind = Hit::Kind::surface;
    surface.group = 1;
    surface.triangle = 2;
    surface.point = {-0.004, 500, 1.125};
    surface.distance = 500.0049;
    EXPECT_EQ(hitParts(level, surface), (Parts{{"group", "1"}, {"triangle", "2"}, {"material", "'wa?ll'"}}));
    EXPECT_EQ(pickLine(3, 4, surface, level),
              "pick: 3 4 group 1 triangle 2 material 'wa?ll' at 0.00 500.00 1.12 distance 500.00");
    surface.group = 5;  // no material 5
    EXPECT_EQ(hitParts(level, surface).back(), (std::pair<std::string, std::string>{"material", "''"}));

    Hit entity;
    entity.kind = Hit::Kind::entity;
    entity.point = {-1.5, 0, 0};
    EXPECT_EQ(pickLine(0, 0, entity, level), "pick: 0 0 entity 1 'light' at -1.50 0.00 0.00 distance 0.00");
    entity.entity = 1;  // no classname
    EXPECT_EQ(hitParts(level, entity), (Parts{{"entity", "2 ''"}}));

    EXPECT_EQ(hitParts(level, Hit{}), Parts{});
    EXPECT_EQ(pickLine(7, 8, Hit{}, level), "pick: 7 8 nothing");
}

}  // namespace
