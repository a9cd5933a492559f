#include "AssetLayers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "AssetPath.h"
#include "ImageLimits.h"

namespace fs = std::filesystem;

namespace Qor {

namespace {

// Keeps the first of two stored paths that differ only in case, so that the
// pick does not hang on the order a folder or archive lists them.
template <typename Files, typename Value>
void keep(Files& files, std::string key, Value value) {
    auto [at, added] = files.emplace(std::move(key), value);
    if (!added && value.first < at->second.first) at->second = std::move(value);
}

bool isZipFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && fileLooksLikeZip(path.string());
}

}  // namespace

std::vector<std::string> AssetLayers::mount(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return {"WARNING: Could not open assets '" + path + "'."};
    if (fs::is_directory(status)) {
        std::vector<fs::path> archives;
        for (fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error))
            if (isZipFile(it->path())) archives.push_back(it->path());
        std::sort(archives.begin(), archives.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
        std::vector<std::string> messages;
        for (const fs::path& archive : archives) {
            std::string message = mountArchiveFile(archive.string());
            if (!message.empty()) messages.push_back(std::move(message));
        }
        mountFolder(path);
        return messages;
    }
    if (!isZipFile(path)) return {"WARNING: The assets '" + path + "' are neither a folder nor a zip archive."};
    std::string message = mountArchiveFile(path);
    if (message.empty()) return {};
    return {message};
}

std::vector<std::string> AssetLayers::mountArchive(const std::string& root, std::vector<std::uint8_t> bytes) {
    std::string fault;
    std::unique_ptr<ZipArchive> archive = ZipArchive::openBytes(std::move(bytes), fault);
    if (!archive) return {"WARNING: Could not read the archive '" + root + "': the archive library says '" + fault + "'."};
    addArchive(root, std::move(archive));
    return {};
}

std::string AssetLayers::mountArchiveFile(const std::string& path) {
    std::string fault;
    std::unique_ptr<ZipArchive> archive = ZipArchive::openFile(path, fault);
    if (!archive) return "WARNING: Could not read the archive '" + path + "': the archive library says '" + fault + "'.";
    addArchive(path, std::move(archive));
    return {};
}

void AssetLayers::addArchive(const std::string& root, std::unique_ptr<ZipArchive> archive) {
    Layer layer;
    layer.root = root;
    for (const ZipArchive::Member& member : archive->members())
        keep(layer.files, assetKey(member.name), std::make_pair(member.name, member.index));
    layer.archive = std::move(archive);
    layers_.push_back(std::move(layer));
}

void AssetLayers::mountFolder(const std::string& path) {
    Layer layer;
    layer.root = path;
    std::error_code error;
    // Links to folders are not followed, so that a link to an ancestor does
    // not walk forever.
    for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string relative = it->path().lexically_relative(path).generic_string();
        keep(layer.files, assetKey(relative), std::make_pair(relative, std::uint64_t{0}));
    }
    layers_.push_back(std::move(layer));
}

std::optional<AssetLayers::Location> AssetLayers::find(const std::vector<std::string>& keys) const {
    for (std::size_t layer = layers_.size(); layer-- > 0;) {
        for (const std::string& key : keys) {
            auto it = layers_[layer].files.find(key);
            if (it != layers_[layer].files.end()) return Location{layer, it->second.first, it->second.second};
        }
    }
    return std::nullopt;
}

AssetLayers::Read AssetLayers::read(const Location& location) const {
    const Layer& layer = layers_[location.layer];
    if (layer.archive) {
        ZipArchive::Read member = layer.archive->read(location.member);
        return {std::move(member.bytes), std::move(member.fault)};
    }
    Read result;
    std::ifstream file(fs::path(layer.root) / location.path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size < 0) {
        result.fault = "could not be read";
        return result;
    }
    if (static_cast<std::uint64_t>(size) > maxFileBytes) {
        result.fault = "is '" + std::to_string(size) + "' bytes, over '" + std::to_string(maxFileBytes) + "'";
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(result.bytes.data()), size)) {
        result.bytes.clear();
        result.fault = "could not be read";
    }
    return result;
}

std::string AssetLayers::describe(const Location& location) const {
    const Layer& layer = layers_[location.layer];
    if (layer.archive) return "'" + location.path + "' in '" + layer.root + "'";
    return "'" + (fs::path(layer.root) / location.path).string() + "'";
}

std::optional<std::string> assetsNearLevel(const std::string& levelPath) {
    std::error_code error;
    fs::path folder = fs::absolute(levelPath, error).lexically_normal().parent_path();
    for (int level = 0; level < 4 && !error && !folder.empty(); ++level) {
        for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            std::error_code typeError;
            const std::string name = assetKey(it->path().filename().string());
            if (((name == "textures" || name == "images") && it->is_directory(typeError)) || isZipFile(it->path()))
                return folder.string();
        }
        error.clear();
        if (folder == folder.root_path()) break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

}  // namespace Qor
