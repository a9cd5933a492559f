#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "HiddenMaterials.h"
#include "TestSupport.h"

// Hiding materials by name and by number, and what a hidden set leaves to
// frame: rules without a window.

namespace {

using ::testing::ElementsAre;
using ::testing::Pointwise;
using ::testing::FloatEq;

TEST(GlobMatches, StarAndQuestionMarkMatchAnyRunAndAnyOneCharacterWithoutRegardToCase) {
    for (const auto& [pattern, name, matches] : std::vector<std::tuple<std::string, std::string, bool>>{
             {"textures/skies/*", "textures/skies/blue", true},
             {"TEXTURES/SKIES/*", "textures/Skies/Blue", true},
             {"textures/skies/*", "textures/sky/blue", false},
             {"*", "", true},
             {"", "", true},
             {"", "a", false},
             {"a", "", false},
             {"?", "", false},
             {"?", "x", true},
             {"??", "x", false},
             {"*sky*", "textures/night_SKY_2", true},
             {"*/wall", "textures/shell/wall", true},
             {"*/wall", "textures/shell/wall2", false},
             // The first '*' must give back what the second part needs.
             {"*a*b", "aaabab", true},
             {"*a*b", "aaaba", false},
             {"a*b*c", "abcbc", true},
             // Only letters of ASCII fold; other bytes compare as they are.
             {"caf\xc3\xa9", "CAF\xc3\xa9", true},
             {"[ab]", "a", false},
             {"[ab]", "[AB]", true},
         }) {
        EXPECT_EQ(Qor::globMatches(pattern, name), matches) << "'" << pattern << "' on '" << name << "'";
    }
    // Many stars on a long name that fails at its end: no blow-up in time.
    EXPECT_FALSE(Qor::globMatches("*a*a*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(HiddenMaterials, HideAddsIsolateKeepsOneHideWhileIsolatingTakesItOffAndShowAllClears) {
    Qor::HiddenMaterials hidden;
    EXPECT_TRUE(hidden.showsAll());
    EXPECT_FALSE(hidden.hides(0));
    hidden.hide(5);
    hidden.hide(2);
    hidden.hide(5);
    EXPECT_THAT(hidden.textures, ElementsAre(2u, 5u));
    EXPECT_TRUE(hidden.hides(2) && hidden.hides(5) && !hidden.hides(3));
    EXPECT_FALSE(hidden.showsAll());

    hidden.isolateOnly(3);
    EXPECT_TRUE(!hidden.hides(3) && hidden.hides(2) && hidden.hides(5) && hidden.hides(4000000000u));
    hidden.hide(2);  // already hidden: nothing changes
    EXPECT_FALSE(hidden.hides(3));
    hidden.hide(3);  // the only one shown: now nothing is
    EXPECT_TRUE(hidden.hides(3) && hidden.isolate && !hidden.showsAll());

    hidden.showAll();
    EXPECT_TRUE(hidden.showsAll());
    EXPECT_FALSE(hidden.hides(3));
}

class ShellLevel : public ::testing::Test {
protected:
    Qor::BSP level{"", testsupport::writeLevel("shell.d3dbsp", testsupport::shellLevel()).c_str()};
};

TEST_F(ShellLevel, PatternsHideTheLevelsMaterialsByNameAndTheCountTakesInTexturesWithoutOne) {
    Qor::HiddenMaterials hidden;
    EXPECT_EQ(Qor::hideMatching(hidden, level, "Textures/Shell/*"), 1u);
    EXPECT_EQ(Qor::hideMatching(hidden, level, "textures/none/*"), 0u);
    EXPECT_THAT(hidden.textures, ElementsAre(1u));
    using Count = std::pair<std::size_t, std::size_t>;
    const auto counted = [&] {
        const Qor::HiddenCount count = Qor::countHidden(hidden, level);
        return Count{count.materials, count.triangles};
    };
    EXPECT_EQ(counted(), (Count{1, 12}));
    // The crate isolated: the shell and texture 7, which has no material, are hidden.
    hidden.isolateOnly(0);
    EXPECT_EQ(counted(), (Count{2, 13}));
    hidden.showAll();
    EXPECT_EQ(counted(), (Count{0, 0}));
}

TEST_F(ShellLevel, ShownBoundsAreWhatIsDrawnTheLevelsWhileNothingIsHiddenAndNoneWhenAllIs) {
    Qor::HiddenMaterials hidden;
    const auto shown = [&] {
        const auto box = Qor::shownBounds(level, hidden);
        std::vector<float> corners;
        if (box) corners = {box->low[0], box->low[1], box->low[2], box->high[0], box->high[1], box->high[2]};
        return corners;
    };
    EXPECT_THAT(shown(), Pointwise(FloatEq(), std::vector<float>{-1000, -1000, -1000, 1000, 1000, 1000}));
    hidden.hide(1);
    EXPECT_THAT(shown(), Pointwise(FloatEq(), std::vector<float>{-20, 280, -20, 240, 600, 20}));
    hidden.isolateOnly(0);
    EXPECT_THAT(shown(), Pointwise(FloatEq(), std::vector<float>{-20, 280, -20, 20, 320, 20}));
    hidden.hide(0);
    EXPECT_TRUE(shown().empty());
}

}  // namespace
