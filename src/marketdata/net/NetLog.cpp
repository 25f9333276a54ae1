#include "marketdata/net/NetLog.h"

#include "foundation/MyLog.h"

void NetLog(const std::string& line) {
    // The process log takes it when logging is on for this installation (its marker file);
    // otherwise network trouble shows only in its effects, as everywhere else.
    GetAppLog().WriteLog("net %s", line.c_str());
}
