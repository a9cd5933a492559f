// orvandel-mklevel: writes level files for trying out and measuring the viewer.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "FileBuffer.h"
#include "ImportV46.h"
#include "LevelWriter.h"
#include "Scenes.h"

namespace {

const char* const usage =
    "Usage: orvandel-mklevel demo OUT\n"
    "       orvandel-mklevel bench --triangles N OUT\n"
    "       orvandel-mklevel import-v46 IN.bsp OUT\n"
    "Writes a level file: the demo scene, a large deterministic level of N\n"
    "triangles for benchmarks, or a version-46 level converted.\n";

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

// Prints the counts as key: value lines, which the corpus script reads.
int importV46(const std::string& in, const std::string& out) {
    FileBuffer buffer{nullptr, 0};
    if (!loadWholeFile(in, buffer, "input bsp file", "bsp file")) return 1;
    v46::Conversion conversion = v46::convert(buffer.data, buffer.size);
    releaseFileBuffer(buffer);
    if (!conversion.error.empty()) {
        std::cerr << conversion.error << '\n';
        return 1;
    }
    if (!Qor::writeFile(out, conversion.level)) {
        std::cerr << "ERROR: Could not write level file '" << out << "'.\n";
        return 1;
    }
    const v46::Counts& c = conversion.counts;
    std::cout << "Wrote '" << out << "'.\n"
              << "materials: " << c.materials << '\n'
              << "planes: " << c.planes << '\n'
              << "textureGroups: " << c.textureGroups << '\n'
              << "vertices: " << c.vertices << '\n'
              << "triangles: " << c.triangles << '\n'
              << "entityBytes: " << c.entityBytes << '\n'
              << "surfaces: " << conversion.surfaces << '\n'
              << "converted: " << conversion.convertedSurfaces << '\n'
              << "split: " << conversion.splitSurfaces << '\n';
    for (const auto& [reason, count] : conversion.leftOut) std::cout << "left out, " << reason << ": " << count << '\n';
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
    if (scene == "import-v46") {
        if (argc != 4) return usageError("import-v46 takes two operands: the input and the output file");
        return importV46(argv[2], argv[3]);
    }
    return usageError(scene.empty() ? "missing scene: demo, bench or import-v46" : "unknown scene '" + scene + "'");
}
