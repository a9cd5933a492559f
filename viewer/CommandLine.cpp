#include "CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

const char* const programVersion = "0.1.0";

namespace {

bool parseFrameCount(const std::string& text, std::uint64_t& frames) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value == 0) return false;
    frames = value;
    return true;
}

CommandLine usageError(const std::string& message) {
    CommandLine line;
    line.action = CommandLine::Action::usageError;
    line.error = "orvandel: " + message;
    return line;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool info = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> operands;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            for (++i; i < argc; ++i) operands.emplace_back(argv[i]);
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool inlineValue = equals != std::string::npos;

        if (name == "--info" || name == "--help" || name == "--version") {
            if (inlineValue) return usageError("option '" + name + "' doesn't allow an argument");
            (name == "--info" ? info : name == "--help" ? help : version) = true;
            continue;
        }
        if (name != "--frames" && name != "--screenshot" && name != "--settings")
            return usageError("unrecognized option '" + arg + "'");

        std::string value;
        if (inlineValue) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return usageError("option '" + name + "' requires an argument");
        }
        if (name == "--frames") {
            if (!parseFrameCount(value, line.frames))
                return usageError("invalid frame count '" + value + "': expected a whole number above 0");
        } else if (value.empty()) {
            return usageError("option '" + name + "' requires a file name");
        } else {
            (name == "--screenshot" ? line.screenshotPath : line.settingsPath) = value;
        }
    }

    if (help) {
        line.action = CommandLine::Action::help;
        return line;
    }
    if (version) {
        line.action = CommandLine::Action::version;
        return line;
    }
    if (operands.size() > 1) return usageError("extra operand '" + operands[1] + "'");
    if (!operands.empty()) line.levelPath = operands[0];
    if (info) {
        if (line.levelPath.empty()) return usageError("option '--info' needs a level file");
        line.action = CommandLine::Action::info;
    }
    return line;
}

std::string usageText() {
    return "Usage: orvandel [OPTION]... [LEVEL]\n"
           "Show a compiled level file (.d3dbsp) in false colours and fly through it.\n"
           "\n"
           "  --info             print the level's header, counts, bounds and lump\n"
           "                     directory without opening a window\n"
           "  --settings FILE    take the window's width, height and full-screen flag\n"
           "                     from FILE (lines of width=, height=, fullscreen=)\n"
           "  --frames N         run N frames, then quit and print the mean frame time\n"
           "  --screenshot FILE  write the last frame shown to FILE as a PNG image\n"
           "  --help             print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Without LEVEL the built-in level path is used.\n"
           "Exit status: 0 on a normal quit, 1 when the level (with --info), the window\n"
           "or the screenshot fails, 2 on a command-line error or a settings file whose\n"
           "window size is outside 1 to 16384.\n";
}
