#include "FrameFixture.h"

// The looks' colours and one-sided drawing, in whole frames.

namespace frametest {
namespace {

// Triangles before the camera, their corners counter-clockwise as seen from
// it or the other way round, storing a normal toward the camera, away from
// it or none. One-sided, the stored normal decides what shows, in every
// pass; the corners' order only where nothing is stored.
TEST_F(Render, OneSidedDrawingLeavesOutWhatIsSeenFromBehindByItsNormalNotItsWinding) {
    const Qor::Direction toward{0, -1, 0};
    const Qor::Direction away{0, 1, 0};
    const Qor::Direction none{};
    const std::tuple<Qor::Direction, bool, bool> cases[] = {
        // stored normal, clockwise from the camera, shown one-sided
        {toward, false, true}, {toward, true, true}, {away, false, false},
        {away, true, false},   {none, false, true},  {none, true, false},
    };
    for (const auto& [stored, clockwise, shown] : cases) {
        SCOPED_TRACE(::testing::Message() << "normal y " << stored[1] << (clockwise ? ", clockwise" : ""));
        Qor::LevelContents contents;
        addTriangle(contents, 0, 0, 40, 100, {0, 0, 0, 255, stored, {255, 255, 255}}, clockwise);
        show(contents);
        for (const Look look : {Look::classic, Look::shaded}) {
            renderer.view.look = look;
            renderer.view.cull = false;
            EXPECT_GT(litPixels(expectSameFrame()), 0u);
            renderer.view.cull = true;
            const std::size_t lit = litPixels(expectSameFrame());
            EXPECT_EQ(lit > 0, shown) << lookName(look) << ": " << lit << " pixels";
        }
        // Pointing at it follows the picture.
        EXPECT_EQ(renderer.pointAt(windowSize / 2, windowSize / 2).kind == Hit::Kind::surface, shown);
        renderer.view.cull = false;
        EXPECT_EQ(renderer.pointAt(windowSize / 2, windowSize / 2).kind, Hit::Kind::surface);
    }
}

// A closed grey box whose normals face inward, as a level's outer walls and
// sky do, holding a red floor and a green table. Drawn from both sides, the
// box hides them from the fitted view; one-sided, its near walls are seen
// from behind and left out, so they show, and are pointed at. The fitted
// camera is the same either way: only the picture changes.
TEST_F(Render, FittedOneSidedViewShowsWhatAClosedLevelHolds) {
    Qor::LevelContents contents;
    const Qor::Rgb grey{90, 90, 90}, floorRed{255, 0, 0}, tableGreen{0, 255, 0};
    for (std::size_t axis = 0; axis < 3; ++axis)
        for (const float side : {-200.0f, 200.0f}) {
            std::array<std::array<float, 3>, 4> corners{};
            const float across[4][2] = {{-200, -200}, {200, -200}, {200, 200}, {-200, 200}};
            for (std::size_t k = 0; k < 4; ++k) {
                corners[k][axis] = side;
                corners[k][(axis + 1) % 3] = across[k][0];
                corners[k][(axis + 2) % 3] = across[k][1];
            }
            Qor::Direction inward{};
            inward[axis] = side < 0 ? 1.0f : -1.0f;
            addSquare(contents, 0, corners, inward, grey);
        }
    const Qor::Direction up{0, 0, 1};
    addSquare(contents, 1, {{{-150, -150, -100}, {150, -150, -100}, {150, 150, -100}, {-150, 150, -100}}}, up, floorRed);
    addSquare(contents, 2, {{{-50, -50, 0}, {-50, 50, 0}, {50, 50, 0}, {50, -50, 0}}}, up, tableGreen);
    show(contents);
    renderer.view.look = Look::baked;
    renderer.view.showCornerPoints = false;
    std::array<std::size_t, 2> seen[2] = {};  // red and green pixels, both sides and one-sided
    std::uint32_t pointed[2] = {};
    std::array<double, 3> camera[2] = {};
    for (const bool cull : {false, true}) {
        renderer.view.cull = cull;
        renderer.fitLevel();
        camera[cull] = renderer.view.cameraPos;
        for (const Pixel& p : expectSameFrame()) {
            seen[cull][0] += rgbOf(p) == Rgb{255, 0, 0};
            seen[cull][1] += rgbOf(p) == Rgb{0, 255, 0};
        }
        const Hit hit = renderer.pointAt(windowSize / 2, windowSize / 2);
        EXPECT_EQ(hit.kind, Hit::Kind::surface);
        pointed[cull] = hit.group;
    }
    EXPECT_EQ(camera[0], camera[1]);
    EXPECT_EQ(seen[0], (std::array<std::size_t, 2>{0, 0}));
    EXPECT_GT(seen[1][0], 1000u);
    EXPECT_GT(seen[1][1], 200u);
    EXPECT_LT(pointed[0], 6u) << "a wall of the box";
    EXPECT_EQ(pointed[1], 7u) << "the table at the box's centre";
}

// A wall seen from the camera's bearing (0 head-on), storing a normal, or
// zeros (its corners' order then says -y or, clockwise, +y), and a colour:
// the look's colour at the centre. Shaded lights by the eye, in OpenGL, so
// the light goes with the camera however the arrays were made: a wall shows
// its colour where it faces the eye, darker at a slant but never black, the
// same from behind and whichever way its corners run, as compilers wind them
// either way. Baked and normals are unlit; a stored normal wins over the
// triangle's own.
TEST_F(Render, EachLookColoursSurfacesByWhatTheirVerticesStoreShadedLitByTheEye) {
    const double slant = 80.0 * M_PI / 180.0;
    const Qor::Direction facing{0, -1, 0};
    const Qor::Direction slanted{0.6f, -0.8f, 0.0f};
    const Qor::Direction none{};
    const Qor::Rgb white{255, 255, 255};
    const Rgb own = rgbOf(Qor::unnamedTextureColour(0));
    auto lit = [&](double cosine) { return scaled(own, 0.35 + 0.65 * cosine); };
    const std::tuple<Look, Qor::Direction, Qor::Rgb, bool, double, Rgb> cases[] = {
        // look, stored normal, stored colour, clockwise, the camera's bearing, seen
        {Look::shaded, facing, white, false, 0, own},
        {Look::shaded, facing, white, false, slant, lit(std::cos(slant))},
        {Look::shaded, facing, white, false, M_PI, own},
        {Look::shaded, facing, white, false, M_PI + slant, lit(std::cos(slant))},
        {Look::shaded, slanted, white, false, 0, lit(0.8)},
        {Look::shaded, slanted, white, true, 0, lit(0.8)},
        {Look::normals, none, white, false, 0, {128, 0, 128}},
        {Look::normals, none, white, true, 0, {128, 255, 128}},
        {Look::normals, {0, 0, 1}, white, false, 0, {128, 128, 255}},  // stored as a floor's
        {Look::baked, slanted, {200, 40, 90}, false, 0, {200, 40, 90}},
        {Look::baked, none, {12, 250, 128}, true, 0, {12, 250, 128}},
    };
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    for (const auto& [look, stored, colour, clockwise, bearing, seen] : cases) {
        SCOPED_TRACE(::testing::Message() << lookName(look) << ", bearing " << bearing
                                          << (clockwise ? ", clockwise" : ""));
        Qor::LevelContents contents;
        addTriangle(contents, 0, 0, 60, 100, {0, 0, 0, 255, stored, colour}, clockwise);
        show(contents);
        renderer.view.look = look;
        lookAt({0, 100, 0}, 0, 100);
        frame();  // the arrays, made head-on: only the light may follow the camera
        lookAt({0, 100, 0}, bearing, 100);
        EXPECT_THAT(frame()[pixelOf(0, 0)], IsColour(seen, 2));
    }
}

// Groups of one material share its colour, in any level; each material has
// its own, and a texture without one takes the colour of its index.
TEST_F(Render, ShadedSurfacesTakeTheirMaterialsColourWhateverTheLevel) {
    const std::vector<float> across = {-30, -10, 10, 30};
    auto shown = [&](std::vector<std::uint32_t> textures, std::vector<std::string> names) {
        Qor::LevelContents contents;
        for (std::size_t k = 0; k < textures.size(); ++k) addTriangle(contents, textures[k], across[k], 6, 100);
        for (std::string& name : names) contents.materials.push_back({std::move(name), 0, 1});
        show(contents);
        const std::vector<Pixel> pixels = frame();
        std::vector<Rgb> colours;
        for (const float x : across) colours.push_back(rgbOf(pixels[pixelOf(x, 0)]));
        return colours;
    };
    renderer.view.look = Look::shaded;
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    const std::vector<Rgb> first = shown({0, 1, 2, 7}, {"brick", "brick", "stone"});
    EXPECT_THAT(first[0], IsColour(rgbOf(Qor::materialColour("brick")), 1));
    EXPECT_EQ(first[1], first[0]);
    EXPECT_THAT(first[2], IsColour(rgbOf(Qor::materialColour("stone")), 1));
    EXPECT_NE(first[2], first[0]);
    EXPECT_THAT(first[3], IsColour(rgbOf(Qor::unnamedTextureColour(7)), 1));
    const std::vector<Rgb> second = shown({2, 0, 1, 3}, {"moss", "stone", "brick"});
    EXPECT_EQ(second[0], first[0]) << "brick, now texture 2 of another level";
    EXPECT_EQ(second[2], first[2]) << "stone, now texture 1";
}

}  // namespace
}  // namespace frametest
