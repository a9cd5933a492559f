#pragma once

// The textured look's images: found and decoded on worker threads from the
// moment a level is read, handed to OpenGL on the GL thread the first time
// the look is drawn. A material without an image is drawn with one shared
// checkerboard, tinted by its colour.

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AssetLayers.h"
#include "TextureLoader.h"

namespace Qor {
class BSP;
}

// Where a material's image came from, or why it has none; the same values
// the panel and the report show.
struct MaterialImage {
    bool found = false;
    std::string root;  // the folder or archive, as mounted
    std::string path;  // the image's path there
};

// How many of the materials have an image.
std::size_t foundImages(const std::vector<MaterialImage>& images);

class MaterialTextures {
public:
    MaterialTextures() = default;
    ~MaterialTextures();
    MaterialTextures(const MaterialTextures&) = delete;
    MaterialTextures& operator=(const MaterialTextures&) = delete;

    // Starts looking for the images of the level's materials in layers,
    // dropping whatever an earlier level had; with no layers nothing is
    // looked for and every material shows the checkerboard.
    void start(std::shared_ptr<const Qor::AssetLayers> layers, const Qor::BSP& level);
    // Whether images are looked for at all.
    bool configured() const { return layers_ != nullptr; }

    // Waits for the images still being decoded, so that images() tells
    // which were found; afterwards a no-op until the next start. Refused
    // images' WARNING lines go to stderr.
    void collect();
    // Collects, then hands every image to OpenGL; afterwards a no-op until
    // the next start. The context must be current.
    void upload();
    bool uploaded() const { return uploaded_; }

    // The texture a group with this texture index is drawn with: its image,
    // or the checkerboard. Only after upload.
    GLuint textureOf(std::uint32_t texture) const;
    bool hasImage(std::uint32_t texture) const {
        return texture < images_.size() && images_[texture].found;
    }

    // Per material: found or not, and where. Known once the images are
    // collected, empty before.
    const std::vector<MaterialImage>& images() const { return images_; }

    // Frees the textures; the context must be current if any were made.
    void release();

    // The most all images together may take in OpenGL, in bytes.
    std::uint64_t budgetBytes = 512ull * 1024 * 1024;

private:
    void uploadImages();
    bool collected_ = false;
    std::vector<Qor::Image> decoded_;  // collected, not yet uploaded

    std::shared_ptr<const Qor::AssetLayers> layers_;
    std::unique_ptr<Qor::TextureLoader> loader_;
    std::vector<MaterialImage> images_;
    std::vector<GLuint> names_;  // per material, 0 for none
    GLuint checker_ = 0;
    bool uploaded_ = false;
};
