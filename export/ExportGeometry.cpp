#include "ExportGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>
#include <system_error>
#include <thread>

#include "GeometryWalk.h"
#include "HugePages.h"
#include "Normals.h"
#include "TextFormat.h"

namespace {

bool finite(const Qor::Vertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Finds each exported vertex of one primitive by its bytes, so that equal
// corners become one vertex. Open addressing over indices into the
// primitive's run of vertices; slots hold index + 1, 0 when free.
// Each vertex is its first `stride` bytes.
class VertexTable {
public:
    VertexTable(std::vector<unsigned char>& vertexData, std::size_t vertexBytes)
        : data(vertexData), base(vertexData.size()), stride(vertexBytes) {}

    std::uint32_t indexOf(const ExportVertex& vertex) {
        if ((count + 1) * 2 > slots.size()) grow();
        std::size_t at = hash(&vertex) & (slots.size() - 1);
        for (; slots[at] != 0; at = (at + 1) & (slots.size() - 1)) {
            const std::uint32_t index = slots[at] - 1;
            if (std::memcmp(record(index), &vertex, stride) == 0) return index;
        }
        const auto index = static_cast<std::uint32_t>(count++);
        slots[at] = index + 1;
        data.resize(data.size() + stride);
        std::memcpy(data.data() + data.size() - stride, &vertex, stride);
        return index;
    }

private:
    const unsigned char* record(std::size_t index) const { return data.data() + base + index * stride; }

    std::size_t hash(const void* vertex) const {
        std::uint32_t words[sizeof(ExportVertex) / 4];
        std::memcpy(words, vertex, stride);
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::size_t k = 0; k < stride / 4; ++k) h = (h ^ words[k]) * 0xFF51AFD7ED558CCDull;
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
    std::size_t stride;
    std::size_t count = 0;
    std::vector<std::uint32_t> slots;
};

// What the export asks of a level vertex, worked out once.
struct VertexFacts {
    Qor::Direction stored{};  // when hasStored
    bool hasStored = false;
    bool finite = false;
};

// The exported vertex last made from a level vertex: its index, and the
// primitive it was made for, numbered from 1.
struct LastMade {
    std::uint32_t primitive = 0;
    std::uint32_t index = 0;
};

// The corners of one primitive: each becomes the index of its vertex, made
// the first time it is met.
class Corners {
public:
    Corners(std::vector<unsigned char>& vertexData, std::size_t vertexBytes, std::uint32_t primitive,
            std::vector<std::uint32_t>& indices)
        : table(vertexData, vertexBytes), data(vertexData), first(vertexData.size()), stride(vertexBytes),
          ordinal(primitive), out(indices) {}

    void add(const Qor::Vertex& v, const VertexFacts& facts, LastMade& last, const Qor::Direction& normal) {
        // A vertex with a stored normal always has it; one without has its
        // triangle's, which may differ from the last triangle's.
        if (last.primitive != ordinal || (!facts.hasStored && normalOf(last.index) != normal)) make(v, last, normal);
        out.push_back(last.index);
    }

private:
    Qor::Direction normalOf(std::uint32_t index) const {
        Qor::Direction normal;
        std::memcpy(normal.data(), data.data() + first + index * stride + offsetof(ExportVertex, normal),
                    sizeof normal);
        return normal;
    }

    void make(const Qor::Vertex& v, LastMade& last, const Qor::Direction& normal) {
        last.primitive = ordinal;
        const auto coordinate = [](float value) { return std::isfinite(value) ? value : 0.0f; };
        last.index = table.indexOf(ExportVertex{{v.x, v.y, v.z},
                                                normal,
                                                {v.colour[0], v.colour[1], v.colour[2], v.alpha},
                                                {coordinate(v.texture[0]), coordinate(v.texture[1])}});
    }

    VertexTable table;
    const std::vector<unsigned char>& data;
    std::size_t first;
    std::size_t stride;
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
    primitive.name = Qor::validUtf8(material.name);
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

// A texture drawn: its groups and the corners they claim.
struct Texture {
    std::uint32_t texture;
    std::vector<const Qor::TextureGroup*> groups;
    std::size_t claimed;
};

// Below this many corners a level is built on one thread.
constexpr std::size_t parallelCorners = 1 << 18;

// Geometry with room for `corners` corners at once, so that a large level
// is not copied as it grows. Most corners share a vertex: the vertices get
// room for as many as the level has, with some to spare for corners that
// take their triangle's normal, and beyond them for `indexCorners` indices
// that a glTF export appends.
ExportGeometry emptyGeometry(const Qor::BSP& level, std::size_t corners, std::size_t indexCorners,
                             std::size_t vertexBytes) {
    ExportGeometry geometry;
    geometry.vertexBytes = vertexBytes;
    const std::size_t vertexRoom = std::min(corners, level.vertices.size() + level.vertices.size() / 4);
    reserve(geometry.vertexData, vertexRoom * vertexBytes + indexCorners * sizeof(std::uint32_t));
    reserve(geometry.indexData, indexCorners * sizeof(std::uint16_t));
    return geometry;
}

// Builds one primitive for each texture from begin to end, after those
// `into` holds.
void buildPrimitives(const Qor::BSP& level, const std::vector<VertexFacts>& facts,
                     std::vector<Texture>::const_iterator begin, std::vector<Texture>::const_iterator end,
                     ExportGeometry& into) {
    std::vector<LastMade> lastMade;
    reserve(lastMade, facts.size() * sizeof(LastMade));
    lastMade.resize(facts.size());
    const auto storedOf = [](const VertexFacts& v) {
        return v.hasStored ? std::optional<Qor::Direction>(v.stored) : std::nullopt;
    };
    std::vector<std::uint32_t> indices;
    std::uint32_t ordinal = 0;
    for (auto texture = begin; texture != end; ++texture) {
        ExportPrimitive primitive;
        primitive.firstVertex = into.vertexCount();
        Corners made(into.vertexData, into.vertexBytes, ++ordinal, indices);
        for (const Qor::TextureGroup* group : texture->groups) {
            Qor::forEachTrianglePosition(level, *group, [&](std::size_t, const std::array<std::uint32_t, 3>& at) {
                const std::size_t na = at[0], nb = at[1], nc = at[2];
                if (!facts[na].finite || !facts[nb].finite || !facts[nc].finite) return;
                const Qor::Vertex a = level.vertices[na], b = level.vertices[nb], c = level.vertices[nc];
                const std::array<Qor::Direction, 3> normals =
                    Qor::cornerNormals({storedOf(facts[na]), storedOf(facts[nb]), storedOf(facts[nc])}, a, b, c);
                made.add(a, facts[na], lastMade[na], normals[0]);
                made.add(b, facts[nb], lastMade[nb], normals[1]);
                made.add(c, facts[nc], lastMade[nc], normals[2]);
            });
        }
        if (indices.empty()) continue;
        primitive.vertexCount = into.vertexCount() - primitive.firstVertex;
        primitive.indexCount = indices.size();
        primitive.shortIndices = primitive.vertexCount < 0xFFFF;
        primitive.indexOffset = into.indexData.size();
        appendIndices(into.indexData, indices, primitive.shortIndices);
        indices.clear();
        describe(primitive, level, texture->texture);
        enclose(primitive, into);
        into.primitives.push_back(std::move(primitive));
    }
}

// Appends the primitives of another run after those `into` holds.
void append(ExportGeometry& into, ExportGeometry part) {
    const std::size_t vertices = into.vertexCount();
    const std::size_t indexBytes = into.indexData.size();
    into.vertexData.insert(into.vertexData.end(), part.vertexData.begin(), part.vertexData.end());
    into.indexData.insert(into.indexData.end(), part.indexData.begin(), part.indexData.end());
    for (ExportPrimitive& primitive : part.primitives) {
        primitive.firstVertex += vertices;
        primitive.indexOffset += indexBytes;
        into.primitives.push_back(std::move(primitive));
    }
}

}  // namespace

ExportGeometry exportGeometry(const Qor::BSP& level, const Qor::HiddenMaterials& hidden, bool textureCoordinates) {
    // The textures drawn, in order, each with its groups and the corners
    // they claim as far as the level holds them: the corners exported when
    // no groups overlap and every corner is finite.
    std::vector<Texture> textures;
    std::map<std::uint32_t, std::size_t> position;
    const std::size_t levelCorners = level.triangles.size() * 3;
    Qor::forEachDrawnGroup(level, false, 0, hidden, [&](const Qor::TextureGroup& group) {
        const auto [at, added] = position.emplace(group.texture, 0);
        if (added) at->second = textures.size(), textures.push_back({group.texture, {}, 0});
        Texture& texture = textures[at->second];
        texture.groups.push_back(&group);
        if (group.firstIndex < levelCorners)
            texture.claimed += std::min<std::size_t>(group.indexCount, levelCorners - group.firstIndex);
    });
    std::sort(textures.begin(), textures.end(),
              [](const Texture& a, const Texture& b) { return a.texture < b.texture; });

    // Each level vertex meets several triangles, so what the export asks of
    // it is worked out once.
    std::vector<VertexFacts> facts;
    reserve(facts, level.vertices.size() * sizeof(VertexFacts));
    for (const Qor::Vertex& v : level.vertices) {
        const std::optional<Qor::Direction> stored = Qor::storedNormal(v);
        facts.push_back({stored.value_or(Qor::Direction{}), stored.has_value(), finite(v)});
    }

    // A large level is split in two runs of textures with about as many
    // corners each, built side by side; every primitive is built alone, so
    // the result is the same either way.
    std::size_t claimed = 0;
    for (const Texture& texture : textures) claimed += texture.claimed;
    auto split = textures.end();
    if (claimed >= parallelCorners && std::thread::hardware_concurrency() > 1) {
        std::size_t first = 0;
        split = std::find_if(textures.begin(), textures.end(), [&](const Texture& texture) {
            first += texture.claimed;
            return 2 * first > claimed;
        });
    }
    std::size_t secondClaimed = 0;
    for (auto texture = split; texture != textures.end(); ++texture) secondClaimed += texture->claimed;
    // The first run has room for the whole level, so that the second's
    // vertices and indices join its own without moving them.
    const std::size_t corners = std::min(claimed, levelCorners);
    const std::size_t vertexBytes = textureCoordinates ? sizeof(ExportVertex) : plainVertexBytes;
    ExportGeometry geometry = emptyGeometry(level, corners, corners, vertexBytes);
    ExportGeometry second = emptyGeometry(level, secondClaimed, 0, vertexBytes);
    const auto build = [&](auto begin, auto end, ExportGeometry& into) { buildPrimitives(level, facts, begin, end, into); };
    std::thread worker;
    if (split != textures.end()) {
        try {
            worker = std::thread(build, split, textures.end(), std::ref(second));
        } catch (const std::system_error&) {
            build(split, textures.end(), second);
        }
    }
    build(textures.begin(), split, geometry);
    if (worker.joinable()) worker.join();
    append(geometry, std::move(second));
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

