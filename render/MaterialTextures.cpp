#include "MaterialTextures.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

#include "BSP.h"
#include "Dxt.h"
#include "ExtensionList.h"
#include "GlContext.h"
#include "Scale.h"

namespace {

// What the driver takes, asked once per upload.
struct Driver {
    bool nonPowerOfTwo = false;
    std::uint32_t maxSide = 64;
    // Null where the driver has no S3TC: blocks are then decoded here.
    PFNGLCOMPRESSEDTEXIMAGE2DPROC compressedImage = nullptr;
};

bool versionAtLeast(int major, int minor) {
    int hasMajor = 0;
    int hasMinor = 0;
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr || std::sscanf(version, "%d.%d", &hasMajor, &hasMinor) != 2) return false;
    return hasMajor > major || (hasMajor == major && hasMinor >= minor);
}

Driver askDriver() {
    Driver driver;
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    driver.nonPowerOfTwo = versionAtLeast(2, 0) || listsName(extensions, "GL_ARB_texture_non_power_of_two");
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    driver.maxSide = static_cast<std::uint32_t>(std::max(maxSide, GLint{64}));
    if (listsName(extensions, "GL_EXT_texture_compression_s3tc"))
        driver.compressedImage = reinterpret_cast<PFNGLCOMPRESSEDTEXIMAGE2DPROC>(
            glFunction(versionAtLeast(1, 3) ? "glCompressedTexImage2D" : "glCompressedTexImage2DARB"));
    return driver;
}

GLenum compressedFormat(Qor::PixelFormat format) {
    switch (format) {
    case Qor::PixelFormat::dxt1: return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case Qor::PixelFormat::dxt3: return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    case Qor::PixelFormat::dxt5: return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    case Qor::PixelFormat::rgba8: break;
    }
    return 0;
}

// Whether the image's stored levels go all the way down to 1 × 1, so that
// blocks can be handed over as they are, smaller levels included.
bool fullChain(const Qor::Image& image) {
    std::uint32_t side = std::max(image.width(), image.height());
    std::size_t levels = 1;
    while (side > 1) {
        side /= 2;
        ++levels;
    }
    return image.levels.size() == levels;
}

// Blocks are kept only when nothing needs rescaling: the size is one the
// driver takes as it is.
bool keepsBlocks(const Driver& driver, const Qor::Image& image, Qor::TextureSize size) {
    return driver.compressedImage != nullptr && image.format != Qor::PixelFormat::rgba8 && fullChain(image) &&
           size.width == image.width() && size.height == image.height();
}

void setSampling(GLint magnify) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnify);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

// One rgba8 level as the largest, its smaller ones made by the driver.
void uploadRgba(const Qor::MipLevel& level) {
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height),
                 0, GL_RGBA, GL_UNSIGNED_BYTE, level.bytes.data());
}

GLuint uploadImage(const Driver& driver, const Qor::Image& image, Qor::TextureSize size, unsigned halvings) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    setSampling(GL_LINEAR);
    if (keepsBlocks(driver, image, size)) {
        // Halving a full chain is dropping its largest levels.
        const std::size_t first = std::min<std::size_t>(halvings, image.levels.size() - 1);
        for (std::size_t k = first; k < image.levels.size(); ++k) {
            const Qor::MipLevel& level = image.levels[k];
            driver.compressedImage(GL_TEXTURE_2D, static_cast<GLint>(k - first), compressedFormat(image.format),
                                   static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), 0,
                                   static_cast<GLsizei>(level.bytes.size()), level.bytes.data());
        }
        return name;
    }
    Qor::MipLevel largest = image.format == Qor::PixelFormat::rgba8
                                ? image.levels.front()
                                : Qor::decodeBlocks(image.format, image.levels.front());
    const std::uint32_t width = std::max<std::uint32_t>(size.width >> halvings, 1);
    const std::uint32_t height = std::max<std::uint32_t>(size.height >> halvings, 1);
    if (width != largest.width || height != largest.height) largest = Qor::scaleRgba8(largest, width, height);
    uploadRgba(largest);
    return name;
}

