#include "MalformedLevels.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <utility>

#include "LevelFormat.h"

namespace Qor {

namespace {

using Verdict = MalformedLevel::Verdict;

// Two groups of one triangle each and two planes, the second with a point
// too far for a float: small, but every pass has something to draw, so
// every edit below reaches a pass.
LevelContents baseContents() {
    LevelContents contents;
    const float largest = std::numeric_limits<float>::max();
    contents.planes = {Plane{1, 2, 3, 4}, Plane{-largest, -1, largest, 3}};
    contents.vertices = {Vertex{-100.0f, 500.0f, -50.0f, 255}, Vertex{100.0f, 500.0f, -50.0f, 128},
                         Vertex{0.0f, 500.0f, 80.0f, 0},       Vertex{-50.0f, 400.0f, 0.0f, 200},
                         Vertex{50.0f, 400.0f, 0.0f, 200},     Vertex{0.0f, 400.0f, 60.0f, 64}};
    contents.textureGroups = {TextureGroup{0, 0, 3, 0, 3}, TextureGroup{7, 3, 3, 3, 3}};
    contents.triangles = {Triangle{{0, 1, 2}}, Triangle{{0, 1, 2}}};
    return contents;
}

MalformedLevel level(std::string name, Bytes bytes, Verdict verdict = Verdict::loads,
                     std::uint32_t firstBadLump = 0) {
    return MalformedLevel{std::move(name), std::move(bytes), verdict, firstBadLump, 0, 0};
}

// The base level with this entity text, which the reader stops reading at
// faultByte after entitiesRead blocks.
MalformedLevel withEntityText(std::string name, const std::string& text, std::uint32_t faultByte,
                              std::uint32_t entitiesRead) {
    LevelWriter writer = writerFor(baseContents());
    writer.lumpBytes[format::lumpEntities] = Bytes(text.begin(), text.end());
    return MalformedLevel{std::move(name), writer.bytes(), Verdict::entityTextMalformed, 0, faultByte,
                          entitiesRead};
}

// The base level with its model edited before it is written.
MalformedLevel edited(std::string name, const std::function<void(LevelContents&)>& edit) {
    LevelContents contents = baseContents();
    edit(contents);
    return level(std::move(name), writerFor(contents).bytes());
}

// The base level written with an edited directory.
Bytes withDirectory(const std::function<void(std::vector<LevelWriter::Entry>&, std::uint32_t fileSize)>& edit) {
    const LevelWriter writer = writerFor(baseContents());
    std::vector<LevelWriter::Entry> entries = writer.layOut();
    edit(entries, static_cast<std::uint32_t>(writer.bytes().size()));
    return writer.bytes(entries);
}

// The directory is read up to the first whole entry that reaches past the
// end of the (truncated) file.
MalformedLevel truncated(std::uint32_t size) {
    const LevelWriter writer = writerFor(baseContents());
    Bytes bytes = writer.bytes();
    bytes.resize(size);
    const std::vector<LevelWriter::Entry> entries = writer.layOut();
    const std::string name = "truncated_to_" + std::to_string(size);
    for (std::uint32_t lump = 0; lump < entries.size(); ++lump) {
        const std::uint64_t entryEnd = format::directoryOffset + (lump + 1) * std::uint64_t{format::entry::size};
        if (entryEnd > size) break;
        if (std::uint64_t{entries[lump].offset} + entries[lump].length > size)
            return level(name, bytes, Verdict::directoryPastEnd, lump);
    }
    return level(name, bytes);
}

// Flips bits in the lumps only, so the directory still holds and the file
// loads with whatever the flipped records now say.
MalformedLevel bitFlipped(std::uint32_t seed) {
    Bytes bytes = writerFor(baseContents()).bytes();
    const std::size_t lumpsStart = format::directoryOffset + format::version4LumpCount * format::entry::size;
    std::uint32_t state = seed * 2654435761u + 1;
    for (int flip = 0; flip < 32; ++flip) {
        state = state * 1664525u + 1013904223u;
        const std::size_t at = lumpsStart + (state >> 8) % (bytes.size() - lumpsStart);
        bytes[at] = static_cast<std::uint8_t>(bytes[at] ^ (1u << (state & 7u)));
    }
    return level("bit_flipped_" + std::to_string(seed), bytes);
}

Bytes withVersion(std::uint32_t version) {
    LevelWriter writer = writerFor(baseContents());
    writer.version = version;
    return writer.bytes();
}

Bytes withMagic(const char (&magic)[5]) {
    Bytes bytes = writerFor(baseContents()).bytes();
    for (std::size_t k = 0; k < 4; ++k) bytes[format::magicOffset + k] = static_cast<std::uint8_t>(magic[k]);
    return bytes;
}

}  // namespace

std::vector<MalformedLevel> malformedLevels() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::uint32_t far = std::numeric_limits<std::uint32_t>::max();

