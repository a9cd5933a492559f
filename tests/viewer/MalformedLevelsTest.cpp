#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "MalformedLevels.h"
#include "TestSupport.h"

namespace Qor {

void PrintTo(const MalformedLevel& level, std::ostream* out) { *out << level.name; }

}  // namespace Qor

namespace {

std::string readerMessage(const Qor::MalformedLevel& level) {
    using Verdict = Qor::MalformedLevel::Verdict;
    switch (level.verdict) {
    case Verdict::loads: break;
    case Verdict::unsupportedFormat: return "ERROR: The bsp's file format is unsupported.\n";
    case Verdict::unsupportedVersion: return "ERROR: The bsp's file version is unsupported.\n";
    case Verdict::directoryPastEnd:
        return "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
               "starting from lump '" +
               std::to_string(level.firstBadLump) + "'.\n";
    }
    return "";
}

class MalformedLevelShown : public testing::TestWithParam<Qor::MalformedLevel> {};

// In the sanitizer build any read outside the level's sequences ends the
// viewer with a report on stderr, which the exact comparison catches.
TEST_P(MalformedLevelShown, DrawsThreeFramesWithOnlyTheReadersMessage) {
    const Qor::MalformedLevel& level = GetParam();
    const std::string path = testsupport::writeTemp(level.name + ".d3dbsp", level.bytes);
    const auto result = testsupport::runProcess({testsupport::viewerBinary(), path, "--frames", "3"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, readerMessage(level));
    EXPECT_THAT(result.out, testing::StartsWith("frames: 3 mean_ms: "));
}

INSTANTIATE_TEST_SUITE_P(Hostile, MalformedLevelShown, testing::ValuesIn(Qor::malformedLevels()),
                         [](const testing::TestParamInfo<Qor::MalformedLevel>& each) { return each.param.name; });

}  // namespace
