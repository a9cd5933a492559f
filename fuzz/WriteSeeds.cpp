// orvandel-fuzz-seeds LEVELDIR SETTINGSDIR: writes the crafted starting
// inputs of the two fuzzing harnesses, one file each.

#include <iostream>
#include <string>

#include "LevelWriter.h"
#include "MalformedLevels.h"

namespace {

const char* const settingsSeeds[] = {
    "",
    "width=1280\r\nheight=1024\r\nfullscreen=1\r\n",
    "width = 800\nheight=600\n",
    "a=width=1280=height=7\r",
    "fullscreen=1\nfullscreen=0\nWidth=5\nwidth 9\nheight=768px\n",
    "width=2147483648\nheight=-2147483649\nwidth=abc\nheight=+12\n",
    "\r\r\n\n\r=\n==\nwidth=\n=height\n",
};

bool write(const std::string& path, const Qor::Bytes& bytes) {
    if (Qor::writeFile(path, bytes)) return true;
    std::cerr << "ERROR: Could not write seed file '" << path << "'.\n";
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "Usage: orvandel-fuzz-seeds LEVELDIR SETTINGSDIR\n";
        return 2;
    }
    const std::string levelDirectory = argv[1];
    const std::string settingsDirectory = argv[2];
    for (const Qor::MalformedLevel& level : Qor::malformedLevels())
        if (!write(levelDirectory + "/" + level.name + ".d3dbsp", level.bytes)) return 1;
    int number = 0;
    for (const std::string seed : settingsSeeds) {
        const std::string path = settingsDirectory + "/seed" + std::to_string(number++) + ".txt";
        if (!write(path, Qor::Bytes(seed.begin(), seed.end()))) return 1;
    }
    return 0;
}
