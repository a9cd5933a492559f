#include "ExportGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>
#include <nlohmann/json.hpp>

#include "GeometryWalk.h"
#include "HugePages.h"
#include "Normals.h"

namespace {

bool finite(const Qor::Vertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Finds each exported vertex of one primitive by its bytes, so that equal
// corners become one vertex. Open addressing over indices into the
// primitive's run of vertices; slots hold index + 1, 0 when free.
class VertexTable {
public:
    VertexTable(std::vector<unsigned char>& vertexData) : data(vertexData), base(vertexData.size()) {}

    std::uint32_t indexOf(const ExportVertex& vertex) {
        if ((count + 1) * 2 > slots.size()) grow();
        std::size_t at = hash(&vertex) & (slots.size() - 1);
        for (; slots[at] != 0; at = (at + 1) & (slots.size() - 1)) {
            const std::uint32_t index = slots[at] - 1;
            if (std::memcmp(record(index), &vertex, sizeof vertex) == 0) return index;
        }
        const auto index = static_cast<std::uint32_t>(count++);
        slots[at] = index + 1;
        data.resize(data.size() + sizeof vertex);
        std::memcpy(data.data() + data.size() - sizeof vertex, &vertex, sizeof vertex);
        return index;
    }

private:
    const unsigned char* record(std::size_t index) const { return data.data() + base + index * sizeof(ExportVertex); }

    static std::size_t hash(const void* vertex) {
        std::uint32_t words[sizeof(ExportVertex) / 4];
        std::memcpy(words, vertex, sizeof words);
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (const std::uint32_t word : words) h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }

    void grow() {
        std::vector<std::uint32_t> larger(std::max<std::size_t>(256, slots.size() * 2));
        for (std::size_t index = 0; index < count; ++index) {
            std::size_t at = hash(record(index)) & (larger.size() - 1);
            while (larger[at] != 0) at = (at + 1) & (larger.size() - 1);
            larger[at] = static_cast<std::uint32_t>(index + 1);
        }
        slots.swap(larger);
    }

    std::vector<unsigned char>& data;
    std::size_t base;
    std::size_t count = 0;
    std::vector<std::uint32_t> slots;
};

// What the export asks of a level vertex, and the exported vertex last made
// from it: its index in the primitive it was made for (numbered from 1), and
// the normal it was made with.
struct LevelVertex {
    Qor::Direction stored{};  // when hasStored
    bool hasStored = false;
    bool finite = false;
    std::uint32_t madeFor = 0;
    std::uint32_t made = 0;
};

// The corners of one primitive: each becomes the index of its vertex, made
// the first time it is met.
class Corners {
public:
    Corners(std::vector<unsigned char>& vertexData, std::uint32_t primitive, std::vector<std::uint32_t>& indices)
        : table(vertexData), data(vertexData), first(vertexData.size()), ordinal(primitive), out(indices) {}

    void add(const Qor::Vertex& v, LevelVertex& seen, const Qor::Direction& normal) {
        // A vertex with a stored normal always has it; one without has its
        // triangle's, which may differ from the last triangle's.
        if (seen.madeFor != ordinal || (!seen.hasStored && normalOf(seen.made) != normal)) make(v, seen, normal);
        out.push_back(seen.made);
    }

private:
    Qor::Direction normalOf(std::uint32_t index) const {
        Qor::Direction normal;
        std::memcpy(normal.data(), data.data() + first + index * sizeof(ExportVertex) + offsetof(ExportVertex, normal),
                    sizeof normal);
        return normal;
    }

    void make(const Qor::Vertex& v, LevelVertex& seen, const Qor::Direction& normal) {
        seen.madeFor = ordinal;
        seen.made = table.indexOf(ExportVertex{{v.x, v.y, v.z}, normal, {v.colour[0], v.colour[1], v.colour[2], v.alpha}});
    }

    VertexTable table;
    const std::vector<unsigned char>& data;
    std::size_t first;
    std::uint32_t ordinal;
    std::vector<std::uint32_t>& out;
};

// Little-endian, 16 or 32 bits each, padded to a multiple of 4 bytes.
void appendIndices(std::vector<unsigned char>& data, const std::vector<std::uint32_t>& indices, bool narrow) {
    const std::size_t start = data.size();
    data.resize(start + (indices.size() * (narrow ? 2 : 4) + 3) / 4 * 4);
    unsigned char* at = data.data() + start;
    if (narrow) {
        for (const std::uint32_t index : indices) {
            *at++ = static_cast<unsigned char>(index);
            *at++ = static_cast<unsigned char>(index >> 8);
        }
        return;
    }
    for (const std::uint32_t index : indices) {
        *at++ = static_cast<unsigned char>(index);
        *at++ = static_cast<unsigned char>(index >> 8);
        *at++ = static_cast<unsigned char>(index >> 16);
        *at++ = static_cast<unsigned char>(index >> 24);
    }
}

template <typename Element>
void reserve(std::vector<Element>& elements, std::size_t bytes) {
    elements.reserve(bytes / sizeof(Element));
    preferHugePages(elements.data(), bytes);
}

void describe(ExportPrimitive& primitive, const Qor::BSP& level, std::uint32_t texture) {
    primitive.texture = texture;
    primitive.colour = Qor::textureColour(level, texture);
    primitive.named = texture < level.materials.size();
    if (!primitive.named) {
        primitive.name = "texture-" + std::to_string(texture);
        return;
    }
    const Qor::Material& material = level.materials[texture];
    primitive.name = validUtf8(material.name);
    primitive.surfaceFlags = material.surfaceFlags;
    primitive.contentFlags = material.contentFlags;
}

void enclose(ExportPrimitive& primitive, const ExportGeometry& geometry) {
    primitive.low = primitive.high = geometry.vertex(primitive.firstVertex).position;
    for (std::size_t v = primitive.firstVertex; v < primitive.firstVertex + primitive.vertexCount; ++v) {
        const std::array<float, 3> position = geometry.vertex(v).position;
        for (std::size_t k = 0; k < 3; ++k) {
            primitive.low[k] = std::min(primitive.low[k], position[k]);
            primitive.high[k] = std::max(primitive.high[k], position[k]);
        }
    }
}

}  // namespace

ExportGeometry exportGeometry(const Qor::BSP& level) {
    // The corners the groups claim, as far as the level holds them: the
    // number exported when no groups overlap and every corner is finite.
    std::map<std::uint32_t, std::vector<const Qor::TextureGroup*>> groupsOf;
    std::size_t claimed = 0;
    const std::size_t levelCorners = level.triangles.size() * 3;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        groupsOf[group.texture].push_back(&group);
        if (group.firstIndex < levelCorners)
            claimed += std::min<std::size_t>(group.indexCount, levelCorners - group.firstIndex);
    });
    const std::size_t corners = std::min(claimed, levelCorners);

    ExportGeometry geometry;
    // Room for every corner at once, so that a large level is not copied as
    // it grows. Most corners share a vertex: the vertices get room for as
    // many as the level has, with some to spare for corners that take their
    // triangle's normal, and for the indices a glTF export appends.
    const std::size_t vertexRoom = std::min(corners, level.vertices.size() + level.vertices.size() / 4);
    reserve(geometry.vertexData, vertexRoom * sizeof(ExportVertex) + corners * sizeof(std::uint32_t));
    reserve(geometry.indexData, corners * sizeof(std::uint16_t));

    // Each level vertex meets several triangles, so what the export asks of
    // it is worked out once, and the vertex last made from it is kept: most
    // corners repeat it and need no look-up.
    std::vector<LevelVertex> known;
    reserve(known, level.vertices.size() * sizeof(LevelVertex));
    known.resize(level.vertices.size());
    for (std::size_t v = 0; v < known.size(); ++v) {
        const std::optional<Qor::Direction> stored = Qor::storedNormal(level.vertices[v]);
        known[v].stored = stored.value_or(Qor::Direction{});
        known[v].hasStored = stored.has_value();
        known[v].finite = finite(level.vertices[v]);
    }
    const auto facts = [&](const Qor::Vertex& v) -> LevelVertex& {
        return known[static_cast<std::size_t>(&v - level.vertices.data())];
    };
    const auto storedOf = [](const LevelVertex& v) {
        return v.hasStored ? std::optional<Qor::Direction>(v.stored) : std::nullopt;
    };

    std::vector<std::uint32_t> indices;
    std::uint32_t ordinal = 0;
    for (const auto& [texture, groups] : groupsOf) {
        ExportPrimitive primitive;
        primitive.firstVertex = geometry.vertexCount();
        Corners made(geometry.vertexData, ++ordinal, indices);
        for (const Qor::TextureGroup* group : groups) {
            Qor::forEachTriangle(level, *group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
                LevelVertex& fa = facts(a);
                LevelVertex& fb = facts(b);
                LevelVertex& fc = facts(c);
                if (!fa.finite || !fb.finite || !fc.finite) return;
                const std::array<Qor::Direction, 3> normals =
                    Qor::cornerNormals({storedOf(fa), storedOf(fb), storedOf(fc)}, a, b, c);
                made.add(a, fa, normals[0]);
                made.add(b, fb, normals[1]);
                made.add(c, fc, normals[2]);
            });
        }
        if (indices.empty()) continue;
        primitive.vertexCount = geometry.vertexCount() - primitive.firstVertex;
        primitive.indexCount = indices.size();
        primitive.shortIndices = primitive.vertexCount < 0xFFFF;
        primitive.indexOffset = geometry.indexData.size();
        appendIndices(geometry.indexData, indices, primitive.shortIndices);
        indices.clear();
        describe(primitive, level, texture);
        enclose(primitive, geometry);
        geometry.primitives.push_back(std::move(primitive));
    }
    return geometry;
}

std::array<double, 3> linearColour(const Qor::Rgb& colour) {
    std::array<double, 3> factors{};
    for (std::size_t k = 0; k < 3; ++k) {
        const double c = colour[k] / 255.0;
        factors[k] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return factors;
}

std::string validUtf8(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    // Through the JSON library's own replacement, so that the export and the
    // JSON summary show a name alike.
    const std::string quoted = nlohmann::json(std::string(bytes)).dump(-1, ' ', false,
                                                                       nlohmann::json::error_handler_t::replace);
    return nlohmann::json::parse(quoted).get<std::string>();
}
