// Times the whole level load against the least any load can cost: reading
// the same file into memory with one fread. Also times the loader's own read
// step, which allocates its block differently, so that the cost of decoding
// shows on its own. All three are interleaved, and the file is read once
// beforehand, so each comes from the page cache alike.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BSP.h"
#include "FileBuffer.h"

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

double timeLoaderRead(const char* path) {
    FileBuffer buffer{nullptr, 0};
    const auto start = Clock::now();
    const bool read = readWholeFile(path, buffer) == FileReadResult::ok;
    const double seconds = secondsSince(start);
    releaseFileBuffer(buffer);
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

    std::vector<double> reads, loaderReads, loads;
    for (int k = 0; k < repetitions; ++k) {
        // Rotate the order, so that none always follows the same one.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((k + turn) % 3) {
            case 0: reads.push_back(timeBareRead(path, size)); break;
            case 1: loaderReads.push_back(timeLoaderRead(path)); break;
            default: loads.push_back(timeLevelLoad(path, triangles)); break;
            }
        }
    }

    const double megabytes = static_cast<double>(size) / 1e6;
    std::printf("file: %s, %.1f MB, %zu triangles, %d repetitions\n", path, megabytes, triangles, repetitions);
    std::printf("%-12s %10s %10s %10s\n", "", "median ms", "MB/s", "best ms");
    auto row = [megabytes](const char* name, const std::vector<double>& seconds) {
        const double middle = median(seconds);
        const double best = *std::min_element(seconds.begin(), seconds.end());
        std::printf("%-12s %10.1f %10.0f %10.1f\n", name, middle * 1e3, megabytes / middle, best * 1e3);
    };
    row("fread", reads);
    row("loader read", loaderReads);
    row("load", loads);
    std::printf("load/fread: %.2f (median), %.2f (best)\n", median(loads) / median(reads),
                *std::min_element(loads.begin(), loads.end()) / *std::min_element(reads.begin(), reads.end()));
    std::printf("load/loader read: %.2f (median)\n", median(loads) / median(loaderReads));
    return 0;
}
