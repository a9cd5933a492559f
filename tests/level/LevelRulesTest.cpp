#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "EntityRules.h"
#include "LevelLoading.h"
#include "LevelWriter.h"
#include "MaterialColours.h"
#include "Normals.h"
#include "PathParts.h"
#include "SpawnPoints.h"
#include "TextFormat.h"

// The rules that need no window: which way a corner faces, the colour of a
// material, what an entity is and which way a spawn point faces. Drawing,
// pointing and export share them.

namespace {

using ::testing::FloatNear;
using ::testing::Pointwise;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

Qor::Vertex at(float x, float y, float z, Qor::Direction normal = {}) { return {x, y, z, 255, normal}; }

TEST(DrawnNormals, TakeAPlausibleStoredNormalMadeUnitElseTheTrianglesOwn) {
    // Corners running counter-clockwise seen from +z, so the face normal is +z.
    const Qor::Direction up{0, 0, 1};
    const std::tuple<Qor::Direction, Qor::Direction> cases[] = {
        {{0, 0, 1}, {0, 0, 1}},
        {{0, 2, 0}, {0, 1, 0}},           // the longest kept, made unit
        {{0.3f, 0, -0.4f}, {0.6f, 0, -0.8f}},  // the shortest kept: length 0.5
        {{0, 0, 0}, up},                  // left as zeros
        {{0, 0, 0.49f}, up},              // too short
        {{0, 2.01f, 0}, up},              // too long
        {{nan, 0, 1}, up},
        {{0, inf, 0}, up},
        {{1e30f, 1e30f, 0}, up},          // its square overflows a float, not the rule
    };
    for (const auto& [stored, drawn] : cases) {
        SCOPED_TRACE(::testing::Message() << stored[0] << ' ' << stored[1] << ' ' << stored[2]);
        const auto normals = Qor::cornerNormals(at(0, 0, 5, stored), at(4, 0, 5, stored), at(0, 3, 5, {0, 0, 1}));
        EXPECT_THAT(normals[0], Pointwise(FloatNear(1e-6f), drawn));
        EXPECT_THAT(normals[1], Pointwise(FloatNear(1e-6f), drawn));
        EXPECT_THAT(normals[2], Pointwise(FloatNear(1e-6f), up)) << "each corner goes by its own normal";
    }
}

TEST(DrawnNormals, FaceTheSideFromWhichTheCornersRunCounterClockwiseAndUpWithoutArea) {
    const std::tuple<Qor::Vertex, Qor::Vertex, Qor::Vertex, Qor::Direction> cases[] = {
        {at(0, 0, 0), at(0, 1, 0), at(1, 0, 0), {0, 0, -1}},   // clockwise from above: faces down
        {at(0, 0, 0), at(1, 0, 0), at(0, 0, 1), {0, -1, 0}},   // a wall facing -y
        {at(0, 0, 0), at(1, 1, 1), at(2, 2, 2), {0, 0, 1}},    // corners on one line
        {at(0, 0, 0), at(nan, 0, 0), at(0, 1, 0), {0, 0, 1}},  // a corner that is nowhere
        {at(-3e38f, 0, 0), at(0, 3e38f, 0), at(3e38f, 0, 0), {0, 0, -1}},  // sides too long for a float
        {at(0, 0, 0), at(0, 1e-30f, 0), at(1e-30f, 0, 0), {0, 0, -1}},     // area too small for a float
    };
    for (const auto& [a, b, c, normal] : cases)
        EXPECT_THAT(Qor::faceNormal(a, b, c), Pointwise(FloatNear(1e-6f), normal));
}

// A floor triangle at z 5 whose corners run counter-clockwise seen from
// above, each corner storing `normals[k]`: its front is the side those (or,
// where they are not plausible, the face normal +z) face on the whole.
TEST(FrontSide, IsWhereTheDrawnNormalsFaceWhateverWayTheCornersRun) {
    using W = Qor::Winding;
    const Qor::Direction up{0, 0, 1};
    const Qor::Direction down{0, 0, -1};
    const Qor::Direction none{};
    const Qor::Direction slanted{0.9f, 0, -0.1f};
    const Qor::Direction east{1, 0, 0};
    const std::tuple<const char*, std::array<Qor::Direction, 3>, W> cases[] = {
        {"stored up, as the corners run", {up, up, up}, W::asStored},
        {"stored down, against the corners", {down, down, down}, W::reversed},
        {"none stored: the corners decide", {none, none, none}, W::asStored},
        {"the corners' mean decides", {down, down, {0.6f, 0, 0.8f}}, W::reversed},
        {"slanted, down on the whole", {slanted, slanted, slanted}, W::reversed},
        {"summing to nothing", {{{1, 0, 0}, {-0.5f, 0.8660254f, 0}, {-0.5f, -0.8660254f, 0}}}, W::either},
        {"lying in the plane", {east, east, east}, W::either},
    };
    for (const auto& [what, normals, winding] : cases) {
        SCOPED_TRACE(what);
        const Qor::Vertex a = at(0, 0, 5, normals[0]), b = at(4, 0, 5, normals[1]), c = at(0, 3, 5, normals[2]);
        EXPECT_EQ(Qor::frontWinding(a, b, c), winding);
        // Seen from above (a ray going down) and from below.
        EXPECT_EQ(Qor::seenFromBehind(a, b, c, {0.1, 0.2, -1}), winding == W::reversed);
        EXPECT_EQ(Qor::seenFromBehind(a, b, c, {0.1, 0.2, 1}), winding == W::asStored);
        EXPECT_FALSE(Qor::seenFromBehind(a, b, c, {1, 0, 0})) << "met edge on";
    }
    // Without a side: no area, or a corner that is nowhere.
    EXPECT_EQ(Qor::frontWinding(at(0, 0, 0, up), at(1, 1, 0, up), at(2, 2, 0, up)), W::either);
    EXPECT_EQ(Qor::frontWinding(at(0, 0, 0), at(nan, 0, 0), at(0, 1, 0)), W::either);
    EXPECT_FALSE(Qor::seenFromBehind(at(0, 0, 0), at(inf, 0, 0), at(0, 1, 0), {0, 0, 1}));
}

// Each order runs counter-clockwise from the front; a triangle without a
// front is sent both ways, so exactly one of them faces either side.
TEST(FrontSide, GivesTheCornerOrdersThatRunCounterClockwiseFromIt) {
    using Orders = std::vector<std::array<std::uint8_t, 3>>;
    auto orders = [](Qor::Winding winding) {
        const Qor::CornerOrders front = Qor::frontCornerOrders(winding);
        return Orders(front.orders.begin(), front.orders.begin() + static_cast<std::ptrdiff_t>(front.count));
    };
    EXPECT_EQ(orders(Qor::Winding::asStored), (Orders{{0, 1, 2}}));
    EXPECT_EQ(orders(Qor::Winding::reversed), (Orders{{0, 2, 1}}));
    EXPECT_EQ(orders(Qor::Winding::either), (Orders{{0, 1, 2}, {0, 2, 1}}));
    // Reordered by the rule, the corners' own face normal is the front.
    const Qor::Direction down{0, 0, -1};
    const std::array<Qor::Vertex, 3> corners = {at(0, 0, 5, down), at(4, 0, 5, down), at(0, 3, 5, down)};
    const auto order = orders(Qor::frontWinding(corners[0], corners[1], corners[2]))[0];
    EXPECT_THAT(Qor::faceNormal(corners[order[0]], corners[order[1]], corners[order[2]]),
                Pointwise(FloatNear(1e-6f), down));
}

double distance(const Qor::Rgb& a, const Qor::Rgb& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// The colours stay muted and never dark, so that lighting can shade them;
// different names rarely come close.
TEST(MaterialColours, HangOnTheNameAloneAndStayMutedBrightAndApart) {
    std::vector<Qor::Rgb> colours;
    for (int k = 0; k < 300; ++k) colours.push_back(Qor::materialColour("textures/set_" + std::to_string(k)));
    for (const Qor::Rgb& c : colours) {
        const int high = std::max({c[0], c[1], c[2]});
        const int low = std::min({c[0], c[1], c[2]});
        EXPECT_GE(high, 180);
        EXPECT_LE(high - low, 0.72 * high);
        EXPECT_GE(high - low, 0.38 * high);
    }
    std::size_t close = 0;
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < colours.size(); ++i)
        for (std::size_t j = i + 1; j < colours.size(); ++j, ++pairs) close += distance(colours[i], colours[j]) < 8.0;
    EXPECT_LT(close * 100, pairs) << "fewer than one pair in a hundred nearly alike";
    // A material keeps its colour from one version of the program to the next, so
    // pictures and exports made with either look the same.
    EXPECT_EQ(Qor::materialColour("demo/street_tiles_a"), (Qor::Rgb{206, 113, 78}));
    EXPECT_EQ(Qor::materialColour("demo/street_tiles_b"), (Qor::Rgb{165, 191, 77}));
    EXPECT_GT(distance(Qor::materialColour("a"), Qor::materialColour("b")), 30.0);
}

// Which texture takes which colour is seen in the shaded look's pictures.
TEST(MaterialColours, GiveATextureWithoutMaterialAColourByItsIndexFarFromItsNeighbours) {
    std::set<Qor::Rgb> unnamed;
    for (std::uint32_t texture : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 0xFFFFFFFFu}) {
        unnamed.insert(Qor::unnamedTextureColour(texture));
        EXPECT_GT(distance(Qor::unnamedTextureColour(texture), Qor::unnamedTextureColour(texture - 1)), 60.0);
    }
    EXPECT_EQ(unnamed.size(), 8u);
}

