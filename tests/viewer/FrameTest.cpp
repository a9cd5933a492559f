#include "FrameFixture.h"
#include "MalformedLevels.h"
#include "ViewRay.h"

// What a frame draws: the GL state it leaves, the render modes, the chosen
// groups and planes, the arrays against the glBegin/glEnd passes, culling
// and the arrays' memory.

namespace frametest {
namespace {

using ::testing::AnyOf;
using ::testing::Each;
using ::testing::MatchesRegex;
using testsupport::generatedLevel;

// A view as one row of a table.
struct TableView {
    std::uint32_t mode;
    std::string passes;  // p plane points, f fill, w outlines, c corners
    std::int64_t group;  // the one group shown, or -1 for all
    std::int64_t plane;  // the one plane shown, or -1
    float pointSize, lineWidth;
    double fillAlpha;
};

// Sets the renderer's view, and OpenGL's point size and line width, as the
// keys would.
void applyView(Renderer& renderer, const TableView& view) {
    renderer.view.renderMode = static_cast<RenderMode>(view.mode);
    renderer.view.showPlanePoints = view.passes.find('p') != std::string::npos;
    renderer.view.showFilled = view.passes.find('f') != std::string::npos;
    renderer.view.showWireframe = view.passes.find('w') != std::string::npos;
    renderer.view.showCornerPoints = view.passes.find('c') != std::string::npos;
    renderer.view.singleGroup = view.group >= 0;
    renderer.view.selectedGroup = static_cast<std::uint32_t>(std::max<std::int64_t>(view.group, 0));
    renderer.view.singlePlane = view.plane >= 0;
    renderer.view.selectedPlane = static_cast<std::uint32_t>(std::max<std::int64_t>(view.plane, 0));
    renderer.view.pointSize = view.pointSize;
    renderer.view.lineWidth = view.lineWidth;
    glPointSize(view.pointSize);
    glLineWidth(view.lineWidth);
    renderer.view.fillAlpha = view.fillAlpha;
}

TEST_F(Render, StartsInScreenSpaceWithAdditiveBlendingUnderTheProgramsCaption) {
    expectScreenSpaceState(GL_ONE, {{GL_COLOR_CLEAR_VALUE, {0, 0, 0, 1}}, {GL_DEPTH_FUNC, {GL_LEQUAL}},
                                    {GL_VIEWPORT, {0, 0, windowSize, windowSize}}});
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Orvandel - by Tolvane & Drelvik");
}

// Texture 0 is red and baked red, texture 1 green and baked green; the red
// triangle is the near one, drawn first. Triangles of 0.3 times their
// distance look alike at any distance. Classic combines the fills by its
// render mode; the other looks are opaque with a depth test whatever the
// mode and the fill alpha: without it the far one, drawn over the near one,
// would show or add up.
TEST_F(Render, EachModeCombinesTheFillItsOwnWayAndTheOpaqueLooksHideFarSurfacesInAny) {
    const Rgb shadedRed = rgbOf(Qor::unnamedTextureColour(0));
    const std::vector<std::pair<std::uint32_t, float>> both = {{0, 100}, {1, 200}};  // texture, distance
    const std::tuple<Look, std::uint32_t, std::vector<std::pair<std::uint32_t, float>>, std::uint8_t, double, Rgb>
        cases[] = {
            {Look::classic, 0, both, 255, 1.0, red},             // the near one hides the far one
            {Look::classic, 1, both, 255, 1.0, {0, 255, 0}},     // the later one covers the earlier
            {Look::classic, 2, both, 255, 1.0, {255, 255, 0}},   // they add up
            {Look::classic, 1, {{0, 100}}, 51, 0.5, {26, 0, 0}},  // weighed by vertex alpha times fill alpha
            {Look::classic, 2, {{0, 100}}, 128, 0.4, {51, 0, 0}},
            {Look::classic, 0, {{18, 100}}, 0, 0.0, {255, 128, 0}},  // opaque, in entry 6 of the 12 colours: orange
            {Look::shaded, 1, both, 51, 0.5, shadedRed},          {Look::shaded, 2, both, 255, 0.0, shadedRed},
            {Look::baked, 1, both, 255, 2.0, {250, 10, 10}},      {Look::baked, 2, both, 128, 0.1, {250, 10, 10}},
            {Look::normals, 2, both, 255, 0.3, {128, 0, 128}},
        };
    renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    for (const auto& [look, mode, triangles, vertexAlpha, fillAlpha, middle] : cases) {
        SCOPED_TRACE(::testing::Message() << lookName(look) << ", mode " << mode << ", fill alpha " << fillAlpha);
        Qor::LevelContents contents;
        for (const auto& [texture, distance] : triangles) {
            const std::array<std::uint8_t, 3> baked = texture == 0 ? std::array<std::uint8_t, 3>{250, 10, 10}
                                                                   : std::array<std::uint8_t, 3>{10, 250, 10};
            addTriangle(contents, texture, 0, 0.3f * distance, distance, {0, 0, 0, vertexAlpha, {}, baked});
        }
        show(contents);
        renderer.view.look = look;
        renderer.view.renderMode = static_cast<RenderMode>(mode);
        renderer.view.fillAlpha = fillAlpha;
        EXPECT_THAT(frame()[pixelOf(0, 0)], IsColour(middle, 1));
        expectScreenSpaceState(GL_ONE_MINUS_SRC_ALPHA);
    }
}

// Texture 6 fills in orange; its outlines and corners take entry 0, red.
// Four triangles of a floor seen at a slant: in every look but classic the
// surfaces are drawn under their outlines, and every pixel the outlines and
// corners light on their own keeps their colour over the surfaces. (The floor
// lies inside the view: where the view's sides cut a line and a triangle,
// the two cuts' depths can differ by more than any offset.)
TEST_F(Render, OutlinesAndCornersTakeTheColourSixEntriesOnAndShowWholeOverSurfaces) {
    Qor::LevelContents contents;
    for (int k = 0; k < 4; ++k) {
        const float x = -36.0f + 18.0f * static_cast<float>(k);
        const auto first = static_cast<std::uint32_t>(contents.vertices.size());
        contents.vertices.insert(contents.vertices.end(), {{x, 100, -40}, {x + 18, 100, -40}, {x + 9, 300, -40}});
        contents.textureGroups.push_back({6, first, 3, static_cast<std::uint32_t>(3 * k), 3});
        contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    }
    show(contents);
    renderer.view.renderMode = RenderMode::opaque;  // opaque, so smoothed edges keep their colour
    renderer.view.cameraPitch = -0.3;
    for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals}) {
        SCOPED_TRACE(lookName(look));
        renderer.view.look = look;
        renderer.view.showFilled = false;
        const std::vector<Pixel> lines = frame();
        EXPECT_THAT(lines, Each(AnyOf(IsColour(black, 0), IsColour(red, 1))));
        renderer.view.showFilled = true;
        const std::vector<Pixel> over = frame();
        std::size_t outlined = 0, kept = 0;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            outlined += rgbOf(lines[at]) == red;
            kept += rgbOf(lines[at]) == red && rgbOf(over[at]) == red;
        }
        EXPECT_GT(outlined, 500u);
        EXPECT_TRUE(look == Look::classic || kept == outlined) << kept << " of " << outlined << " kept";
    }
}

