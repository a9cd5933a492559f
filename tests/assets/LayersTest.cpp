#include <filesystem>

#include <gtest/gtest.h>

#include "AssetFixtures.h"
#include "AssetLayers.h"
#include "AssetPath.h"

using namespace Qor;

namespace {

const Bytes one{1};
const Bytes two{2};

// Where a material's image is found, as "root|path" relative to folder, or "".
std::string found(const AssetLayers& layers, const std::string& name, const std::string& folder) {
    const auto location = layers.find(candidateNames(name));
    if (!location) return "";
    std::string root = layers.root(location->layer);
    if (root.rfind(folder, 0) == 0) root = root.substr(folder.size());
    return root + "|" + location->path;
}

}  // namespace

TEST(AssetLayers, MatchesNamesWithoutRegardToCaseOrSeparator) {
    TempFolder folder;
    folder.write("Textures/Base/Wall.TGA", one);
    AssetLayers layers;
    EXPECT_TRUE(layers.mount(folder.path()).empty());
    EXPECT_EQ(found(layers, "textures\\base\\wall", folder.path()), "|Textures/Base/Wall.TGA");
    EXPECT_EQ(found(layers, "TEXTURES/BASE/WALL.tga", folder.path()), "|Textures/Base/Wall.TGA");
    EXPECT_EQ(found(layers, "textures/base/wal", folder.path()), "");
}

TEST(AssetLayers, WithinALayerTriesTheExtensionsInOrder) {
    TempFolder folder;
    folder.write("textures/a.bmp", one);
    folder.write("textures/a.jpg", one);
    folder.write("textures/a.tga", one);
    AssetLayers layers;
    layers.mount(folder.path());
    EXPECT_EQ(found(layers, "textures/a", folder.path()), "|textures/a.tga");
    // The stored name first, even with an extension later in the order.
    EXPECT_EQ(found(layers, "textures/a.jpg", folder.path()), "|textures/a.jpg");
    // A stored extension not found is replaced.
    EXPECT_EQ(found(layers, "textures/a.png", folder.path()), "|textures/a.tga");
    // A bare name is looked for under textures/.
    EXPECT_EQ(found(layers, "A", folder.path()), "|textures/a.tga");
}

TEST(AssetLayers, TheHighestLayerHoldingAnyCandidateWins) {
    TempFolder folder;
    folder.write("low/textures/a.png", one);
    folder.write("high/textures/a.bmp", one);
    AssetLayers layers;
    layers.mount(folder.path() + "/low");
    layers.mount(folder.path() + "/high");
    // .png comes before .bmp, but the later layer holds a candidate.
    EXPECT_EQ(found(layers, "textures/a", folder.path()), "/high|textures/a.bmp");
}

TEST(AssetLayers, LaterArchivesWinAndLooseFilesWinOverTheFoldersArchives) {
    TempFolder folder;
    // Named so that name order differs from the order they were written in,
    // and with extensions that say nothing of what they are.
    folder.write("pak/zz.pk3", zipOf({{"textures/a.tga", one}, {"textures/b.tga", one}, {"textures/c.tga", one}}));
    folder.write("pak/aa.zip", zipOf({{"textures/a.tga", two}, {"textures/b.tga", two}, {"textures/d.tga", two}}));
    folder.write("pak/mm.dat", zipOf({{"textures/a.tga", two}}));
    folder.write("pak/textures/c.tga", one);
    AssetLayers layers;
    EXPECT_TRUE(layers.mount(folder.path() + "/pak").empty());
    ASSERT_EQ(layers.size(), 4u);
    EXPECT_EQ(found(layers, "textures/a", folder.path()), "/pak/zz.pk3|textures/a.tga");
    EXPECT_EQ(found(layers, "textures/b", folder.path()), "/pak/zz.pk3|textures/b.tga");
    EXPECT_EQ(found(layers, "textures/c", folder.path()), "/pak|textures/c.tga");
    EXPECT_EQ(found(layers, "textures/d", folder.path()), "/pak/aa.zip|textures/d.tga");
    EXPECT_EQ(layers.read(*layers.find({"textures/d.tga"})).bytes, two);
}

TEST(AssetLayers, AnArchiveMountsDirectlyWhateverItsName) {
    TempFolder folder;
    const std::string archive = folder.write("base.assets", zipOf({{"Images/Sky.PNG", two}}));
    AssetLayers layers;
    EXPECT_TRUE(layers.mount(archive).empty());
    const auto location = layers.find(candidateNames("sky"));
    ASSERT_TRUE(location);
    EXPECT_EQ(layers.describe(*location), "'Images/Sky.PNG' in '" + archive + "'");
    EXPECT_EQ(layers.read(*location).bytes, two);
}

