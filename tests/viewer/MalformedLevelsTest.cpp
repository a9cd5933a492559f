#include <gmock/gmock.h>

#include <string>

#include "MalformedLevels.h"
#include "TestSupport.h"

namespace {

using Verdict = Qor::MalformedLevel::Verdict;

std::string readerMessage(const Qor::MalformedLevel& level) {
    switch (level.verdict) {
    case Verdict::loads: return "";
    case Verdict::unsupportedFormat: return "ERROR: The bsp's file format is unsupported.\n";
    case Verdict::unsupportedVersion: return "ERROR: The bsp's file version is unsupported.\n";
    case Verdict::entityTextMalformed:
        return "WARNING: The bsp's entity text is malformed at byte '" + std::to_string(level.faultByte) + "'; '" +
               std::to_string(level.entitiesRead) + "' entities were read.\n";
    case Verdict::directoryPastEnd: break;
    }
    return "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
           "starting from lump '" +
           std::to_string(level.firstBadLump) + "'.\n";
}

// In the sanitizer build any read outside the level's sequences ends the
// viewer with a report on stderr, which the exact comparison catches.
TEST(MalformedLevels, AreEachDrawnForThreeFramesWithOnlyTheReadersMessage) {
    for (const Qor::MalformedLevel& level : Qor::malformedLevels()) {
        SCOPED_TRACE(level.name);
        const std::string path = testsupport::writeTemp(level.name + ".d3dbsp", level.bytes);
        const auto result = testsupport::runProcess({testsupport::viewerBinary(), path, "--frames", "3"});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.err, readerMessage(level));
        EXPECT_THAT(result.out, testing::StartsWith("frames: 3 mean_ms: "));
    }
}

}  // namespace
