#pragma once

// A small level for the find prompt: entities with and without an origin,
// and three materials, the first on two walls facing -y (one near, one far),
// the second on a floor facing +z, the third on nothing.

#include <limits>

#include "TestSupport.h"

namespace testsupport {

inline Qor::LevelContents findLevelContents() {
    Qor::LevelContents contents;
    const auto wall = [](float y) {
        return std::vector<Qor::Vertex>{{-10, y, -10, 255, {}}, {10, y, -10, 255, {}}, {0, y, 10, 255, {}}};
    };
    for (const float y : {100.0f, 1000.0f})
        for (const Qor::Vertex& v : wall(y)) contents.vertices.push_back(v);
    for (const Qor::Vertex& v : std::vector<Qor::Vertex>{{-10, -10, 0, 255, {}}, {10, -10, 0, 255, {}}, {0, 10, 0, 255, {}}})
        contents.vertices.push_back(v);
    // A corner that is not a number: its triangle is never gone to.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Qor::Vertex& v : std::vector<Qor::Vertex>{{nan, 0, 0, 255, {}}, {1, 0, 0, 255, {}}, {0, 1, 0, 255, {}}})
        contents.vertices.push_back(v);
    contents.triangles = {Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 1, 2}}, Qor::Triangle{{0, 1, 2}},
                          Qor::Triangle{{0, 1, 2}}};
    // texture, first vertex, vertex count, first index, index count
    contents.textureGroups = {{0, 9, 3, 9, 3}, {0, 3, 3, 3, 3}, {0, 0, 3, 0, 3}, {1, 6, 3, 6, 3}};
    contents.materials = {{"common/Alarm_Panel", 0, 0}, {"base/floor", 0, 0}, {"unused/alarmish", 0, 0}};
    contents.entities = {{{{"classname", "worldspawn"}, {"message", "ALARM base"}}},
                         {{{"classname", "target_speaker"}, {"targetname", "alarm3"}, {"origin", "0 50 0"}}},
                         {{{"classname", "light"}, {"alarm_key", "none"}, {"origin", "5 5 5"}}},
                         {{{"classname", "info_player_start"}, {"noise", "sound/ALARM.wav"}, {"origin", "0 -50 20"}}}};
    return contents;
}

}  // namespace testsupport
