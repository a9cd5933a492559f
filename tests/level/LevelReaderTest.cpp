#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "LevelFormat.h"
#include "LevelLoading.h"

namespace {

using leveltest::directoryWarning;
using leveltest::formatMessage;
using leveltest::load;
using leveltest::loadBytes;
using leveltest::versionMessage;
using leveltest::writerWith;

Qor::Bytes header(std::uint8_t v0, std::uint8_t v1, std::uint8_t v2, std::uint8_t v3) {
    return {'I', 'B', 'S', 'P', v0, v1, v2, v3};
}

Qor::Bytes withTail(Qor::Bytes bytes, std::size_t zeros) {
    bytes.insert(bytes.end(), zeros, 0);
    return bytes;
}

// One plane in lump 4 and two triangles in lump 9, so that a level shows
// which of its lumps were decoded.
Qor::LevelWriter planeAndTriangles() {
    return writerWith({{4, Qor::encodePlanes({Qor::Plane{1, 2, 3, 4}})},
                       {9, Qor::encodeTriangles({Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{2, 1, 0}}})}});
}

TEST(LevelReader, RefusesFilesOfEightBytesOrLessAsUnsupportedFormat) {
    for (const Qor::Bytes& bytes : {Qor::Bytes{}, header(4, 0, 0, 0), withTail({'I', 'B', 'S', 'Q', 4, 0, 0, 0}, 1),
                                    withTail({'i', 'b', 's', 'p', 4, 0, 0, 0}, 1)}) {
        SCOPED_TRACE(bytes.size());
        const auto loaded = loadBytes(bytes);
        EXPECT_EQ(loaded.err, formatMessage);
        leveltest::expectNothingKept(*loaded.level);
        leveltest::expectNoLayout(*loaded.level);
    }
}

TEST(LevelReader, LoadsANineByteFileWithoutDirectoryOrMessage) {
    const auto loaded = loadBytes(withTail(header(4, 0, 0, 0), 1));
    EXPECT_EQ(loaded.err, "");
    EXPECT_NE(loaded.level->buffer.data, nullptr);
    EXPECT_EQ(loaded.level->buffer.size, 9u);
    EXPECT_EQ(loaded.level->lumpCount, 39u);
    EXPECT_TRUE(loaded.level->lumps.empty());
    EXPECT_TRUE(loaded.level->planes.empty());
    EXPECT_TRUE(loaded.level->triangles.empty());
}

TEST(LevelReader, ReadsTheVersionLittleEndian) {
    const auto big = loadBytes(withTail(header(0, 0, 0, 4), 1));
    EXPECT_EQ(big.err, versionMessage);
    leveltest::expectNothingKept(*big.level);
    leveltest::expectNoLayout(*big.level);

    const auto unknown = loadBytes(withTail(header(5, 0, 0, 0), 1));
    EXPECT_EQ(unknown.err, versionMessage);

    const auto little = loadBytes(planeAndTriangles().bytes());
    EXPECT_EQ(little.err, "");
    EXPECT_EQ(little.level->planes.size(), 1u);
    EXPECT_EQ(little.level->lumpLoaders.size(), 6u);
}

TEST(LevelReader, ReadsAVersion59DirectoryWithoutDecodingIt) {
    Qor::LevelWriter writer = planeAndTriangles();
    writer.version = 59;
    writer.entryCount = 40;
    const auto loaded = loadBytes(writer.bytes());
    EXPECT_EQ(loaded.err, "");
    EXPECT_EQ(loaded.level->lumpCount, 33u);
    EXPECT_EQ(loaded.level->lumps.size(), 33u);
    EXPECT_TRUE(loaded.level->lumpLoaders.empty());
    EXPECT_TRUE(loaded.level->planes.empty());
    EXPECT_TRUE(loaded.level->triangles.empty());
}

TEST(LevelReader, ReadsNoMoreThan39EntriesForVersion4) {
    Qor::LevelWriter writer = planeAndTriangles();
    writer.entryCount = 40;
    auto entries = writer.layOut();
    // Read as an entry, this one would point outside the file.
    entries[39] = {2, 0xFFFFFFFFu};
    const auto loaded = loadBytes(writer.bytes(entries));
    EXPECT_EQ(loaded.err, "");
    EXPECT_EQ(loaded.level->lumps.size(), 39u);
    EXPECT_EQ(loaded.level->triangles.size(), 2u);
}

TEST(LevelReader, EndsTheDirectoryWhenFewerThanEightBytesRemain) {
    Qor::LevelWriter writer;
    writer.entryCount = 3;
    EXPECT_EQ(loadBytes(withTail(writer.bytes(), 7)).level->lumps.size(), 3u);
    const auto oneMore = loadBytes(withTail(writer.bytes(), 8));
    EXPECT_EQ(oneMore.err, "");
    EXPECT_EQ(oneMore.level->lumps.size(), 4u);
}

