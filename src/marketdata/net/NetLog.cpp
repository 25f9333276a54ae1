#include "marketdata/net/NetLog.h"

#include <cstdio>
#include <mutex>

void NetLog(const std::string& line)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fprintf(stderr, "net: %s\n", line.c_str());
}
