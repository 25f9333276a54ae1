#pragma once
// Log lines of the network module. Network trouble is never shown in a window from here;
// it is written down, and the user sees its effect (connection state, login result).

#include <string>

void NetLog(const std::string& line);
