#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "BSP.h"
#include "GeometryWalk.h"
#include "LevelLoading.h"
#include "LevelWriter.h"
#include "Normals.h"
#include "TestSupport.h"

// Level files as the user has them: what the user may read, and the levels
// the generator writes.

namespace {

TEST(LevelFileAccess, ReadsWhatTheUserMayReadAndReportsTheRest) {
    // The loads run as the unprivileged user 65534 when the tests run as root, so that permissions
    // apply; the per-process temporary directory is private, hence one open to all.
    std::string directory = "/tmp/orvandel-access-XXXXXX";
    ASSERT_NE(mkdtemp(directory.data()), nullptr);
    ASSERT_EQ(chmod(directory.c_str(), 0755), 0);
    const auto at = [&](const std::string& name) { return directory + "/" + name; };
    ASSERT_TRUE(Qor::writeFile(at("read-only"), sample().bytes()) &&
                Qor::writeFile(at("forbidden"), sample().bytes()) &&
                Qor::writeFile(at("huge"), padded({'I', 'B', 'S', 'P', 4}, 9)));
    ASSERT_EQ(chmod(at("read-only").c_str(), 0444) + chmod(at("forbidden").c_str(), 0000) +
                  mkdir(at("directory").c_str(), 0755),
              0);
    // Cut to 32 bits, the size would be 9 and the file would load.
    ASSERT_EQ(truncate(at("huge").c_str(), (1LL << 32) + 9), 0);
    const std::string cannotOpen = "ERROR: Could not open input bsp file '";
    const std::string cannotRead = "ERROR: Could not read bsp file '";
    const std::tuple<std::string, std::string, int> cases[] = {
        {"read-only", "", 2},         {"forbidden", cannotOpen, 0}, {"missing", cannotOpen, 0},
        {"directory", cannotRead, 0}, {"huge", cannotRead, 0},
    };
    for (const auto& [name, message, triangles] : cases) {
        SCOPED_TRACE(name);
        const std::string err = message.empty() ? "" : message + at(name) + "'.\n";
        const pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
                _exit(101);
            const Loaded loaded = load(at(name));
            const bool told = loaded.err == err && said(*loaded.level) == err;
            _exit(told ? static_cast<int>(loaded.level->triangles.size()) : 100);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), triangles) << "100: other messages, 101: privileges kept";
    }
    std::filesystem::remove_all(directory);
}

TEST(LevelGenerator, WritesADemoShowingEveryKindOfContentAndBenchLevelsOfTheTrianglesAskedFor) {
    const auto generate = [](const std::vector<std::string>& scene) {
        Loaded loaded = load(testsupport::generatedLevel(scene));
        EXPECT_EQ(loaded.err, "");
        return loaded;
    };
    const Loaded demo = generate({"demo"});
    const Qor::BSP& level = *demo.level;
    // Every texture has its material and every false colour shows; every
    // group's vertices store normals but one's, which store zeros.
    std::set<std::uint32_t> colours;
    std::multiset<std::set<bool>> storing;  // per group: whether its vertices store a normal
    for (const Qor::TextureGroup& group : level.textureGroups) {
        colours.insert(group.texture % 12);
        EXPECT_LT(group.texture, level.materials.size());
        std::set<bool> stored;
        for (std::uint32_t k = 0; k < group.vertexCount; ++k)
            stored.insert(Qor::storedNormal(level.vertices[group.firstVertex + k]).has_value());
        storing.insert(stored);
    }
    EXPECT_EQ(colours.size(), 12u);
    EXPECT_EQ(storing.count({false}), 1u);
    EXPECT_EQ(storing.count({true}), storing.size() - 1);
    // Every plane is a unit normal and a distance, and holds a whole triangle
    // of the level; every triangle lies in some plane (or in two, facing both
    // ways, where walls meet back to back).
    const auto holds = [](const Qor::Plane& p, const Qor::Vertex& v) {
        return std::fabs(p.a * v.x + p.b * v.y + p.c * v.z - p.d) < 1e-3f;
    };
    std::set<std::size_t> holding;
    std::size_t triangles = 0;
    Qor::forEachDrawnGroup(level, false, 0, [&](const Qor::TextureGroup& group) {
        Qor::forEachTriangle(level, group, [&](const Qor::Vertex& a, const Qor::Vertex& b, const Qor::Vertex& c) {
            ++triangles;
            std::size_t inPlanes = 0;
            for (std::size_t k = 0; k < level.planes.size(); ++k)
                if (holds(level.planes[k], a) && holds(level.planes[k], b) && holds(level.planes[k], c)) {
                    holding.insert(k);
                    ++inPlanes;
                }
            EXPECT_GE(inPlanes, 1u) << "triangle " << triangles;
        });
    });
    EXPECT_EQ(triangles, level.triangles.size());
    EXPECT_EQ(holding.size(), level.planes.size());
    for (const Qor::Plane& p : level.planes) EXPECT_NEAR(std::hypot(p.a, p.b, p.c), 1.0f, 1e-6f);
    // The baked colours vary as light and shade do.
    std::set<std::array<std::uint8_t, 3>> baked;
    for (const Qor::Vertex& v : level.vertices) baked.insert(v.colour);
    EXPECT_GT(baked.size(), 100u);
    // Three full patches and half a quad of the next group, every vertex with its normal.
    const Loaded bench = generate({"bench", "--triangles", "385"});
    EXPECT_EQ(bench.level->triangles.size(), 385u);
    for (const Qor::Vertex& v : bench.level->vertices) ASSERT_TRUE(Qor::storedNormal(v).has_value());
}

}  // namespace
