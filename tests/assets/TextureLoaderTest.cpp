#include <gtest/gtest.h>

#include "AssetFixtures.h"
#include "TextureLoader.h"

using namespace Qor;

namespace {

const TextureFound& foundOf(const TextureResult& result) {
    static const TextureFound none{};
    const auto* found = std::get_if<TextureFound>(&result);
    EXPECT_TRUE(found) << std::get<TextureMissing>(result).why;
    return found ? *found : none;
}

std::string whyMissing(const TextureResult& result) {
    const auto* missing = std::get_if<TextureMissing>(&result);
    EXPECT_TRUE(missing);
    return missing ? missing->why : "";
}

}  // namespace

TEST(LoadTexture, GivesTheRootPathAndDecodedTexels) {
    TempFolder folder;
    const Bytes texels = patternTexels(4, 2);
    const std::string archive = folder.write("base/pak0.pk3", zipOf({{"textures/Wall.png", pngOf(4, 2, texels)}}));
    AssetLayers layers;
    layers.mount(folder.path() + "/base");
    const TextureResult result = loadTexture(layers, "textures/wall");
    const TextureFound& found = foundOf(result);
    EXPECT_EQ(found.root, archive);
    EXPECT_EQ(found.path, "textures/Wall.png");
    EXPECT_EQ(found.image.width(), 4u);
    EXPECT_EQ(found.image.levels.at(0).bytes, texels);
    // The original bytes can be read again, for the export.
    EXPECT_EQ(layers.read(found.location).bytes, pngOf(4, 2, texels));

    EXPECT_EQ(whyMissing(loadTexture(layers, "textures/floor")), "no image of that name");
}

TEST(LoadTexture, RefusedImagesAreMissingWithTheirWarning) {
    TempFolder folder;
    Bytes png = pngOf(8, 8, patternTexels(8, 8));
    png.resize(png.size() / 2);
    Bytes huge = pngOf(8, 8, patternTexels(8, 8));
    putU32(huge, 16, 0x204e0000);  // 20000, big-endian as PNG stores it
    putU32(huge, 20, 0x204e0000);
    Bytes zip = zipOf({{"textures/over.tga", Bytes(100, 'x')}}, true);
    const std::size_t central = zip.size() - 22 - (46 + 17);
    putU32(zip, 22, 60);
    putU32(zip, central + 24, 60);
    const std::string archive = folder.write("pak0.pk3", zip);
    folder.write("textures/cut.png", png);
    folder.write("textures/huge.png", huge);
    AssetLayers layers;
    layers.mount(folder.path());

    EXPECT_EQ(whyMissing(loadTexture(layers, "textures/cut")),
              "WARNING: Skipped the image '" + folder.path() +
                  "/textures/cut.png': it is truncated or corrupt.");
    EXPECT_EQ(whyMissing(loadTexture(layers, "textures/huge")),
              "WARNING: Skipped the image '" + folder.path() +
                  "/textures/huge.png': it is '20000' by '20000' pixels, over '16384' on a side.");
    EXPECT_EQ(whyMissing(loadTexture(layers, "textures/over")),
              "WARNING: Skipped the image 'textures/over.tga' in '" + archive +
                  "': it holds more than its stated '60' bytes.");
}

TEST(TextureLoader, WorkerThreadsGiveWhatOneThreadGives) {
    TempFolder folder;
    std::vector<std::pair<std::string, Bytes>> members;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        const int side = 8 + i;
        const std::string name = "textures/t" + std::to_string(i);
        if (i % 3 == 0)
            folder.write(name + ".tga", tgaOf(side, side, patternTexels(side, side), i % 2 == 0));
        else if (i % 7 != 1)
            members.emplace_back(name + ".png", pngOf(side, side, patternTexels(side, side)));
        names.push_back(name);
    }
    folder.write("pak0.pk3", zipOf(members));
    auto layers = std::make_shared<AssetLayers>();
    layers->mount(folder.path());

    TextureLoader one(layers, names, 1);
    TextureLoader many(layers, names, 4);
    one.wait();
    many.wait();
    ASSERT_EQ(many.size(), names.size());
    int missing = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TextureResult a = one.take(i);
        const TextureResult b = many.take(i);
        ASSERT_EQ(a.index(), b.index()) << names[i];
        if (const auto* found = std::get_if<TextureFound>(&a)) {
            const auto& other = std::get<TextureFound>(b);
            EXPECT_EQ(found->root, other.root);
            EXPECT_EQ(found->path, other.path);
            EXPECT_EQ(found->image.width(), static_cast<std::uint32_t>(8 + i));
            EXPECT_EQ(found->image.levels.at(0).bytes, other.image.levels.at(0).bytes);
        } else {
            ++missing;
        }
    }
    EXPECT_EQ(missing, 4);  // 1, 8, 22 and 29 were left out
}
