#include "ExportImages.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <variant>

#include "Dxt.h"
#include "PathParts.h"
#include "Png.h"
#include "TextureLoader.h"

namespace {

bool startsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> signature) {
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

// The stem of the file's name, past its folders: "textures/base/wall.tga"
// gives "wall".
std::string stemOf(const std::string& path) {
    const std::string name = Qor::nameOf(path);
    const auto dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return stem.empty() ? "image" : stem;
}

// The image as the export writes it; nothing when it cannot be encoded.
std::optional<ExportImage> exportImage(const Qor::AssetLayers& layers, const Qor::TextureFound& found) {
    const std::string stem = stemOf(found.path);
    Qor::AssetLayers::Read file = layers.read(found.location);
    if (file.fault.empty() && startsWith(file.bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        return ExportImage{stem + ".png", "image/png", std::move(file.bytes)};
    if (file.fault.empty() && startsWith(file.bytes, {0xFF, 0xD8, 0xFF}))
        return ExportImage{stem + ".jpg", "image/jpeg", std::move(file.bytes)};
    const Qor::Image rgba = found.image.format == Qor::PixelFormat::rgba8 ? found.image : Qor::decodeBlocks(found.image);
    if (rgba.levels.empty()) return std::nullopt;
    const Qor::MipLevel& top = rgba.levels.front();
    std::vector<std::uint8_t> png =
        encodePng(static_cast<int>(top.width), static_cast<int>(top.height), top.bytes);
    if (png.empty()) return std::nullopt;
    return ExportImage{stem + ".png", "image/png", std::move(png)};
}

}  // namespace

void addExportImages(ExportRequest& request, const Qor::BSP& level, const Qor::AssetLayers& layers,
                     std::ostream& warnings) {
    request.textureCoordinates = true;
    // By layer and path, the image already made from that file.
    std::map<std::pair<std::size_t, std::string>, std::size_t> made;
    for (std::size_t material = 0; material < level.materials.size(); ++material) {
        Qor::TextureResult result = Qor::loadTexture(layers, level.materials[material].name);
        if (const auto* missing = std::get_if<Qor::TextureMissing>(&result)) {
            if (missing->why != Qor::noImageFound) warnings << missing->why << '\n';
            continue;
        }
        const auto& found = std::get<Qor::TextureFound>(result);
        const auto key = std::make_pair(found.location.layer, found.location.path);
        auto at = made.find(key);
        if (at == made.end()) {
            std::optional<ExportImage> image = exportImage(layers, found);
            if (!image) {
                warnings << "WARNING: Skipped the image " << layers.describe(found.location)
                         << ": it could not be written as PNG.\n";
                continue;
            }
            request.images.push_back(std::move(*image));
            at = made.emplace(key, request.images.size() - 1).first;
        }
        request.materialImages.emplace(static_cast<std::uint32_t>(material), at->second);
    }
}
