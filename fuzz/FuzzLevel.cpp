// Loads each input as a level file, checks what the reader promises about
// any file, then reads every element a drawing pass can reach the way the
// passes reach them, so the sanitizers see each access.

#include <cstdint>
#include <string>

#include "BSP.h"
#include "FuzzInput.h"
#include "GeometryWalk.h"
#include "LevelFormat.h"

namespace {

namespace format = Qor::format;

std::string directoryWarning(std::size_t lump) {
    return "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
           "starting from lump '" +
           std::to_string(lump) + "'.\n";
}

// The whole records of a decoded lump, which its sequence must hold exactly.
std::size_t recordsOf(const Qor::BSP& level, std::uint32_t lump) {
    if (level.lumpCount != format::version4LumpCount || lump >= level.lumps.size()) return 0;
    return level.lumps[lump].length / format::recordSize(lump);
}

void checkFailedLoad(const Qor::BSP& level, const std::string& said) {
    require(said == "ERROR: The bsp's file format is unsupported.\n" ||
                said == "ERROR: The bsp's file version is unsupported.\n",
            "a level that does not load says why, in one known line");
    require(level.buffer.size == 0 && level.lumps.empty() && level.planes.empty() && level.textureGroups.empty() &&
                level.vertices.empty() && level.triangles.empty(),
            "a level that does not load is empty");
}

void checkLoad(const Qor::BSP& level, const std::string& said, std::size_t inputSize) {
    require(said.empty() || said == directoryWarning(level.lumps.size()),
            "a loaded level warns at most once, naming the first entry it refused");
    require(level.buffer.size == inputSize, "the level holds the whole file");
    require(level.lumps.size() <= level.lumpCount, "the directory stops at the version's lump count");
    for (const Qor::Index& lump : level.lumps)
        require(std::uint64_t{lump.offset} + lump.length <= level.buffer.size, "every lump lies inside the file");
    require(level.planes.size() == recordsOf(level, format::lumpPlanes) &&
                level.textureGroups.size() == recordsOf(level, format::lumpTextureGroups) &&
                level.vertices.size() == recordsOf(level, format::lumpVertices) &&
                level.triangles.size() == recordsOf(level, format::lumpTriangles),
            "each sequence holds exactly the whole records of its lump");
}

// Everything the drawing passes reach, through the walk they use.
double walkAsThePassesDo(const Qor::BSP& level) {
    double sum = 0.0;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            sum += a.z + b.alpha + c.x;
        });
    });
    for (const Qor::Plane& plane : level.planes) sum += Qor::planePoint(plane)[0];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Qor::BSP level("", holdInput(data, size).c_str());
    if (level.buffer.data == nullptr)
        checkFailedLoad(level, messagesAboutInput());
    else
        checkLoad(level, messagesAboutInput(), size);
    volatile double reached = walkAsThePassesDo(level);
    (void)reached;
    return 0;
}
