// Times the whole level load against the least any load can cost: reading
// the same file into memory with one fread. Also times the loader's own read
// step, which allocates its block differently, so that the cost of decoding
// shows on its own. All three are interleaved, and the file is read once
// beforehand, so each comes from the page cache alike.
//
// Given the viewer, it then times what a user waits for, `orvandel --info`,
// against a process that does nothing but the bare read, the two run by
// turns, and takes the peak memory of each from the system.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BSP.h"
#include "FileBuffer.h"

extern char** environ;

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

double timeLevelLoad(const char* path, std::size_t& triangles, std::size_t& vertices) {
    const auto start = Clock::now();
    const Qor::BSP level("", path);
    const double seconds = secondsSince(start);
    triangles = level.triangles.size();
    vertices = level.vertices.size();
    return level.buffer.data != nullptr ? seconds : -1;
}

struct ProcessRun {
    double seconds = -1;
    long peakKilobytes = 0;
};

// Runs the command with its output thrown away and waits for it; a failed
// start or a failure exit gives seconds -1.
ProcessRun timeProcess(const std::vector<std::string>& command) {
    std::vector<char*> arguments;
    for (const std::string& word : command) arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const auto start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child) return run;
    const double seconds = secondsSince(start);
    run.peakKilobytes = usage.ru_maxrss;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.seconds = seconds;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The figures of the viewer's --info against the bare read as processes:
// median and best wall time of each, their ratio, and the peak resident
// memory of each beside the most the level may take.
void compareProcesses(const char* path, const char* viewer, int repetitions, std::size_t size, std::size_t vertices) {
    const std::vector<std::string> info = {viewer, "--info", path};
    const std::vector<std::string> read = {"/proc/self/exe", "--read", path};
    std::vector<double> infos, reads;
    long infoPeak = 0, readPeak = 0;
    for (int k = 0; k < repetitions; ++k) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool infoTurn = (k + turn) % 2 == 0;
            const ProcessRun run = timeProcess(infoTurn ? info : read);
            if (run.seconds < 0) {
                std::cerr << "orvandel_bench_load: '" << (infoTurn ? info : read)[0] << "' failed on '" << path << "'\n";
                std::exit(1);
            }
            (infoTurn ? infos : reads).push_back(run.seconds);
            long& peak = infoTurn ? infoPeak : readPeak;
            peak = std::max(peak, run.peakKilobytes);
        }
    }
    std::printf("\nprocesses: %s --info, and a bare read (open, malloc, one fread)\n", viewer);
    std::printf("%-12s %10s %10s %12s\n", "", "median ms", "best ms", "peak MB");
    auto row = [](const char* name, const std::vector<double>& seconds, long peak) {
        std::printf("%-12s %10.1f %10.1f %12.1f\n", name, median(seconds) * 1e3,
                    *std::min_element(seconds.begin(), seconds.end()) * 1e3, static_cast<double>(peak) * 1024 / 1e6);
    };
    row("bare read", reads, readPeak);
    row("--info", infos, infoPeak);
    std::printf("--info/bare read: %.2f (median of %d), %.2f (best)\n", median(infos) / median(reads), repetitions,
                *std::min_element(infos.begin(), infos.end()) / *std::min_element(reads.begin(), reads.end()));
    const double allowed = static_cast<double>(size + 16 * vertices) / 1e6;
    std::printf("--info peak: %.1f MB, file + 16 B per vertex: %.1f MB (%zu vertices)\n",
                static_cast<double>(infoPeak) * 1024 / 1e6, allowed, vertices);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--read") {
        std::size_t size = 0;
        return timeBareRead(argv[2], size) < 0 ? 1 : 0;
    }
    if (argc < 2 || argc > 4) {
        std::cerr << "Usage: orvandel_bench_load LEVEL [REPETITIONS [VIEWER]]\n"
                     "       orvandel_bench_load --read LEVEL\n";
        return 2;
    }
    const char* path = argv[1];
    const int repetitions = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 7;

    std::size_t size = 0;
    std::size_t triangles = 0;
    std::size_t vertices = 0;
    if (timeBareRead(path, size) < 0 || timeLevelLoad(path, triangles, vertices) < 0) {
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
            default: loads.push_back(timeLevelLoad(path, triangles, vertices)); break;
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
    if (argc == 4) compareProcesses(path, argv[3], repetitions, size, vertices);
    return 0;
}
