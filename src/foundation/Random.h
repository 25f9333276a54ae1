#pragma once
// Random draws for the program's own choices (a random security, a random training
// window). Each thread has its own engine, seeded once from the system's entropy source:
// no engine is shared between threads, so no draw needs a lock.

#include <cstddef>
#include <random>

std::mt19937& ThreadRandomEngine();

// A uniformly drawn index in [0, count); 0 when count is 0.
size_t RandomIndex(size_t count);
