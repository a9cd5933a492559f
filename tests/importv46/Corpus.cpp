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

bool required() {
    const char* value = std::getenv("ORVANDEL_REQUIRE_CORPUS");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

}  // namespace corpus
