#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"

namespace {

using namespace testsupport;

TEST(InfoCommand, PrintsTheSummaryOfALevelThatLoadedWithAWarning) {
    // Bounds that fewer digits would round; the NaN vertex does not count.
    const std::vector<Qor::Vertex> vertices = {
        {-7.25f, 0.5f, 8.0f, 0}, {1234567.5f, -16777215.0f, -1048575.75f, 0}, {NAN, 1e30f, -1e30f, 0}};
    Qor::Bytes bytes =
        Qor::writerFor({{Qor::Plane{}, Qor::Plane{}}, {Qor::TextureGroup{}}, vertices, {Qor::Triangle{}}})
            .bytes();
    // One byte short, the last lump, the triangles', ends outside the file.
    bytes.pop_back();
    const auto run = runProcess({viewerBinary(), writeTemp("info.d3dbsp", bytes), "--info"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err,
              "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
              "starting from lump '9'.\n");
    EXPECT_EQ(run.out.substr(0, run.out.find("\n\n") + 1),
              "file: info.d3dbsp\nsize: " + std::to_string(bytes.size()) +
                  "\nversion: 4\nlumps: 9\nplanes: 2\ntextureGroups: 1\nvertices: 3\ntriangles: 0\n"
                  "bounds: -7.25 -16777215 -1048575.75 1234567.5 0.5 8\n");
}

TEST(InfoCommand, ExitsOneOnAFailedLoadAndTwoOnMisuseWithNothingOnStdout) {
    const std::string missing = tempPath("missing.d3dbsp");
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{viewerBinary(), "--info", missing}, 1, "ERROR: Could not open input bsp file '" + missing + "'.\n"},
        {{viewerBinary(), "--info"}, 2, "orvandel: option '--info' needs a level file\n"},
        {{viewerBinary(), missing, "--bogus", "--info"}, 2, "orvandel: The following argument was not expected: --bogus\n"},
        {{viewerBinary(), missing, "--camera", "spawn:0"}, 2,
         "orvandel: --camera: expected X,Y,Z[,YAW,PITCH], fit, spawn or spawn:N, not 'spawn:0'\n"},
    };
    for (const auto& [argv, status, err] : cases) {
        const auto run = runProcess(argv);
        SCOPED_TRACE(err);
        EXPECT_EQ(run.exitStatus, status);
        EXPECT_EQ(run.err, err);
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
