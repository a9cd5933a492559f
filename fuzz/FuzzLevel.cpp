// Loads each input as a level file, checks what the reader promises about
// any file, then reads every element a drawing pass can reach the way the
// passes reach them, so the sanitizers see each access. The --info summaries
// are written for each level too, and the JSON must parse back whole.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "BSP.h"
#include "FuzzInput.h"
#include "GeometryWalk.h"
#include "LevelFormat.h"
#include "EntityRules.h"
#include "ExportGeometry.h"
#include "ExportGltf.h"
#include "LevelInfo.h"
#include "MaterialColours.h"
#include "Normals.h"
#include "SpawnPoints.h"

namespace {

namespace format = Qor::format;

std::string directoryWarning(std::size_t lump) {
    return "WARNING: The bsp's file is too short, the lump's directory is pointing outside the file, "
           "starting from lump '" +
           std::to_string(lump) + "'.";
}

// The entity warning counting the entities kept, with its fault inside the entity lump.
bool isEntityWarning(const std::string& line, const Qor::BSP& level) {
    const std::string head = "WARNING: The bsp's entity text is malformed at byte '";
    const std::string tail = "'; '" + std::to_string(level.entities.size()) + "' entities were read.";
    if (line.compare(0, head.size(), head) != 0 || line.size() < head.size() + tail.size() ||
        line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    char* end = nullptr;
    const unsigned long long fault = std::strtoull(line.c_str() + head.size(), &end, 10);
    return end == line.c_str() + line.size() - tail.size() && level.lumps.size() > format::lumpEntities &&
           fault <= level.lumps[format::lumpEntities].length;
}

// The lines the level kept, as they were printed.
std::string kept(const Qor::BSP& level) {
    std::string text;
    for (const std::string& line : level.messages) text += line + "\n";
    return text;
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
                level.vertices.empty() && level.triangles.empty() && level.materials.empty() &&
                level.entities.empty(),
            "a level that does not load is empty");
}

void checkLoad(const Qor::BSP& level, std::size_t inputSize) {
    const auto& lines = level.messages;
    std::size_t told = 0;
    if (told < lines.size() && lines[told] == directoryWarning(level.lumps.size())) ++told;
    if (told < lines.size() && isEntityWarning(lines[told], level)) ++told;
    require(told == lines.size(),
            "a loaded level warns at most once about its directory, naming the first entry it refused, "
            "then at most once about its entity text");
    require(level.buffer.size == inputSize, "the level holds the whole file");
    require(level.lumps.size() <= level.lumpCount, "the directory stops at the version's lump count");
    for (const Qor::Index& lump : level.lumps)
        require(std::uint64_t{lump.offset} + lump.length <= level.buffer.size, "every lump lies inside the file");
    require(level.planes.size() == recordsOf(level, format::lumpPlanes) &&
                level.textureGroups.size() == recordsOf(level, format::lumpTextureGroups) &&
                level.vertices.size() == recordsOf(level, format::lumpVertices) &&
                level.triangles.size() == recordsOf(level, format::lumpTriangles) &&
                level.materials.size() == recordsOf(level, format::lumpMaterials),
            "each sequence holds exactly the whole records of its lump");
    for (const Qor::SpawnPoint& point : Qor::spawnPoints(level))
        require(std::isfinite(point.position[0]) && std::isfinite(point.position[1]) &&
                    std::isfinite(point.position[2]) && point.yaw >= 0.0 && point.yaw < 360.0 &&
                    point.pitch >= -180.0 && point.pitch <= 180.0,
                "a spawn point lies somewhere and faces a way within the viewer's ranges");
}

// Both summaries, as --info prints them; the JSON must hold everything the level does.
void checkSummaries(const Qor::BSP& level) {
    std::ostringstream out;
    if (level.loaded()) printLevelInfo(levelReport(level), out);
    out.str("");
    printLevelJson(levelReport(level), out);
    nlohmann::json json = nlohmann::json::parse(out.str(), nullptr, false);
    require(!json.is_discarded(), "the JSON summary parses back");
    require(json["materials"].size() == level.materials.size() && json["entities"].size() == level.entities.size() &&
                json["messages"].size() == level.messages.size() && json["lumps"].size() == level.lumps.size(),
            "the JSON summary holds every lump, material, entity and message");
}

bool isUnit(const Qor::Direction& n) {
    const double length = std::sqrt(double{n[0]} * n[0] + double{n[1]} * n[1] + double{n[2]} * n[2]);
    return std::fabs(length - 1.0) < 1e-5;
}

// Everything the drawing passes reach, through the walk they use, with the
// rules that colour and light it.
double walkAsThePassesDo(const Qor::BSP& level) {
    double sum = 0.0;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        sum += Qor::textureColour(level, group.texture)[0];
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            sum += a.z + b.alpha + c.x + a.colour[0] + b.colour[1] + c.colour[2];
            for (const Qor::Direction& n : Qor::cornerNormals(a, b, c))
                require(isUnit(n), "every corner is drawn with a unit normal, whatever the file holds");
        });
    });
    for (const Qor::Entity& entity : level.entities) {
        if (const auto origin = Qor::entityOrigin(entity)) sum += (*origin)[0];
        sum += static_cast<double>(Qor::entityKind(entity)) + Qor::entityFacing(entity).yaw;
    }
    for (const Qor::Plane& plane : level.planes)
        if (const auto point = Qor::planePoint(plane)) {
            require(std::isfinite((*point)[0]) && std::isfinite((*point)[1]) && std::isfinite((*point)[2]),
                    "a plane is shown only at a finite point");
            sum += (*point)[0];
        }
    return sum;
}

// The export's geometry and its glTF document, serialised as --export writes
// it: whatever the file holds, every index names a vertex of its primitive
// and no name or entity text stops the writer.
void checkExport(const Qor::BSP& level) {
    ExportGeometry geometry = exportGeometry(level);
    for (const ExportPrimitive& primitive : geometry.primitives)
        for (std::size_t k = 0; k < primitive.indexCount; ++k) {
            const std::uint32_t index = geometry.index(primitive, k);
            require(index < primitive.vertexCount, "every exported index names a vertex of its primitive");
            const ExportVertex vertex = geometry.vertex(primitive.firstVertex + index);
            require(std::isfinite(vertex.position[0]) && std::isfinite(vertex.position[1]) &&
                        std::isfinite(vertex.position[2]) && isUnit(vertex.normal),
                    "every exported vertex lies somewhere and faces a way");
        }
    tinygltf::Model model = gltfDocument(level, 1.0, "fuzz");
    addGltfGeometry(model, std::move(geometry));
    std::ostringstream out;
    require(tinygltf::TinyGLTF().WriteGltfSceneToStream(&model, out, false, true), "the glTF document is written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Qor::BSP level("", holdInput(data, size).c_str());
    const std::string said = messagesAboutInput();
    require(said == kept(level), "the level keeps each line it printed, in order");
    if (level.buffer.data == nullptr)
        checkFailedLoad(level, said);
    else
        checkLoad(level, size);
    checkSummaries(level);
    checkExport(level);
    volatile double reached = walkAsThePassesDo(level);
    (void)reached;
    return 0;
}
