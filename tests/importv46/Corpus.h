#pragma once

// The corpus of real levels, converted by scripts/corpus.sh: a folder of
// .d3dbsp files and manifest.tsv, a header line of field names then one line
// per level: the file name and the counts the converter wrote (materials,
// planes, textureGroups, vertices, triangles, entityBytes, surfaces,
// converted, split, leftOut), separated by tabs.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corpus {

struct Level {
    std::string file;  // the name in the manifest
    std::string path;  // the folder joined with it
    std::map<std::string, std::uint64_t> counts;
};

// $ORVANDEL_CORPUS_DIR when set, else the build's ORVANDEL_CORPUS_DIR
// (the link the test command's corpus step makes).
std::string folder();

// Every level of the manifest in order; none when the folder has no manifest.
std::vector<Level> levels();

// Set by the test command (ORVANDEL_REQUIRE_CORPUS): a missing corpus is then
// a failure, not a reason to skip.
bool required();

}  // namespace corpus
