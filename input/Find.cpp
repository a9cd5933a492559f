#include <algorithm>
#include <cmath>

#include "CameraPlacement.h"
#include "CameraRequest.h"
#include "Input.h"

void openFind(View& view, Controls& controls) {
    view.find = FindPrompt{};
    view.find.open = true;
    // The keys that now type would otherwise fly on until released.
    controls.releaseAll();
}

void lookAtTriangle(View& view, const Qor::FoundTriangle& found) {
    const auto& n = found.normal;
    for (std::size_t axis = 0; axis < 3; ++axis)
        view.cameraPos[axis] = found.centre[axis] + materialViewDistance * n[axis];
    // Looking straight up or down leaves the heading as it was.
    if (std::hypot(n[0], n[1]) > 1e-9) view.cameraYaw = std::atan2(-n[0], -n[1]);
    view.cameraPitch = std::clamp(std::asin(std::clamp(-n[2], -1.0, 1.0)), -pitchLimit, pitchLimit);
}

bool stepFind(View& view, const InputScene& scene, bool backward) {
    FindPrompt& find = view.find;
    const std::vector<Qor::FindMatch> matches = Qor::findMatches(scene.level, find.text);
    find.total = matches.size();
    find.material = -1;
    if (matches.empty()) {
        find.current = 0;
        find.label.clear();
        find.reached = false;
        return false;
    }
    // A reload may have left fewer matches than the one shown.
    const std::size_t count = matches.size();
    const std::size_t at = std::min(find.current, count);
    if (find.current == 0)
        find.current = backward ? count : 1;
    else
        find.current = backward ? (at == 1 ? count : at - 1) : at % count + 1;
    const Qor::FindMatch& match = matches[find.current - 1];
    find.label = match.label;
    find.reached = true;
    if (match.kind == Qor::FindMatch::Kind::entity) {
        const auto marker = std::find_if(scene.markers.begin(), scene.markers.end(),
                                         [&](const Qor::Marker& m) { return m.entity == match.index; });
        find.reached = marker != scene.markers.end();
        if (find.reached) focusEntity(view, *marker);
    } else {
        find.material = static_cast<std::int64_t>(match.index);
        const auto found = Qor::nearestTriangleOf(scene.level, static_cast<std::uint32_t>(match.index),
                                                  view.cameraPos);
        find.reached = found.has_value();
        if (found) lookAtTriangle(view, *found);
    }
    return true;
}

void applyFindKey(const InputEvent& event, View& view, const InputScene& scene) {
    if (!event.pressed) return;
    FindPrompt& find = view.find;
    switch (event.key) {
    case SDLK_ESCAPE:
        find.open = false;
        find.material = -1;
        return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: stepFind(view, scene, event.shift); return;
    case SDLK_BACKSPACE:
        if (find.text.empty()) return;
        find.text.pop_back();
        break;
    default:
        if (event.text == 0) return;
        find.text.push_back(event.text);
        break;
    }
    // New text, new matches: the next Enter starts from the first.
    find.current = 0;
    find.total = 0;
    find.label.clear();
    find.reached = true;
    find.material = -1;
}
