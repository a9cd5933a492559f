#include "TextureLoader.h"

#include "AssetPath.h"
#include "ImageDecode.h"

namespace Qor {

TextureResult loadTexture(const AssetLayers& layers, const std::string& materialName) {
    const std::optional<AssetLayers::Location> location = layers.find(candidateNames(materialName));
    if (!location) return TextureMissing{noImageFound};
    auto refused = [&](const std::string& fault) {
        return TextureMissing{"WARNING: Skipped the image " + layers.describe(*location) + ": it " + fault + "."};
    };
    AssetLayers::Read file = layers.read(*location);
    if (!file.fault.empty()) return refused(file.fault);
    DecodeResult decoded = decodeImage(file.bytes.data(), file.bytes.size());
    if (!decoded.fault.empty()) return refused(decoded.fault);
    return TextureFound{layers.root(location->layer), location->path, *location, std::move(decoded.image)};
}

TextureLoader::TextureLoader(std::shared_ptr<const AssetLayers> layers, std::vector<std::string> materialNames,
                             unsigned threads)
    : layers_(std::move(layers)), names_(std::move(materialNames)), results_(names_.size()) {
    if (threads == 0) threads = std::thread::hardware_concurrency();
    if (threads == 0) threads = 1;
    for (unsigned i = 0; i < threads && i < names_.size(); ++i) workers_.emplace_back([this] { work(); });
}

TextureLoader::~TextureLoader() {
    stopping_ = true;
    wait();
}

void TextureLoader::work() {
    for (std::size_t i = next_++; i < names_.size() && !stopping_; i = next_++)
        results_[i] = loadTexture(*layers_, names_[i]);
}

void TextureLoader::wait() {
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

TextureResult TextureLoader::take(std::size_t index) { return std::move(results_[index]); }

}  // namespace Qor
