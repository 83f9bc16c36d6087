// Process entry: everything happens in RunGame, which the game library provides.
#include <malloc.h>

#include "app/game_main.h"

int main(int argc, char** argv) {
    // Textures, targets and driver buffers are large and come and go with scenes: glibc would raise
    // its mmap threshold past them after the first free and then keep their freed pages in the heap
    // for good. A fixed threshold hands such blocks back to the system when they are freed. (The
    // trim threshold then follows the graphics level: Application::ApplyGraphicsLevel.)
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    return RunGame(argc, argv);
}
