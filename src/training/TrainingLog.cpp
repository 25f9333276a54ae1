#include "training/TrainingLog.h"

#include <cstdio>

void TrainingLog(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}
