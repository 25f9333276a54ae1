#include "ui/status/StatusLayout.h"

#include <cstdio>

StatusBarPlacement ComputeStatusBarPlacement(const CRect& client) {
    const int h = client.Height();
    StatusBarPlacement p;
    p.title = CRect(client.left, client.top, client.left + 150, client.top + h);
    p.clock = CRect(client.right - 100, client.top, client.right, client.top + h);
    p.connection = CRect(client.right - 122, client.top, client.right - 100, client.top + h);
    p.codeInput = CRect(client.right - 277, client.top + 2, client.right - 157, client.top + 26);
    return p;
}

std::string FormatClockText(uint32_t date, uint32_t time) {
    if (date == 0) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u月%u日 %02u:%02u", date % 10000 / 100, date % 100,
                  time / 10000, time / 100 % 100);
    return buf;
}

int ComputeConnectionState(bool haveClient, bool loginPending, bool loggedIn) {
    if (!haveClient) return 0;
    if (loggedIn) return 4;
    if (loginPending) return 3;
    return 0;
}

int ConnectionIconCell(int state) {
    switch (state) {
        case 4:
            return 0;
        case 0:
            return 1;
        default:
            return 2;
    }
}
