#include "ExportObj.h"

#include <charconv>
#include <cstdio>
#include <set>

namespace {

// Text gathered in large pieces and handed to the file, which remembers
// whether any piece failed.
class TextFile {
public:
    explicit TextFile(const std::string& path) : file(std::fopen(path.c_str(), "wb")) {}
    ~TextFile() {
        if (file != nullptr) std::fclose(file);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    TextFile& operator<<(std::string_view text) {
        pending += text;
        if (pending.size() >= 1 << 20) flush();
        return *this;
    }
    TextFile& operator<<(char c) { return *this << std::string_view(&c, 1); }
    TextFile& operator<<(float value) { return number(value); }
    TextFile& operator<<(double value) { return number(value); }
    TextFile& operator<<(std::size_t value) { return number(value); }

    // True when every byte reached the file and it closed cleanly.
    bool close() {
        if (file == nullptr) return false;
        flush();
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        return ok && closed;
    }

private:
    // The shortest digits that read back as the same value.
    template <typename Number>
    TextFile& number(Number value) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }

    void flush() {
        if (file != nullptr && !pending.empty())
            ok = std::fwrite(pending.data(), 1, pending.size(), file) == pending.size() && ok;
        pending.clear();
    }

    std::FILE* file;
    std::string pending;
    bool ok = true;
};

}  // namespace

std::vector<std::string> objMaterialNames(const ExportGeometry& geometry) {
    std::vector<std::string> names;
    std::set<std::string> used;
    for (const ExportPrimitive& primitive : geometry.primitives) {
        std::string name = primitive.name.empty() ? "unnamed" : primitive.name;
        for (char& c : name)
            if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '#') c = '_';
        const std::string plain = name;
        for (std::size_t n = 2; used.count(name) != 0; ++n) name = plain + "-" + std::to_string(n);
        used.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

bool writeObj(const ExportGeometry& geometry, double scale, const std::string& header, const std::string& path,
              const std::string& mtlName) {
    TextFile out(path);
    out << "# " << header << "\nmtllib " << mtlName << '\n';
    const std::vector<std::string> names = objMaterialNames(geometry);
    const auto scaled = [scale](float value) { return static_cast<float>(value * scale); };
    const bool textured = geometry.textureCoordinates();
    std::size_t written = 0;  // OBJ numbers vertices from 1 across the whole file
    for (std::size_t p = 0; p < geometry.primitives.size(); ++p) {
        const ExportPrimitive& primitive = geometry.primitives[p];
        out << "g " << names[p] << "\nusemtl " << names[p] << '\n';
        for (std::size_t v = 0; v < primitive.vertexCount; ++v) {
            const ExportVertex vertex = geometry.vertex(primitive.firstVertex + v);
            out << "v " << scaled(vertex.position[0]) << ' ' << scaled(vertex.position[2]) << ' '
                << scaled(-vertex.position[1]);
            for (std::size_t k = 0; k < 3; ++k) out << ' ' << static_cast<float>(vertex.colour[k] / 255.0);
            out << '\n';
        }
        for (std::size_t v = 0; v < primitive.vertexCount; ++v) {
            const ExportVertex vertex = geometry.vertex(primitive.firstVertex + v);
            out << "vn " << vertex.normal[0] << ' ' << vertex.normal[2] << ' ' << -vertex.normal[1] << '\n';
        }
        // OBJ's (0, 0) is the image's bottom-left, the level's its top-left.
        for (std::size_t v = 0; v < primitive.vertexCount && textured; ++v) {
            const ExportVertex vertex = geometry.vertex(primitive.firstVertex + v);
            out << "vt " << vertex.texture[0] << ' ' << 1.0f - vertex.texture[1] << '\n';
        }
        for (std::size_t i = 0; i < primitive.indexCount; i += 3) {
            out << 'f';
            for (std::size_t k = 0; k < 3; ++k) {
                const std::size_t number = written + 1 + geometry.index(primitive, i + k);
                out << ' ' << number << '/';
                if (textured) out << number;
                out << '/' << number;
            }
            out << '\n';
        }
        written += primitive.vertexCount;
    }
    return out.close();
}

bool writeMtl(const ExportGeometry& geometry, const std::string& header, const std::string& path,
              const std::vector<std::string>& imageNames) {
    TextFile out(path);
    out << "# " << header << '\n';
    const std::vector<std::string> names = objMaterialNames(geometry);
    for (std::size_t p = 0; p < geometry.primitives.size(); ++p) {
        const ExportPrimitive& primitive = geometry.primitives[p];
        // With an image, white: the image as it is, as the textured look shows it.
        const bool image = primitive.image && *primitive.image < imageNames.size();
        const std::array<double, 3> diffuse = image ? std::array<double, 3>{1, 1, 1} : linearColour(primitive.colour);
        out << "\nnewmtl " << names[p] << "\nKd " << diffuse[0] << ' ' << diffuse[1] << ' ' << diffuse[2]
            << "\nKs 0 0 0\nillum 1\n";
        if (image) out << "map_Kd " << imageNames[*primitive.image] << '\n';
    }
    return out.close();
}
