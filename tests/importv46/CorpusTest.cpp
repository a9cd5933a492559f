// The corpus pass: every converted real level read by --info --json with the
// counts the converter wrote, exported to glTF the Khronos validator accepts,
// drawn one-sided, with the sky hidden, pointed at, and with the game's
// images. Split into shards so that CTest runs them side by side.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "Corpus.h"
#include "TestSupport.h"

namespace {

using testsupport::ProcessResult;
using testsupport::runProcess;
using testsupport::tempPath;
using testsupport::viewerBinary;

struct WholeCorpus : corpus::Shard {
    WholeCorpus() : Shard(1) {}
};

TEST_P(WholeCorpus, HoldsEveryLevelOfThePackageEachWithTriangles) {
    EXPECT_EQ(shardLevels.size(), 50u);
    for (const corpus::Level& level : shardLevels)
        for (const auto& [count, least] : {std::pair<const char*, std::uint64_t>{"triangles", 1001}, {"materials", 1},
                                           {"entityBytes", 1}})
            EXPECT_GE(level.counts.at(count), least) << level.file << " " << count;
}

INSTANTIATE_TEST_SUITE_P(Levels, WholeCorpus, testing::Values(0));

struct CorpusShard : corpus::Shard {
    CorpusShard() : Shard(6) {}
};

TEST_P(CorpusShard, InfoCountsMatchTheConverterAndTheExportValidates) {
    for (const corpus::Level& level : shardLevels) {
        SCOPED_TRACE(level.file);
        const ProcessResult info = runProcess({viewerBinary(), "--info", "--json", level.path});
        ASSERT_EQ(info.exitStatus, 0) << info.err;
        EXPECT_EQ(info.err, "");
        const nlohmann::json json = nlohmann::json::parse(info.out);
        EXPECT_EQ(json["version"], 4);
        for (const char* count : {"planes", "textureGroups", "vertices", "triangles"})
            EXPECT_EQ(json[count], level.counts.at(count)) << count;
        EXPECT_EQ(json["materials"].size(), level.counts.at("materials"));
        EXPECT_EQ(json["lumps"][37]["length"], level.counts.at("entityBytes"));
        EXPECT_GT(json["entities"].size(), 0u);
        EXPECT_TRUE(json["messages"].empty()) << json["messages"];

        const std::string glb = tempPath(level.file + ".glb");
        const ProcessResult exported = runProcess({viewerBinary(), "--export", glb, level.path});
        ASSERT_EQ(exported.exitStatus, 0) << exported.err;
        const ProcessResult report = runProcess({"/usr/bin/env", "node", ORVANDEL_GLTF_VALIDATOR, glb});
        EXPECT_EQ(report.exitStatus, 0) << report.out << report.err;
        EXPECT_EQ(report.out.rfind("errors: 0 warnings: 0 ", 0), 0u) << report.out;
        std::remove(glb.c_str());

        // The thumbnail's picture: fitted, one-sided, offscreen.
        const std::string png = tempPath(level.file + ".png");
        const ProcessResult culled =
            runProcess({viewerBinary(), "--offscreen", "--frames", "1", "--no-watch", "--camera", "fit", "--look",
                        "shaded", "--cull", "--size", "96", "--screenshot", png, level.path});
        ASSERT_EQ(culled.exitStatus, 0) << culled.err;
        EXPECT_EQ(culled.err, "");
        const testsupport::Image image = testsupport::readPng(png);
        std::size_t lit = 0;
        for (std::size_t p = 0; p + 3 < image.rgba.size(); p += 4)
            lit += image.rgba[p] != 0 || image.rgba[p + 1] != 0 || image.rgba[p + 2] != 0;
        EXPECT_GT(lit, image.rgba.size() / 4 / 10) << "a tenth of the picture shows the level";
        std::remove(png.c_str());
    }
}

TEST_P(CorpusShard, HidingTheSkyFramesWhatIsLeftAndPointsAndMeasuresPastIt) {
    for (const corpus::Level& level : shardLevels) {
        SCOPED_TRACE(level.file);
        const ProcessResult run =
            runProcess({viewerBinary(), "--offscreen", "--frames", "1", "--size", "96", "--camera", "fit", "--hide",
                        "*/skies/*", "--hide", "*sky*", "--pick", "48,48", "--mark", "40,56", level.path});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out.rfind("pick: 48 48 ", 0), 0u) << run.out;
        EXPECT_EQ(run.out.find("sky"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\nfrom mark: 40 56 "), std::string::npos) << run.out;
    }
}

// Find on real geometry: the first material whose name holds "textures/",
// looked at from 256 units along its nearest triangle's normal.
TEST_P(CorpusShard, FindGoesToAMaterialOfEveryLevel) {
    for (const corpus::Level& level : shardLevels) {
        SCOPED_TRACE(level.file);
        const ProcessResult run = runProcess({viewerBinary(), "--offscreen", "--frames", "1", "--size", "64", "--find",
                                              "textures/", "--pick", "32,32", level.path});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err.find("Nothing in the level matches"), std::string::npos) << run.err;
        EXPECT_EQ(run.out.rfind("pick: 32 32 ", 0), 0u) << run.out;
    }
}

// The game's texture archive, unpacked once from the Debian package
// scripts/corpus.sh keeps in its cache; empty when it was not fetched.
std::string texturesArchive() {
    static const std::string archive = [] {
        const char* xdgCache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        const std::filesystem::path cache =
            (xdgCache != nullptr && *xdgCache != '\0' ? std::filesystem::path(xdgCache)
                                                     : std::filesystem::path(home != nullptr ? home : "") / ".cache") /
            "orvandel-corpus";
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(cache, error)) {
            if (entry.path().filename().string().rfind("openarena-081-textures_", 0) != 0) continue;
            const std::string into = tempPath("textures-package");
            if (runProcess({"/usr/bin/dpkg-deb", "-x", entry.path().string(), into}).exitStatus != 0) return std::string();
            for (const auto& file : std::filesystem::recursive_directory_iterator(into))
                if (file.path().extension() == ".pk3") return file.path().string();
        }
        return std::string();
    }();
    return archive;
}

