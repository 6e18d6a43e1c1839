// SPDX-License-Identifier: GPL-3.0-or-later
#include "crashwrites.h"

#include <cstdio>

// Test helper: saves every file of crashwrites.h again and again, from the version given on, until it
// is killed. Usage: crashwriter PROGRAM_FOLDER FIRST_VERSION
int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const quindara::DataFolder data(QString::fromLocal8Bit(argv[1]));
    // Tells the test that loading is over and the saves begin.
    std::puts("saving");
    std::fflush(stdout);
    for (int version = std::atoi(argv[2]);; ++version) {
        if (!crashwrites::saveVersion(data, version)) {
            std::fprintf(stderr, "save %d failed\n", version);
            return 1;
        }
    }
}
