#include "AssetFixtures.h"
#include "AssetLayers.h"
#include "FrameFixture.h"

// The textured look in whole frames: images of every format read back from
// the picture, repeats, the checkerboard of a missing image, and no state
// left for the other looks.

namespace frametest {
namespace {

// Four solid quadrants of 16 × 16 texels: red at the top left, green at the
// top right, blue at the bottom left, white at the bottom right. Solid
// quadrants keep JPEG's blocks and the filtering at their centres exact.
const std::array<Rgb, 4> quadrantColours = {Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}, Rgb{255, 255, 255}};
constexpr int quadrantImageSide = 32;

Bytes quadrantTexels() {
    Bytes texels;
    for (int y = 0; y < quadrantImageSide; ++y)
        for (int x = 0; x < quadrantImageSide; ++x) {
            const Rgb& c = quadrantColours[static_cast<std::size_t>((y >= 16) * 2 + (x >= 16))];
            texels.insert(texels.end(), {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2]), 255});
        }
    return texels;
}

// The same quadrants as DXT1 blocks with every smaller level down to 1 × 1:
// each block all its first colour (red, green, blue, white in RGB565).
Bytes quadrantDds() {
    const std::array<std::uint16_t, 4> colours = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    Bytes blocks;
    for (int side = quadrantImageSide; side >= 1; side /= 2) {
        const int across = std::max(1, side / 4);
        for (int by = 0; by < across; ++by)
            for (int bx = 0; bx < across; ++bx) {
                const std::size_t at = blocks.size();
                blocks.resize(at + 8, 0);  // colour 1 black, every index 0: the first colour
                putU16(blocks, at, colours[static_cast<std::size_t>((2 * by >= across) * 2 + (2 * bx >= across))]);
            }
    }
    return ddsOf(quadrantImageSide, quadrantImageSide, "DXT1", 6, blocks);
}

class TexturedLook : public Render {
protected:
    TexturedLook() {
        renderer.view.look = Look::textured;
        renderer.view.showWireframe = renderer.view.showCornerPoints = false;
    }

    // The level of one square of material `name`, its images looked for in
    // the folder: facing the camera at distance 100, from -40 to 40 in x and
    // z, its texture coordinates running from (0, 0) at its top left to
    // (repeats, repeats) at its bottom right.
    void showSquare(const std::string& name, float repeats = 1.0f) {
        auto layers = std::make_shared<Qor::AssetLayers>();
        EXPECT_THAT(layers->mount(folder.path()), ::testing::IsEmpty());
        renderer.assets = layers;
        Qor::LevelContents contents;
        addSquare(contents, 0, {{{-40, 100, 40}, {40, 100, 40}, {40, 100, -40}, {-40, 100, -40}}}, {0, -1, 0});
        for (Qor::Vertex& corner : contents.vertices)
            corner.texture = {(corner.x + 40.0f) / 80.0f * repeats, (40.0f - corner.z) / 80.0f * repeats};
        contents.materials.push_back({name, 0, 1});
        show(contents);
    }

    TempFolder folder;
};

TEST_F(TexturedLook, EveryImageFormatShowsItsTexelsWhereItsCoordinatesPutThemTheRightWayUp) {
    const Bytes texels = quadrantTexels();
    const std::pair<std::string, Bytes> images[] = {
        {"png", pngOf(quadrantImageSide, quadrantImageSide, texels)},
        {"tga", tgaOf(quadrantImageSide, quadrantImageSide, texels, false)},
        {"tga", tgaOf(quadrantImageSide, quadrantImageSide, texels, true)},
        {"bmp", bmpOf(quadrantImageSide, quadrantImageSide, texels)},
        {"jpg", jpegOf(quadrantImageSide, quadrantImageSide, texels)},
        {"dds", quadrantDds()},
    };
    int made = 0;
    for (const auto& [extension, bytes] : images) {
        SCOPED_TRACE(extension);
        const std::string name = "textures/crafted/image" + std::to_string(made++);
        folder.write(name + "." + extension, bytes);
        showSquare(name);
        const std::vector<Pixel> pixels = expectSameFrame();
        EXPECT_EQ(foundImages(renderer.frame.textures.images()), 1u);
        // Lit head-on, a surface shows its texels as they are.
        const int tolerance = extension == "jpg" ? 6 : 1;
        for (std::size_t q = 0; q < 4; ++q)  // left to right, top to bottom
            EXPECT_THAT(pixels[pixelOf(q % 2 ? 20 : -20, q < 2 ? 20 : -20)], IsColour(quadrantColours[q], tolerance));
    }
}

TEST_F(TexturedLook, CoordinatesPastOneRepeatTheImage) {
    folder.write("textures/crafted/quadrants.png", pngOf(quadrantImageSide, quadrantImageSide, quadrantTexels()));
    showSquare("textures/crafted/quadrants", 2.0f);
    const std::vector<Pixel> pixels = expectSameFrame();
    // Each quarter of the square holds the whole image.
    for (const float x : {-30.0f, 10.0f})
        for (const float z : {30.0f, -10.0f}) EXPECT_THAT(pixels[pixelOf(x, z)], IsColour(quadrantColours[0], 1));
    EXPECT_THAT(pixels[pixelOf(-10, -30)], IsColour(quadrantColours[3], 1));
}

TEST_F(TexturedLook, AMaterialWithoutAnImageShowsAnEightByEightCheckerboardOfItsColour) {
    showSquare("textures/crafted/nowhere");
    const std::vector<Pixel> pixels = expectSameFrame();
    EXPECT_EQ(foundImages(renderer.frame.textures.images()), 0u);
    const Rgb colour = rgbOf(Qor::materialColour("textures/crafted/nowhere"));
    for (int column = 0; column < 8; ++column)
        for (int row = 0; row < 8; ++row) {
            const auto x = static_cast<float>(-40.0 + 10.0 * (column + 0.5));
            const auto z = static_cast<float>(40.0 - 10.0 * (row + 0.5));
            const Rgb wanted = (column + row) % 2 == 0 ? colour : scaled(colour, 191.0 / 255.0);
            EXPECT_THAT(pixels[pixelOf(x, z)], IsColour(wanted, 1)) << "cell " << column << ", " << row;
        }
}

TEST_F(TexturedLook, OtherLooksDrawAsBeforeAndTheTexturedLookLeavesNoStateBehind) {
    folder.write("textures/crafted/quadrants.png", pngOf(quadrantImageSide, quadrantImageSide, quadrantTexels()));
    showSquare("textures/crafted/quadrants");
    renderer.view.look = Look::shaded;
    const std::vector<Pixel> shadedBefore = expectSameFrame();
    EXPECT_FALSE(renderer.frame.textures.uploaded());  // nothing is handed to OpenGL before the look is drawn
    renderer.view.look = Look::textured;
    expectSameFrame();
    EXPECT_TRUE(renderer.frame.textures.uploaded());
    renderer.view.look = Look::shaded;
    EXPECT_EQ(expectSameFrame(), shadedBefore);
}

}  // namespace
}  // namespace frametest
