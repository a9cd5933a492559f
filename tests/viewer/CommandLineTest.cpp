#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "CommandLine.h"

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvandel");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

// The last of a repeated option wins.
TEST(CommandLine, TakesOptionsAndTheLevelInAnyOrderWithOrWithoutAnEqualsSign) {
    using Action = CommandLine::Action;
    using Camera = CameraRequest::Kind;
    const std::tuple<Action, DrawPath, Look, Camera, bool, std::vector<const char*>> cases[] = {
        {Action::view, DrawPath::buffered, Look::classic, Camera::origin, true,
         {"--frames", "5", "l", "--screenshot", "a=b", "--settings=s", "--panel", "2"}},
        {Action::view, DrawPath::immediate, Look::normals, Camera::spawn, false,
         {"--settings", "s", "--draw", "immediate", "--panel=2", "--look=baked", "--camera=-1,2,3", "--no-watch",
          "--screenshot=a=b", "--look", "normals", "--camera", "spawn:2", "--frames=5", "--", "l"}},
        {Action::info, DrawPath::buffered, Look::shaded, Camera::position, true,
         {"l", "--info", "--draw=immediate", "--frames=5", "--draw=buffered", "--screenshot=a=b", "--settings", "s",
          "--panel=2", "--look", "shaded", "--camera", "1,2,3"}},
    };
    for (const auto& [action, drawPath, look, camera, watch, args] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(std::tie(line.action, line.levelPath, line.frames, line.screenshotPath, line.settingsPath,
                           line.drawPath, line.panelPage, line.look, line.camera.kind, line.watch),
                  std::make_tuple(action, "l", 5u, "a=b", "s", drawPath, 2, look, camera, watch));
    }
    EXPECT_EQ(parse({"--camera", "spawn:2", "l"}).camera.spawn, 2u);
}

// Sides a window cannot have are refused when it opens, as a settings file's are.
TEST(CommandLine, TakesTheSizeAsWidthAndHeightOrOneSideAndOffscreenWithFrames) {
    const std::tuple<std::vector<const char*>, std::optional<ScreenSize>, bool> cases[] = {
        {{"l"}, std::nullopt, false},
        {{"--size", "640,480", "l"}, ScreenSize{640, 480}, false},
        {{"--size=97", "--offscreen", "--frames", "1"}, ScreenSize{97, 97}, true},
        {{"--size", "-5,0", "--size", "2147483647,-2147483648"}, ScreenSize{2147483647, -2147483647 - 1}, false},
    };
    for (const auto& [args, size, offscreen] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(std::tie(line.action, line.size, line.offscreen),
                  std::make_tuple(CommandLine::Action::view, size, offscreen));
    }
}

TEST(CommandLine, RejectsMisuseWithOneLine) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"--bogus"}, "The following argument was not expected: --bogus"},
        {{"--info"}, "option '--info' needs a level file"},
        {{"--info=yes", "level"}, "info was given a disallowed flag override"},
        {{"level", "--frames"}, "--frames: 1 required N missing"},
        {{"--screenshot=", "level"}, "--screenshot: expected a value after '='"},
        {{"--screenshot", "", "level"}, "--screenshot: expected a file name"},
        {{"a", "--", "--b"}, "extra operand '--b'"},
        {{"--frames=18446744073709551616"}, "--frames: expected a whole number above 0, not '18446744073709551616'"},
        {{"--frames=0"}, "--frames: expected a whole number above 0, not '0'"},
        {{"--panel", "0"}, "--panel: expected 1, 2, 3 or 4, not '0'"},
        {{"--panel=5"}, "--panel: expected 1, 2, 3 or 4, not '5'"},
        {{"--panel", "x"}, "--panel: expected 1, 2, 3 or 4, not 'x'"},
        {{"--camera", "1,2"}, "--camera: expected X,Y,Z[,YAW,PITCH], fit, spawn or spawn:N, not '1,2'"},
        {{"--no-watch=no"}, "no-watch was given a disallowed flag override"},
        {{"--draw", "Immediate", "level"}, "--draw: expected immediate or buffered, not 'Immediate'"},
        {{"--look", "Shaded", "level"}, "--look: expected classic, shaded, baked or normals, not 'Shaded'"},
        {{"level", "--look="}, "--look: expected a value after '='"},
        {{"level", "--look", ""}, "--look: expected classic, shaded, baked or normals, not ''"},
        {{"--offscreen", "level"}, "option '--offscreen' needs '--frames'"},
        {{"--offscreen=1", "--frames=1"}, "offscreen was given a disallowed flag override"},
        {{"--size", "640x480"}, "--size: expected W,H or N in whole pixels, not '640x480'"},
        {{"--size", "640,"}, "--size: expected W,H or N in whole pixels, not '640,'"},
        {{"--size", "1,2,3"}, "--size: expected W,H or N in whole pixels, not '1,2,3'"},
        {{"--size", "+5"}, "--size: expected W,H or N in whole pixels, not '+5'"},
        {{"--size", "2147483648"}, "--size: expected W,H or N in whole pixels, not '2147483648'"},
        {{"--size", "-"}, "--size: expected W,H or N in whole pixels, not '-'"},
    };
    for (const auto& [args, error] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::usageError);
        EXPECT_EQ(line.error, "orvandel: " + error);
    }
}

}  // namespace
