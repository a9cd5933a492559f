#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "LevelLoading.h"

namespace {

using testsupport::mklevelBinary;
using testsupport::runProcess;

// Runs the generator and loads what it wrote.
leveltest::Loaded generate(const std::vector<std::string>& scene, const std::string& name) {
    const std::string path = testsupport::tempPath(name);
    std::vector<std::string> argv{mklevelBinary()};
    argv.insert(argv.end(), scene.begin(), scene.end());
    argv.push_back(path);
    const auto run = runProcess(argv);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out + run.err, "");
    return leveltest::load(path);
}

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The groups share out the triangles in order, and every corner names a
// vertex of the level.
void expectWellFormed(const Qor::BSP& level) {
    std::uint32_t nextIndex = 0;
    for (const Qor::TextureGroup& group : level.textureGroups) {
        ASSERT_EQ(group.firstIndex, nextIndex);
        ASSERT_EQ(group.indexCount % 3, 0u);
        nextIndex += group.indexCount;
        ASSERT_LE(nextIndex / 3, level.triangles.size());
        for (std::uint32_t t = group.firstIndex / 3; t < nextIndex / 3; ++t)
            for (std::uint32_t corner : level.triangles[t].corners)
                ASSERT_LT(group.firstVertex + corner, level.vertices.size());
    }
    EXPECT_EQ(nextIndex / 3, level.triangles.size());
}

TEST(LevelGenerator, DemoFillsTheFirstViewWithEveryColourAndVariedAlpha) {
    const auto loaded = generate({"demo"}, "demo.d3dbsp");
    const Qor::BSP& level = *loaded.level;
    EXPECT_EQ(loaded.err, "");
    expectWellFormed(level);
    EXPECT_FALSE(level.planes.empty());

    std::set<std::uint32_t> colours;
    for (const Qor::TextureGroup& group : level.textureGroups) colours.insert(group.texture % 12);
    EXPECT_EQ(colours.size(), 12u);

    std::set<int> alphas;
    for (const Qor::Vertex& v : level.vertices) alphas.insert(v.alpha);
    EXPECT_GE(alphas.size(), 8u);

    // The first view looks from the origin along +y with z up, 45 degrees
    // high at 4:3. The scene lies ahead and reaches past all four edges.
    const double up = std::tan(22.5 * M_PI / 180.0);
    const double side = up * 4.0 / 3.0;
    double left = 0, right = 0, below = 0, above = 0;
    for (const Qor::Vertex& v : level.vertices) {
        ASSERT_GT(v.y, 0.0f);
        const double across = v.x / v.y;
        const double height = v.z / v.y;
        left = std::min(left, across);
        right = std::max(right, across);
        below = std::min(below, height);
        above = std::max(above, height);
    }
    EXPECT_LT(left, -side);
    EXPECT_GT(right, side);
    EXPECT_LT(below, -up);
    EXPECT_GT(above, up);
}

TEST(LevelGenerator, BenchHasExactlyTheTrianglesAskedForAndTheSameBytesEachTime) {
    for (const int triangles : {1, 2, 127, 128, 129, 385, 1000}) {
        SCOPED_TRACE(triangles);
        const auto loaded = generate({"bench", "--triangles", std::to_string(triangles)}, "bench.d3dbsp");
        EXPECT_EQ(loaded.err, "");
        EXPECT_EQ(loaded.level->triangles.size(), static_cast<std::size_t>(triangles));
        expectWellFormed(*loaded.level);
    }
    const std::string first = contentsOf(testsupport::tempPath("bench.d3dbsp"));
    generate({"bench", "--triangles", "1000"}, "bench-again.d3dbsp");
    EXPECT_EQ(contentsOf(testsupport::tempPath("bench-again.d3dbsp")), first);
}

TEST(LevelGenerator, RefusesBadUsageWithOneLine) {
    const std::string out = testsupport::tempPath("unused.d3dbsp");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{}, "missing scene: demo or bench"},
        {{"maze", out}, "unknown scene 'maze'"},
        {{"demo"}, "demo takes one operand: the output file"},
        {{"demo", out, out}, "demo takes one operand: the output file"},
        {{"bench", out}, "bench takes --triangles N and the output file"},
        {{"bench", "--count", "5", out}, "bench takes --triangles N and the output file"},
        {{"bench", "--triangles", "0", out}, "invalid triangle count '0'"},
        {{"bench", "--triangles", "-5", out}, "invalid triangle count '-5'"},
        {{"bench", "--triangles", "12x", out}, "invalid triangle count '12x'"},
        {{"bench", "--triangles", "99999999999999999999999", out},
         "invalid triangle count '99999999999999999999999'"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{mklevelBinary()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto run = runProcess(argv);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.err, "orvandel-mklevel: " + c.message + "\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::ifstream(out).good());
}

TEST(LevelGenerator, ReportsAnOutputItCannotWrite) {
    const std::string out = testsupport::tempPath("no-such-directory/demo.d3dbsp");
    const auto run = runProcess({mklevelBinary(), "demo", out});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "ERROR: Could not write level file '" + out + "'.\n");
}

}  // namespace
