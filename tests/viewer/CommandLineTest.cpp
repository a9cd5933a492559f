#include <gtest/gtest.h>

#include <filesystem>
#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "CommandLine.h"
#include "TestSupport.h"

namespace {

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvandel");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

// The last of a repeated option wins. Sides a window cannot have are refused
// when it opens, as a settings file's are.
TEST(CommandLine, TakesOptionsAndTheLevelInAnyOrderWithOrWithoutAnEqualsSign) {
    using Action = CommandLine::Action;
    using Camera = CameraRequest::Kind;
    using Size = std::optional<ScreenSize>;
    const std::tuple<Action, DrawPath, Look, Camera, bool, Size, bool, std::vector<const char*>> cases[] = {
        {Action::view, DrawPath::buffered, Look::classic, Camera::origin, true, std::nullopt, false,
         {"--frames", "5", "l", "--screenshot", "a=b", "--settings=s", "--panel", "2"}},
        {Action::view, DrawPath::immediate, Look::normals, Camera::spawn, false, ScreenSize{97, 97}, true,
         {"--settings", "s", "--draw", "immediate", "--panel=2", "--look=baked", "--camera=-1,2,3", "--no-watch",
          "--size", "640,480", "--screenshot=a=b", "--look", "normals", "--camera", "spawn:2", "--size=97",
          "--offscreen", "--frames=5", "--", "l"}},
        {Action::info, DrawPath::buffered, Look::shaded, Camera::position, true,
         ScreenSize{2147483647, -2147483647 - 1}, false,
         {"l", "--info", "--draw=immediate", "--frames=5", "--draw=buffered", "--screenshot=a=b", "--settings", "s",
          "--panel=2", "--look", "shaded", "--camera", "1,2,3", "--size", "-5,0", "--size", "2147483647,-2147483648"}},
    };
    for (const auto& [action, drawPath, look, camera, watch, size, offscreen, args] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(std::tie(line.action, line.levelPath, line.frames, line.screenshotPath, line.settingsPath,
                           line.drawPath, line.panelPage, line.look, line.camera.kind, line.watch, line.size,
                           line.offscreen),
                  std::make_tuple(action, "l", 5u, "a=b", "s", drawPath, 2, look, camera, watch, size, offscreen));
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
        {{"--camera", "1,2"}, "--camera: expected X,Y,Z[,YAW,PITCH], fit, spawn, spawn:N or view:N, not '1,2'"},
        {{"--no-watch=no"}, "no-watch was given a disallowed flag override"},
        {{"--draw", "Immediate", "level"}, "--draw: expected immediate or buffered, not 'Immediate'"},
        {{"--look", "Shaded", "level"}, "--look: expected classic, shaded, baked, normals or textured, not 'Shaded'"},
        {{"level", "--look="}, "--look: expected a value after '='"},
        {{"level", "--look", ""}, "--look: expected classic, shaded, baked, normals or textured, not ''"},
        {{"--offscreen", "level"}, "option '--offscreen' needs '--frames'"},
        {{"--offscreen=1", "--frames=1"}, "offscreen was given a disallowed flag override"},
        {{"--size", "640x480"}, "--size: expected W,H or N in whole pixels, not '640x480'"},
        {{"--size", "640,"}, "--size: expected W,H or N in whole pixels, not '640,'"},
        {{"--size", "1,2,3"}, "--size: expected W,H or N in whole pixels, not '1,2,3'"},
        {{"--size", "+5"}, "--size: expected W,H or N in whole pixels, not '+5'"},
        {{"--size", "2147483648"}, "--size: expected W,H or N in whole pixels, not '2147483648'"},
        {{"--size", "-"}, "--size: expected W,H or N in whole pixels, not '-'"},
        {{"--mark", "1,2", "level"}, "option '--mark' needs '--pick'"},
        {{"--pick", "1,1", "--mark", "1", "level"}, "--mark: expected X,Y, two whole numbers from 0, not '1'"},
        {{"--hide", "", "level"}, "--hide: expected a pattern of material names, such as 'textures/skies/*'"},
        {{"--hide"}, "--hide: 1 required PATTERN missing"},
        {{"--info", "--hide", "a*", "level"}, "option '--hide' needs a window or '--export', not '--info'"},
        {{"--info", "--find", "a", "l"}, "option '--find' needs a window, not '--info'"},
        {{"--export", "x.glb", "--find", "a", "l"}, "option '--find' needs a window, not '--export'"},
        {{"--camera", "view:0"}, "--camera: expected X,Y,Z[,YAW,PITCH], fit, spawn, spawn:N or view:N, not 'view:0'"},
        {{"--camera", "view:10"}, "--camera: expected X,Y,Z[,YAW,PITCH], fit, spawn, spawn:N or view:N, not 'view:10'"},
    };
    for (const auto& [args, error] : cases) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::usageError);
        EXPECT_EQ(line.error, "orvandel: " + error);
    }
}

