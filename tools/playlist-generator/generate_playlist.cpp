// velomir-generate-playlist N [seed]: writes a playlist detail answer of N tracks to stdout.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "playlist_answer_generator.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s TRACKS [SEED]\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    const long tracks = std::strtol(argv[1], &end, 10);
    if (*end != '\0' || tracks < 0 || tracks > 10000000) {
        std::fprintf(stderr, "%s: TRACKS must be a number from 0 to 10000000\n", argv[0]);
        return 2;
    }
    const unsigned long long seed = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 1;
    velomir::PlaylistAnswerGenerator(seed).write(
        static_cast<int>(tracks), [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); });
    return std::fflush(stdout) == 0 ? 0 : 1;
}
