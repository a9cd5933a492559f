#pragma once

// Shared by the test programs: temporary files, level fixtures and running
// the built programs as a user would.

#include <functional>
#include <string>
#include <vector>

#include "LevelWriter.h"

namespace testsupport {

// A path in a fresh per-process temporary directory.
std::string tempPath(const std::string& name);

// Writes bytes to tempPath(name) and returns the path.
std::string writeTemp(const std::string& name, const Qor::Bytes& bytes);
std::string writeTemp(const std::string& name, const std::string& text);

// Writes a version-4 level with these contents and returns its path.
std::string writeLevel(const std::string& name, const Qor::LevelContents& contents);

struct ProcessResult {
    int exitStatus = -1;  // the exit code, or 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs a program with arguments (argv[0] included), stdin closed, and
// collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv);

// A program left running while the test drives it, stdin closed and its
// output kept. Killed if still running when destroyed.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    int id() const { return pid; }
    // The exit status as runProcess gives it, or -1 if the program is still
    // running after this many seconds (or was already waited for). Negative
    // seconds wait for as long as it takes.
    int waitForExit(double seconds);
    // What it has written so far to stdout and to stderr.
    std::string output() const;
    std::string errorOutput() const;

private:
    std::string outputPath;  // without the .out or .err
    int pid = 0;
};

// Connects to the test display and stays connected for the rest of the
// process, waiting up to a few seconds for the display to accept. The X
// server resets when its last client leaves and turns new connections away
// meanwhile, so a window opened just after another closed would fail; with
// this connection held, windows come and go safely. False without a display.
bool holdDisplay();

// Runs a shell command line and collects its output; false, with a test
// failure, when it fails.
bool command(const std::string& line, std::string* out = nullptr);

// A window's pixels as 8-bit RGB, rows top first; empty if none came.
using Picture = std::vector<unsigned char>;

// The number of the first visible window of the process, waiting up to ten
// seconds for it to show, and with the keyboard focus given to it: without
// a window manager the keyboard goes where the pointer is otherwise.
std::string windowOf(int pid);

// Takes screenshots of the window until one of `bytes` bytes passes the
// check, for at most `seconds`, running the action (if any) first and again
// after every second without it: a pointer move that reaches the X server
// just before the viewer warps the pointer back to the centre is undone
// unseen, so a move is repeated until the picture shows it. Empty when none
// passed.
Picture pictureWhen(const std::string& window, std::size_t bytes, const std::function<bool(const Picture&)>& check,
                    const std::string& action = "", double seconds = 10.0);

// A closed shell around a small object, for hiding and framing: group 0 is
// a cube 40 units a side centred on (0, 300, 0) in material 0
// "textures/props/crate"; group 1 a box reaching 1000 from the origin along
// each axis, seen from inside, in material 1 "textures/shell/wall"; group 2
// one triangle facing -y at y 600, x 200 to 240, z -20 to 20, in texture 7,
// which names no material.
Qor::LevelContents shellLevel();

// Runs the generator with these arguments (the scene first) and returns the
// path of the level it wrote.
std::string generatedLevel(const std::vector<std::string>& scene);

// A PNG file's pixels as 8-bit RGBA, rows top first; no pixels when it
// cannot be read.
struct Image {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgba;
};
Image readPng(const std::string& path);

// The built viewer and generator.
const char* viewerBinary();
const char* mklevelBinary();

}  // namespace testsupport
