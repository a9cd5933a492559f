#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "BSP.h"
#include "Find.h"
#include "FindLevel.h"

// What the find prompt's text matches, and the triangle a material is
// looked at by.

namespace {

using Match = std::tuple<Qor::FindMatch::Kind, std::size_t, std::string>;
constexpr auto entity = Qor::FindMatch::Kind::entity;
constexpr auto material = Qor::FindMatch::Kind::material;

std::vector<Match> matched(const Qor::BSP& level, const std::string& text) {
    std::vector<Match> found;
    for (const Qor::FindMatch& match : Qor::findMatches(level, text))
        found.emplace_back(match.kind, match.index, match.label);
    return found;
}

class Finding : public ::testing::Test {
protected:
    Qor::BSP level{"", testsupport::writeLevel("find.d3dbsp", testsupport::findLevelContents()).c_str()};
};

// Entities with an origin come first, by any value but not by key, then the
// materials; the worldspawn, with no origin, is nowhere to go. Text matches
// as a substring whatever the case; empty text matches nothing.
TEST_F(Finding, MatchesValuesOfEntitiesWithAnOriginThenMaterialNamesWithoutRegardToCase) {
    EXPECT_EQ(matched(level, "alarm"),
              (std::vector<Match>{{entity, 1, "target_speaker (alarm3)"},
                                  {entity, 3, "info_player_start"},
                                  {material, 0, "common/Alarm_Panel"},
                                  {material, 2, "unused/alarmish"}}));
    EXPECT_EQ(matched(level, "LIGHT"), (std::vector<Match>{{entity, 2, "light"}}));
    EXPECT_EQ(matched(level, "floor"), (std::vector<Match>{{material, 1, "base/floor"}}));
    EXPECT_EQ(matched(level, "alarm_key"), std::vector<Match>{});
    EXPECT_EQ(matched(level, ""), std::vector<Match>{});
}

// Of the material's two walls the nearer to the point wins; the triangle
// with a corner that is not a number is never one.
TEST_F(Finding, NearestTriangleIsTheDrawnOneWhoseCentreIsNearestWithItsFacing) {
    const auto near = Qor::nearestTriangleOf(level, 0, {0, 0, 0});
    ASSERT_TRUE(near);
    EXPECT_EQ(near->triangle, 0u);
    EXPECT_THAT(near->centre, ::testing::Pointwise(::testing::DoubleNear(1e-9), std::array{0.0, 100.0, -10.0 / 3}));
    EXPECT_THAT(near->normal, ::testing::Pointwise(::testing::DoubleNear(1e-9), std::array{0.0, -1.0, 0.0}));
    const auto far = Qor::nearestTriangleOf(level, 0, {0, 900, 0});
    ASSERT_TRUE(far);
    EXPECT_EQ(far->triangle, 1u);
    const auto floor = Qor::nearestTriangleOf(level, 1, {0, 0, 0});
    ASSERT_TRUE(floor);
    EXPECT_THAT(floor->normal, ::testing::Pointwise(::testing::DoubleNear(1e-9), std::array{0.0, 0.0, 1.0}));
    EXPECT_FALSE(Qor::nearestTriangleOf(level, 2, {0, 0, 0}));
    EXPECT_FALSE(Qor::nearestTriangleOf(level, 7, {0, 0, 0}));
    // A material the filter hides has none.
    const Qor::MaterialFilter notTheWalls = [](std::uint32_t m) { return m != 0; };
    EXPECT_FALSE(Qor::nearestTriangleOf(level, 0, {0, 0, 0}, notTheWalls));
    EXPECT_TRUE(Qor::nearestTriangleOf(level, 1, {0, 0, 0}, notTheWalls));
}

}  // namespace