// Eight by eight cells over one repeat of the texture coordinates, in full
// and three-quarter white, so that the material's colour tints both.
GLuint makeChecker() {
    constexpr std::uint32_t cells = 8;
    Qor::MipLevel level{cells, cells, std::vector<std::uint8_t>(cells * cells * 4, 255)};
    for (std::uint32_t y = 0; y < cells; ++y)
        for (std::uint32_t x = 0; x < cells; ++x)
            if ((x + y) % 2 == 1)
                for (std::size_t channel = 0; channel < 3; ++channel) level.bytes[(y * cells + x) * 4 + channel] = 191;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Cells stay sharp up close.
    setSampling(GL_NEAREST);
    uploadRgba(level);
    return name;
}

}  // namespace

MaterialTextures::~MaterialTextures() {
    if (glContextReady()) release();
}

void MaterialTextures::start(std::shared_ptr<const Qor::AssetLayers> layers, const Qor::BSP& level) {
    release();
    layers_ = std::move(layers);
    if (layers_ == nullptr) return;
    std::vector<std::string> names;
    names.reserve(level.materials.size());
    for (const Qor::Material& material : level.materials) names.push_back(material.name);
    loader_ = std::make_unique<Qor::TextureLoader>(layers_, std::move(names));
}

void MaterialTextures::upload() {
    if (uploaded_) return;
    uploaded_ = true;
    // The frame's state stays as it was: the panel's texture stays bound.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    checker_ = makeChecker();
    collect();
    uploadImages();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void MaterialTextures::collect() {
    if (collected_ || loader_ == nullptr) return;
    collected_ = true;
    loader_->wait();
    decoded_.assign(loader_->size(), Qor::Image());
    images_.assign(loader_->size(), MaterialImage{});
    for (std::size_t k = 0; k < loader_->size(); ++k) {
        Qor::TextureResult result = loader_->take(k);
        if (auto* found = std::get_if<Qor::TextureFound>(&result)) {
            images_[k] = MaterialImage{true, found->root, found->path};
            decoded_[k] = std::move(found->image);
        } else if (const auto& why = std::get<Qor::TextureMissing>(result).why; why != Qor::noImageFound) {
            std::cerr << why << '\n';
        }
    }
    loader_.reset();
}

void MaterialTextures::uploadImages() {
    std::vector<Qor::Image> decoded = std::move(decoded_);
    decoded_ = std::vector<Qor::Image>();
    const Driver driver = askDriver();
    std::vector<Qor::TextureSize> sizes(decoded.size());
    std::vector<Qor::PixelFormat> formats(decoded.size(), Qor::PixelFormat::rgba8);
    for (std::size_t k = 0; k < decoded.size(); ++k) {
        if (!images_[k].found) continue;
        sizes[k] = Qor::uploadSize({decoded[k].width(), decoded[k].height()}, driver.nonPowerOfTwo, driver.maxSide);
        if (keepsBlocks(driver, decoded[k], sizes[k])) formats[k] = decoded[k].format;
    }
    const std::vector<unsigned> halvings = Qor::budgetHalvings(sizes, formats, budgetBytes);
    names_.assign(decoded.size(), 0);
    for (std::size_t k = 0; k < decoded.size(); ++k) {
        if (!images_[k].found) continue;
        names_[k] = uploadImage(driver, decoded[k], sizes[k], halvings[k]);
        decoded[k] = Qor::Image();
    }
}

GLuint MaterialTextures::textureOf(std::uint32_t texture) const {
    return texture < names_.size() && names_[texture] != 0 ? names_[texture] : checker_;
}

std::size_t foundImages(const std::vector<MaterialImage>& images) {
    return static_cast<std::size_t>(
        std::count_if(images.begin(), images.end(), [](const MaterialImage& image) { return image.found; }));
}

void MaterialTextures::release() {
    loader_.reset();
    if (!names_.empty()) glDeleteTextures(static_cast<GLsizei>(names_.size()), names_.data());
    if (checker_ != 0) glDeleteTextures(1, &checker_);
    names_.clear();
    images_.clear();
    decoded_.clear();
    checker_ = 0;
    uploaded_ = false;
    collected_ = false;
}
