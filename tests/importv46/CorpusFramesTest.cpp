// Every real level drawn offscreen from the origin (most have a floor there),
// its first spawn point and fitted whole, in every look and panel page, and
// pointed at over a grid, the panel's row agreeing with --pick's line. What
// fails is kept in ORVANDEL_CORPUS_FAILURES; "drawing-N" names the frame being
// drawn, so that a crash tells what it was drawing.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

#include "BSP.h"
#include "CameraRequest.h"
#include "Corpus.h"
#include "EntityLabels.h"
#include "PanelText.h"
#include "Png.h"
#include "Renderer.h"
#include "SpawnPoints.h"

namespace {

constexpr std::size_t shardCount = 2;
constexpr int width = 400;
constexpr int height = 300;
constexpr int gridColumns = 16;
constexpr int gridRows = 12;
const Look looks[] = {Look::classic, Look::shaded, Look::baked, Look::normals};

enum Start { origin, spawn, fit };
const char* const startNames[] = {"origin", "spawn", "fit"};

// What the panel's row and --pick's line say alike: what was met and where.
struct Said {
    std::string what;  // "group G triangle T material 'M'", "entity N 'C'" or "nothing"
    std::array<double, 4> at{};  // x, y, z, distance
};

// The panel's "group G, triangle T, material 'M', at X Y Z, D units" and
// --pick's "pick: X Y group G triangle T material 'M' at X Y Z distance D", or
// either's "nothing", matched by pattern.
Said said(const std::string& text, const char* pattern, std::size_t skip) {
    std::smatch match;
    const std::string rest = text.substr(skip);
    if (!std::regex_match(rest, match, std::regex(pattern))) return {rest, {}};
    Said out{std::regex_replace(match[1].str(), std::regex(", "), " "), {}};
    for (std::size_t k = 0; k < 4; ++k) out.at[k] = std::stod(match[k + 2].str());
    return out;
}
Said fromPanelRow(const std::string& row) { return said(row, "(.*), at (\\S+) (\\S+) (\\S+), (\\S+) units", 0); }
Said fromPickLine(const std::string& line) {
    return said(line, "(.*) at (\\S+) (\\S+) (\\S+) distance (\\S+)", line.find(' ', line.find(' ', 6) + 1) + 1);
}

std::string pointingRow(const std::vector<std::string>& page) {
    const std::string title = "pointing at";
    for (const std::string& line : page)
        if (line.rfind(title, 0) == 0) return line.substr(line.find_first_not_of(' ', title.size()));
    return "(no pointing row)";
}

class CorpusFrames : public corpus::Shard {
protected:
    CorpusFrames() : Shard(shardCount) {}
    ~CorpusFrames() override { shutdownVideo(); }

    static std::filesystem::path failures() {
        const char* set = std::getenv("ORVANDEL_CORPUS_FAILURES");
        return set != nullptr && *set != '\0' ? set : ORVANDEL_CORPUS_FAILURES;
    }

    std::filesystem::path drawingNote() const { return failures() / ("drawing-" + std::to_string(GetParam())); }
    void note(const std::string& what) const { std::ofstream(drawingNote()) << what << '\n'; }

