#include "LevelInfo.h"

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
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

void printBounds(const std::optional<Qor::Box>& box, std::ostream& out) {
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

// The whole records a decoded lump holds; for the entities' text, the
// entities read.
std::size_t records(const Qor::BSP& level, std::uint32_t lump) {
    if (lump == Qor::format::lumpEntities) return level.entities.size();
    const std::size_t recordSize = Qor::format::recordSize(lump);
    return recordSize == 0 ? 0 : level.lumps[lump].length / recordSize;
}

std::vector<LumpReport> directoryReport(const Qor::BSP& level) {
    std::vector<LumpReport> directory;
    for (std::uint32_t lump = 0; lump < level.lumps.size(); ++lump) {
        LumpReport entry{lump, level.lumps[lump].offset, level.lumps[lump].length, std::nullopt, std::nullopt};
        if (entry.length != 0 && level.decodes(lump)) {
            entry.records = records(level, lump);
            entry.contents = lumpName(lump);
        }
        directory.push_back(std::move(entry));
    }
    return directory;
}

// Counted by the walk the drawing passes use.
std::vector<MaterialReport> materialsReport(const Qor::BSP& level) {
    const std::size_t count = level.materials.size();
    std::vector<MaterialReport> materials;
    for (std::size_t index = 0; index < count; ++index) {
        const Qor::Material& material = level.materials[index];
        materials.push_back({index, material.name, material.surfaceFlags, material.contentFlags, 0, 0});
    }
    for (const Qor::TextureGroup& group : level.textureGroups)
        if (group.texture < count) ++materials[group.texture].groups;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        if (group.texture >= count) return;
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex&, const Qor::Vertex&, const Qor::Vertex&) {
            ++materials[group.texture].triangles;
        });
    });
    return materials;
}

void printDirectory(const std::vector<LumpReport>& directory, std::ostream& out) {
    char line[96];
    std::snprintf(line, sizeof line, "%4s  %10s  %10s  %10s  %s\n", "lump", "offset", "length",
                  "records", "contents");
    out << '\n' << line;
    for (const LumpReport& entry : directory) {
        const std::string count = entry.records ? std::to_string(*entry.records) : "-";
        std::snprintf(line, sizeof line, "%4u  %10u  %10u  %10s  %s", entry.lump, entry.offset, entry.length,
                      count.c_str(), entry.contents ? entry.contents->c_str() : "");
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json();
}

Json lumpsJson(const std::vector<LumpReport>& directory) {
    Json lumps = Json::array();
    for (const LumpReport& entry : directory)
        lumps.push_back({{"lump", entry.lump},
                         {"offset", entry.offset},
                         {"length", entry.length},
                         {"records", orNull(entry.records)},
                         {"contents", orNull(entry.contents)}});
    return lumps;
}

Json materialsJson(const std::vector<MaterialReport>& materials) {
    Json json = Json::array();
    for (const MaterialReport& material : materials)
        json.push_back({{"index", material.index},
                        {"name", material.name},
                        {"surfaceFlags", material.surfaceFlags},
                        {"contentFlags", material.contentFlags},
                        {"groups", material.groups},
                        {"triangles", material.triangles}});
    return json;
}

Json imageJson(const std::optional<ImageName>& image) {
    if (!image) return nullptr;
    return {{"root", image->root}, {"path", image->path}};
}

Json entitiesJson(const std::vector<Qor::Entity>& entities) {
    Json json = Json::array();
    for (const Qor::Entity& entity : entities) {
        Json pairs = Json::array();
        for (const auto& [key, value] : entity.pairs) pairs.push_back(Json::array({key, value}));
        json.push_back(std::move(pairs));
    }
    return json;
}

Json spawnPointsJson(const std::vector<Qor::SpawnPoint>& spawnPoints) {
    Json points = Json::array();
    for (const Qor::SpawnPoint& point : spawnPoints)
        points.push_back({{"position", point.position}, {"yaw", point.yaw}, {"pitch", point.pitch}});
    return points;
}

}  // namespace

LevelReport levelReport(const Qor::BSP& level) {
    LevelReport report;
    report.file = level.fileName;
    if (level.loaded()) {
        report.size = level.buffer.size;
        report.version = level.version();
    }
    report.planes = level.planes.size();
    report.textureGroups = level.textureGroups.size();
    report.vertices = level.vertices.size();
    report.triangles = level.triangles.size();
    report.bounds = Qor::levelBounds(level);
    report.directory = directoryReport(level);
    report.materials = materialsReport(level);
    report.entities = level.entities;
    report.spawnPoints = Qor::spawnPoints(level);
    report.messages = level.messages;
    return report;
}

void printLevelInfo(const LevelReport& report, std::ostream& out) {
    out << "file: " << report.file << '\n'
        << "size: " << report.size.value_or(0) << '\n'
        << "version: " << report.version.value_or(0) << '\n'
        << "lumps: " << report.directory.size() << '\n'
        << "planes: " << report.planes << '\n'
        << "textureGroups: " << report.textureGroups << '\n'
        << "vertices: " << report.vertices << '\n'
        << "triangles: " << report.triangles << '\n';
    printBounds(report.bounds, out);
    out << "materials: " << report.materials.size() << '\n';
    if (report.imagesLookedFor) {
        const auto found = std::count_if(report.materials.begin(), report.materials.end(),
                                         [](const MaterialReport& material) { return material.image.has_value(); });
        out << "textures: " << found << " of " << report.materials.size() << " found\n";
    }
    out << "entities: " << report.entities.size() << '\n';
    printDirectory(report.directory, out);
}

void printLevelJson(const LevelReport& report, std::ostream& out) {
    Json json;
    json["file"] = report.file;
    json["size"] = orNull(report.size);
    json["version"] = orNull(report.version);
    json["lumps"] = lumpsJson(report.directory);
    json["planes"] = report.planes;
    json["textureGroups"] = report.textureGroups;
    json["vertices"] = report.vertices;
    json["triangles"] = report.triangles;
    json["bounds"] = nullptr;
    if (report.bounds) {
        // Through the text's digits, so both say the same number.
        for (const auto& corner : {report.bounds->low, report.bounds->high})
            for (float value : corner) json["bounds"].push_back(std::strtod(exactFloat(value).c_str(), nullptr));
    }
    json["materials"] = materialsJson(report.materials);
    if (report.imagesLookedFor)
        for (std::size_t k = 0; k < report.materials.size(); ++k)
            json["materials"][k]["image"] = imageJson(report.materials[k].image);
    json["entities"] = entitiesJson(report.entities);
    json["spawnPoints"] = spawnPointsJson(report.spawnPoints);
    json["messages"] = report.messages;
    // Names and entity text may hold any bytes: those that are not UTF-8 are
    // replaced rather than thrown about.
    out << json.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}
