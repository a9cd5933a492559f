#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "TestSupport.h"

namespace {

using testsupport::runProcess;
using testsupport::viewerBinary;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

const float nan = std::numeric_limits<float>::quiet_NaN();
const float infinity = std::numeric_limits<float>::infinity();

// Bounds that only survive a print with enough digits: a subnormal, the
// largest float, values with no short decimal form. The NaN and infinite
// vertices do not count.
Qor::LevelContents infoFixture() {
    Qor::LevelContents contents;
    contents.planes.resize(2);
    contents.textureGroups.push_back(Qor::TextureGroup{5, 0, 3, 0, 3});
    contents.vertices = {Qor::Vertex{0.1f, -1e-45f, 3.40282347e38f, 255}, Qor::Vertex{-7.25f, 1.17549435e-38f, -0.3f, 0},
                         Qor::Vertex{nan, -100.0f, 100.0f, 9}, Qor::Vertex{1.0f, 1.0f, -infinity, 9}};
    contents.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    return contents;
}

TEST(InfoCommand, PrintsTheSummaryThenTheLumpTable) {
    const Qor::LevelWriter writer = Qor::writerFor(infoFixture());
    const std::string path = testsupport::writeTemp("info.d3dbsp", writer.bytes());
    const auto run = runProcess({viewerBinary(), "--info", path});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");

    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 9u + 2u + 39u);
    const std::vector<std::string> summary(lines.begin(), lines.begin() + 8);
    EXPECT_EQ(summary, (std::vector<std::string>{"file: info.d3dbsp", "size: " + std::to_string(writer.bytes().size()),
                                                 "version: 4", "lumps: 39", "planes: 2", "textureGroups: 1",
                                                 "vertices: 4", "triangles: 1"}));

    std::istringstream bounds(lines[8]);
    std::string label;
    bounds >> label;
    EXPECT_EQ(label, "bounds:");
    const float expected[6] = {-7.25f, -1e-45f, -0.3f, 0.1f, 1.17549435e-38f, 3.40282347e38f};
    for (float value : expected) {
        std::string text;
        bounds >> text;
        EXPECT_EQ(bitsOf(std::strtof(text.c_str(), nullptr)), bitsOf(value)) << text;
    }

    EXPECT_EQ(lines[9], "");
    EXPECT_EQ(lines[10].substr(0, 4), "lump");
    const auto entries = writer.layOut();
    const std::map<std::uint32_t, std::string> decoded = {
        {4, "2 planes"}, {7, "1 textureGroups"}, {8, "4 vertices"}, {9, "1 triangles"}};
    for (std::uint32_t lump = 0; lump < 39; ++lump) {
        std::istringstream row(lines[11 + lump]);
        std::uint32_t number = 0, offset = 0, length = 0;
        std::string records, contents;
        row >> number >> offset >> length >> records;
        std::getline(row >> std::ws, contents);
        SCOPED_TRACE(lines[11 + lump]);
        EXPECT_EQ(number, lump);
        EXPECT_EQ(offset, entries[lump].offset);
        EXPECT_EQ(length, entries[lump].length);
        const auto found = decoded.find(lump);
        EXPECT_EQ(records + " " + contents, found == decoded.end() ? "- " : found->second);
    }
}

TEST(InfoCommand, SaysNoBoundsWithoutAFiniteVertex) {
    Qor::LevelContents contents;
    const std::string empty = testsupport::writeLevel("no-vertex.d3dbsp", contents);
    EXPECT_EQ(linesOf(runProcess({viewerBinary(), "--info", empty}).out).at(8), "bounds: none");

    contents.vertices = {Qor::Vertex{nan, 0, 0, 0}, Qor::Vertex{0, -infinity, 0, 0}, Qor::Vertex{0, 0, infinity, 0}};
    const std::string unbounded = testsupport::writeLevel("no-finite-vertex.d3dbsp", contents);
    EXPECT_EQ(linesOf(runProcess({viewerBinary(), "--info", unbounded}).out).at(8), "bounds: none");
}

TEST(InfoCommand, TakesTheLevelBeforeOrAfterTheOption) {
    const std::string path = testsupport::writeLevel("either-order.d3dbsp", infoFixture());
    const auto before = runProcess({viewerBinary(), "--info", path});
    const auto after = runProcess({viewerBinary(), path, "--info"});
    EXPECT_EQ(after.exitStatus, 0);
    EXPECT_FALSE(after.out.empty());
    EXPECT_EQ(after.out, before.out);
}

TEST(InfoCommand, ShowsALevelThatLoadedWithAWarning) {
    const Qor::LevelWriter writer = Qor::writerFor(infoFixture());
    auto entries = writer.layOut();
    entries[7].offset = 0xFFFFFFF0u;
    const std::string path = testsupport::writeTemp("short-directory.d3dbsp", writer.bytes(entries));
    const auto run = runProcess({viewerBinary(), "--info", path});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err,
              "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
              "starting from lump '7'.\n");
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 9u + 2u + 7u);
    EXPECT_EQ(lines[3], "lumps: 7");
    EXPECT_EQ(lines[4], "planes: 2");
    EXPECT_EQ(lines[7], "triangles: 0");
}

TEST(InfoCommand, FailsWithTheLoadMessageAndNothingOnStdout) {
    const std::string missing = testsupport::tempPath("missing.d3dbsp");
    const std::string oldVersion =
        testsupport::writeTemp("version-3.d3dbsp", Qor::Bytes{'I', 'B', 'S', 'P', 3, 0, 0, 0, 0});
    const std::pair<std::string, std::string> cases[] = {
        {missing, "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {oldVersion, "ERROR: The bsp's file version is unsupported.\n"},
    };
    for (const auto& [path, message] : cases) {
        const auto run = runProcess({viewerBinary(), "--info", path});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

TEST(ProgramOptions, PrintsHelpAndVersionOnStdout) {
    const auto help = runProcess({viewerBinary(), "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out, usageText());
    EXPECT_EQ(help.err, "");

    const auto version = runProcess({viewerBinary(), "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, std::string("orvandel ") + programVersion + "\n");
}

TEST(ProgramOptions, ReportsMisuseInOneLineWithStatusTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "orvandel: unrecognized option '--bogus'\n"},
        {{"--info"}, "orvandel: option '--info' needs a level file\n"},
        {{"--frames"}, "orvandel: option '--frames' requires an argument\n"},
        {{"a.d3dbsp", "b.d3dbsp"}, "orvandel: extra operand 'b.d3dbsp'\n"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> argv{viewerBinary()};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto run = runProcess(argv);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
