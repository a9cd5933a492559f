#include "EntityLabels.h"

#include <algorithm>
#include <utility>

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

bool overlap(const LabelBox& a, const LabelBox& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::vector<Label> placeLabels(std::vector<Label> labels, int advance, int lineHeight) {
    std::vector<Label> placed;
    placed.reserve(labels.size());
    for (Label& label : labels) {
        const int x = static_cast<int>(label.at.x);
        const int y = static_cast<int>(label.at.y);
        const int width = static_cast<int>(label.text.size()) * advance;
        const LabelBox slots[] = {{x + labelGap, y - lineHeight / 2, width, lineHeight},
                                  {x - width / 2, y - labelGap - lineHeight, width, lineHeight},
                                  {x - width / 2, y + labelGap, width, lineHeight}};
        for (const LabelBox& slot : slots) {
            const bool free = std::none_of(placed.begin(), placed.end(),
                                           [&](const Label& other) { return overlap(slot, other.box); });
            if (!free) continue;
            label.box = slot;
            placed.push_back(std::move(label));
            break;
        }
    }
    return placed;
}
