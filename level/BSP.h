#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Elements.h"
#include "FileBuffer.h"
#include "Records.h"

namespace Qor {

// A compiled level, read and decoded by the constructor and never changed
// afterwards. A file that cannot be loaded prints one line on stderr and
// leaves the level empty; a fault the load can work around prints a warning
// and keeps what could be read. Nothing is thrown.
class BSP {
public:
    BSP(const char* directoryPath, const char* levelPath);
    ~BSP();
    BSP(const BSP&) = delete;
    BSP& operator=(const BSP&) = delete;

    // Whether the load went through: a failed load keeps no file bytes.
    bool loaded() const { return buffer.data != nullptr; }
    // The version the file's header names; the level must have loaded.
    std::uint32_t version() const;
    // Whether this version's layout decodes the lump, by its position.
    bool decodes(std::uint32_t lump) const { return lumpLoaders.count(lump) != 0; }

    FileBuffer buffer{nullptr, 0};
    std::vector<Index> lumps;
    std::string fileName;
    std::uint32_t lumpCount = 0;

    std::vector<Plane> planes;
    std::vector<TextureGroup> textureGroups;
    // Read in place from the buffer's bytes.
    VertexRecords vertices;
    TriangleRecords triangles;
    std::vector<Material> materials;
    std::vector<Entity> entities;
    // Each ERROR and WARNING line the load wrote on stderr, in order, without
    // its line end, so that what the user was told can be shown again.
    std::vector<std::string> messages;

private:
    void useVersion4Layout();
    void useVersion59Layout();
    void readLumps();

    void loadPlanes();
    void loadTextureGroups();
    void loadVertices();
    void loadTriangles();
    void loadMaterials();
    void loadEntities();

    // Writes the line and its line end on stderr and keeps it in messages.
    void report(std::string line);

    template <typename Element>
    void loadRecords(std::vector<Element>& into, std::size_t recordSize,
                     Element (*decode)(const std::uint8_t* record));

    using Loader = void (BSP::*)();
    // The reader's place while it walks the directory and a lump.
    const std::uint8_t* cursor = nullptr;
    const std::uint8_t* lumpEnd = nullptr;
    std::map<std::uint32_t, Loader> lumpLoaders;
    std::string directory;
};

}  // namespace Qor
