#pragma once

// The views Ctrl+1 … Ctrl+9 save, kept per level file in one JSON file
// under the user's state folder, so that 1 … 9 and --camera view:N find
// them in a later run too.

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "Look.h"

struct SavedView {
    std::array<double, 3> position{};
    double yaw = 0.0;    // radians, as the view has them, so that they come back exactly
    double pitch = 0.0;
    Look look = Look::classic;
};

// $XDG_STATE_HOME/orvandel/views.json, or ~/.local/state/orvandel/views.json
// when XDG_STATE_HOME is unset, empty or not absolute; empty when neither
// that nor HOME is known.
std::filesystem::path savedViewsPath();

// The slots of one level. The file is read the first time a slot is asked
// for or saved, and read again before each save, so that the other levels'
// views, and views another viewer saved meanwhile, are kept. A file that
// does not parse is never written over: one warning, and the views of this
// session stay in memory.
class SavedViews {
public:
    SavedViews(std::filesystem::path file, const std::string& levelPath);

    std::optional<SavedView> get(int slot);
    void save(int slot, const SavedView& view);

private:
    void load();
    // Says once that the views stay in memory, and why.
    void keepInMemory(const std::string& warning);

    std::filesystem::path file;
    std::string level;  // the level file's absolute path, its key in the file
    bool loaded = false;
    bool memoryOnly = false;
    std::map<int, SavedView> slots;
};
