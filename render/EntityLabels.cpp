#include "EntityLabels.h"

#include <algorithm>

std::vector<Label> chooseLabels(const Qor::BSP& level, const std::vector<Qor::Marker>& markers,
                                const ViewBasis& view) {
    std::vector<Label> labels;
    for (const Qor::Marker& marker : markers) {
        const double distance = distanceBetween(view.eye, marker.origin);
        if (distance > labelReach) continue;
        const std::optional<ScreenPoint> at = projectPoint(view, marker.origin);
        if (!at || at->x < 0.0 || at->x >= view.width || at->y < 0.0 || at->y >= view.height) continue;
        labels.push_back(Label{marker.entity, marker.kind, std::string(), *at, distance});
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const Label& a, const Label& b) { return a.distance < b.distance; });
    if (labels.size() > mostLabels) labels.resize(mostLabels);
    for (Label& label : labels) label.text = Qor::markerLabel(level.entities[label.entity]);
    return labels;
}
