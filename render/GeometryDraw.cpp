#include <GL/gl.h>

#include <algorithm>
#include <array>

#include "BSP.h"
#include "GeometryBuffers.h"
#include "MaterialTextures.h"
#include "SurfaceLooks.h"
#include "ViewVolume.h"

// Each frame: the runs the view can show, then the passes drawn from them.

void GeometryBuffers::chooseRuns(const View& view, const Qor::BSP& level, bool byGroup) {
    std::pair<std::uint32_t, std::uint32_t> chosen{0, static_cast<std::uint32_t>(items.size())};
    if (view.singleGroup)
        chosen = view.selectedGroup < groupItems.size() ? groupItems[view.selectedGroup] : std::make_pair(0u, 0u);
    runFirsts.clear();
    runCounts.clear();
    runTextures.clear();
    runLineStarts.clear();
    runLineCounts.clear();
    runFrontStarts.clear();
    runFrontCounts.clear();
    runFrontTextures.clear();
    sent = 0;
    if (chosen.first == chosen.second) return;

    std::array<double, 16> projection{};
    std::array<double, 16> modelView{};
    GLint viewport[4] = {};
    GLfloat pointSize = 1.0f;
    GLfloat lineWidth = 1.0f;
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_POINT_SIZE, &pointSize);
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    // OpenGL drops a point whose centre is outside the view and clips lines
    // to it, but drivers that clip to a wider guard band draw what reaches
    // in: half a point's size or a line's width, and a pixel of smoothing.
    const double margin = std::max({1.0, static_cast<double>(pointSize), static_cast<double>(lineWidth)}) / 2.0 + 2.0;
    const ViewVolume volume(projection, modelView, viewport[2], viewport[3], margin);
    std::uint32_t runGroup = 0;
    std::uint32_t runFrontGroup = 0;
    std::uint32_t runFrontEnd = 0;
    auto chooseItems = [&](std::uint32_t first, std::uint32_t end) {
        for (std::uint32_t k = first; k < end; ++k) {
            const Item& item = items[k];
            if (item.finite && !volume.mayShow(item.low, item.high)) continue;
            sent += item.cornerCount / 3;
            const auto firstCorner = static_cast<GLint>(item.firstCorner);
            const auto count = static_cast<GLsizei>(item.cornerCount);
            if (!runFirsts.empty() && runFirsts.back() + runCounts.back() == firstCorner &&
                (!byGroup || runGroup == item.group)) {
                runCounts.back() += count;
            } else {
                runFirsts.push_back(firstCorner);
                runCounts.push_back(count);
                runTextures.push_back(item.texture);
                runGroup = item.group;
            }
            if (!view.cull || !frontIndicesMade) continue;
            const auto frontCount = static_cast<GLsizei>(item.frontIndexCount);
            if (!runFrontCounts.empty() && runFrontEnd == item.firstFrontIndex &&
                (!byGroup || runFrontGroup == item.group)) {
                runFrontCounts.back() += frontCount;
            } else {
                runFrontStarts.push_back(frontIndices.at(std::size_t{item.firstFrontIndex} * sizeof(GLuint)));
                runFrontCounts.push_back(frontCount);
                runFrontTextures.push_back(item.texture);
                runFrontGroup = item.group;
            }
            runFrontEnd = item.firstFrontIndex + item.frontIndexCount;
        }
    };
    if (view.hidden.showsAll()) {
        chooseItems(chosen.first, chosen.second);
    } else {
        // The items lie in group order, so walking the groups shown keeps
        // the runs in drawing order.
        for (std::size_t group = 0; group < groupItems.size(); ++group) {
            const auto& [first, end] = groupItems[group];
            if (first == end || view.hidden.hides(level.textureGroups[group].texture)) continue;
            chooseItems(std::max(first, chosen.first), std::min(end, chosen.second));
        }
    }
    for (std::size_t k = 0; k < runFirsts.size(); ++k) {
        runLineStarts.push_back(outlines.at(2 * static_cast<std::size_t>(runFirsts[k]) * sizeof(GLuint)));
        runLineCounts.push_back(2 * runCounts[k]);
    }
}

std::pair<GLint, GLsizei> GeometryBuffers::planePoints(const View& view) const {
    if (!view.singlePlane)
        return {static_cast<GLint>(cornerCount), view.showPlanePoints ? static_cast<GLsizei>(planeCount) : 0};
    const std::size_t selected = view.selectedPlane;
    if (selected + 1 >= planeSlots.size() || planeSlots[selected] == planeSlots[selected + 1]) return {0, 0};
    return {static_cast<GLint>(cornerCount + planeSlots[selected]), 1};
}

void GeometryBuffers::drawRuns(GLenum mode) const {
    const auto runs = static_cast<GLsizei>(runFirsts.size());
    if (mode == GL_LINES) {
        if (functions.hasMultiDraw())
            functions.multiDrawElements(mode, runLineCounts.data(), GL_UNSIGNED_INT, runLineStarts.data(), runs);
        else
            for (std::size_t k = 0; k < runFirsts.size(); ++k)
                glDrawElements(mode, runLineCounts[k], GL_UNSIGNED_INT, runLineStarts[k]);
    } else if (functions.hasMultiDraw()) {
        functions.multiDrawArrays(mode, runFirsts.data(), runCounts.data(), runs);
    } else {
        for (std::size_t k = 0; k < runFirsts.size(); ++k) glDrawArrays(mode, runFirsts[k], runCounts[k]);
    }
}