    std::vector<MalformedLevel> levels = {
        edited("group_triangles_past_end", [](LevelContents& c) { c.textureGroups[1].firstIndex = 300; }),
        edited("group_index_count_max", [](LevelContents& c) { c.textureGroups[0].indexCount = 65535; }),
        edited("group_first_index_max", [&](LevelContents& c) { c.textureGroups[0].firstIndex = far; }),
        edited("group_first_vertex_wraps",
               [&](LevelContents& c) {
                   c.textureGroups[1].firstVertex = far - 1;
                   c.triangles[1] = Triangle{{2, 3, 4}};
               }),
        edited("corners_past_vertices", [](LevelContents& c) { c.triangles[0] = Triangle{{65535, 6, 1}}; }),
        edited("group_counts_not_whole_triangles",
               [](LevelContents& c) {
                   c.textureGroups[0].firstIndex = 1;
                   c.textureGroups[1].indexCount = 4;
               }),
        edited("extreme_floats",
               [&](LevelContents& c) {
                   c.vertices[0].x = nan;
                   c.vertices[1].y = infinity;
                   c.vertices[2].z = -std::numeric_limits<float>::max();
                   c.vertices[3].x = std::numeric_limits<float>::denorm_min();
                   c.vertices[4].normal = {nan, infinity, 0};
                   c.planes[0].d = nan;
                   c.planes[1] = Plane{std::numeric_limits<float>::denorm_min(), -infinity, -0.0f, 1};
               }),
        edited("no_geometry", [](LevelContents& c) { c = LevelContents{}; }),
        // Names of every byte and of the whole record, and a group naming a material past the end.
        edited("material_names_odd",
               [](LevelContents& c) {
                   c.materials = {Material{std::string("\xff\x01\xc3(\x7f{\"}", 8), 1, 2},
                                  Material{std::string(64, '\xe9'), 0xFFFFFFFFu, 0}};
               }),
        // Spawn points whose numbers are not numbers, or too large to face anywhere sensible.
        edited("spawn_values_odd",
               [](LevelContents& c) {
                   c.entities = {
                       Entity{{{"classname", "info_player_start"}, {"origin", "nan 0 0"}, {"angle", "1"}}},
                       Entity{{{"classname", "info_player_start"}, {"origin", "1e38 -1e38 0"}, {"angle", "1e308"}}},
                       Entity{{{"classname", "spawn"}, {"origin", "0 0 0"}, {"angles", "-1e308 inf 0"}}},
                       Entity{{{"classname", "info_player_start"}, {"classname", "light"}, {"origin", "1 2 3"}}}};
               }),
        level("zero_length_lumps", withDirectory([](auto& entries, std::uint32_t) {
                  for (std::uint32_t lump : {format::lumpPlanes, format::lumpTextureGroups, format::lumpVertices,
                                             format::lumpTriangles})
                      entries[lump].length = 0;
              })),
        level("overlapping_lumps", withDirectory([](auto& entries, std::uint32_t size) {
                  const std::uint32_t start = entries[format::lumpPlanes].offset;
                  for (std::uint32_t lump : {format::lumpPlanes, format::lumpTextureGroups, format::lumpVertices,
                                             format::lumpTriangles})
                      entries[lump] = LevelWriter::Entry{size - start, start};
              })),
        // The entity text then starts with the magic, which is no block.
        MalformedLevel{"lumps_cover_whole_file", withDirectory([](auto& entries, std::uint32_t size) {
                           for (auto& entry : entries) entry = LevelWriter::Entry{size, 0};
                       }),
                       Verdict::entityTextMalformed, 0, 0, 0},
        level("lump_tails_not_whole_records", withDirectory([](auto& entries, std::uint32_t) {
                  // Each lump runs one byte short or long, into its neighbour.
                  entries[format::lumpPlanes].length -= 1;
                  entries[format::lumpTextureGroups].length += 1;
                  entries[format::lumpVertices].length -= 1;
                  entries[format::lumpTriangles].length -= 5;
              })),
        level("directory_entry_past_end",
              withDirectory([](auto& entries, std::uint32_t size) { entries[format::lumpPlanes] = {1, size}; }),
              Verdict::directoryPastEnd, format::lumpPlanes),
        level("directory_offset_wraps",
              withDirectory([&](auto& entries, std::uint32_t) { entries[0] = LevelWriter::Entry{2, far}; }),
              Verdict::directoryPastEnd, 0),
        level("huge_lump_length",
              withDirectory([&](auto& entries, std::uint32_t) { entries[format::lumpVertices].length = far; }),
              Verdict::directoryPastEnd, format::lumpVertices),
        level("version_59", withVersion(format::version59)),
        level("version_5", withVersion(5), Verdict::unsupportedVersion),
        level("version_4_big_endian", withVersion(0x04000000u), Verdict::unsupportedVersion),
        level("magic_lower_case", withMagic("ibsp"), Verdict::unsupportedFormat),
        level("magic_wrong_letter", withMagic("IBSQ"), Verdict::unsupportedFormat),
        level("empty_file", Bytes{}, Verdict::unsupportedFormat),
        level("header_only", Bytes{'I', 'B', 'S', 'P', 4, 0, 0, 0}, Verdict::unsupportedFormat),
        level("header_and_one_byte", Bytes{'I', 'B', 'S', 'P', 4, 0, 0, 0, 0}),
    };

