#include "TestSupport.h"

// Before Xlib, whose None macro would break it.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

namespace testsupport {

namespace {

// Removed when the test program ends. Children forked by the tests end with
// _exit or exec, so they leave it to the test process.
struct TempDirectory {
    std::string path = "/tmp/orvandel-test-XXXXXX";
    TempDirectory() {
        if (mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path += "/";
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

int started = 0;

int exitStatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string tempPath(const std::string& name) {
    static const TempDirectory directory;
    return directory.path + name;
}

std::string writeTemp(const std::string& name, const Qor::Bytes& bytes) {
    const std::string path = tempPath(name);
    if (!Qor::writeFile(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string writeTemp(const std::string& name, const std::string& text) {
    return writeTemp(name, Qor::Bytes(text.begin(), text.end()));
}

std::string writeLevel(const std::string& name, const Qor::LevelContents& contents) {
    return writeTemp(name, Qor::writerFor(contents).bytes());
}

ProcessResult runProcess(const std::vector<std::string>& argv) {
    BackgroundProcess process(argv);
    ProcessResult result;
    result.exitStatus = process.waitForExit(-1);
    result.out = process.output();
    result.err = process.errorOutput();
    return result;
}

// The output goes to files rather than pipes: nothing has to read it while
// the program runs, and a program that leaves a child holding its output
// still counts as ended when it ends.
BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv)
    : outputPath(tempPath("process-" + std::to_string(++started))) {
    const int outFd = open((outputPath + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFd = open((outputPath + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (outFd < 0 || errFd < 0) throw std::runtime_error("cannot open " + outputPath);
    pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::remove((outputPath + ".out").c_str());
    std::remove((outputPath + ".err").c_str());
}

int BackgroundProcess::waitForExit(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (pid > 0) {
        int status = 0;
        if (waitpid(pid, &status, seconds < 0 ? 0 : WNOHANG) == pid) {
            pid = 0;
            return exitStatusOf(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        usleep(10000);
    }
    return -1;
}

std::string BackgroundProcess::output() const { return fileText(outputPath + ".out"); }
std::string BackgroundProcess::errorOutput() const { return fileText(outputPath + ".err"); }

bool holdDisplay() {
    static Display* held = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (held == nullptr && std::chrono::steady_clock::now() < deadline) {
        held = XOpenDisplay(nullptr);
        if (held == nullptr) usleep(10000);
    }
    return held != nullptr;
}

bool command(const std::string& line, std::string* out) {
    const ProcessResult result = runProcess({"/bin/sh", "-c", line});
    if (out != nullptr) *out = result.out;
    if (result.exitStatus != 0) ADD_FAILURE() << line << " failed: " << result.err;
    return result.exitStatus == 0;
}

std::string windowOf(int pid) {
    std::string window;
    if (!command("timeout 10 xdotool search --sync --onlyvisible --pid " + std::to_string(pid), &window)) return "";
    window = window.substr(0, window.find('\n'));
    return command("xdotool windowfocus --sync " + window) ? window : "";
}

// The window is named by its number: without one the screenshot tool waits
// for a click. An action is run again only after a second without the
// picture it waits for: a turn that has been made but not yet drawn must not
// be made twice.
Picture pictureWhen(const std::string& window, std::size_t bytes, const std::function<bool(const Picture&)>& check,
                    const std::string& action, double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    auto acted = Clock::time_point();
    std::string rgb;
    while (Clock::now() < deadline) {
        if (!action.empty() && Clock::now() - acted >= std::chrono::seconds(1)) {
            if (!command(action)) break;
            acted = Clock::now();
        }
        if (!command("import -window " + window + " -depth 8 rgb:-", &rgb)) break;
        const Picture picture(rgb.begin(), rgb.end());
        if (picture.size() == bytes && check(picture)) return picture;
    }
    return {};
}

namespace {

void addBox(Qor::LevelContents& level, std::uint32_t texture, const std::array<float, 3>& centre, float half) {
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (std::uint32_t corner = 0; corner < 8; ++corner) {
        Qor::Vertex& v = level.vertices.emplace_back();
        v.x = centre[0] + ((corner & 1) != 0 ? half : -half);
        v.y = centre[1] + ((corner & 2) != 0 ? half : -half);
        v.z = centre[2] + ((corner & 4) != 0 ? half : -half);
        v.alpha = 255;
    }
    const auto firstIndex = static_cast<std::uint32_t>(3 * level.triangles.size());
    // Two triangles per face, corners numbered by their x, y and z bits.
    for (const auto& [a, b, c, d] : std::vector<std::array<std::uint32_t, 4>>{
             {0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}) {
        level.triangles.push_back(Qor::Triangle{{a, b, c}});
        level.triangles.push_back(Qor::Triangle{{a, c, d}});
    }
    level.textureGroups.push_back({texture, first, 8, firstIndex, 36});
}

}  // namespace

Qor::LevelContents shellLevel() {
    Qor::LevelContents level;
    addBox(level, 0, {0, 300, 0}, 20);
    addBox(level, 1, {0, 0, 0}, 1000);
    const auto first = static_cast<std::uint32_t>(level.vertices.size());
    for (const auto& [x, z] : {std::pair(200.0f, -20.0f), std::pair(240.0f, -20.0f), std::pair(220.0f, 20.0f)}) {
        Qor::Vertex& v = level.vertices.emplace_back();
        v.x = x;
        v.y = 600;
        v.z = z;
        v.alpha = 255;
    }
    level.textureGroups.push_back({7, first, 3, static_cast<std::uint32_t>(3 * level.triangles.size()), 3});
    level.triangles.push_back(Qor::Triangle{{0, 1, 2}});
    level.materials = {{"textures/props/crate"}, {"textures/shell/wall"}};
    return level;
}

std::string generatedLevel(const std::vector<std::string>& scene) {
    std::string name;
    for (const std::string& word : scene) name += word + "-";
    const std::string path = tempPath(name + "level.d3dbsp");
    std::vector<std::string> argv = {mklevelBinary()};
    argv.insert(argv.end(), scene.begin(), scene.end());
    argv.push_back(path);
    EXPECT_EQ(runProcess(argv).exitStatus, 0) << name;
    return path;
}

Image readPng(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Image image;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return image;
    png.format = PNG_FORMAT_RGBA;
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) == 0) return {};
    image.width = png.width;
    image.height = png.height;
    return image;
}

const char* viewerBinary() { return ORVANDEL_BINARY; }
const char* mklevelBinary() { return ORVANDEL_MKLEVEL; }

}  // namespace testsupport
