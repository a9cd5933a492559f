#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

// The project's version, which the package carries too.
const char* const programVersion = ORVANDEL_VERSION;

namespace {

// CLI11 clamps a number too large for its field instead of refusing it, so
// counts are checked here first.
std::string checkFrameCount(std::string& text) {
    errno = 0;
    char* end = nullptr;
    const bool digits = !text.empty() && text[0] >= '0' && text[0] <= '9';
    const unsigned long long value = digits ? std::strtoull(text.c_str(), &end, 10) : 0;
    if (!digits || errno != 0 || *end != '\0' || value == 0)
        return "expected a whole number above 0, not '" + text + "'";
    return {};
}

std::string checkPanelPage(std::string& text) {
    return text == "1" || text == "2" || text == "3" || text == "4" ? ""
                                                                    : "expected 1, 2, 3 or 4, not '" + text + "'";
}

std::string checkPixel(std::string& text) {
    return parsePixel(text) ? "" : "expected X,Y, two whole numbers from 0, not '" + text + "'";
}

std::string checkHidePattern(std::string& text) {
    return text.empty() ? "expected a pattern of material names, such as 'textures/skies/*'" : "";
}

std::string checkFileName(std::string& text) { return text.empty() ? "expected a file name" : ""; }

std::string checkFindText(std::string& text) { return text.empty() ? "expected some text to find" : ""; }

std::string checkCamera(std::string& text) {
    CameraRequest request;
    return parseCameraRequest(text, request) ? "" : "expected X,Y,Z[,YAW,PITCH], fit, spawn, spawn:N or view:N, not '" + text + "'";
}

// One whole number that fits a side, with its sign.
bool parseSide(const std::string& text, std::int32_t& side) {
    const std::size_t digits = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (text.size() == digits || text.size() - digits > 10 ||
        text.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    const long long value = std::stoll(text);
    if (value < INT32_MIN || value > INT32_MAX) return false;
    side = static_cast<std::int32_t>(value);
    return true;
}

// W,H or N for a square.
bool parseSize(const std::string& text, ScreenSize& size) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) {
        if (!parseSide(text, size.first)) return false;
        size.second = size.first;
        return true;
    }
    return parseSide(text.substr(0, comma), size.first) && parseSide(text.substr(comma + 1), size.second);
}

std::string checkSize(std::string& text) {
    ScreenSize size;
    return parseSize(text, size) ? "" : "expected W,H or N in whole pixels, not '" + text + "'";
}

std::string checkDrawPath(std::string& text) {
    return text == "immediate" || text == "buffered" ? "" : "expected immediate or buffered, not '" + text + "'";
}

std::string checkLook(std::string& text) {
    return parseLook(text) ? "" : "expected classic, shaded, baked, normals or textured, not '" + text + "'";
}

std::string checkExportPath(std::string& text) {
    return exportFormatOf(text) ? "" : "expected a file name ending in .glb, .gltf or .obj, not '" + text + "'";
}

// A positive finite number, all of the text.
bool parseScale(const std::string& text, double& scale) {
    char* end = nullptr;
    scale = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(scale) && scale > 0.0;
}

std::string checkScale(std::string& text) {
    double scale = 0.0;
    return parseScale(text, scale) ? "" : "expected a positive number, not '" + text + "'";
}

// The usage line first, as is usual; CLI11 would also name the level
// "LEVEL...", where the program takes one.
class Formatter : public CLI::Formatter {
public:
    std::string make_description(const CLI::App*) const override { return {}; }
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: orvandel [OPTION]... [LEVEL]\n"
               "Show the compiled level file LEVEL (.d3dbsp) in false colours or as surfaces,\n"
               "and fly through it.\n";
    }
};

// Every option, bound to the fields it fills. The one description serves the
// parser and --help, so the two cannot drift apart. Descriptions are wrapped
// by hand: CLI11 does not wrap them.
struct Options {
    CLI::App app{"", "orvandel"};
    bool info = false;
    bool noWatch = false;
    std::string camera;
    std::string drawPath = "buffered";
    std::string pick;
    std::string mark;
    std::string look = "classic";
    std::string size;
    std::string exportScale;
    std::vector<std::string> operands;

