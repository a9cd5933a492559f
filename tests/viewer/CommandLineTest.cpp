#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvandel");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, TakesOptionsAndTheLevelInAnyOrder) {
    const CommandLine line = parse({"--frames", "5", "lvl.d3dbsp", "--screenshot", "x.png", "--settings", "s.cfg"});
    EXPECT_EQ(line.action, CommandLine::Action::view);
    EXPECT_EQ(line.levelPath, "lvl.d3dbsp");
    EXPECT_EQ(line.frames, 5u);
    EXPECT_EQ(line.screenshotPath, "x.png");
    EXPECT_EQ(line.settingsPath, "s.cfg");

    for (const auto& args : {std::vector<const char*>{"--info", "lvl.d3dbsp"}, {"lvl.d3dbsp", "--info"}}) {
        const CommandLine info = parse(args);
        EXPECT_EQ(info.action, CommandLine::Action::info);
        EXPECT_EQ(info.levelPath, "lvl.d3dbsp");
    }

    const CommandLine none = parse({});
    EXPECT_EQ(none.action, CommandLine::Action::view);
    EXPECT_EQ(none.levelPath, "");
    EXPECT_EQ(none.frames, 0u);
}

TEST(CommandLine, TakesAValueAfterAnEqualsSign) {
    const CommandLine line = parse({"--frames=18446744073709551615", "--screenshot=a=b.png", "--settings=s.cfg"});
    EXPECT_EQ(line.action, CommandLine::Action::view);
    EXPECT_EQ(line.frames, 18446744073709551615u);
    EXPECT_EQ(line.screenshotPath, "a=b.png");
    EXPECT_EQ(line.settingsPath, "s.cfg");
}

TEST(CommandLine, TakesEverythingAfterDoubleDashAsOperands) {
    const CommandLine level = parse({"--", "--info"});
    EXPECT_EQ(level.action, CommandLine::Action::view);
    EXPECT_EQ(level.levelPath, "--info");

    const CommandLine info = parse({"--info", "--", "-"});
    EXPECT_EQ(info.action, CommandLine::Action::info);
    EXPECT_EQ(info.levelPath, "-");

    EXPECT_EQ(parse({"--", "a", "b"}).error, "orvandel: extra operand 'b'");
}

TEST(CommandLine, RejectsMisuseWithOneLine) {
    struct Case {
        std::vector<const char*> args;
        std::string error;
    };
    const Case cases[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"level", "--bogus=1"}, "unrecognized option '--bogus=1'"},
        {{"-x"}, "unrecognized option '-x'"},
        {{"--frames"}, "option '--frames' requires an argument"},
        {{"level", "--screenshot"}, "option '--screenshot' requires an argument"},
        {{"--screenshot="}, "option '--screenshot' requires a file name"},
        {{"--settings", ""}, "option '--settings' requires a file name"},
        {{"--info"}, "option '--info' needs a level file"},
        {{"--info=yes", "level"}, "option '--info' doesn't allow an argument"},
        {{"a", "b"}, "extra operand 'b'"},
        {{"--frames", "0"}, "invalid frame count '0': expected a whole number above 0"},
        {{"--frames=-3"}, "invalid frame count '-3': expected a whole number above 0"},
        {{"--frames", "+3"}, "invalid frame count '+3': expected a whole number above 0"},
        {{"--frames", "5x"}, "invalid frame count '5x': expected a whole number above 0"},
        {{"--frames="}, "invalid frame count '': expected a whole number above 0"},
        {{"--frames", "18446744073709551616"},
         "invalid frame count '18446744073709551616': expected a whole number above 0"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parse(c.args);
        SCOPED_TRACE(c.error);
        EXPECT_EQ(line.action, CommandLine::Action::usageError);
        EXPECT_EQ(line.error, "orvandel: " + c.error);
    }
}

TEST(CommandLine, HelpAndVersionNeedNoLevel) {
    EXPECT_EQ(parse({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"level", "--version"}).action, CommandLine::Action::version);
}

}  // namespace
