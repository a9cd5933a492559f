#include "Scenes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Normals.h"

namespace mklevel {

namespace {

struct Point {
    float x, y, z;
};

using Qor::Direction;
using Rgb = std::array<std::uint8_t, 3>;

Qor::Vertex at(Point p) { return Qor::Vertex{p.x, p.y, p.z}; }

// The colour a level compiler would bake into a vertex: a dim sky from above
// and the demo's two lights (see its entities), each fading linearly to
// nothing at its radius and lighting only what faces it.
Rgb bakedColour(Point p, const Direction& n) {
    struct Light {
        Point at;
        double radius;
        double rgb[3];
    };
    const Light lights[2] = {{{0.0f, 700.0f, 200.0f}, 500.0, {1.0, 0.85, 0.6}},
                             {{0.0f, 1570.0f, 700.0f}, 900.0, {0.7, 0.8, 1.0}}};
    const double sky = 0.25 + 0.2 * std::max(0.0, double{n[2]});
    double rgb[3] = {sky, sky, sky * 1.1};
    for (const Light& light : lights) {
        const double d[3] = {light.at.x - p.x, light.at.y - p.y, light.at.z - p.z};
        const double distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double facing = distance > 0.0 ? (d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) / distance : 1.0;
        const double strength = std::max(0.0, facing) * std::max(0.0, 1.0 - distance / light.radius);
        for (std::size_t k = 0; k < 3; ++k) rgb[k] += strength * light.rgb[k];
    }
    Rgb colour{};
    for (std::size_t k = 0; k < 3; ++k) colour[k] = static_cast<std::uint8_t>(std::lround(std::min(1.0, rgb[k]) * 255.0));
    return colour;
}

// Builds one texture group at a time: corners are numbered from the group's
// first vertex, as the file stores them.
class SceneBuilder {
public:
    explicit SceneBuilder(Qor::LevelContents& contents) : level(contents) {}

    // A group whose vertices keep zeros for their normals, as some
    // compilers leave them.
    void beginGroup(std::uint32_t texture, bool storeNormals = true) {
        storingNormals = storeNormals;
        Qor::TextureGroup group;
        group.texture = texture;
        group.firstVertex = static_cast<std::uint32_t>(level.vertices.size());
        group.firstIndex = static_cast<std::uint32_t>(level.triangles.size() * 3);
        level.textureGroups.push_back(group);
    }

    std::uint32_t vertex(Point p, std::uint8_t alpha, const Direction& normal) {
        Qor::TextureGroup& group = level.textureGroups.back();
        level.vertices.push_back(Qor::Vertex{p.x, p.y, p.z, alpha, storingNormals ? normal : Direction{},
                                             bakedColour(p, normal)});
        ++group.vertexCount;
        return static_cast<std::uint32_t>(level.vertices.size()) - 1 - group.firstVertex;
    }

    void triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        level.triangles.push_back(Qor::Triangle{{a, b, c}});
        level.textureGroups.back().indexCount += 3;
    }

    // A quad of corners in order around its edge, as two triangles, and its
    // plane; it faces the side from which its corners run counter-clockwise,
    // or its corners have normals of their own.
    void quad(Point a, Point b, Point c, Point d, std::uint8_t alphaA, std::uint8_t alphaC,
              const Direction* normals = nullptr) {
        planeThrough(a, b, c);
        const Direction face = Qor::faceNormal(at(a), at(b), at(c));
        auto normal = [&](int k) { return normals != nullptr ? normals[k] : face; };
        const auto mid = static_cast<std::uint8_t>((alphaA + alphaC) / 2);
        const std::uint32_t ia = vertex(a, alphaA, normal(0));
        const std::uint32_t ib = vertex(b, mid, normal(1));
        const std::uint32_t ic = vertex(c, alphaC, normal(2));
        const std::uint32_t id = vertex(d, mid, normal(3));
        triangle(ia, ib, ic);
        triangle(ia, ic, id);
    }

    // An axis-aligned box, its walls fading from opaque at the foot to half
    // at the top.
    void box(Point low, Point high) {
        const Point c[8] = {
            {low.x, low.y, low.z}, {high.x, low.y, low.z}, {high.x, high.y, low.z}, {low.x, high.y, low.z},
            {low.x, low.y, high.z}, {high.x, low.y, high.z}, {high.x, high.y, high.z}, {low.x, high.y, high.z},
        };
        quad(c[0], c[1], c[5], c[4], 255, 128);
        quad(c[1], c[2], c[6], c[5], 255, 128);
        quad(c[2], c[3], c[7], c[6], 255, 128);
        quad(c[3], c[0], c[4], c[7], 255, 128);
        quad(c[4], c[5], c[6], c[7], 160, 160);
    }

