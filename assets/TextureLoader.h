#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "AssetLayers.h"
#include "Image.h"

namespace Qor {

// A material's image, found and decoded.
struct TextureFound {
    std::string root;  // the folder or archive it came from, as mounted
    std::string path;  // its path there, as stored
    // Where it is, to read its original bytes again with AssetLayers::read.
    AssetLayers::Location location;
    Image image;
};

// A material shown without an image, and why.
struct TextureMissing {
    // "no image of that name" when none was found; otherwise the image found
    // was refused and this is the WARNING line that says why.
    std::string why;
};

using TextureResult = std::variant<TextureFound, TextureMissing>;

constexpr const char* noImageFound = "no image of that name";

// Finds and decodes one material's image. The WARNING line of a refused image
// is the missing value's why; the caller prints it.
TextureResult loadTexture(const AssetLayers& layers, const std::string& materialName);

// Finds and decodes the images of a level's materials on worker threads, one
// per core, starting at once. The GL thread waits, then takes each result.
class TextureLoader {
public:
    // threads 0 means one per core.
    TextureLoader(std::shared_ptr<const AssetLayers> layers, std::vector<std::string> materialNames,
                  unsigned threads = 0);
    // Stops the workers after the images they are on.
    ~TextureLoader();
    TextureLoader(const TextureLoader&) = delete;
    TextureLoader& operator=(const TextureLoader&) = delete;

    // Blocks until every material has its result.
    void wait();
    std::size_t size() const { return names_.size(); }
    // The result of the material at index, in the order given; only after
    // wait(). Taking moves it out: a second take gets an empty found value.
    TextureResult take(std::size_t index);

private:
    void work();

    std::shared_ptr<const AssetLayers> layers_;
    std::vector<std::string> names_;
    std::vector<TextureResult> results_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> workers_;
};

}  // namespace Qor