TEST_P(CorpusShard, WithTheGamesTexturesEachLevelFindsImagesAndDrawsTexturedAlikeOnBothPaths) {
    const std::string archive = texturesArchive();
    if (archive.empty()) GTEST_SKIP() << "no texture package fetched";
    for (const corpus::Level& level : shardLevels) {
        SCOPED_TRACE(level.file);
        const ProcessResult info = runProcess({viewerBinary(), "--info", level.path, "--assets", archive});
        ASSERT_EQ(info.exitStatus, 0) << info.err;
        std::smatch found;
        ASSERT_TRUE(std::regex_search(info.out, found, std::regex("\ntextures: ([0-9]+) of ([0-9]+) found\n")))
            << info.out;
        EXPECT_GT(std::stoul(found[1]), 0u);
        EXPECT_EQ(std::stoul(found[2]), level.counts.at("materials"));

        std::vector<unsigned char> pictures[2];
        for (const char* path : {"immediate", "buffered"}) {
            const std::string shot = tempPath(level.file + "-textured.png");
            const ProcessResult run = runProcess({"/usr/bin/env", "-u", "DISPLAY", viewerBinary(), "--offscreen",
                                                  level.path, "--frames", "1", "--look", "textured", "--camera",
                                                  "spawn", "--size", "160,120", "--draw", path, "--assets", archive,
                                                  "--screenshot", shot});
            ASSERT_EQ(run.exitStatus, 0) << run.err;
            pictures[path[0] == 'b'] = testsupport::readPng(shot).rgba;
            std::remove(shot.c_str());
        }
        EXPECT_EQ(pictures[0].size(), 160u * 120u * 4u);
        EXPECT_TRUE(pictures[0] == pictures[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, CorpusShard, testing::Range<std::size_t>(0, 6));

}  // namespace
