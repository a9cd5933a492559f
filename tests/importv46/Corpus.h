#pragma once

// The corpus of real levels, converted by scripts/corpus.sh: a folder of
// .d3dbsp files and manifest.tsv, a header line of field names then, a line
// per level, the file name and the counts the converter wrote, tab-separated.

#include <gtest/gtest.h>

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

// $ORVANDEL_CORPUS_DIR when set, else the link the build's corpus step makes.
std::string folder();

// Every level of the manifest in order; none when the folder has no manifest.
std::vector<Level> levels();

// A test over every count-th level from the shard's number on. Without a
// corpus it skips, or fails when ORVANDEL_REQUIRE_CORPUS is set.
class Shard : public testing::TestWithParam<std::size_t> {
protected:
    explicit Shard(std::size_t count) : count_(count) {}
    void SetUp() override;
    std::vector<Level> shardLevels;

private:
    std::size_t count_;
};

}  // namespace corpus