Qor::TextureGroup groupOf(std::uint32_t firstIndex, std::uint32_t indexCount, std::uint32_t firstVertex = 0) {
    return Qor::TextureGroup{0, firstVertex, 12, firstIndex, indexCount};
}

// Probes 0 to 3 show small triangles 1 to 4 from left to right (triangle 0
// has a corner past the vertices); probes 4 and 5 show where planes 0 and 1
// belong, at the normal times the distance: plane 0 is the plane through
// (20, 100, 20) facing away from the origin, as files store planes, and
// plane 2 a plane whose normal is not of unit length. Planes 3 and 4 have no
// point: a NaN, and a point too far for a float.
TEST_F(Render, DrawsTheWholeTrianglesOfTheChosenGroupsInsideTheLevelAndPlanesAsPoints) {
    Qor::LevelContents contents;
    for (float x : {-30.0f, -10.0f, 10.0f, 30.0f}) addTriangle(contents, 0, x, 6, 100);
    contents.triangles.insert(contents.triangles.begin(), Qor::Triangle{{0, 1, 5000}});
    const float distance = std::sqrt(20.0f * 20.0f + 100.0f * 100.0f + 20.0f * 20.0f);
    contents.planes = {{20 / distance, 100 / distance, 20 / distance, distance},
                       {-2, 10, 2, 10},
                       {1, 5, 1, 20},
                       {1, 5, 1, NAN},
                       {1e30f, 5e30f, 1e30f, 1e10f}};
    const std::vector<std::size_t> probes = {pixelOf(-30, 0), pixelOf(-10, 0), pixelOf(10, 0),
                                             pixelOf(30, 0), pixelOf(20, 20), pixelOf(-20, 20)};
    const std::vector<Qor::TextureGroup> selectable = {groupOf(3, 3), groupOf(6, 4), groupOf(9, 3)};
    const std::tuple<std::vector<Qor::TextureGroup>, bool, bool, std::uint32_t, std::string> cases[] = {
        // switches on, single, selected, lit
        {{groupOf(6, 6)}, true, false, 0, "-12-45"},
        {{groupOf(6, 5)}, true, false, 0, "----45"},  // a count that is not whole triangles
        {{groupOf(7, 6)}, true, false, 0, "----45"},  // a start that is not
        {selectable, true, true, 2, "--2-4-"},        // a single group and plane
        {selectable, true, true, 1, "-----5"},        // group 1 is not whole triangles
        {selectable, true, true, 3, "------"},        // past the groups, and a plane without a point
        {selectable, true, true, 4, "------"},
        {selectable, true, true, 5, "------"},        // past both lists
        // Triangles and corners outside the level are passed over; the rest is drawn.
        {{groupOf(0, 9), groupOf(12, 150), groupOf(300, 3), groupOf(3, 12, 1000)}, true, false, 0, "01-345"},
        {{groupOf(6, 3, 0xFFFFFFFD)}, true, false, 0, "0---45"},  // corner numbers wrap round to triangle 1's
        {{groupOf(3, 12)}, false, false, 0, "------"},            // every switch off
    };
    for (const DrawPath path : {DrawPath::immediate, DrawPath::buffered})
        for (const auto& [groups, on, single, selected, lit] : cases) {
            SCOPED_TRACE(::testing::Message() << (path == DrawPath::buffered ? "buffered" : "immediate") << ", single "
                                              << single << ", selected " << selected << ", " << lit);
            renderer.view.drawPath = path;
            contents.textureGroups = groups;
            renderer.view.showFilled = renderer.view.showWireframe = renderer.view.showCornerPoints = on;
            renderer.view.showPlanePoints = on && !single;
            renderer.view.singleGroup = renderer.view.singlePlane = single;
            renderer.view.selectedGroup = renderer.view.selectedPlane = selected;
            show(contents);
            const std::vector<Pixel> pixels = frame();
            std::string shown;  // each probe's number if its pixel is lit
            for (std::size_t k = 0; k < probes.size(); ++k)
                shown += rgbOf(pixels[probes[k]]) != black ? std::to_string(k) : "-";
            EXPECT_EQ(shown, lit);
            // All black, unless some probe is lit.
            EXPECT_EQ(litPixels(pixels) == 0, lit == "------");
        }
}