    // Keeps the picture of the frame just drawn, and what it was, and says where.
    std::string keep(const std::string& name, const std::string& what) {
        std::vector<std::uint8_t> topFirst(static_cast<std::size_t>(width * height * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        for (int row = 0; row < height; ++row)
            glReadPixels(0, height - 1 - row, width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         topFirst.data() + static_cast<std::size_t>(row * width * 4));
        for (std::size_t alpha = 3; alpha < topFirst.size(); alpha += 4) topFirst[alpha] = 255;
        const std::filesystem::path picture = failures() / (name + ".png");
        writePng(picture.string(), width, height, topFirst);
        std::ofstream(failures() / (name + ".txt")) << what << '\n';
        return "kept in '" + picture.string() + "'";
    }

    // Puts the camera where the view starts; false when the level has no such place.
    bool place(const Qor::BSP& level, Start start) {
        renderer.resetView();
        renderer.view.cameraPos = {0.0, 0.0, 0.0};
        renderer.view.cameraYaw = renderer.view.cameraPitch = 0.0;
        renderer.view.showMarkers = renderer.view.mouseLook = true;
        if (start == spawn && Qor::spawnPoints(level).empty()) return false;
        CameraRequest request;
        if (start != origin) request.kind = start == spawn ? CameraRequest::Kind::spawn : CameraRequest::Kind::fit;
        renderer.placeCamera(request);
        return true;
    }

    // Each look once and each page once, a page to a look: every look's and
    // every page's drawing runs, in a quarter of the frames of every pair.
    void drawEveryLookAndPage(const std::string& name, const std::string& where) {
        for (std::size_t k = 0; k < std::size(looks); ++k) {
            const Look look = looks[k];
            const auto page = static_cast<std::int32_t>(k + 1);
            const std::string what = where + " --look " + lookName(look) + " --panel " + std::to_string(page);
            note(what);
            renderer.view.look = look;
            renderer.view.overlayVisible = true;
            renderer.view.overlayPage = page;
            clearFrame();
            renderer.drawFrame();
            const GLenum error = glGetError();
            ++frames;
            if (error != GL_NO_ERROR)
                ADD_FAILURE() << what << ": GL error " << error << ", "
                              << keep(name + "-" + lookName(look) + "-" + std::to_string(page), what);
        }
        renderer.view.look = Look::classic;
    }

    // Each pixel of the grid pointed at as the frame points at it, its
    // pointing row against --pick's line for the pixel.
    void pointOverTheGrid(const Qor::BSP& level, const std::string& name, const std::string& where) {
        renderer.view.overlayVisible = true;
        renderer.view.overlayPage = 3;
        renderer.view.mouseLook = false;
        for (int row = 0; row < gridRows; ++row)
            for (int column = 0; column < gridColumns; ++column) {
                const int x = column * width / gridColumns + width / gridColumns / 2;
                const int y = row * height / gridRows + height / gridRows / 2;
                renderer.view.pointer = {x, y};
                note(where + " --panel 3 --pick " + std::to_string(x) + ',' + std::to_string(y));
                renderer.updatePointing();
                const std::string panelRow = pointingRow(panelPage(3, renderer.panelState()));
                const std::string line = pickLine(x, y, renderer.pointAt(x, y), level);
                const Said shown = fromPanelRow(panelRow), picked = fromPickLine(line);
                ++picks;
                bool agree = shown.what == picked.what;
                for (std::size_t k = 0; k < 4; ++k) agree = agree && std::abs(shown.at[k] - picked.at[k]) <= 0.051;
                if (agree) continue;
                clearFrame();
                renderer.drawFrame();
                ADD_FAILURE() << where << ": the panel says '" << panelRow << "', --pick '" << line << "', "
                              << keep(name + "-pick-" + std::to_string(x) + '-' + std::to_string(y),
                                      where + "\n" + panelRow + "\n" + line);
            }
        renderer.view.mouseLook = true;
    }

    // The labels the frame draws overlap none of each other.
    void expectLabelsApart(const Qor::BSP& level, const std::string& where) {
        const GlyphAtlas& atlas = renderer.frame.panel.atlas;
        const std::vector<Label> labels = placeLabels(
            chooseLabels(level, renderer.markers,
                         viewBasis(renderer.view.cameraPos, renderer.view.cameraYaw, renderer.view.cameraPitch, width,
                                   height)),
            atlas.advance, atlas.lineHeight);
        for (std::size_t a = 0; a < labels.size(); ++a)
            for (std::size_t b = a + 1; b < labels.size(); ++b)
                EXPECT_FALSE(overlap(labels[a].box, labels[b].box))
                    << where << ": labels of entities " << labels[a].entity + 1 << " and " << labels[b].entity + 1;
    }

    Renderer renderer{{width, height}, false, SurfaceKind::offscreen};
    std::size_t frames = 0;
    std::size_t picks = 0;
};

TEST_P(CorpusFrames, EveryViewDrawsInEveryLookAndPageAndPointsAsThePanelSays) {
    std::filesystem::create_directories(failures());
    for (const corpus::Level& entry : shardLevels) {
        SCOPED_TRACE(entry.file);
        note(entry.path + " (loading)");
        const auto level = std::make_unique<Qor::BSP>("", entry.path.c_str());
        renderer.setLevel(level.get());
        const std::string name = entry.file.substr(0, entry.file.rfind('.'));
        for (const Start start : {origin, spawn, fit}) {
            const std::string camera = start == origin ? "0,0,0" : startNames[start];
            const std::string where = entry.path + " --offscreen --size " + std::to_string(width) + ',' +
                                      std::to_string(height) + " --entities --camera " + camera;
            if (!place(*level, start)) {
                ADD_FAILURE() << entry.file << " has no spawn point";
                continue;
            }
            drawEveryLookAndPage(name + "-" + startNames[start], where);
            pointOverTheGrid(*level, name + "-" + startNames[start], where);
            expectLabelsApart(*level, where);
        }
        renderer.setLevel(nullptr);
    }
    std::filesystem::remove(drawingNote());
    std::printf("corpus shard %zu: %zu levels, %zu frames, %zu picks\n", GetParam(), shardLevels.size(), frames,
                picks);
}

INSTANTIATE_TEST_SUITE_P(Levels, CorpusFrames, testing::Range<std::size_t>(0, shardCount));

}  // namespace
