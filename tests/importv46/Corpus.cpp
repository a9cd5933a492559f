#include "Corpus.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace corpus {

std::string folder() {
    const char* chosen = std::getenv("ORVANDEL_CORPUS_DIR");
    return chosen != nullptr && *chosen != '\0' ? chosen : ORVANDEL_CORPUS_DIR;
}

std::vector<Level> levels() {
    const std::string dir = folder();
    std::ifstream manifest(dir + "/manifest.tsv");
    std::vector<Level> out;
    std::string line;
    if (!std::getline(manifest, line)) return out;
    std::vector<std::string> names;
    std::istringstream header(line);
    for (std::string name; std::getline(header, name, '\t');) names.push_back(name);
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        Level level;
        std::getline(fields, level.file, '\t');
        level.path = dir + "/" + level.file;
        std::string value;
        for (std::size_t i = 1; i < names.size() && std::getline(fields, value, '\t'); ++i)
            level.counts[names[i]] = std::strtoull(value.c_str(), nullptr, 10);
        out.push_back(std::move(level));
    }
    return out;
}

void Shard::SetUp() {
    const std::vector<Level> all = levels();
    const char* require = std::getenv("ORVANDEL_REQUIRE_CORPUS");
    if (all.empty() && require != nullptr && *require != '\0' && std::string(require) != "0")
        FAIL() << "No corpus manifest in '" << folder() << "': run scripts/corpus.sh fetch.";
    if (all.empty()) GTEST_SKIP() << "no corpus in '" << folder() << "'";
    for (std::size_t i = GetParam(); i < all.size(); i += count_) shardLevels.push_back(all[i]);
}

}  // namespace corpus
