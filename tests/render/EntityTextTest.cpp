#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "EntityLabels.h"
#include "PanelText.h"
#include "TestEntities.h"
#include "TestSupport.h"

// The entities' text without a window: which markers get a label and where
// it goes, the entity page and the pointing row.

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testsupport::entity;

// The nearest 64 markers ahead, within 2048 units and inside the window, get
// their label, nearest first.
TEST(EntityLabels, GoToTheNearest64MarkersAheadWithinReachAndInsideTheWindow) {
    Qor::LevelContents contents;
    for (int k = 0; k < 100; ++k)
        contents.entities.push_back(entity("light", std::to_string(k % 10 * 20 - 90) + ' ' + std::to_string(2000 - 10 * k) + " 0"));
    contents.entities.push_back(entity("item", "0 -50 0"));                                // behind
    contents.entities.push_back(entity("item", "0 2049 0"));                               // too far
    contents.entities.push_back(entity("item", "2000 100 0"));                              // outside the window
    contents.entities.push_back(entity("info_player_start", "0 5 0", {{"targetname", "a\x01"}}));  // nearest
    const Qor::BSP level("", testsupport::writeLevel("labels.d3dbsp", contents).c_str());
    const ViewBasis view = viewBasis({0, 0, 0}, 0, 0, 800, 600);
    const std::vector<Label> labels = chooseLabels(level, Qor::entityMarkers(level), view);
    ASSERT_EQ(labels.size(), 64u);
    EXPECT_EQ(labels[0].entity, 103u);
    EXPECT_EQ(labels[0].text, "info_player_start (a?)");
    EXPECT_NEAR(labels[0].at.x, 400.0, 1e-9);
    EXPECT_NEAR(labels[0].at.y, 300.0, 1e-9);
    for (std::size_t k = 1; k < labels.size(); ++k) {
        EXPECT_LE(labels[k - 1].distance, labels[k].distance);
        EXPECT_EQ(labels[k].text, "light");
        EXPECT_GE(labels[k].entity, 37u) << "the 63 nearest lights";
    }
}

// Twenty markers within three pixels, nearest first, and a lone one: the
// nearest is labelled right of its marker, the next two above and below it,
// the rest of the crowd not at all, the lone one beside its own.
TEST(EntityLabels, NeverOverlapTheNearestBesideItsMarkerOthersAboveOrBelowOrLeftOut) {
    constexpr int advance = 8;
    constexpr int lineHeight = 17;
    std::vector<Label> crowded;
    for (std::size_t k = 0; k < 20; ++k) {
        const std::string text = k % 2 == 0 ? "light" : "info_player_deathmatch";
        crowded.push_back(Label{k, Qor::EntityKind::other, text,
                                ScreenPoint{400.0 + static_cast<double>(k % 3), 300.0 + static_cast<double>(k % 4), 1.0},
                                100.0 + static_cast<double>(k)});
    }
    crowded.push_back(Label{20, Qor::EntityKind::light, "light", ScreenPoint{100.0, 100.0, 1.0}, 500.0});
    const std::vector<Label> placed = placeLabels(crowded, advance, lineHeight);
    for (std::size_t a = 0; a < placed.size(); ++a)
        for (std::size_t b = a + 1; b < placed.size(); ++b)
            EXPECT_FALSE(overlap(placed[a].box, placed[b].box)) << placed[a].entity << " and " << placed[b].entity;
    // Entity, then its box's left, top, width and height.
    std::vector<std::tuple<std::size_t, int, int, int, int>> boxes;
    for (const Label& l : placed) boxes.emplace_back(l.entity, l.box.x, l.box.y, l.box.width, l.box.height);
    EXPECT_EQ(boxes, (decltype(boxes){{0, 400 + labelGap, 300 - 8, 40, lineHeight},
                                      // 22 characters wide, centred over (401, 301)
                                      {1, 401 - 88, 301 - labelGap - lineHeight, 176, lineHeight},
                                      {2, 402 - 20, 302 + labelGap, 40, lineHeight},
                                      {20, 100 + labelGap, 100 - 8, 40, lineHeight}}));
    // Boxes that only touch do not overlap.
    EXPECT_FALSE(overlap({0, 0, 10, 10}, {10, 0, 10, 10}));
    EXPECT_FALSE(overlap({0, 0, 10, 10}, {0, 10, 10, 10}));
    EXPECT_TRUE(overlap({0, 0, 10, 10}, {9, 9, 10, 10}));
    EXPECT_TRUE(placeLabels({}, advance, lineHeight).empty());
}

// The entity page: before any selection the counts; then the selected one's
// number of the count, its distance and its pairs, printable. The view
// page's pointing row names what a hit is, in the panel's decimals.
TEST(PanelText, TheEntityPageAndThePointingRowSayWhatIsSelectedAndPointedAt) {
    Qor::LevelContents contents;
    contents.textureGroups = {{0, 0, 0, 0, 0}, {5, 0, 0, 0, 0}};
    contents.materials = {{"metal/\x01plate"}};
    contents.entities = {Qor::Entity{{{"classname", "worldspawn"}, {"message", "caf\xc3\xa9"}}},
                         entity("light", "30 40 0", {{"light", "300"}}), entity("item", "1 2"),
                         Qor::Entity{{{"origin", "0 0 0"}}}};
    const Qor::BSP level("", testsupport::writeLevel("page.d3dbsp", contents).c_str());
    PanelState state;
    state.level = &level;
    const std::string title = "Entity  (F3 hides it; j, k next, previous)";
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entities        4", "with an origin  2"));
    state.view.selectedEntity = 1;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entity     2 of 4", "distance   50.0 units",
                                                 "classname  light", "origin     30 40 0", "light      300"));
    state.view.selectedEntity = 0;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entity     1 of 4", "distance   none: it has no origin",
                                                 "classname  worldspawn", "message    caf??"));
    state.view.selectedEntity = 4;
    EXPECT_THAT(panelPage(4, state), ElementsAre(title, "entities        4", "with an origin  2"))
        << "a selection a reload took away";

    state.pointing.triangle = 12;
    state.pointing.point = {1.25, -0.04, 1000.06};
    state.pointing.distance = 3.14159;
    const std::tuple<Hit::Kind, std::uint32_t, std::size_t, std::string> rows[] = {
        {Hit::Kind::surface, 0, 0, "group 0, triangle 12, material 'metal/?plate', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::surface, 1, 0, "group 1, triangle 12, material '', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::entity, 0, 1, "entity 2 'light', at 1.2 0.0 1000.1, 3.1 units"},
        {Hit::Kind::entity, 0, 3, "entity 4 '', at 1.2 0.0 1000.1, 3.1 units"},
    };
    for (const auto& [kind, group, entity, row] : rows) {
        state.pointing.kind = kind;
        state.pointing.group = group;
        state.pointing.entity = entity;
        EXPECT_THAT(panelPage(3, state), Contains("pointing at        " + row));
    }
}

}  // namespace
