#pragma once

// Shared by the test programs: temporary files, level fixtures and running
// the built programs as a user would.

#include <string>
#include <vector>

#include "LevelWriter.h"

namespace testsupport {

// A path in a fresh per-process temporary directory.
std::string tempPath(const std::string& name);

// Writes bytes to tempPath(name) and returns the path.
std::string writeTemp(const std::string& name, const Qor::Bytes& bytes);
std::string writeTemp(const std::string& name, const std::string& text);

// Writes a version-4 level with these contents and returns its path.
std::string writeLevel(const std::string& name, const Qor::LevelContents& contents);

struct ProcessResult {
    int exitStatus = -1;  // the exit code, or 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs a program with arguments (argv[0] included), stdin closed, and
// collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv);

// The built viewer and generator.
const char* viewerBinary();
const char* mklevelBinary();

}  // namespace testsupport