// The forms it takes are those the export tests run it with.
TEST(ExportCommand, RefusesMisuseAsAUsageError) {
    std::vector<std::pair<std::vector<const char*>, std::string>> refused = {
        {{"--export", "a.glb"}, "option '--export' needs a level file"},
        {{"--export", "a.glb", "--info", "l"}, "options '--export' and '--info' cannot be used together"},
        {{"--export-scale", "2", "l"}, "option '--export-scale' needs '--export'"},
        {{"--export", "a.glb", "--export-scale=-1", "l"}, "--export-scale: expected a positive number, not '-1'"},
    };
    for (const char* name : {"a.fbx", "glb", "a.glb/b", ""})
        refused.push_back({{"--export", name, "l"},
                           "--export: expected a file name ending in .glb, .gltf or .obj, not '" + std::string(name) + "'"});
    for (const char* scale : {"0", "inf", "nan", "1e999", "2m"})
        refused.push_back({{"--export", "a.glb", "--export-scale", scale, "l"},
                           "--export-scale: expected a positive number, not '" + std::string(scale) + "'"});
    for (const auto& [args, error] : refused) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, CommandLine::Action::usageError) << error;
        EXPECT_EQ(line.error, "orvandel: " + error);
    }

    // As the program says it, with nothing written.
    const std::string out = testsupport::tempPath("misuse.glb");
    const testsupport::ProcessResult run = testsupport::runProcess({testsupport::viewerBinary(), "--export", out, "--info", "l"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.err, "orvandel: options '--export' and '--info' cannot be used together\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

// --hide and --assets gather every value, each taking one argument, so the
// level that follows is still the level.
TEST(CommandLine, HideAndAssetsRepeatAndMarkComesWithPick) {
    const CommandLine line =
        parse({"--hide", "textures/skies/*", "--pick", "3,4", "--hide=*Caulk?", "level", "--mark", "5,6"});
    ASSERT_EQ(line.action, CommandLine::Action::view) << line.error;
    EXPECT_EQ(line.levelPath, "level");
    EXPECT_EQ(line.hidePatterns, (std::vector<std::string>{"textures/skies/*", "*Caulk?"}));
    EXPECT_EQ(line.mark, (std::array<int, 2>{5, 6}));
    const CommandLine exporting = parse({"--export", "out.obj", "--hide", "*sky*", "level"});
    EXPECT_EQ(exporting.action, CommandLine::Action::exportLevel) << exporting.error;
    EXPECT_EQ(exporting.hidePatterns, std::vector<std::string>{"*sky*"});
    const CommandLine textured = parse({"--assets", "base", "--look", "textured", "--assets=mod.pk3", "level"});
    ASSERT_EQ(textured.action, CommandLine::Action::view) << textured.error;
    EXPECT_EQ(textured.levelPath, "level");
    EXPECT_EQ(textured.assets, (std::vector<std::string>{"base", "mod.pk3"}));
}

}  // namespace
