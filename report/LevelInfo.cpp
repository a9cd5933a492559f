#include "LevelInfo.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "GeometryWalk.h"
#include "LevelFormat.h"
#include "SpawnPoints.h"

namespace {

// Keys in the order written, so that the object reads like the text summary.
using Json = nlohmann::ordered_json;

// Enough digits for a float to read back exactly.
std::string exactFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

void printBounds(const Qor::BSP& level, std::ostream& out) {
    const std::optional<Qor::Box> box = Qor::levelBounds(level);
    out << "bounds:";
    if (!box) {
        out << " none\n";
        return;
    }
    for (float value : box->low) out << ' ' << exactFloat(value);
    for (float value : box->high) out << ' ' << exactFloat(value);
    out << '\n';
}

const char* lumpName(std::uint32_t lump) {
    switch (lump) {
    case Qor::format::lumpMaterials: return "materials";
    case Qor::format::lumpPlanes: return "planes";
    case Qor::format::lumpTextureGroups: return "textureGroups";
    case Qor::format::lumpVertices: return "vertices";
    case Qor::format::lumpTriangles: return "triangles";
    case Qor::format::lumpEntities: return "entities";
    default: return "";
    }
}

bool decoded(const Qor::BSP& level, std::uint32_t lump) {
    return level.lumps[lump].length != 0 && level.decodes(lump);
}

// The whole records a decoded lump holds; for the entities' text, the
// entities read.
std::size_t records(const Qor::BSP& level, std::uint32_t lump) {
    if (lump == Qor::format::lumpEntities) return level.entities.size();
    const std::size_t recordSize = Qor::format::recordSize(lump);
    return recordSize == 0 ? 0 : level.lumps[lump].length / recordSize;
}

void printDirectory(const Qor::BSP& level, std::ostream& out) {
    char line[96];
    std::snprintf(line, sizeof line, "%4s  %10s  %10s  %10s  %s\n", "lump", "offset", "length",
                  "records", "contents");
    out << '\n' << line;
    for (std::uint32_t lump = 0; lump < level.lumps.size(); ++lump) {
        const Qor::Index& index = level.lumps[lump];
        const bool known = decoded(level, lump);
        const std::string count = known ? std::to_string(records(level, lump)) : "-";
        std::snprintf(line, sizeof line, "%4u  %10u  %10u  %10s  %s", lump, index.offset, index.length,
                      count.c_str(), known ? lumpName(lump) : "");
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
}

Json lumpsJson(const Qor::BSP& level) {
    Json lumps = Json::array();
    for (std::uint32_t lump = 0; lump < level.lumps.size(); ++lump) {
        const bool known = decoded(level, lump);
        lumps.push_back({{"lump", lump},
                         {"offset", level.lumps[lump].offset},
                         {"length", level.lumps[lump].length},
                         {"records", known ? Json(records(level, lump)) : Json()},
                         {"contents", known ? Json(lumpName(lump)) : Json()}});
    }
    return lumps;
}

// Each material with the groups that name it and the triangles the drawing
// passes draw for it, counted by the walk the passes use.
Json materialsJson(const Qor::BSP& level) {
    const std::size_t count = level.materials.size();
    std::vector<std::size_t> groups(count);
    std::vector<std::size_t> triangles(count);
    for (const Qor::TextureGroup& group : level.textureGroups)
        if (group.texture < count) ++groups[group.texture];
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        if (group.texture >= count) return;
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex&, const Qor::Vertex&, const Qor::Vertex&) {
            ++triangles[group.texture];
        });
    });
    Json materials = Json::array();
    for (std::size_t index = 0; index < count; ++index) {
        const Qor::Material& material = level.materials[index];
        materials.push_back({{"index", index},
                             {"name", material.name},
                             {"surfaceFlags", material.surfaceFlags},
                             {"contentFlags", material.contentFlags},
                             {"groups", groups[index]},
                             {"triangles", triangles[index]}});
    }
    return materials;
}

Json entitiesJson(const Qor::BSP& level) {
    Json entities = Json::array();
    for (const Qor::Entity& entity : level.entities) {
        Json pairs = Json::array();
        for (const auto& [key, value] : entity.pairs) pairs.push_back(Json::array({key, value}));
        entities.push_back(std::move(pairs));
    }
    return entities;
}

Json spawnPointsJson(const Qor::BSP& level) {
    Json points = Json::array();
    for (const Qor::SpawnPoint& point : Qor::spawnPoints(level))
        points.push_back({{"position", point.position}, {"yaw", point.yaw}, {"pitch", point.pitch}});
    return points;
}

}  // namespace

void printLevelInfo(const Qor::BSP& level, std::ostream& out) {
    out << "file: " << level.fileName << '\n'
        << "size: " << level.buffer.size << '\n'
        << "version: " << level.version() << '\n'
        << "lumps: " << level.lumps.size() << '\n'
        << "planes: " << level.planes.size() << '\n'
        << "textureGroups: " << level.textureGroups.size() << '\n'
        << "vertices: " << level.vertices.size() << '\n'
        << "triangles: " << level.triangles.size() << '\n';
    printBounds(level, out);
    out << "materials: " << level.materials.size() << '\n' << "entities: " << level.entities.size() << '\n';
    printDirectory(level, out);
}

void printLevelJson(const Qor::BSP& level, std::ostream& out) {
    const bool loaded = level.loaded();
    Json json;
    json["file"] = level.fileName;
    json["size"] = loaded ? Json(level.buffer.size) : Json();
    json["version"] = loaded ? Json(level.version()) : Json();
    json["lumps"] = lumpsJson(level);
    json["planes"] = level.planes.size();
    json["textureGroups"] = level.textureGroups.size();
    json["vertices"] = level.vertices.size();
    json["triangles"] = level.triangles.size();
    json["bounds"] = nullptr;
    if (const std::optional<Qor::Box> box = Qor::levelBounds(level)) {
        // Through the text's digits, so both say the same number.
        for (const auto& corner : {box->low, box->high})
            for (float value : corner) json["bounds"].push_back(std::strtod(exactFloat(value).c_str(), nullptr));
    }
    json["materials"] = materialsJson(level);
    json["entities"] = entitiesJson(level);
    json["spawnPoints"] = spawnPointsJson(level);
    json["messages"] = level.messages;
    // Names and entity text may hold any bytes: those that are not UTF-8 are
    // replaced rather than thrown about.
    out << json.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}
