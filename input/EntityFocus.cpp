#include <algorithm>

#include "CameraPlacement.h"
#include "Input.h"

namespace {

// How j and k look at an entity: from this far, looking down this much.
constexpr double entityViewDistance = 128.0;
constexpr double entityViewPitchDegrees = -20.0;

}  // namespace

// The markers are in entity order, so the next one is the first past the
// selected entity, which a reload may have taken away or left without an
// origin.
void stepEntity(View& view, const std::vector<Qor::Marker>& markers, bool backward) {
    if (markers.empty()) return;
    std::size_t next = backward ? markers.size() - 1 : 0;
    if (view.selectedEntity >= 0) {
        const auto selected = static_cast<std::size_t>(view.selectedEntity);
        const auto byEntity = [](const Qor::Marker& marker, std::size_t entity) { return marker.entity < entity; };
        const auto at = std::lower_bound(markers.begin(), markers.end(), selected, byEntity);
        const auto position = static_cast<std::size_t>(at - markers.begin());
        if (!backward)
            next = at != markers.end() && at->entity == selected ? (position + 1) % markers.size()
                                                                 : position % markers.size();
        else
            next = position == 0 ? markers.size() - 1 : position - 1;
    }
    focusEntity(view, markers[next]);
}

void focusEntity(View& view, const Qor::Marker& marker) {
    view.selectedEntity = static_cast<std::int64_t>(marker.entity);
    view.cameraPitch = pitchFromDegrees(entityViewPitchDegrees);
    view.cameraPos = positionLookingAt(marker.origin, view.cameraYaw, view.cameraPitch, entityViewDistance);
}