    levels.push_back(withEntityText("entity_block_nested",
                                    "{ \"classname\" \"worldspawn\" }\n{ \"classname\" \"light\"\n{ }", 51, 1));
    levels.push_back(withEntityText("entity_quote_unterminated", "{ \"classname\" \"light\" \"origin\" \"1 2", 35, 0));
    levels.push_back(withEntityText("entity_text_not_text", std::string("\x80\xff{\0", 4), 0, 0));

    // A directory of more than 39 entries whose extra entries would point
    // anywhere if they were read.
    LevelWriter longDirectory = writerFor(baseContents());
    longDirectory.entryCount = format::version4LumpCount + 6;
    std::vector<LevelWriter::Entry> entries = longDirectory.layOut();
    for (std::size_t extra = format::version4LumpCount; extra < entries.size(); ++extra)
        entries[extra] = LevelWriter::Entry{far, far};
    levels.push_back(level("directory_longer_than_39", longDirectory.bytes(entries)));

    const auto fullSize = static_cast<std::uint32_t>(writerFor(baseContents()).bytes().size());
    for (std::uint32_t size : {12u, 100u, 330u, fullSize / 2, fullSize - 1}) levels.push_back(truncated(size));
    for (std::uint32_t seed = 1; seed <= 6; ++seed) levels.push_back(bitFlipped(seed));
    return levels;
}

}  // namespace Qor
