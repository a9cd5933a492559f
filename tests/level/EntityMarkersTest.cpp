#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "EntityMarkers.h"
#include "TestSupport.h"

namespace {

using Kind = Qor::EntityKind;

// Only entities whose origin is three finite numbers are marked, in entity
// order, each of the kind the spawn rule and the light rule give it.
TEST(EntityMarkers, MarkTheEntitiesWithAnOriginInOrderWithTheirKind) {
    Qor::LevelContents contents;
    contents.entities = {
        {{{"classname", "worldspawn"}}},
        {{{"classname", "info_player_start"}, {"origin", "1 2 3"}}},
        {{{"classname", "light_spot"}, {"origin", "-4.5\t0 1e3"}}},
        {{{"classname", "func_door"}, {"origin", "1 2 nan"}}},
        {{{"origin", "7 8 9"}}},
    };
    const Qor::BSP level("", testsupport::writeLevel("markers.d3dbsp", contents).c_str());
    std::vector<std::tuple<std::size_t, std::array<double, 3>, Kind>> marked;
    for (const Qor::Marker& marker : Qor::entityMarkers(level)) marked.emplace_back(marker.entity, marker.origin, marker.kind);
    EXPECT_EQ(marked, (decltype(marked){{1, {1, 2, 3}, Kind::spawnPoint},
                                        {2, {-4.5, 0, 1000}, Kind::light},
                                        {4, {7, 8, 9}, Kind::other}}));
    EXPECT_FALSE(Qor::entityMarker(level, 0));
    EXPECT_FALSE(Qor::entityMarker(level, 5)) << "past the last entity";
}

TEST(EntityMarkers, AreLabelledByClassnameAndTargetnameInPrintableText) {
    const std::pair<Qor::Entity, std::string> cases[] = {
        {{{{"classname", "light"}}}, "light"},
        {{{{"targetname", "a\tb"}, {"classname", "caf\xc3\xa9"}}}, "caf?? (a?b)"},
        {{{{"origin", "0 0 0"}}}, ""},
    };
    for (const auto& [entity, label] : cases) EXPECT_EQ(Qor::markerLabel(entity), label);
}

}  // namespace