// The arrays draw what the glBegin/glEnd passes draw, from buffer objects and
// from client arrays alike, in every look, from the start and from where the
// whole level shows; one-sided drawing too, over the first five views and the
// looks that have it. Consecutive views change the fill alpha among other
// things, so each arrays frame also shows a change of alpha at once; outside
// classic it must change nothing.
TEST_F(Render, ArraysDrawEveryViewOfEveryLevelInEveryLookAsTheImmediatePassesDo) {
    const TableView views[] = {
        {2, "fwc", -1, -1, 1, 1, 0.1},     {0, "pfwc", -1, -1, 3.5f, 2.5f, 0.5}, {1, "fc", 1, -1, 2, 1, -0.004},
        {0, "fw", 0, 1, 1, 4, 0.3},        {2, "wc", -1, -1, 10, 10, 1.5},    {1, "f", -1, -1, 1, 1, 0.2},
        {1, "f", -1, -1, 1, 1, 0.73},      {1, "w", -1, -1, 1, 1, 0.73},      {0, "c", -1, -1, 10, 1, 0.73},
        {2, "p", -1, -1, 6, 1, 0.3},       {1, "pfwc", 3, 0, 1.5f, 1.5f, 0},  {2, "f", -1, -1, 1, 1, 2},
        {0, "", -1, -1, 1, 1, 2},
    };
    // The demo, a generated level of 3000 triangles and every malformed level: names and paths.
    std::vector<std::pair<std::string, std::string>> levels = {
        {"demo", generatedLevel({"demo"})}, {"bench", generatedLevel({"bench", "--triangles", "3000"})}};
    for (const Qor::MalformedLevel& malformed : Qor::malformedLevels())
        levels.emplace_back(malformed.name, testsupport::writeTemp(malformed.name + ".d3dbsp", malformed.bytes));
    for (const bool cull : {false, true})
        for (const bool bufferObjects : {true, false}) {
            renderer.view.cull = cull;
            renderer.frame.geometry.onlyOpenGl11 = !bufferObjects;
            for (const auto& [name, path] : levels) {
                show(path);
                for (const bool fitted : {false, true}) {
                    if (fitted) renderer.fitLevel();
                    else lookAt({0, 100, 0}, 0, 100);  // the start
                    for (const Look look : {Look::classic, Look::shaded, Look::baked, Look::normals, Look::textured})
                        for (std::size_t k = 0; k < (cull ? 5 : std::size(views)); ++k) {
                            if (cull && look == Look::textured) break;
                            const TableView& view = views[k];
                            SCOPED_TRACE(::testing::Message()
                                         << name << (cull ? ", one-sided" : "") << (bufferObjects ? "" : ", client arrays")
                                         << (fitted ? ", fitted" : "") << ", " << lookName(look) << ", mode " << view.mode
                                         << " '" << view.passes << "', group " << view.group << ", plane " << view.plane
                                         << ", alpha " << view.fillAlpha);
                            renderer.view.look = look;
                            applyView(renderer, view);
                            expectSameFrame();
                        }
                }
            }
        }
}

