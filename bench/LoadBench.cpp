// Times the whole level load against the least any load can cost: reading
// the same file into memory with one fread. The two are interleaved, and the
// file is read once beforehand, so both come from the page cache alike.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BSP.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Open, size, allocate, one fread: what the loader does before it decodes.
// The block is freed outside the timing, as the level's bytes are.
double timeBareRead(const char* path, std::size_t& size) {
    const auto start = Clock::now();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return -1;
    std::fseek(file, 0, SEEK_END);
    size = static_cast<std::size_t>(std::ftell(file));
    std::fseek(file, 0, SEEK_SET);
    auto* bytes = static_cast<unsigned char*>(std::malloc(size));
    const bool read = bytes != nullptr && std::fread(bytes, 1, size, file) == size;
    std::fclose(file);
    const double seconds = secondsSince(start);
    std::free(bytes);
    return read ? seconds : -1;
}

double timeLevelLoad(const char* path, std::size_t& triangles) {
    const auto start = Clock::now();
    const Qor::BSP level("", path);
    const double seconds = secondsSince(start);
    triangles = level.triangles.size();
    return level.buffer.data != nullptr ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::cerr << "Usage: orvandel_bench_load LEVEL [REPETITIONS]\n";
        return 2;
    }
    const char* path = argv[1];
    const int repetitions = argc == 3 ? std::max(1, std::atoi(argv[2])) : 7;

    std::size_t size = 0;
    std::size_t triangles = 0;
    if (timeBareRead(path, size) < 0 || timeLevelLoad(path, triangles) < 0) {
        std::cerr << "orvandel_bench_load: cannot load '" << path << "'\n";
        return 1;
    }

    std::vector<double> reads, loads;
    for (int k = 0; k < repetitions; ++k) {
        // Alternate which goes first, so neither always follows the other.
        if (k % 2 == 0) reads.push_back(timeBareRead(path, size));
        loads.push_back(timeLevelLoad(path, triangles));
        if (k % 2 == 1) reads.push_back(timeBareRead(path, size));
    }

    const double megabytes = static_cast<double>(size) / 1e6;
    const double readMedian = median(reads);
    const double loadMedian = median(loads);
    const double readBest = *std::min_element(reads.begin(), reads.end());
    const double loadBest = *std::min_element(loads.begin(), loads.end());
    std::printf("file: %s, %.1f MB, %zu triangles, %d repetitions\n", path, megabytes, triangles, repetitions);
    std::printf("%-10s %10s %10s %10s\n", "", "median ms", "MB/s", "best ms");
    std::printf("%-10s %10.1f %10.0f %10.1f\n", "fread", readMedian * 1e3, megabytes / readMedian, readBest * 1e3);
    std::printf("%-10s %10.1f %10.0f %10.1f\n", "load", loadMedian * 1e3, megabytes / loadMedian, loadBest * 1e3);
    std::printf("load/fread: %.2f (median), %.2f (best)\n", loadMedian / readMedian, loadBest / readBest);
    return 0;
}
