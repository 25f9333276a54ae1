// tarrow-resgen ART_DIR OUT_ROOT: renders the program's images from their sources.
// scripts/gen-resources runs it over resources/; a test checks the results are current.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ResGen.h"
#include "platform/App.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ART_DIR OUT_ROOT\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    platform::Initialize(argc, argv);
    std::string error;
    int n = GenerateResources(argv[1], argv[2], &error);
    if (!error.empty()) {
        std::fprintf(stderr, "tarrow-resgen: %s\n", error.c_str());
        return 1;
    }
    std::printf("tarrow-resgen: %d files written under %s\n", n, argv[2]);
    return 0;
}
