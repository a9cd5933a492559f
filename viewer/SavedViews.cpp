#include "SavedViews.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

const char* const memoryOnlyEnding = "views are kept for this session only.";

std::optional<double> finiteNumber(const Json& value) {
    if (!value.is_number()) return std::nullopt;
    const double number = value.get<double>();
    return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

// One slot as the file holds it; a slot that is not whole is left out.
std::optional<SavedView> viewFrom(const Json& slot) {
    if (!slot.is_object()) return std::nullopt;
    SavedView view;
    const auto position = slot.find("position");
    if (position == slot.end() || !position->is_array() || position->size() != 3) return std::nullopt;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const auto number = finiteNumber((*position)[axis]);
        if (!number) return std::nullopt;
        view.position[axis] = *number;
    }
    const auto yaw = slot.find("yaw");
    const auto pitch = slot.find("pitch");
    const auto look = slot.find("look");
    if (yaw == slot.end() || pitch == slot.end() || look == slot.end() || !look->is_string()) return std::nullopt;
    const auto yawValue = finiteNumber(*yaw);
    const auto pitchValue = finiteNumber(*pitch);
    const auto lookValue = parseLook(look->get<std::string>());
    if (!yawValue || !pitchValue || !lookValue) return std::nullopt;
    view.yaw = *yawValue;
    view.pitch = *pitchValue;
    view.look = *lookValue;
    return view;
}

Json jsonOf(const SavedView& view) {
    return Json{{"position", view.position}, {"yaw", view.yaw}, {"pitch", view.pitch}, {"look", lookName(view.look)}};
}

// The file as JSON: an empty object when there is none yet; nothing when it
// cannot be read or is not an object whose "levels" is an object.
std::optional<Json> readViewsFile(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error) && !error) return Json{{"levels", Json::object()}};
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Json json = Json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    const auto levels = json.find("levels");
    if (levels == json.end()) json["levels"] = Json::object();
    else if (!levels->is_object()) return std::nullopt;
    return json;
}

// Written whole beside the file, then moved over it, so that a crash or a
// full disk never leaves half a file. The reason when it fails.
std::string writeAtomically(const fs::path& file, const std::string& text) {
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error) return error.message();
    std::string temporary = (file.parent_path() / (file.filename().string() + ".XXXXXX")).string();
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return std::strerror(errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t now = ::write(descriptor, text.data() + written, text.size() - written);
        if (now < 0 && errno == EINTR) continue;
        if (now <= 0) break;
        written += static_cast<std::size_t>(now);
    }
    const int writeError = written == text.size() ? 0 : errno != 0 ? errno : EIO;
    const bool synced = writeError == 0 && fsync(descriptor) == 0;
    const int syncError = synced ? 0 : errno;
    ::close(descriptor);
    if (writeError != 0 || !synced) {
        std::remove(temporary.c_str());
        return std::strerror(writeError != 0 ? writeError : syncError);
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        const int renameError = errno;
        std::remove(temporary.c_str());
        return std::strerror(renameError);
    }
    return {};
}

}  // namespace

fs::path savedViewsPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    fs::path base;
    if (state != nullptr && fs::path(state).is_absolute()) {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') return {};
        base = fs::path(home) / ".local" / "state";
    }
    return base / "orvandel" / "views.json";
}

SavedViews::SavedViews(fs::path file_, const std::string& levelPath) : file(std::move(file_)) {
    std::error_code error;
    const fs::path absolute = fs::absolute(levelPath, error);
    level = (error ? fs::path(levelPath) : absolute).lexically_normal().string();
}

void SavedViews::keepInMemory(const std::string& warning) {
    if (!memoryOnly) std::cerr << "WARNING: " << warning << '\n';
    memoryOnly = true;
}

void SavedViews::load() {
    if (loaded) return;
    loaded = true;
    if (file.empty()) return;
    const std::optional<Json> json = readViewsFile(file);
    if (!json) {
        keepInMemory("Could not read the saved views file '" + file.string() +
                     "'; it is left as it is, and " + memoryOnlyEnding);
        return;
    }
    const Json& levels = (*json)["levels"];
    const auto ours = levels.find(level);
    if (ours == levels.end() || !ours->is_object()) return;
    for (int slot = 1; slot <= 9; ++slot) {
        const auto entry = ours->find(std::to_string(slot));
        if (entry == ours->end()) continue;
        if (const auto view = viewFrom(*entry)) slots[slot] = *view;
    }
}

std::optional<SavedView> SavedViews::get(int slot) {
    load();
    const auto found = slots.find(slot);
    return found != slots.end() ? std::optional<SavedView>(found->second) : std::nullopt;
}

void SavedViews::save(int slot, const SavedView& view) {
    load();
    slots[slot] = view;
    if (memoryOnly) return;
    if (file.empty()) {
        keepInMemory(std::string("Neither XDG_STATE_HOME nor HOME is set; ") + memoryOnlyEnding);
        return;
    }
    // Read again: another viewer may have saved views since.
    std::optional<Json> json = readViewsFile(file);
    if (!json) {
        keepInMemory("Could not read the saved views file '" + file.string() +
                     "'; it is left as it is, and " + memoryOnlyEnding);
        return;
    }
    Json& ours = (*json)["levels"][level];
    if (!ours.is_object()) ours = Json::object();
    ours[std::to_string(slot)] = jsonOf(view);
    const std::string reason = writeAtomically(file, json->dump(2) + '\n');
    if (!reason.empty())
        std::cerr << "WARNING: Could not write the saved views file '" << file.string() << "': '" << reason
                  << "'.\n";
}