    // A column: an upright prism of `sides` faces, its normals pointing
    // straight out from its axis so that it shades round.
    void column(Point base, float radius, float height, int sides) {
        for (int k = 0; k < sides; ++k) {
            const double a0 = 2.0 * M_PI * k / sides;
            const double a1 = 2.0 * M_PI * (k + 1) / sides;
            const Point p0{base.x + radius * static_cast<float>(std::cos(a0)),
                           base.y + radius * static_cast<float>(std::sin(a0)), base.z};
            const Point p1{base.x + radius * static_cast<float>(std::cos(a1)),
                           base.y + radius * static_cast<float>(std::sin(a1)), base.z};
            const Direction out0{static_cast<float>(std::cos(a0)), static_cast<float>(std::sin(a0)), 0.0f};
            const Direction out1{static_cast<float>(std::cos(a1)), static_cast<float>(std::sin(a1)), 0.0f};
            const Direction normals[4] = {out0, out1, out1, out0};
            quad(p0, p1, {p1.x, p1.y, p1.z + height}, {p0.x, p0.y, p0.z + height}, 230, 90, normals);
        }
    }

    // A half-ring arch over the x axis, `segments` blocks around, its front
    // facing -y and its curved faces shading round. Its corners run
    // clockwise seen from outside, as some compilers wind them.
    void arch(Point centre, float inner, float outer, float depth, int segments) {
        const Direction front{0.0f, -1.0f, 0.0f};
        const Direction fronts[4] = {front, front, front, front};
        for (int k = 0; k < segments; ++k) {
            const double a0 = M_PI * k / segments;
            const double a1 = M_PI * (k + 1) / segments;
            auto on = [&](double angle, float radius, float dy) {
                return Point{centre.x + radius * static_cast<float>(std::cos(angle)), centre.y + dy,
                             centre.z + radius * static_cast<float>(std::sin(angle))};
            };
            auto out = [](double angle, float sign) {
                return Direction{sign * static_cast<float>(std::cos(angle)), 0.0f, sign * static_cast<float>(std::sin(angle))};
            };
            const Direction outside[4] = {out(a0, 1), out(a1, 1), out(a1, 1), out(a0, 1)};
            const Direction underside[4] = {out(a0, -1), out(a1, -1), out(a1, -1), out(a0, -1)};
            const auto alpha = static_cast<std::uint8_t>(120 + 135 * k / segments);
            quad(on(a0, inner, 0), on(a1, inner, 0), on(a1, outer, 0), on(a0, outer, 0), alpha, alpha, fronts);
            quad(on(a0, outer, 0), on(a1, outer, 0), on(a1, outer, depth), on(a0, outer, depth), alpha, 255,
                 outside);
            quad(on(a0, inner, depth), on(a1, inner, depth), on(a1, inner, 0), on(a0, inner, 0), 255, alpha,
                 underside);
        }
    }

private:
    // The plane through three corners, as a compiler stores it: the unit
    // normal of the side they run counter-clockwise on, and the distance
    // along it. Faces that share a plane, as the ground's tiles do, share
    // one record.
    void planeThrough(Point a, Point b, Point c) {
        const double u[3] = {double{b.x} - a.x, double{b.y} - a.y, double{b.z} - a.z};
        const double v[3] = {double{c.x} - a.x, double{c.y} - a.y, double{c.z} - a.z};
        double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        // Adding zero makes a negative zero positive.
        for (double& component : n) component = component / length + 0.0;
        const Qor::Plane plane{static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2]),
                               static_cast<float>(n[0] * a.x + n[1] * a.y + n[2] * a.z)};
        for (const Qor::Plane& known : level.planes)
            if (known.a == plane.a && known.b == plane.b && known.c == plane.c && known.d == plane.d) return;
        level.planes.push_back(plane);
    }

    Qor::LevelContents& level;
    bool storingNormals = true;
};

}  // namespace