// A small triangle of the camera's whose centre shows at (column, row) of
// the window, counted from the bottom left and maybe outside it, at this
// distance along the view.
void addTriangleSeenAt(Qor::LevelContents& level, const Renderer& camera, double column, double row,
                       double distance, std::uint32_t texture) {
    const ViewBasis view = viewBasis(camera.view.cameraPos, camera.view.cameraYaw, camera.view.cameraPitch, windowSize, windowSize);
    const double pixel = 2 * distance * view.halfHeight / windowSize;
    auto at = [&](double x, double y) {
        std::array<float, 3> point{};
        for (std::size_t k = 0; k < 3; ++k)
            point[k] = static_cast<float>(view.eye[k] + distance * view.forward[k] +
                                          (x - windowSize / 2.0) * pixel * view.right[k] +
                                          (y - windowSize / 2.0) * pixel * view.up[k]);
        return Qor::Vertex{point[0], point[1], point[2]};
    };
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    level.vertices.insert(level.vertices.end(), {at(column - 1, row - 1), at(column + 1, row - 1), at(column, row + 1)});
    level.textureGroups.push_back({texture, first, 3, static_cast<std::uint32_t>(3 * level.triangles.size()), 3});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
}

// Around each side of the view, small triangles from just inside to well
// outside, drawn with 10-pixel lines and points, which reach 5 pixels (and a
// smoothed one more) past their corners; and triangles at the near and far
// distances, where OpenGL's rounding still draws a little past the far one.
// Culling sends fewer triangles and never changes a pixel.
TEST_F(Render, CullingKeepsEveryPixelWithWideLinesAndLargePoints) {
    applyView(renderer, {2, "fwc", -1, -1, 10, 10, 0.1});
    const std::tuple<std::array<double, 3>, double, double> cameras[] = {
        {{0, 0, 0}, 0, 0}, {{30, -70, 20}, 0.7, 0.3}, {{-200, 150, -90}, 2.5, -1.4}, {{10, 10, 10}, -1.2, 1.5},
    };
    const double outside[] = {-2, 1.5, 3, 4.5, 6, 9, 20};  // pixels past the edge
    for (const auto& [position, yaw, pitch] : cameras) {
        cameraPose() = std::tie(position, yaw, pitch);
        Qor::LevelContents contents;
        std::uint32_t texture = 0;
        for (const double along : {30.0, 100.0, 170.0})
            for (const double past : outside) {
                addTriangleSeenAt(contents, renderer, -past, along, 100, texture++);
                addTriangleSeenAt(contents, renderer, windowSize + past, along, 100, texture++);
                addTriangleSeenAt(contents, renderer, along, -past, 300, texture++);
                addTriangleSeenAt(contents, renderer, along, windowSize + past, 300, texture++);
            }
        for (const double distance : {9.9, 10.0, 10.1, 9999.9, 10000.1, 10040.0, 12000.0})
            addTriangleSeenAt(contents, renderer, 60, 140, distance, texture++);
        show(contents);
        for (const std::uint32_t mode : {0u, 1u, 2u}) {
            SCOPED_TRACE(::testing::Message() << "yaw " << yaw << ", pitch " << pitch << ", mode " << mode);
            renderer.view.renderMode = static_cast<RenderMode>(mode);
            EXPECT_GT(litPixels(expectSameFrame()), 0u);
            EXPECT_GT(renderer.frame.geometry.trianglesSent(), 0u);
            EXPECT_LT(renderer.frame.geometry.trianglesSent(), contents.triangles.size());
        }
    }
}

