#include "PanelText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "BSP.h"
#include "EntityMarkers.h"
#include "GeometryWalk.h"
#include "KeyHelp.h"
#include "MaterialColours.h"
#include "TextFormat.h"
#include "Measure.h"

namespace {

using Row = std::pair<std::string, std::string>;  // label, value

std::string point(double x, double y, double z) {
    return Qor::fixedDecimals(x, 1) + ' ' + Qor::fixedDecimals(y, 1) + ' ' + Qor::fixedDecimals(z, 1);
}

std::string degrees(double radians) { return Qor::fixedDecimals(radians * 180.0 / M_PI, 1) + " degrees"; }

std::string count(std::size_t value) { return std::to_string(value); }

// The fewest digits that read back as the same float: 1, 0.70710677, -0, 1e+30, nan.
std::string shortest(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

// The title, then the rows with their values in one column two spaces past
// the longest label.
std::vector<std::string> aligned(const std::string& title, const std::vector<Row>& rows) {
    std::size_t width = 0;
    for (const Row& row : rows) width = std::max(width, row.first.size());
    std::vector<std::string> lines{title};
    for (const auto& [label, value] : rows) lines.push_back(padded(label, width + 2) + value);
    return lines;
}

std::vector<std::string> levelPage(const PanelState& s) {
    const Qor::BSP& level = *s.level;
    const bool loaded = level.loaded();
    std::vector<Row> rows = {
        {"file", level.fileName},
        {"path", s.levelPath},
        {"size", loaded ? count(level.buffer.size) + " bytes" : "none"},
        {"version", loaded ? std::to_string(level.version()) : "none"},
        {"lumps read", count(level.lumps.size())},
        {"planes", count(level.planes.size())},
        {"texture groups", count(level.textureGroups.size())},
        {"vertices", count(level.vertices.size())},
        {"triangles", count(level.triangles.size())},
        {"materials", count(level.materials.size())},
    };
    if (s.images != nullptr)
        rows.push_back({"textures", s.images->size() == level.materials.size()
                                        ? count(foundImages(*s.images)) + " of " + count(level.materials.size()) +
                                              " found"
                                        : "looking"});
    rows.insert(rows.end(), {
        {"entities", count(level.entities.size())},
        {"bounds", s.bounds ? point(s.bounds->low[0], s.bounds->low[1], s.bounds->low[2]) + " to " +
                                  point(s.bounds->high[0], s.bounds->high[1], s.bounds->high[2])
                            : "none"},
        {"load time", plainNumber(s.levelLoadMilliseconds) + " ms"},
    });
    if (!s.view.hidden.showsAll()) {
        const Qor::HiddenCount hidden = Qor::countHidden(s.view.hidden, level);
        rows.push_back({"hidden", count(hidden.materials) + " materials, " + count(hidden.triangles) + " triangles"});
    }
    for (const std::string& message : level.messages) rows.push_back({"reader said", Qor::printableText(message)});
    for (const std::string& message : s.failedReload)
        rows.push_back({"reload failed", Qor::printableText(message)});
    return aligned("Level  (i hides it; F1 keys, F2 view)", rows);
}

std::vector<std::string> keysPage(const PanelState& s) {
    std::size_t keysWidth = 0;
    std::size_t actionWidth = 0;
    for (const KeyHelp& help : keyHelp) {
        keysWidth = std::max(keysWidth, std::string(help.keys).size());
        if (help.state != nullptr) actionWidth = std::max(actionWidth, std::string(help.action).size());
    }
    std::vector<std::string> lines{"Keys  (F1 hides it; i level, F2 view)"};
    for (const KeyHelp& help : keyHelp) {
        std::string line = padded(help.keys, keysWidth + 2);
        line += help.state != nullptr ? padded(help.action, actionWidth + 2) + help.state(s) : help.action;
        lines.push_back(line);
    }
    return lines;
}

// The row of a selection, "index of count", or why it selects nothing; true
// when it selects an entry.
bool selectionRow(std::vector<Row>& rows, const char* label, const char* entries, std::uint32_t selected,
                  std::size_t size) {
    if (size == 0) {
        rows.push_back({label, std::string("none: the level has no ") + entries});
        return false;
    }
    rows.push_back({label, count(selected) + " of " + count(size)});
    if (selected < size) return true;
    rows.back().second += ": past the last one";
    return false;
}

void addGroupRows(const PanelState& s, std::vector<Row>& rows) {
    const auto& groups = s.level->textureGroups;
    if (!selectionRow(rows, "group", "texture groups", s.view.selectedGroup, groups.size())) return;
    const Qor::TextureGroup& group = groups[s.view.selectedGroup];
    std::string drawn;
    if (!Qor::wholeTriangles(group)) {
        drawn = "none: its counts are not whole triangles";
    } else if (s.view.hidden.hides(group.texture)) {
        drawn = "none: its material is hidden";
    } else if (!s.view.showFilled && !s.view.showWireframe && !s.view.showCornerPoints) {
        drawn = "none: the triangle passes are off";
    } else {
        std::size_t inside = 0;
        Qor::forEachTriangle(*s.level, group, [&](const Qor::Vertex&, const Qor::Vertex&, const Qor::Vertex&) {
            ++inside;
        });
        drawn = count(inside) + " of " + count(group.indexCount / 3);
        if (inside < group.indexCount / 3) drawn += "; the rest lie outside the level";
    }
    rows.push_back({"  texture", count(group.texture)});
    if (group.texture < s.level->materials.size())
        rows.push_back({"  material", Qor::printableText(s.level->materials[group.texture].name)});
    const Qor::Rgb shaded = Qor::textureColour(*s.level, group.texture);
    rows.push_back({"  shaded colour", count(shaded[0]) + ' ' + count(shaded[1]) + ' ' + count(shaded[2])});
    rows.insert(rows.end(), {
        {"  vertices", count(group.vertexCount)},
        {"  indices", count(group.indexCount)},
        {"  first vertex", count(group.firstVertex)},
        {"  first index", count(group.firstIndex)},
        {"  triangles drawn", drawn},
    });
}

void addPlaneRows(const PanelState& s, std::vector<Row>& rows) {
    const auto& planes = s.level->planes;
    if (!selectionRow(rows, "plane", "planes", s.view.selectedPlane, planes.size())) return;
    const Qor::Plane& plane = planes[s.view.selectedPlane];
    const auto at = Qor::planePoint(plane);
    rows.insert(rows.end(), {
        {"  a b c d", shortest(plane.a) + ' ' + shortest(plane.b) + ' ' + shortest(plane.c) + ' ' + shortest(plane.d)},
        {"  point", at                                ? point((*at)[0], (*at)[1], (*at)[2])
                    : Qor::planeValuesFinite(plane) ? "not drawn: it lies too far away for a float"
                                                      : "not drawn: a b c d are not all finite"},
    });
}

// The image of the surface pointed at, where images are looked for: its
// path in its folder or archive, or "missing".
std::optional<std::string> pointedImage(const PanelState& s) {
    if (s.images == nullptr || s.pointing.kind != Hit::Kind::surface) return std::nullopt;
    const std::uint32_t texture = s.level->textureGroups[s.pointing.group].texture;
    if (texture >= s.images->size() || !(*s.images)[texture].found) return "missing";
    const MaterialImage& image = (*s.images)[texture];
    return "'" + Qor::printableText(image.path) + "' in '" + Qor::printableText(image.root) + "'";
}

// What the pointing row says of a hit.
std::string pointingText(const PanelState& s) {
    const Hit& hit = s.pointing;
    if (hit.kind == Hit::Kind::nothing) return "nothing";
    std::string text;
    for (const auto& [label, value] : hitParts(*s.level, hit)) text += label + ' ' + value + ", ";
    return text + "at " + point(hit.point[0], hit.point[1], hit.point[2]) + ", " + Qor::fixedDecimals(hit.distance, 1) +
           " units";
}

// From the mark to the point pointed at, once m has marked one.
void addMarkRow(const PanelState& s, std::vector<Row>& rows) {
    if (!s.view.mark) return;
    if (s.pointing.kind == Hit::Kind::nothing) {
        rows.push_back({"from mark", "nothing pointed at"});
        return;
    }
    const Qor::Measurement m = Qor::measureBetween(*s.view.mark, s.pointing.point);
    rows.push_back({"from mark", Qor::fixedDecimals(m.distance, 1) + " units (" + point(m.delta[0], m.delta[1], m.delta[2]) + ")"});
}

std::vector<std::string> viewPage(const PanelState& s) {
    std::vector<Row> rows = {
        {"position", point(s.view.cameraPos[0], s.view.cameraPos[1], s.view.cameraPos[2])},
        {"yaw", degrees(s.view.cameraYaw)},
        {"pitch", degrees(s.view.cameraPitch)},
        {"speed factor", plainNumber(s.view.speedFactor)},
        {"fly speed", plainNumber(s.view.flySpeed)},
        {"near", plainNumber(s.view.nearPlane)},
        {"far", plainNumber(s.view.farPlane)},
        {"point size", plainNumber(s.view.pointSize)},
        {"line width", plainNumber(s.view.lineWidth)},
        {"fill alpha", plainNumber(s.view.fillAlpha)},
        {"frames per second", plainNumber(s.framesPerSecond)},
        {"frame time", plainNumber(s.millisecondsPerFrame) + " ms"},
        {"pointing at", pointingText(s)},
    };
    if (const std::optional<std::string> image = pointedImage(s)) rows.push_back({"  image", *image});
    addMarkRow(s, rows);
    addGroupRows(s, rows);
    addPlaneRows(s, rows);
    return aligned("View  (F2 hides it; i level, F1 keys)", rows);
}

// The selected entity's pairs in file order, after its number and distance;
// before any selection, how many entities there are.
std::vector<std::string> entityPage(const PanelState& s) {
    const std::string title = "Entity  (F3 hides it; j, k next, previous)";
    const auto& entities = s.level->entities;
    if (s.view.selectedEntity < 0 || static_cast<std::uint64_t>(s.view.selectedEntity) >= entities.size())
        return aligned(title, {{"entities", count(entities.size())},
                               {"with an origin", count(Qor::entityMarkers(*s.level).size())}});
    const auto selected = static_cast<std::size_t>(s.view.selectedEntity);
    const Qor::Entity& entity = entities[selected];
    const std::optional<std::array<double, 3>> origin = Qor::entityOrigin(entity);
    std::vector<Row> rows = {
        {"entity", count(selected + 1) + " of " + count(entities.size())},
        {"distance", origin ? Qor::fixedDecimals(distanceBetween(s.view.cameraPos, *origin), 1) + " units" : "none: it has no origin"},
    };
    for (const auto& [key, value] : entity.pairs) rows.push_back({Qor::printableText(key), Qor::printableText(value)});
    return aligned(title, rows);
}

}  // namespace

std::vector<std::string> panelPage(std::int32_t page, const PanelState& state) {
    if (state.level == nullptr) return {};
    switch (page) {
    case 1: return levelPage(state);
    case 2: return keysPage(state);
    case 3: return viewPage(state);
    case 4: return entityPage(state);
    default: return {};
    }
}

std::string plainNumber(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    const int magnitude = value == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", std::max(0, 3 - magnitude), value);
    std::string digits = text;
    if (digits.find('.') != std::string::npos) {
        digits.erase(digits.find_last_not_of('0') + 1);
        if (digits.back() == '.') digits.pop_back();
    }
    return digits == "-0" ? "0" : digits;
}

PanelLayout layoutPanel(const std::vector<std::string>& lines, int advance, int lineHeight, int screenWidth,
                        int screenHeight) {
    PanelLayout layout;
    const int room = 2 * (panelMargin + panelPadding);
    if (advance <= 0 || lineHeight <= 0 || lines.empty() || screenWidth <= room || screenHeight <= room)
        return layout;
    const auto fittingColumns = static_cast<std::size_t>((screenWidth - room) / advance);
    const auto fittingLines = static_cast<std::size_t>((screenHeight - room) / lineHeight);
    layout.lines = std::min(lines.size(), fittingLines);
    for (std::size_t k = 0; k < layout.lines; ++k) layout.columns = std::max(layout.columns, lines[k].size());
    layout.columns = std::min(layout.columns, fittingColumns);
    if (layout.lines == 0 || layout.columns == 0) return PanelLayout{};
    layout.x = layout.y = panelMargin;
    layout.textX = layout.textY = panelMargin + panelPadding;
    layout.width = static_cast<int>(layout.columns) * advance + 2 * panelPadding;
    layout.height = static_cast<int>(layout.lines) * lineHeight + 2 * panelPadding;
    return layout;
}

std::string findPromptLine(const FindPrompt& find) {
    std::string line = "/" + find.text + "_";
    if (find.current > 0) {
        line += "   " + std::to_string(find.current) + " of " + std::to_string(find.total) + ": " + find.label;
        if (!find.reached) line += "  (nothing to go to)";
    } else if (!find.reached) {
        line += "   no match";
    }
    return line;
}

PanelLayout layoutPromptLine(const std::string& line, int advance, int lineHeight, int screenWidth,
                             int screenHeight) {
    PanelLayout layout;
    const int room = 2 * (panelMargin + panelPadding);
    if (advance <= 0 || lineHeight <= 0 || screenWidth <= room || screenHeight <= room + lineHeight) return layout;
    layout.lines = 1;
    layout.columns = std::min(line.size(), static_cast<std::size_t>((screenWidth - room) / advance));
    layout.x = panelMargin;
    layout.width = screenWidth - 2 * panelMargin;
    layout.height = lineHeight + 2 * panelPadding;
    layout.y = screenHeight - panelMargin - layout.height;
    layout.textX = layout.x + panelPadding;
    layout.textY = layout.y + panelPadding;
    return layout;
}
