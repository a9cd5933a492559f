#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "BSP.h"
#include "Bounds.h"
#include "SpawnPoints.h"

// One entry of the level's lump directory.
struct LumpReport {
    std::uint32_t lump;
    std::uint32_t offset;
    std::uint32_t length;
    // For a lump the version decodes: its whole records (for the entities'
    // text, the entities read) and what it holds; nothing for any other.
    std::optional<std::size_t> records;
    std::optional<std::string> contents;
};

// Where a material's image was found: the folder or archive, as mounted,
// and the image's path there.
struct ImageName {
    std::string root;
    std::string path;
};

// A material with the groups that name it and the triangles the drawing
// passes draw for it, and where images are looked for, its image's name.
struct MaterialReport {
    std::size_t index;
    std::string name;  // the file's bytes
    std::uint32_t surfaceFlags;
    std::uint32_t contentFlags;
    std::size_t groups;
    std::size_t triangles;
    std::optional<ImageName> image = std::nullopt;
};

// What --info tells of a level, gathered once and printed as text or JSON.
struct LevelReport {
    // The header; size and version only when the level loaded.
    std::string file;
    std::optional<std::uint64_t> size;
    std::optional<std::uint32_t> version;
    // The counts.
    std::size_t planes = 0;
    std::size_t textureGroups = 0;
    std::size_t vertices = 0;
    std::size_t triangles = 0;
    std::optional<Qor::Box> bounds;
    std::vector<LumpReport> directory;
    std::vector<MaterialReport> materials;
    std::vector<Qor::Entity> entities;
    std::vector<Qor::SpawnPoint> spawnPoints;
    std::vector<std::string> messages;  // what the load said, in order
    // Whether the materials' images were looked for (and their image
    // fields are to be told).
    bool imagesLookedFor = false;
};

LevelReport levelReport(const Qor::BSP& level);

// The summary: header, counts, bounds, then the directory. The level must
// have loaded.
void printLevelInfo(const LevelReport& report, std::ostream& out);

// The same and more as one JSON object on one line: the materials, entities,
// spawn points and the load's messages too. A level that failed to load gives
// what it holds, its size and version null.
void printLevelJson(const LevelReport& report, std::ostream& out);