    explicit Options(CommandLine& line) {
        auto formatter = std::make_shared<Formatter>();
        formatter->column_width(22);
        app.formatter(formatter);
        app.add_option("LEVEL", operands)->group("");
        app.add_flag("--info", info,
                     "print the level's header, counts, bounds and lump\n"
                     "directory without opening a window")
            ->disable_flag_override();
        app.add_flag("--json", line.json,
                     "with --info: print all of that and the materials,\n"
                     "entities and spawn points as one JSON object")
            ->disable_flag_override();
        app.add_option("--settings", line.settingsPath,
                       "take the window's width, height and full-screen flag\n"
                       "from FILE (lines of width=, height=, fullscreen=)")
            ->type_name("FILE")
            ->check(CLI::Validator(checkFileName, ""));
        app.add_option("--frames", line.frames, "run N frames, then quit and print the mean frame time")
            ->type_name("N")
            ->check(CLI::Validator(checkFrameCount, ""));
        app.add_option("--screenshot", line.screenshotPath, "write the last frame shown to FILE as a PNG image")
            ->type_name("FILE")
            ->check(CLI::Validator(checkFileName, ""));
        app.add_option("--panel", line.panelPage,
                       "start with panel page N shown: 1 the level, 2 the keys,\n"
                       "3 the view, 4 the entity (the keys i, F1, F2 and F3)")
            ->type_name("N")
            ->check(CLI::Validator(checkPanelPage, ""));
        app.add_option("--camera", camera,
                       "start the camera at X,Y,Z, optionally turned to YAW and\n"
                       "PITCH degrees (yaw 0 along +y, 90 along +x; pitch up);\n"
                       "'fit': where the whole level is in view; 'spawn' or\n"
                       "'spawn:N': at the level's first or N-th spawn point;\n"
                       "'view:N': at the view Ctrl+N saved for this level")
            ->type_name("WHERE")
            ->check(CLI::Validator(checkCamera, ""));
        app.add_option("--find", line.find,
                       "start the camera at the first match of TEXT, as / and\n"
                       "Enter find it: an entity's value or a material's name")
            ->type_name("TEXT")
            ->check(CLI::Validator(checkFindText, ""));
        app.add_flag("--entities", line.entities, "start with the entity markers shown (the key n)")
            ->disable_flag_override();
        app.add_flag("--cull", line.cull,
                     "leave out surfaces seen from behind: a level's surfaces\n"
                     "are one-sided, their front the side their normals\n"
                     "face (the key f)")
            ->disable_flag_override();
        app.add_option("--pick", pick,
                       "when the viewer ends, print what lies under pixel X,Y\n"
                       "(from the window's top-left corner) in the last frame")
            ->type_name("X,Y")
            ->check(CLI::Validator(checkPixel, ""));
        app.add_option("--mark", mark,
                       "with --pick: also print the distance to it from what\n"
                       "lies under pixel X,Y in the last frame (the m key)")
            ->type_name("X,Y")
            ->check(CLI::Validator(checkPixel, ""));
        app.add_option("--hide", line.hidePatterns,
                       "hide the materials whose names match PATTERN ('*' any\n"
                       "run, '?' any one character, case ignored); repeatable")
            ->type_name("PATTERN")
            ->allow_extra_args(false)
            ->check(CLI::Validator(checkHidePattern, ""));
        app.add_flag("--no-watch", noWatch,
                     "do not read the level again when its file changes\n"
                     "(F5 still does)")
            ->disable_flag_override();
        app.add_option("--draw", drawPath,
                       "buffered (the default) hands the level to OpenGL once\n"
                       "and sends only what the view can show; immediate\n"
                       "sends every vertex every frame, the reference that\n"
                       "buffered drawing matches pixel for pixel")
            ->type_name("immediate|buffered")
            ->check(CLI::Validator(checkDrawPath, ""));
        app.add_option("--look", look,
                       "how the surfaces show: classic (the default) in false\n"
                       "colours; shaded, lit in one colour per material;\n"
                       "baked, in the colours stored with the vertices;\n"
                       "normals, coloured by the way they face; textured, in\n"
                       "their materials' images, lit (the c key)")
            ->type_name("classic|shaded|baked|normals|textured")
            ->check(CLI::Validator(checkLook, ""));
        app.add_option("--assets", line.assets,
                       "look for the materials' images (--look textured) in\n"
                       "PATH, a folder or zip archive; repeatable, a later one\n"
                       "wins (default: the settings file's assets lines, else\n"
                       "the nearest folder above the level with textures)")
            ->type_name("PATH")
            ->allow_extra_args(false);
        app.add_option("--texture-budget", line.textureBudgetMegabytes,
                       "the most the images may take in OpenGL, in MB (default\n"
                       "512); larger ones are halved until they fit")
            ->type_name("MB")
            ->check(CLI::Range(1, 1 << 20));
        app.add_flag("--offscreen", line.offscreen,
                     "draw into a buffer in memory instead of a window, with\n"
                     "no display at all (needs --frames; --screenshot keeps\n"
                     "the picture)")
            ->disable_flag_override();
        app.add_option("--size", size,
                       "the window's (or offscreen buffer's) width and height\n"
                       "in pixels, or N for N by N; wins over --settings")
            ->type_name("W,H|N")
            ->check(CLI::Validator(checkSize, ""));
        app.add_option("--export", line.exportPath,
                       "write the level to OUT without opening a window: .glb\n"
                       "(binary glTF), .gltf (glTF with OUT's name .bin beside\n"
                       "it) or .obj (with OUT's name .mtl beside it)")
            ->type_name("OUT")
            ->check(CLI::Validator(checkExportPath, ""));
        app.add_option("--export-scale", exportScale,
                       "with --export: scale the level by S (default 1;\n"
                       "0.0254 turns inches into metres)")
            ->type_name("S")
            ->check(CLI::Validator(checkScale, ""));
        app.set_version_flag("--version", std::string("orvandel ") + programVersion, "print the version and exit");
        app.set_help_flag("--help", "print this help and exit");
        // A later value of an option replaces an earlier one, as in most programs.
        for (CLI::Option* option : app.get_options()) option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        app.get_option("--hide")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        app.get_option("--assets")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        app.footer(
            "Without LEVEL the built-in level path is used.\n"
            "Exit status: 0 on a normal quit, 1 when the level (with --info or --export),\n"
            "the window (or offscreen buffer), the screenshot or the export fails, 2 on a\n"
            "command-line error, a window size (--size or the settings file's) outside\n"
            "1 to 16384, or a --pick or --mark pixel outside the window.\n");
    }
};

