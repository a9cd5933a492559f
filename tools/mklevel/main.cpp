// orvandel-mklevel: writes level files for trying out and measuring the viewer.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "LevelWriter.h"
#include "Scenes.h"

namespace {

const char* const usage =
    "Usage: orvandel-mklevel demo OUT\n"
    "       orvandel-mklevel bench --triangles N OUT\n"
    "Writes a level file: the demo scene, or a large deterministic level of N\n"
    "triangles for benchmarks.\n";

int usageError(const std::string& message) {
    std::cerr << "orvandel-mklevel: " << message << '\n';
    return 2;
}

bool parseCount(const std::string& text, std::uint64_t& count) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    count = std::strtoull(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && count > 0;
}

int write(const Qor::LevelContents& contents, const std::string& path) {
    if (!Qor::writeFile(path, Qor::writerFor(contents).bytes())) {
        std::cerr << "ERROR: Could not write level file '" << path << "'.\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string scene = argc > 1 ? argv[1] : "";
    if (scene == "--help") {
        std::cout << usage;
        return 0;
    }
    if (scene == "demo") {
        if (argc != 3) return usageError("demo takes one operand: the output file");
        return write(mklevel::demoScene(), argv[2]);
    }
    if (scene == "bench") {
        if (argc != 5 || std::string(argv[2]) != "--triangles")
            return usageError("bench takes --triangles N and the output file");
        std::uint64_t triangles = 0;
        if (!parseCount(argv[3], triangles))
            return usageError("invalid triangle count '" + std::string(argv[3]) + "'");
        return write(mklevel::benchScene(triangles), argv[4]);
    }
    return usageError(scene.empty() ? "missing scene: demo or bench" : "unknown scene '" + scene + "'");
}