Qor::LevelContents demoScene() {
    Qor::LevelContents level;
    SceneBuilder scene(level);
    const float ground = -60.0f;

    // Ground: a chequer of tiles in two colours, brighter toward the viewer.
    for (int row = 0; row < 6; ++row) {
        scene.beginGroup(row % 2 == 0 ? 1u : 8u);
        for (int col = 0; col < 8; ++col) {
            const float x0 = -640.0f + 160.0f * static_cast<float>(col);
            const float y0 = 80.0f + 240.0f * static_cast<float>(row);
            const auto near = static_cast<std::uint8_t>(255 - row * 30);
            scene.quad({x0, y0, ground}, {x0 + 160.0f, y0, ground}, {x0 + 160.0f, y0 + 240.0f, ground},
                       {x0, y0 + 240.0f, ground}, near, static_cast<std::uint8_t>(near - 25));
        }
    }

    // Buildings on both sides of the street.
    const std::uint32_t buildingColours[4] = {0, 3, 6, 9};
    for (int k = 0; k < 4; ++k) {
        const float y0 = 300.0f + 300.0f * static_cast<float>(k);
        const float height = 120.0f + 70.0f * static_cast<float>(k);
        scene.beginGroup(buildingColours[k]);
        scene.box({-520.0f, y0, ground}, {-300.0f, y0 + 200.0f, ground + height});
        scene.box({300.0f, y0 + 100.0f, ground}, {500.0f, y0 + 260.0f, ground + height * 0.8f});
    }

    // Two rows of columns lining the street.
    for (const float side : {-200.0f, 200.0f}) {
        scene.beginGroup(side < 0.0f ? 4u : 10u);
        for (int k = 0; k < 5; ++k)
            scene.column({side, 350.0f + 220.0f * static_cast<float>(k), ground}, 22.0f, 200.0f, 8);
    }

    // An arch across the street, and a tower behind it, whose roof stores no
    // normals (it shades in facets).
    scene.beginGroup(5);
    scene.arch({0.0f, 700.0f, ground}, 150.0f, 190.0f, 40.0f, 12);
    scene.beginGroup(2);
    scene.box({-80.0f, 1500.0f, ground}, {80.0f, 1640.0f, ground + 520.0f});
    scene.beginGroup(7, false);
    scene.column({0.0f, 1570.0f, ground + 520.0f}, 60.0f, 120.0f, 12);
    scene.beginGroup(11);
    scene.box({-40.0f, 1000.0f, ground}, {40.0f, 1080.0f, ground + 30.0f});

    // One material for each texture index above, named for what uses it; all solid.
    const char* const materialNames[12] = {
        "demo/building_brick_a", "demo/street_tiles_a",    "demo/tower_stone",         "demo/building_brick_b",
        "demo/column_marble_w",  "demo/arch_sandstone",    "demo/building_plaster_c",  "demo/tower_roof_copper",
        "demo/street_tiles_b",   "demo/building_render_d", "demo/column_marble_e",     "demo/plinth_granite",
    };
    for (const char* name : materialNames) level.materials.push_back(Qor::Material{name, 0, 1});

    // A start at the origin facing up the street, a second by the right-hand
    // buildings looking up at the tower, two lights, something to pick up on
    // the street and a named point under the arch, in front of the tower.
    level.entities = {
        {{{"classname", "worldspawn"}, {"message", "Orvandel demo street"}, {"ambient", "12"}}},
        {{{"classname", "info_player_start"}, {"origin", "0 -40 0"}, {"angle", "90"}}},
        {{{"classname", "info_player_deathmatch"}, {"origin", "400 200 40"}, {"angles", "-12 106.3 0"}}},
        {{{"classname", "light"}, {"origin", "0 700 200"}, {"light", "400"}, {"_color", "1 0.85 0.6"}}},
        {{{"classname", "light"}, {"origin", "0 1570 700"}, {"light", "600"}}},
        {{{"classname", "item_health"}, {"origin", "-120 420 -44"}, {"count", "25"}}},
        {{{"classname", "target_position"}, {"targetname", "arch_view"}, {"origin", "0 760 40"}}},
    };
    return level;
}

Qor::LevelContents benchScene(std::uint64_t triangles) {
    Qor::LevelContents level;
    SceneBuilder scene(level);
    // A fixed linear congruential sequence, so the level is the same every time.
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state]() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };

    // Patches of 8 × 8 quads (128 triangles sharing 81 vertices), a few per
    // group, like the small faces of a real level.
    constexpr int cells = 8;
    constexpr int patchesPerGroup = 3;
    std::uint64_t made = 0;
    std::uint32_t group = 0;
    while (made < triangles) {
        scene.beginGroup(group++);
        for (int patch = 0; patch < patchesPerGroup && made < triangles; ++patch) {
            const Point origin{static_cast<float>(next() * 16000.0 - 8000.0),
                               static_cast<float>(next() * 9000.0 + 200.0),
                               static_cast<float>(next() * 3000.0 - 1500.0)};
            const float cell = static_cast<float>(4.0 + next() * 12.0);
            const bool upright = next() < 0.5;
            // Upright patches face the camera at the origin; the others face up.
            const Direction normal = upright ? Direction{0.0f, -1.0f, 0.0f} : Direction{0.0f, 0.0f, 1.0f};
            const std::uint32_t first = scene.vertex(origin, 255, normal);
            std::uint32_t index[cells + 1][cells + 1];
            for (int i = 0; i <= cells; ++i)
                for (int j = 0; j <= cells; ++j) {
                    if (i == 0 && j == 0) {
                        index[0][0] = first;
                        continue;
                    }
                    const float u = cell * static_cast<float>(i);
                    const float v = cell * static_cast<float>(j);
                    const Point p = upright ? Point{origin.x + u, origin.y, origin.z + v}
                                            : Point{origin.x + u, origin.y + v, origin.z};
                    index[i][j] = scene.vertex(p, static_cast<std::uint8_t>(64 + (i * 23 + j * 17) % 192), normal);
                }
            for (int i = 0; i < cells && made < triangles; ++i)
                for (int j = 0; j < cells && made < triangles; ++j) {
                    scene.triangle(index[i][j], index[i + 1][j], index[i + 1][j + 1]);
                    if (++made == triangles) break;
                    scene.triangle(index[i][j], index[i + 1][j + 1], index[i][j + 1]);
                    ++made;
                }
        }
    }
    return level;
}

}  // namespace mklevel