std::string arraysWarning(const std::string& bytes) {
    return "WARNING: The level's vertex arrays do not fit in memory, so it is drawn without them, more slowly; "
           "bytes needed: '" + bytes + "'\\.\n";
}

// Staying in classic costs nothing; a look's arrays come the first time it
// is drawn with its fills, stay for the level, and go with it: a new level
// comes with the arrays of the look in use. Arrays that would pass the limit,
// a look's or classic's own, leave the level to the glBegin/glEnd passes,
// with a warning.
TEST_F(Render, ALooksArraysAreMadeTheFirstTimeItsFillsAreDrawnAndGoWithTheLevel) {
    const std::string path = generatedLevel({"bench", "--triangles", "900"});
    show(path);
    const std::size_t classic = renderer.frame.geometry.bytes();
    frame();
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic);
    const std::size_t corners = 3 * 900;
    const std::tuple<Look, bool, std::size_t> steps[] = {
        {Look::shaded, false, 0},                            // fills off: nothing needs them yet
        {Look::shaded, true, corners * 6 * sizeof(float)},   // colours and normals
        {Look::baked, true, corners * 3 * sizeof(float)},    // colours only
        {Look::shaded, true, 0},                             // kept
        {Look::classic, true, 0},
        {Look::normals, true, corners * 3 * sizeof(float)},
    };
    std::size_t expected = classic;
    for (const auto& [look, filled, added] : steps) {
        renderer.view.look = look;
        renderer.view.showFilled = filled;
        frame();
        expected += added;
        EXPECT_EQ(renderer.frame.geometry.bytes(), expected) << lookName(look) << (filled ? "" : ", fills off");
    }
    show(path);
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic + corners * 3 * sizeof(float)) << "normals, in use";
    renderer.view.look = Look::classic;
    show(path);
    EXPECT_EQ(renderer.frame.geometry.bytes(), classic);
    testing::internal::CaptureStderr();
    renderer.frame.geometry.byteLimit = classic + 1;
    renderer.view.look = Look::baked;
    EXPECT_GT(litPixels(expectSameFrame()), 0u);
    EXPECT_EQ(renderer.frame.geometry.bytes(), 0u);
    renderer.frame.geometry.byteLimit = 1000;
    show(path);
    EXPECT_GT(litPixels(expectSameFrame()), 0u);
    EXPECT_EQ(renderer.frame.geometry.bytes(), 0u);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                MatchesRegex(arraysWarning(std::to_string(classic + corners * 3 * sizeof(float))) +
                             arraysWarning("[0-9]+")));
}

}  // namespace
}  // namespace frametest
