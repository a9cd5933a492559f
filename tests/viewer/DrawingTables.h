#pragma once

// What the tables comparing the two drawing paths share: a view as one row,
// and the levels every view is drawn on.

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "MalformedLevels.h"
#include "Renderer.h"
#include "TestSupport.h"

struct TableView {
    std::uint32_t mode;
    std::string passes;  // p plane points, f fill, w outlines, c corners
    std::int64_t group;  // the one group shown, or -1 for all
    std::int64_t plane;  // the one plane shown, or -1
    float pointSize, lineWidth;
    double fillAlpha;
};

// Sets the renderer's view, and OpenGL's point size and line width, as the
// keys would.
inline void applyView(Renderer& renderer, const TableView& view) {
    renderer.view.renderMode = static_cast<RenderMode>(view.mode);
    renderer.view.showPlanePoints = view.passes.find('p') != std::string::npos;
    renderer.view.showFilled = view.passes.find('f') != std::string::npos;
    renderer.view.showWireframe = view.passes.find('w') != std::string::npos;
    renderer.view.showCornerPoints = view.passes.find('c') != std::string::npos;
    renderer.view.singleGroup = view.group >= 0;
    renderer.view.selectedGroup = static_cast<std::uint32_t>(std::max<std::int64_t>(view.group, 0));
    renderer.view.singlePlane = view.plane >= 0;
    renderer.view.selectedPlane = static_cast<std::uint32_t>(std::max<std::int64_t>(view.plane, 0));
    renderer.view.pointSize = view.pointSize;
    renderer.view.lineWidth = view.lineWidth;
    glPointSize(view.pointSize);
    glLineWidth(view.lineWidth);
    renderer.view.fillAlpha = view.fillAlpha;
}

using testsupport::generatedLevel;

// The demo, a generated level of 3000 triangles and every malformed level:
// names and paths.
inline std::vector<std::pair<std::string, std::string>> tableLevels() {
    std::vector<std::pair<std::string, std::string>> levels = {
        {"demo", generatedLevel({"demo"})}, {"bench", generatedLevel({"bench", "--triangles", "3000"})}};
    for (const Qor::MalformedLevel& malformed : Qor::malformedLevels())
        levels.emplace_back(malformed.name, testsupport::writeTemp(malformed.name + ".d3dbsp", malformed.bytes));
    return levels;
}
