// explode_file SAVE OUT: one run of ExplodeFile, nothing else, so that
// scripts/callgrind-explode.sh counts the decoder's own instructions.
#include "explode.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: explode_file SAVE OUT\n");
        return 2;
    }
    if (ExplodeFile(argv[1], argv[2]) != 1) {
        std::fprintf(stderr, "explode_file: %s: %s\n", argv[1],
                     explodeStatusText(explodeFileStatus(argv[1], argv[2])));
        return 1;
    }
    return 0;
}