TEST(AssetLayers, TellsWhatCannotBeMounted) {
    TempFolder folder;
    const std::string text = folder.write("notes.txt", Bytes{'h', 'i'});
    Bytes broken = zipOf({{"a.tga", one}});
    broken.resize(broken.size() - 10);
    const std::string cut = folder.write("cut.pk3", broken);
    const std::string unread = "WARNING: Could not read the archive '" + cut + "': the archive library says 'Not a zip archive'.";
    AssetLayers layers;
    EXPECT_EQ(layers.mount(folder.path() + "/none"),
              std::vector<std::string>{"WARNING: Could not open assets '" + folder.path() + "/none'."});
    EXPECT_EQ(layers.mount(text),
              std::vector<std::string>{"WARNING: The assets '" + text + "' are neither a folder nor a zip archive."});
    EXPECT_EQ(layers.mount(cut), std::vector<std::string>{unread});
    // Within a folder the archive is skipped with the same words, and the folder mounted.
    EXPECT_EQ(layers.mount(folder.path()), std::vector<std::string>{unread});
    EXPECT_EQ(layers.size(), 1u);
}

TEST(AssetsNearLevel, TakesTheNearestAncestorWithTexturesImagesOrAnArchive) {
    TempFolder folder;
    const std::string level = folder.write("game/base/maps/sub/x.d3dbsp", one);
    EXPECT_EQ(assetsNearLevel(level), std::nullopt);

    folder.write("game/base/IMAGES/y.png", one);
    EXPECT_EQ(assetsNearLevel(level), folder.path() + "/game/base");
    // A file called textures is not a folder of them.
    folder.write("game/base/maps/textures", one);
    EXPECT_EQ(assetsNearLevel(level), folder.path() + "/game/base");
    // Nearer: an archive, whatever its name.
    folder.write("game/base/maps/content.bin", zipOf({{"a.tga", one}}));
    EXPECT_EQ(assetsNearLevel(level), folder.path() + "/game/base/maps");
}

TEST(AssetsNearLevel, LooksNoMoreThanFourFoldersUp) {
    TempFolder folder;
    folder.write("top/textures/a.tga", one);
    EXPECT_EQ(assetsNearLevel(folder.path() + "/top/1/2/3/x.d3dbsp"), folder.path() + "/top");
    EXPECT_EQ(assetsNearLevel(folder.path() + "/top/1/2/3/4/x.d3dbsp"), std::nullopt);
}

TEST(ZipArchive, RefusesAMemberHoldingMoreThanItsStatedSize) {
    // Stored members' stated sizes in the local header and the central
    // directory are lowered: the data then holds more than stated.
    const Bytes payload(100, 'x');
    Bytes zip = zipOf({{"a.tga", payload}}, true);
    const std::size_t central = zip.size() - 22 - (46 + 5);
    ASSERT_EQ(getU32(zip, central), 0x02014b50u);
    ASSERT_EQ(getU32(zip, 22), 100u);
    putU32(zip, 22, 60);
    putU32(zip, central + 24, 60);
    std::string fault;
    auto archive = ZipArchive::openBytes(zip, fault);
    ASSERT_TRUE(archive) << fault;
    EXPECT_EQ(archive->read(0).fault, "holds more than its stated '60' bytes");

    // Raised past the limit: refused before anything is read.
    putU32(zip, 22, 300u << 20);
    putU32(zip, central + 24, 300u << 20);
    archive = ZipArchive::openBytes(zip, fault);
    ASSERT_TRUE(archive) << fault;
    EXPECT_EQ(archive->read(0).fault, "is '314572800' bytes uncompressed, over '268435456'");
}

TEST(ZipArchive, RefusesAMemberWhoseDataIsCorrupt) {
    Bytes zip = zipOf({{"a.tga", Bytes(4000, 'y')}});
    // Within the deflated data of the member, after its 30 + 5 byte local header.
    zip[40] ^= 0xff;
    zip[41] ^= 0xff;
    std::string fault;
    auto archive = ZipArchive::openBytes(zip, fault);
    ASSERT_TRUE(archive) << fault;
    const ZipArchive::Read read = archive->read(0);
    EXPECT_EQ(read.fault.rfind("could not be read: the archive library says '", 0), 0u) << read.fault;
    EXPECT_TRUE(read.bytes.empty());
}