Qor::Entity entity(std::vector<std::pair<std::string, std::string>> pairs) { return Qor::Entity{std::move(pairs)}; }

TEST(EntityRules, TellSpawnPointsLightsAndTheRestAndReadOnlyWholeOrigins) {
    const std::pair<const char*, Qor::EntityKind> kinds[] = {
        {"info_player_start", Qor::EntityKind::spawnPoint}, {"team_spawn_red", Qor::EntityKind::spawnPoint},
        {"light_spawner", Qor::EntityKind::spawnPoint},     {"light", Qor::EntityKind::light},
        {"lightning", Qor::EntityKind::light},              {"info_light", Qor::EntityKind::other},
        {"Light", Qor::EntityKind::other},                  {"", Qor::EntityKind::other},
        {"xinfo_player", Qor::EntityKind::other},
    };
    for (const auto& [classname, kind] : kinds)
        EXPECT_EQ(Qor::entityKind(entity({{"classname", classname}})), kind) << classname;
    EXPECT_EQ(Qor::entityKind(entity({{"origin", "0 0 0"}})), Qor::EntityKind::other);

    const std::pair<const char*, std::optional<std::array<double, 3>>> origins[] = {
        {"1 -2.5 3e2", std::array<double, 3>{1, -2.5, 300}}, {"\t1  2 3 ", std::array<double, 3>{1, 2, 3}},
        {"1 2", std::nullopt}, {"1 2 3 4", std::nullopt}, {"1,2,3", std::nullopt}, {"1 2-3", std::nullopt},
        {"1 2 inf", std::nullopt}, {"1 2 1e999", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [text, origin] : origins) EXPECT_EQ(Qor::entityOrigin(entity({{"origin", text}})), origin) << text;
    EXPECT_EQ(Qor::entityOrigin(entity({{"origin", "1 2 3"}, {"origin", "4 5 6"}})),
              (std::array<double, 3>{1, 2, 3})) << "the first of a repeated key";
}

TEST(EntityRules, TurnAFacingIntoTheDirectionTheCameraWouldLook) {
    const std::tuple<const char*, const char*, std::array<double, 3>> cases[] = {
        {"angle", "0", {1, 0, 0}},      {"angle", "90", {0, 1, 0}}, {"angle", "180", {-1, 0, 0}},
        {"angles", "90 0 0", {0, 0, -1}},  // pitch positive looks down in the file
        {"angles", "-45 90 0", {0, std::sqrt(0.5), std::sqrt(0.5)}},
    };
    for (const auto& [key, value, direction] : cases) {
        const auto d = Qor::facingDirection(Qor::entityFacing(entity({{key, value}})));
        EXPECT_THAT(d, Pointwise(::testing::DoubleNear(1e-12), direction)) << key << ' ' << value;
    }
}

TEST(TextFormat, RoundsToFixedDecimalsAndReadsWhatRoundsToZeroAsZero) {
    EXPECT_EQ(Qor::fixedDecimals(1.25, 1), "1.2");
    EXPECT_EQ(Qor::fixedDecimals(-0.04, 1), "0.0");
    EXPECT_EQ(Qor::fixedDecimals(-0.004, 2), "0.00");
    EXPECT_EQ(Qor::fixedDecimals(-0.005001, 2), "-0.01");
    EXPECT_EQ(Qor::fixedDecimals(-0.0, 0), "0");
    EXPECT_EQ(Qor::fixedDecimals(-1e6, 1), "-1000000.0");
    EXPECT_EQ(Qor::fixedDecimals(-std::numeric_limits<double>::infinity(), 2), "-inf");
}

TEST(TextFormat, ShowsAnyBytesAsPrintableTextOrValidUtf8) {
    EXPECT_EQ(Qor::printableText("a\tb\xc3\xa9~"), "a?b??~");
    EXPECT_EQ(Qor::validUtf8("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(Qor::validUtf8("ok\xff\xc3("), "ok\xef\xbf\xbd\xef\xbf\xbd(");
}

TEST(PathParts, SplitAPathAtItsLastSlash) {
    EXPECT_EQ(Qor::directoryOf("maps/dm\\1/a.d3dbsp"), "maps/dm\\1/");
    EXPECT_EQ(Qor::fileNameOf("maps/dm\\1/a.d3dbsp"), "a.d3dbsp");
    EXPECT_EQ(Qor::directoryOf("a.d3dbsp"), "");
    EXPECT_EQ(Qor::fileNameOf("a.d3dbsp"), "a.d3dbsp");
    EXPECT_EQ(Qor::directoryOf("/"), "/");
    EXPECT_EQ(Qor::fileNameOf("dir/"), "");
}

TEST(SpawnPoints, FaceTheWayTheirAngleSaysInTheViewersTerms) {
    using Keys = std::vector<std::pair<std::string, std::string>>;
    const auto spawn = [](const char* classname, const char* origin, Keys more = {}) {
        more.insert(more.begin(), {{"classname", classname}, {"origin", origin}});
        return Qor::Entity{more};
    };
    // Position, yaw, pitch of each entity that is a spawn point; nothing for those that are not.
    const std::pair<Qor::Entity, std::vector<double>> cases[] = {
        {spawn("info_player_start", "1 2 3", {{"angle", "0"}}), {1, 2, 3, 90, 0}},
        {spawn("info_player_deathmatch", " -1.5\t2e3  0 ", {{"angle", "90"}}), {-1.5, 2000, 0, 0, 0}},
        {spawn("team_spawn_red", "0 0 0", {{"angle", "180"}}), {0, 0, 0, 270, 0}},
        {spawn("info_player_x", "0 0 0", {{"angle", "-270"}}), {0, 0, 0, 0, 0}},
        {spawn("info_player_x", "0 0 0", {{"angles", "30 45 0"}}), {0, 0, 0, 45, -30}},
        {spawn("info_player_x", "0 0 0", {{"angles", "350 0 0"}, {"angle", "10"}}), {0, 0, 0, 80, 0}},
        {spawn("info_player_x", "0 0 0", {{"angle", "east"}, {"angles", "-20 60 5"}}), {0, 0, 0, 30, 20}},
        {spawn("info_player_x", "0 0 0", {{"angles", "350 -450 0"}}), {0, 0, 0, 180, 10}},
        {spawn("info_player_x", "7 8 9"), {7, 8, 9, 90, 0}},
        {spawn("light", "0 0 0"), {}},
        {spawn("info_player_x", "1 2 nan"), {}},
        {Qor::Entity{{{"classname", "info_player_start"}}}, {}},
    };
    Qor::LevelContents contents;
    std::vector<std::vector<double>> expected;
    for (const auto& [entity, point] : cases) {
        contents.entities.push_back(entity);
        if (!point.empty()) expected.push_back(point);
    }
    const Loaded loaded = loadBytes(Qor::writerFor(contents).bytes());
    std::vector<std::vector<double>> found;
    for (const Qor::SpawnPoint& p : Qor::spawnPoints(*loaded.level))
        found.push_back({p.position[0], p.position[1], p.position[2], p.yaw, p.pitch});
    EXPECT_EQ(found, expected);
}

}  // namespace
