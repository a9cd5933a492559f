#include <gmock/gmock.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <tuple>

#include "TestSupport.h"

// Hiding materials and measuring from a mark, as a script uses them: the
// viewer run offscreen with --hide, the settings file's hide key, --pick and
// --mark, its pictures and its export read back.

namespace {

using testsupport::runProcess;
using testsupport::viewerBinary;
using ::testing::MatchesRegex;

constexpr int side = 200;

// The shell level without its shell: the same materials, the crate and the
// triangle without a material, so the same colours.
Qor::LevelContents withoutShell() {
    Qor::LevelContents level = testsupport::shellLevel();
    level.vertices.erase(level.vertices.begin() + 8, level.vertices.begin() + 16);
    level.triangles.erase(level.triangles.begin() + 12, level.triangles.begin() + 24);
    level.textureGroups.erase(level.textureGroups.begin() + 1);
    level.textureGroups[1].firstVertex = 8;
    level.textureGroups[1].firstIndex = 36;
    return level;
}

std::string shell() { return testsupport::writeLevel("shell.d3dbsp", testsupport::shellLevel()); }

// Offscreen, one frame, 200 x 200, the camera at the origin looking along +y.
testsupport::ProcessResult run(std::vector<std::string> options) {
    std::vector<std::string> argv = {viewerBinary(), "--offscreen", "--frames", "1", "--size", std::to_string(side)};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(argv);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// Where pixel (x, y) meets the plane at `ahead` along +y from the origin, by
// the view's 45 degrees: x and z both run tan 22.5° × ahead across half the
// window, through the pixel's centre.
std::array<double, 3> seenAt(int x, int y, double ahead) {
    const double t = std::tan(22.5 * M_PI / 180.0);
    return {((x + 0.5) / (side / 2.0) - 1.0) * t * ahead, ahead, (1.0 - (y + 0.5) / (side / 2.0)) * t * ahead};
}

std::string twoDecimals(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

TEST(HiddenMaterials, LetThePickRayThroughToWhatLiesBehindFromTheOptionOrTheSettingsFile) {
    const std::string level = shell();
    const std::array<double, 3> crate = seenAt(100, 100, 280);
    const std::array<double, 3> wall = seenAt(100, 100, 1000);
    const std::string crateAt = "at " + twoDecimals(crate[0]) + " 280.00 " + twoDecimals(crate[2]);
    const std::string wallAt = "at " + twoDecimals(wall[0]) + " 1000.00 " + twoDecimals(wall[2]);
    const std::string settings = testsupport::writeTemp("hide.settings", "width=200\nheight=200\nhide = *PROPS*\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {  // options, the pick's line as a pattern
        {{}, "pick: 100 100 group 0 triangle [45] material 'textures/props/crate' " + crateAt + " distance 280.00"},
        {{"--hide", "*/PROPS/*"},
         "pick: 100 100 group 1 triangle 1[0-9] material 'textures/shell/wall' " + wallAt + " distance 1000.0[0-9]"},
        {{"--hide", "textures/props/crat?", "--hide", "textures/shell/*"}, "pick: 100 100 nothing"},
        {{"--settings", settings}, "pick: 100 100 group 1 triangle 1[0-9] material 'textures/shell/wall' .*"},
    };
    for (auto [options, line] : cases) {
        options.insert(options.end(), {"--camera", "0,0,0", "--pick", "100,100", level});
        const testsupport::ProcessResult result = run(options);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_THAT(firstLine(result.out), MatchesRegex(line));
        EXPECT_EQ(result.err, "");
    }
    const testsupport::ProcessResult none = run({"--hide", "sky/*", "--pick", "1,1", level});
    EXPECT_EQ(none.err, "WARNING: No material of the level matches the hide pattern 'sky/*'.\n");
}

// Every look and both ways of drawing: the shell hidden, the picture is the
// one of the level that never had it, camera fitting included (fit frames
// what is drawn).
TEST(HiddenMaterials, AreDrawnByNoPassAndLeftOutOfFitting) {
    const std::string level = shell();
    const std::string bare = testsupport::writeLevel("bare.d3dbsp", withoutShell());
    for (const std::string look : {"classic", "shaded", "baked", "normals"})
        for (const std::string draw : {"immediate", "buffered"}) {
            SCOPED_TRACE(look + ", " + draw);
            const auto shot = [&](const std::string& name, std::vector<std::string> options) {
                const std::string path = testsupport::tempPath(name);
                options.insert(options.end(), {"--camera", "fit", "--look", look, "--draw", draw, "--screenshot", path});
                EXPECT_EQ(run(options).exitStatus, 0);
                return testsupport::readPng(path);
            };
            const testsupport::Image got = shot("hidden.png", {"--hide", "textures/shell/wall", level});
            ASSERT_EQ(got.rgba.size(), std::size_t{side * side * 4});
            EXPECT_TRUE(got.rgba == shot("bare.png", {bare}).rgba);
            // The crate fills a good part of the frame.
            std::size_t lit = 0;
            for (std::size_t k = 0; k < got.rgba.size(); k += 4)
                lit += got.rgba[k] + got.rgba[k + 1] + got.rgba[k + 2] > 0;
            EXPECT_GT(lit, std::size_t{side * side / 50});
        }
}

TEST(HiddenMaterials, AreLeftOutOfTheExport) {
    const std::string obj = testsupport::tempPath("hidden.obj");
    const testsupport::ProcessResult result =
        runProcess({viewerBinary(), "--export", obj, "--hide", "TEXTURES/SHELL/*", shell()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::ifstream in(obj);
    std::size_t faces = 0;
    std::vector<std::string> materials;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("f ", 0) == 0) ++faces;
        if (line.rfind("usemtl ", 0) == 0) materials.push_back(line.substr(7));
    }
    // The crate's 12 triangles and the triangle of texture 7; no wall.
    EXPECT_EQ(faces, 13u);
    EXPECT_THAT(materials, testing::ElementsAre("textures/props/crate", "texture-7"));
}

TEST(MarkOption, PrintsTheDistanceFromTheMarksPointToThePicksWithItsStepAlongEachAxis) {
    const std::string level = shell();
    const std::array<double, 3> picked = seenAt(100, 100, 280);
    const std::array<double, 3> mark = seenAt(10, 100, 1000);
    const std::array<double, 3> delta = {picked[0] - mark[0], picked[1] - mark[1], picked[2] - mark[2]};
    const double distance = std::sqrt(delta[0] * delta[0] + delta[1] * delta[1] + delta[2] * delta[2]);
    const testsupport::ProcessResult result =
        run({"--camera", "0,0,0", "--pick", "100,100", "--mark", "10,100", level});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string second = firstLine(result.out.substr(result.out.find('\n') + 1));
    double got[4] = {};
    ASSERT_EQ(std::sscanf(second.c_str(), "from mark: 10 100 distance %lf delta %lf %lf %lf", &got[0], &got[1],
                          &got[2], &got[3]),
              4)
        << second;
    const double wanted[4] = {distance, delta[0], delta[1], delta[2]};
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(got[k], wanted[k], 0.011) << k;

    // With the shell hidden, pixel 10,100 shows nothing: a mark there
    // measures nothing, nor does a pick there from a mark on the crate.
    for (const auto& [pick, markPixel, line] :
         {std::tuple("100,100", "10,100", "from mark: 10 100 nothing\n"),
          std::tuple("10,100", "100,100", "pick: 10 100 nothing\nfrom mark: 100 100 nothing\n")}) {
        const testsupport::ProcessResult blind =
            run({"--camera", "0,0,0", "--hide", "*shell*", "--pick", pick, "--mark", markPixel, level});
        EXPECT_THAT(blind.out, testing::HasSubstr(line));
    }
    const testsupport::ProcessResult outside = run({"--pick", "1,1", "--mark", "300,5", level});
    EXPECT_EQ(outside.exitStatus, 2);
    EXPECT_EQ(outside.err, "orvandel: --mark: pixel '300,5' lies outside the window of '200' by '200' pixels\n");
}

}  // namespace
