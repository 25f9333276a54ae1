#include "foundation/Random.h"

std::mt19937& ThreadRandomEngine() {
    thread_local std::mt19937 engine = [] {
        std::random_device source;
        std::seed_seq seed{source(), source(), source(), source()};
        return std::mt19937(seed);
    }();
    return engine;
}

size_t RandomIndex(size_t count) {
    if (count == 0) return 0;
    return std::uniform_int_distribution<size_t>(0, count - 1)(ThreadRandomEngine());
}