CommandLine usageError(const std::string& message) {
    CommandLine line;
    line.action = CommandLine::Action::usageError;
    line.error = "orvandel: " + message;
    return line;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    // CLI11 reads "--option=" as the option without its value and then takes
    // the next argument for it, so "--screenshot= level" would write the
    // picture over the level file.
    for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i) {
        const std::string arg = argv[i];
        if (arg.size() > 3 && arg.compare(0, 2, "--") == 0 && arg.back() == '=')
            return usageError(arg.substr(0, arg.size() - 1) + ": expected a value after '='");
    }
    CommandLine line;
    Options options(line);
    try {
        options.app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        line.action = CommandLine::Action::help;
        return line;
    } catch (const CLI::CallForVersion&) {
        line.action = CommandLine::Action::version;
        return line;
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }

    if (!options.camera.empty()) parseCameraRequest(options.camera, line.camera);
    if (!options.pick.empty()) line.pick = parsePixel(options.pick);
    line.watch = !options.noWatch;
    if (options.operands.size() > 1) return usageError("extra operand '" + options.operands[1] + "'");
    if (!options.operands.empty()) line.levelPath = options.operands[0];
    if (line.json && !options.info) return usageError("option '--json' needs '--info'");
    if (line.pick && options.info) return usageError("option '--pick' needs a window, not '--info'");
    if (!line.find.empty() && options.info) return usageError("option '--find' needs a window, not '--info'");
    if (!options.mark.empty()) line.mark = parsePixel(options.mark);
    if (line.mark && !line.pick) return usageError("option '--mark' needs '--pick'");
    if (!line.hidePatterns.empty() && options.info)
        return usageError("option '--hide' needs a window or '--export', not '--info'");
    line.drawPath = options.drawPath == "immediate" ? DrawPath::immediate : DrawPath::buffered;
    line.look = parseLook(options.look).value_or(Look::classic);
    if (!options.size.empty()) parseSize(options.size, line.size.emplace());
    // Without a window nothing could end the run.
    if (line.offscreen && line.frames == 0) return usageError("option '--offscreen' needs '--frames'");
    if (options.info) {
        if (line.levelPath.empty()) return usageError("option '--info' needs a level file");
        line.action = CommandLine::Action::info;
    }
    if (!options.exportScale.empty() && line.exportPath.empty())
        return usageError("option '--export-scale' needs '--export'");
    if (!line.exportPath.empty()) {
        if (options.info) return usageError("options '--export' and '--info' cannot be used together");
        if (line.pick) return usageError("option '--pick' needs a window, not '--export'");
        if (!line.find.empty()) return usageError("option '--find' needs a window, not '--export'");
        if (line.levelPath.empty()) return usageError("option '--export' needs a level file");
        line.action = CommandLine::Action::exportLevel;
        line.exportFormat = *exportFormatOf(line.exportPath);
        if (!options.exportScale.empty()) parseScale(options.exportScale, line.exportScale);
    }
    return line;
}

std::optional<std::array<int, 2>> parsePixel(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    std::array<int, 2> pixel{};
    const std::string parts[2] = {text.substr(0, comma), text.substr(comma + 1)};
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string& part = parts[k];
        if (part.empty() || part.size() > 9 || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        pixel[k] = std::stoi(part);
    }
    return pixel;
}

std::string usageText() {
    CommandLine line;
    return Options(line).app.help();
}
