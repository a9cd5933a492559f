#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "CommandLine.h"

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvandel");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, TakesOptionsAndTheLevelInAnyOrderWithOrWithoutAnEqualsSign) {
    const std::pair<CommandLine::Action, std::vector<const char*>> cases[] = {
        {CommandLine::Action::view, {"--frames", "5", "l", "--screenshot", "a=b", "--settings=s"}},
        {CommandLine::Action::view, {"--settings", "s", "--screenshot=a=b", "--frames=5", "--", "l"}},
        {CommandLine::Action::info, {"l", "--info", "--frames=5", "--screenshot=a=b", "--settings", "s"}},
    };
    for (const auto& [action, args] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(std::tie(line.action, line.levelPath, line.frames, line.screenshotPath, line.settingsPath),
                  std::make_tuple(action, "l", 5u, "a=b", "s"));
    }
}

TEST(CommandLine, RejectsMisuseWithOneLine) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--info"}, "option '--info' needs a level file"},
        {{"--info=yes", "level"}, "option '--info' doesn't allow an argument"},
        {{"level", "--frames"}, "option '--frames' requires an argument"},
        {{"a", "--", "--b"}, "extra operand '--b'"},
        {{"--frames=18446744073709551616"},
         "invalid frame count '18446744073709551616': expected a whole number above 0"},
    };
    for (const auto& [args, error] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::usageError);
        EXPECT_EQ(line.error, "orvandel: " + error);
    }
}

}  // namespace
