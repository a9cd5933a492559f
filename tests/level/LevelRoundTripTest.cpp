#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "LevelLoading.h"

namespace {

// Random levels with the extremes of every field drawn often: zero, the
// largest value the file can hold, and float patterns such as NaNs (quiet,
// signalling, negative), infinities, negative zero and subnormals.
class RandomLevels {
public:
    explicit RandomLevels(std::uint32_t seed) : random(seed) {}

    Qor::LevelContents next() {
        Qor::LevelContents level;
        level.planes.resize(count());
        for (Qor::Plane& p : level.planes) {
            p.a = signed32();
            p.b = signed32();
            p.c = signed32();
            p.d = signed32();
        }
        level.textureGroups.resize(count());
        for (Qor::TextureGroup& g : level.textureGroups) {
            g.texture = upTo(0xFFFFFFFFu);
            g.firstVertex = upTo(0xFFFFFFFFu);
            g.vertexCount = upTo(0xFFFFu);
            g.indexCount = upTo(0xFFFFu);
            g.firstIndex = upTo(0xFFFFFFFFu);
        }
        level.vertices.resize(count());
        for (Qor::Vertex& v : level.vertices) {
            v.x = float32();
            v.y = float32();
            v.z = float32();
            v.alpha = static_cast<std::uint8_t>(upTo(0xFFu));
        }
        level.triangles.resize(count());
        for (Qor::Triangle& t : level.triangles)
            for (std::uint32_t& corner : t.corners) corner = upTo(0xFFFFu);
        return level;
    }

private:
    std::mt19937 random;

    std::uint32_t draw(std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    }

    std::size_t count() { return draw(0, 4) == 0 ? 0 : draw(1, 40); }

    std::uint32_t upTo(std::uint32_t largest) {
        switch (draw(0, 5)) {
        case 0: return 0;
        case 1: return largest;
        default: return draw(0, largest);
        }
    }

    std::int32_t signed32() {
        const std::uint32_t bits = upTo(0xFFFFFFFFu);
        std::int32_t value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    float float32() {
        static const std::uint32_t extremes[] = {0x00000000u, 0x80000000u, 0x7F800000u, 0xFF800000u,
                                                0x7FC00000u, 0x7F800001u, 0xFFFFFFFFu, 0x00000001u,
                                                0x807FFFFFu, 0x7F7FFFFFu};
        const std::uint32_t pick = draw(0, 2 * std::size(extremes));
        const std::uint32_t bits = pick < std::size(extremes) ? extremes[pick] : draw(0, 0xFFFFFFFFu);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Every field of a sequence as 32-bit patterns, so that NaNs compare by bits.
std::vector<std::uint32_t> fields(const std::vector<Qor::Plane>& planes) {
    std::vector<std::uint32_t> out;
    for (const Qor::Plane& p : planes)
        for (std::int32_t value : {p.a, p.b, p.c, p.d}) out.push_back(static_cast<std::uint32_t>(value));
    return out;
}
std::vector<std::uint32_t> fields(const std::vector<Qor::TextureGroup>& groups) {
    std::vector<std::uint32_t> out;
    for (const Qor::TextureGroup& g : groups)
        out.insert(out.end(), {g.texture, g.firstVertex, g.vertexCount, g.firstIndex, g.indexCount});
    return out;
}
std::vector<std::uint32_t> fields(const std::vector<Qor::Vertex>& vertices) {
    std::vector<std::uint32_t> out;
    for (const Qor::Vertex& v : vertices) out.insert(out.end(), {bitsOf(v.x), bitsOf(v.y), bitsOf(v.z), v.alpha});
    return out;
}
std::vector<std::uint32_t> fields(const std::vector<Qor::Triangle>& triangles) {
    std::vector<std::uint32_t> out;
    for (const Qor::Triangle& t : triangles) out.insert(out.end(), t.corners.begin(), t.corners.end());
    return out;
}

TEST(LevelRoundTrip, ReadsBackEveryFieldTheWriterWrote) {
    RandomLevels levels(20240611);
    for (int n = 0; n < 48; ++n) {
        SCOPED_TRACE(testing::Message() << "level " << n);
        const Qor::LevelContents written = levels.next();
        const auto loaded = leveltest::loadBytes(Qor::writerFor(written).bytes());
        EXPECT_EQ(loaded.err, "");
        EXPECT_EQ(loaded.level->lumps.size(), 39u);
        EXPECT_EQ(fields(loaded.level->planes), fields(written.planes));
        EXPECT_EQ(fields(loaded.level->textureGroups), fields(written.textureGroups));
        EXPECT_EQ(fields(loaded.level->vertices), fields(written.vertices));
        EXPECT_EQ(fields(loaded.level->triangles), fields(written.triangles));
    }
}

}  // namespace
