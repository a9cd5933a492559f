#include "EntityMarkers.h"

#include "TextFormat.h"

namespace Qor {

std::optional<Marker> entityMarker(const BSP& level, std::size_t entity) {
    if (entity >= level.entities.size()) return std::nullopt;
    const Entity& found = level.entities[entity];
    const std::optional<std::array<double, 3>> origin = entityOrigin(found);
    if (!origin) return std::nullopt;
    return Marker{entity, *origin, entityKind(found)};
}

std::vector<Marker> entityMarkers(const BSP& level) {
    std::vector<Marker> markers;
    for (std::size_t entity = 0; entity < level.entities.size(); ++entity)
        if (const std::optional<Marker> marker = entityMarker(level, entity)) markers.push_back(*marker);
    return markers;
}

std::string markerLabel(const Entity& entity) {
    const std::string* classname = entity.value("classname");
    std::string label = classname != nullptr ? *classname : std::string();
    if (const std::string* targetname = entity.value("targetname")) label += " (" + *targetname + ")";
    return printableText(label);
}

}  // namespace Qor