void GeometryBuffers::drawFrontRuns(GLenum polygonMode) const {
    frontIndices.bind();
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    const auto runs = static_cast<GLsizei>(runFrontStarts.size());
    if (functions.hasMultiDraw())
        functions.multiDrawElements(GL_TRIANGLES, runFrontCounts.data(), GL_UNSIGNED_INT, runFrontStarts.data(),
                                    runs);
    else
        for (std::size_t k = 0; k < runFrontStarts.size(); ++k)
            glDrawElements(GL_TRIANGLES, runFrontCounts[k], GL_UNSIGNED_INT, runFrontStarts[k]);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

bool GeometryBuffers::draw(const View& view, const Qor::BSP& level, const MaterialTextures& textures) {
    if (state == State::none) build(level, view.fillAlpha, view.look);
    if (state != State::ready) return false;
    if (view.showFilled && view.look == Look::classic && view.fillAlpha != uploadedAlpha &&
        !uploadFillColours(level, view.fillAlpha)) {
        refuse(bytes());
        return false;
    }
    if (view.showFilled && view.look != Look::classic && !arraysOf(view.look).made &&
        !makeLook(level, view.look, &textures))
        return false;
    if (view.cull && (view.showFilled || view.showWireframe || view.showCornerPoints) && !frontIndicesMade &&
        !makeFrontIndices(level))
        return false;
    chooseRuns(view, level, view.showFilled && view.look == Look::textured);
    const std::pair<GLint, GLsizei> planes = planePoints(view);
    const bool triangles = !runFirsts.empty() && (view.showFilled || view.showWireframe || view.showCornerPoints);
    if (planes.second == 0 && !triangles) return true;

    positions.bind();
    glVertexPointer(3, GL_FLOAT, 0, positions.at(0));
    glEnableClientState(GL_VERTEX_ARRAY);
    if (planes.second > 0) glDrawArrays(GL_POINTS, planes.first, planes.second);
    if (triangles) {
        // Every triangle pass colours each corner from an array, as the
        // glBegin/glEnd passes leave their colours with each vertex.
        glEnableClientState(GL_COLOR_ARRAY);
        if (view.showFilled) drawFilled(view.look, view.cull, textures);
        outlineColours.bind();
        glColorPointer(4, GL_FLOAT, 0, outlineColours.at(0));
        if (view.cull) {
            if (view.showWireframe) drawFrontRuns(GL_LINE);
            if (view.showCornerPoints) drawFrontRuns(GL_POINT);
        } else {
            if (view.showWireframe) {
                outlines.bind();
                drawRuns(GL_LINES);
            }
            if (view.showCornerPoints) drawRuns(GL_POINTS);
        }
        glDisableClientState(GL_COLOR_ARRAY);
    }

    // Leave no array switched on or pointing into a buffer, and no buffer bound.
    glDisableClientState(GL_VERTEX_ARRAY);
    if (functions.hasBuffers()) {
        functions.bindBuffer(GL_ARRAY_BUFFER, 0);
        functions.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glVertexPointer(4, GL_FLOAT, 0, nullptr);
    glColorPointer(4, GL_FLOAT, 0, nullptr);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    glTexCoordPointer(4, GL_FLOAT, 0, nullptr);
    return true;
}

void GeometryBuffers::drawFilled(Look look, bool cull, const MaterialTextures& textures) {
    const bool lit = litLook(look);
    if (look == Look::classic) {
        fillColours.bind();
        glColorPointer(4, GL_FLOAT, 0, fillColours.at(0));
    } else {
        const LookArrays& arrays = arraysOf(look);
        arrays.colours.bind();
        glColorPointer(3, GL_FLOAT, 0, arrays.colours.at(0));
        if (lit) {
            arrays.normals.bind();
            glNormalPointer(GL_FLOAT, 0, arrays.normals.at(0));
            glEnableClientState(GL_NORMAL_ARRAY);
        }
    }
    beginSurfaces(look);
    if (look == Look::textured) {
        const LookArrays& arrays = arraysOf(look);
        arrays.textureCoordinates.bind();
        glTexCoordPointer(2, GL_FLOAT, 0, arrays.textureCoordinates.at(0));
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        if (cull) {
            frontIndices.bind();
            for (std::size_t k = 0; k < runFrontStarts.size(); ++k) {
                glBindTexture(GL_TEXTURE_2D, textures.textureOf(runFrontTextures[k]));
                glDrawElements(GL_TRIANGLES, runFrontCounts[k], GL_UNSIGNED_INT, runFrontStarts[k]);
            }
        } else {
            for (std::size_t k = 0; k < runFirsts.size(); ++k) {
                glBindTexture(GL_TEXTURE_2D, textures.textureOf(runTextures[k]));
                glDrawArrays(GL_TRIANGLES, runFirsts[k], runCounts[k]);
            }
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    } else if (cull) {
        drawFrontRuns(GL_FILL);
    } else {
        drawRuns(GL_TRIANGLES);
    }
    endSurfaces(look);
    if (lit) glDisableClientState(GL_NORMAL_ARRAY);
}
