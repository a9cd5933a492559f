// Prints the bytes the buffered drawing's arrays take for a level, as the
// viewer builds them in a small window: the classic look's, or with LOOK
// those and the look's own. bench/frames.sh divides them by the level's
// triangles.

#include <cstdio>
#include <optional>

#include "BSP.h"
#include "Renderer.h"

int main(int argc, char* argv[]) {
    const std::optional<Look> look = argc == 3 ? parseLook(argv[2]) : Look::classic;
    if (argc < 2 || argc > 3 || !look) {
        std::fprintf(stderr, "Usage: orvandel_bench_buffers LEVEL [classic|shaded|baked|normals]\n");
        return 2;
    }
    Renderer renderer({64, 64});
    Qor::BSP level("", argv[1]);
    renderer.view.look = *look;
    renderer.setLevel(&level);
    std::printf("%zu\n", renderer.frame.geometry.bytes());
    shutdownVideo();
    return 0;
}
