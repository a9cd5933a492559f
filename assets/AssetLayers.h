#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ZipArchive.h"

namespace Qor {

// Where images are looked for: folders and zip archives stacked in layers,
// later layers above earlier ones. Mounting happens before loading; once
// mounted the layers are only read, from any number of threads.
class AssetLayers {
public:
    // Where a name was found: its layer, its path there as stored, and in
    // an archive the member's index.
    struct Location {
        std::size_t layer = 0;
        std::string path;
        std::uint64_t member = 0;
    };
    // A file's bytes, or why they cannot be had (empty when they can),
    // phrased to follow "it ".
    struct Read {
        std::vector<std::uint8_t> bytes;
        std::string fault;
    };

    // Mounts a folder or a zip archive (told by its first bytes, whatever its
    // name) above everything mounted so far. A folder mounts each zip archive
    // directly in it, in name order, and then its own files above those.
    // Returns a WARNING line for each thing that could not be mounted.
    std::vector<std::string> mount(const std::string& path);

    // Mounts an archive held in memory, named root in messages.
    std::vector<std::string> mountArchive(const std::string& root, std::vector<std::uint8_t> bytes);

    std::size_t size() const { return layers_.size(); }
    // The folder or archive path of a layer, as mounted.
    const std::string& root(std::size_t layer) const { return layers_[layer].root; }
    bool isArchive(std::size_t layer) const { return layers_[layer].archive != nullptr; }

    // The first of the keys (see assetKey) held by the highest layer that
    // holds any of them; within a layer the keys are tried in their order.
    std::optional<Location> find(const std::vector<std::string>& keys) const;

    // The bytes of a file found (by find: a location made up elsewhere may
    // name no file); a file over maxFileBytes is refused.
    Read read(const Location& location) const;

    // How messages name a file found: "'path' in 'archive'", or "'folder/path'".
    std::string describe(const Location& location) const;

private:
    struct Layer {
        std::string root;
        std::unique_ptr<ZipArchive> archive;
        // By key: the path as stored, and for archives its member index.
        std::unordered_map<std::string, std::pair<std::string, std::uint64_t>> files;
    };

    std::string mountArchiveFile(const std::string& path);
    void mountFolder(const std::string& path);
    void addArchive(const std::string& root, std::unique_ptr<ZipArchive> archive);

    std::vector<Layer> layers_;
};

// The folder to mount when none is given: the nearest of the level file's
// folder and its ancestors, four folders in all, that holds a folder named
// "textures" or "images" (in any letter case) or a zip archive.
std::optional<std::string> assetsNearLevel(const std::string& levelPath);

}  // namespace Qor
