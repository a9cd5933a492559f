// Prints the bytes the buffered drawing's arrays take for a level, as the
// viewer builds them in a small window; bench/frames.sh divides them by the
// level's triangles.

#include <cstdio>

#include "BSP.h"
#include "Renderer.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: orvandel_bench_buffers LEVEL\n");
        return 2;
    }
    Renderer renderer("", {64, 64});
    Qor::BSP level("", argv[1]);
    renderer.setLevel(&level);
    std::printf("%zu\n", renderer.geometry.bytes());
    shutdownVideo();
    return 0;
}
