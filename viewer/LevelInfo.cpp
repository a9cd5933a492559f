#include "LevelInfo.h"

#include <cstdio>
#include <optional>
#include <string>

#include "BSP.h"
#include "Bounds.h"
#include "ByteReader.h"
#include "LevelFormat.h"

namespace {

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
    case Qor::format::lumpPlanes: return "planes";
    case Qor::format::lumpTextureGroups: return "textureGroups";
    case Qor::format::lumpVertices: return "vertices";
    case Qor::format::lumpTriangles: return "triangles";
    default: return "";
    }
}

void printDirectory(const Qor::BSP& level, std::ostream& out) {
    char line[96];
    std::snprintf(line, sizeof line, "%4s  %10s  %10s  %10s  %s\n", "lump", "offset", "length",
                  "records", "contents");
    out << '\n' << line;
    for (std::uint32_t lump = 0; lump < level.lumps.size(); ++lump) {
        const Qor::Index& index = level.lumps[lump];
        const bool decoded = index.length != 0 && level.lumpLoaders.count(lump) != 0;
        const std::size_t recordSize = Qor::format::recordSize(lump);
        std::string records = "-";
        if (decoded) records = std::to_string(recordSize == 0 ? 0 : index.length / recordSize);
        std::snprintf(line, sizeof line, "%4u  %10u  %10u  %10s  %s", lump, index.offset,
                      index.length, records.c_str(), decoded ? lumpName(lump) : "");
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
}

}  // namespace

bool levelLoaded(const Qor::BSP& level) { return level.buffer.data != nullptr; }

void printLevelInfo(const Qor::BSP& level, std::ostream& out) {
    out << "file: " << level.fileName << '\n'
        << "size: " << level.buffer.size << '\n'
        << "version: " << Qor::readU32(level.buffer.data + Qor::format::versionOffset) << '\n'
        << "lumps: " << level.lumps.size() << '\n'
        << "planes: " << level.planes.size() << '\n'
        << "textureGroups: " << level.textureGroups.size() << '\n'
        << "vertices: " << level.vertices.size() << '\n'
        << "triangles: " << level.triangles.size() << '\n';
    printBounds(level, out);
    printDirectory(level, out);
}