TEST(LevelReader, AcceptsALumpEndingAtTheEndOfTheFileAndStopsAtOnePast) {
    Qor::LevelWriter writer = planeAndTriangles();
    writer.lumpBytes[8] = Qor::encodeVertices({Qor::Vertex{}, Qor::Vertex{}});
    const std::uint32_t size = static_cast<std::uint32_t>(writer.bytes().size());
    auto entries = writer.layOut();

    entries[8].offset = size - entries[8].length;
    const auto fits = loadBytes(writer.bytes(entries));
    EXPECT_EQ(fits.err, "");
    EXPECT_EQ(fits.level->lumps.size(), 39u);
    EXPECT_EQ(fits.level->vertices.size(), 2u);

    entries[8].offset += 1;
    const auto past = loadBytes(writer.bytes(entries));
    EXPECT_EQ(past.err, directoryWarning(8));
    ASSERT_EQ(past.level->lumps.size(), 8u);
    EXPECT_EQ(past.level->lumps[4].length, 16u);
    EXPECT_NE(past.level->buffer.data, nullptr);
    EXPECT_EQ(past.level->planes.size(), 1u);
    EXPECT_TRUE(past.level->vertices.empty());
    EXPECT_TRUE(past.level->triangles.empty());
}

TEST(LevelReader, ChecksEntryBoundsWithoutWrapAround) {
    const Qor::LevelWriter writer = planeAndTriangles();
    for (const Qor::LevelWriter::Entry entry : {Qor::LevelWriter::Entry{2, 0xFFFFFFFFu},
                                                Qor::LevelWriter::Entry{0xFFFFFFFFu, 2}}) {
        auto entries = writer.layOut();
        entries[4] = entry;
        const auto loaded = loadBytes(writer.bytes(entries));
        EXPECT_EQ(loaded.err, directoryWarning(4));
        EXPECT_EQ(loaded.level->lumps.size(), 4u);
        EXPECT_TRUE(loaded.level->planes.empty());
    }
}

TEST(LevelReader, DispatchesOnlyNonEmptyLumpsThatHaveALoader) {
    // Lump 9 ends in a stray byte, so its loader leaves the cursor there;
    // dispatching the empty lump 37 or the loaderless lump 38 would move it.
    Qor::LevelWriter writer = planeAndTriangles();
    writer.lumpBytes[9].push_back(0xEE);
    writer.lumpBytes[38] = Qor::encodeTriangles({Qor::Triangle{}});
    auto entries = writer.layOut();
    entries[37].offset = 0;
    entries[4].length = 0;
    const auto loaded = loadBytes(writer.bytes(entries));
    EXPECT_EQ(loaded.err, "");
    EXPECT_TRUE(loaded.level->planes.empty());
    EXPECT_EQ(loaded.level->triangles.size(), 2u);
    const std::uint8_t* lump9 = loaded.level->buffer.data + entries[9].offset;
    EXPECT_EQ(loaded.level->cursor, lump9 + 12);
    EXPECT_EQ(loaded.level->lumpEnd, lump9 + 13);
}

TEST(LevelReader, SplitsDirectoryAndFileNameAtTheLastSeparatorWhateverTheOutcome) {
    struct Case {
        const char* directoryPath;
        const char* levelPath;
        const char* directory;
        const char* fileName;
    };
    const Case cases[] = {
        {"", "plain.d3dbsp", "", "plain.d3dbsp"},
        {"C:\\QOR2MAP", "Z:\\QOR2MAP\\mp_x.d3dbsp", "C:\\", "mp_x.d3dbsp"},
        {"base/maps", "/no/such/level.d3dbsp", "base/", "level.d3dbsp"},
        {"a/b\\c", "x\\y/z.d3dbsp", "a/b\\", "z.d3dbsp"},
        {"a\\b/c", "x/y\\z.d3dbsp", "a\\b/", "z.d3dbsp"},
        {"maps/", "maps/", "maps/", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.levelPath);
        const auto loaded = load(c.levelPath, c.directoryPath);
        EXPECT_EQ(loaded.err, leveltest::openMessage(c.levelPath));
        EXPECT_EQ(loaded.level->directory, c.directory);
        EXPECT_EQ(loaded.level->fileName, c.fileName);
    }
    const auto loaded = loadBytes(planeAndTriangles().bytes());
    EXPECT_EQ(loaded.level->fileName, "fixture.d3dbsp");
}

}  // namespace
