#include <GL/gl.h>
#include <SDL.h>

#include <string>

#include "RenderWindow.h"

namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::FloatEq;
using ::testing::Pointwise;

GLint integerState(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::vector<GLfloat> floatState(GLenum name, std::size_t count) {
    std::vector<GLfloat> values(count);
    glGetFloatv(name, values.data());
    return values;
}

// What every frame leaves for the next one, and the GL set-up for the first:
// pixel coordinates with the origin at the top left, untransformed, white,
// texturing on with the one texture, blending on and no depth test.
void expectScreenSpaceState(const Renderer& renderer, GLenum blendDestination) {
    const float w = static_cast<float>(windowSize);
    const std::vector<GLfloat> orthographic = {2 / w, 0, 0, 0, 0, -2 / w, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
    const std::vector<GLfloat> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_THAT(floatState(GL_PROJECTION_MATRIX, 16), Pointwise(FloatEq(), orthographic));
    EXPECT_EQ(integerState(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_THAT(floatState(GL_MODELVIEW_MATRIX, 16), Pointwise(FloatEq(), identity));
    EXPECT_THAT(floatState(GL_CURRENT_COLOR, 4), ElementsAre(1, 1, 1, 1));

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    ASSERT_EQ(renderer.textures.count("text_background"), 1u);
    EXPECT_EQ(static_cast<std::uint32_t>(integerState(GL_TEXTURE_BINDING_2D)),
              renderer.textures.at("text_background"));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(integerState(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integerState(GL_BLEND_DST), static_cast<GLint>(blendDestination));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

    EXPECT_EQ(integerState(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(integerState(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_THAT(floatState(GL_VIEWPORT, 4), ElementsAre(0, 0, windowSize, windowSize));

    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(std::string(caption), "Orvandel - by Tolvane & Drelvik");
}

TEST_F(RenderWindow, StartsInScreenSpaceWithAdditiveBlending) {
    expectScreenSpaceState(renderer, GL_ONE);
    EXPECT_THAT(floatState(GL_COLOR_CLEAR_VALUE, 4), ElementsAre(0, 0, 0, 1));
    EXPECT_THAT(floatState(GL_DEPTH_CLEAR_VALUE, 1), ElementsAre(1));
    EXPECT_THAT(floatState(GL_POINT_SIZE, 1), ElementsAre(1));
    EXPECT_THAT(floatState(GL_LINE_WIDTH, 1), ElementsAre(1));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(RenderWindow, BindsATwoByTwoBlackCheckerOfTwoAlphas) {
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    std::uint8_t texels[16] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    EXPECT_THAT(texels, ElementsAreArray({0, 0, 0, 192, 0, 0, 0, 128, 0, 0, 0, 128, 0, 0, 0, 192}));
}

TEST_F(RenderWindow, ShowsOnlyTheClearColourWithEveryPassOff) {
    Qor::LevelContents contents;
    addLargeTriangle(contents, 0);
    contents.planes.push_back(Qor::Plane{0, 1, 0, 100});
    show(contents);
    renderer.showPlanePoints = true;
    drawOneFrame();
    ASSERT_FALSE(litPixels().empty());

    onlyPasses(false, false, false);
    renderer.showPlanePoints = false;

    for (std::uint32_t mode : {0u, 1u, 2u}) {
        renderer.renderMode = mode;
        drawOneFrame();
        EXPECT_THAT(allPixels(), Each(Pixel{0, 0, 0})) << "mode " << mode;
    }
}

// A red triangle near the camera and a green one twice as far, both opaque
// and covering the middle of the window, in either drawing order.
TEST_F(RenderWindow, EachModeCombinesOverlappingTrianglesItsOwnWay) {
    struct Case {
        std::uint32_t mode;
        bool nearFirst;
        Pixel middle;
    };
    const Case cases[] = {
        {0, true, {255, 0, 0}},   {0, false, {255, 0, 0}},    // the near one hides the far one
        {1, true, {0, 255, 0}},   {1, false, {255, 0, 0}},    // the later one covers the earlier
        {2, true, {255, 255, 0}}, {2, false, {255, 255, 0}},  // they add up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.nearFirst ? ", near first" : ", far first"));
        Qor::LevelContents contents;
        addLargeTriangle(contents, 0, c.nearFirst ? wallDistance : 2 * wallDistance);
        addLargeTriangle(contents, 1, c.nearFirst ? 2 * wallDistance : wallDistance);
        if (!c.nearFirst) std::swap(contents.textureGroups[0].texture, contents.textureGroups[1].texture);
        show(contents);
        onlyPasses(true, false, false);
        renderer.fillAlpha = 1.0;
        renderer.renderMode = c.mode;
        drawOneFrame();
        EXPECT_EQ(pixelAt(windowPointOf(0, 0)), c.middle);
    }
}

TEST_F(RenderWindow, FillAlphaTimesVertexAlphaWeighsTheFillInBlendedModes) {
    struct Case {
        std::uint32_t mode;
        std::uint8_t vertexAlpha;
        double fillAlpha;
        int layers;  // groups sharing the one triangle
        double red;
    };
    const Case cases[] = {
        {1, 255, 0.1, 1, 0.1}, {1, 51, 0.5, 1, 0.1}, {1, 255, 0.0, 1, 0.0},
        {2, 255, 0.1, 1, 0.1}, {2, 255, 0.1, 2, 0.2}, {2, 255, 0.0, 2, 0.0},
        {0, 255, 0.1, 1, 1.0}, {0, 0, 0.0, 1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + ", vertex alpha " + std::to_string(c.vertexAlpha) +
                     ", fill alpha " + std::to_string(c.fillAlpha) + ", layers " + std::to_string(c.layers));
        Qor::LevelContents contents;
        addLargeTriangle(contents, 0, wallDistance, c.vertexAlpha);
        for (int extra = 1; extra < c.layers; ++extra) contents.textureGroups.push_back(contents.textureGroups[0]);
        show(contents);
        onlyPasses(true, false, false);
        renderer.fillAlpha = c.fillAlpha;
        renderer.renderMode = c.mode;
        drawOneFrame();
        EXPECT_THAT(pixelAt(windowPointOf(0, 0)), ShowsColour(c.red, 0.0, 0.0));
    }
}

class EachMode : public RenderWindow, public ::testing::WithParamInterface<std::uint32_t> {
protected:
    // Overlapping half-transparent triangles, near one first, outlines,
    // corners and a plane point: a scene in which depth and blending state
    // left over from before the frame would show.
    void showOverlaps() {
        Qor::LevelContents contents;
        addLargeTriangle(contents, 0, wallDistance, 128);
        addLargeTriangle(contents, 1, 2 * wallDistance, 128);
        contents.planes.push_back(Qor::Plane{0, 1, 0, 100});
        show(contents);
        renderer.showPlanePoints = true;
        renderer.fillAlpha = 1.0;
        renderer.renderMode = GetParam();
    }
};

TEST_P(EachMode, FirstFrameLooksLikeTheNext) {
    showOverlaps();
    drawOneFrame();
    const std::vector<Pixel> first = allPixels();
    endFrame();
    drawOneFrame();
    EXPECT_EQ(allPixels(), first);
}

TEST_P(EachMode, LeavesScreenSpaceStateForTheNextFrame) {
    showOverlaps();
    renderer.cameraYaw = 0.3;
    renderer.cameraPitch = 0.2;
    drawOneFrame();
    expectScreenSpaceState(renderer, GL_ONE_MINUS_SRC_ALPHA);
}

INSTANTIATE_TEST_SUITE_P(RenderMode, EachMode, ::testing::Values(0u, 1u, 2u));

}  // namespace
