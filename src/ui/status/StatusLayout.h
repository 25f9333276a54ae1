#pragma once
// What the status bar decides without windows: where its four panes go, the clock's text
// and the connection state the icon shows.
#include <cstdint>
#include <string>

#include "platform/Geometry.h"

struct StatusBarPlacement {
    CRect title;       // product logo, at the left
    CRect codeInput;   // the stock-code input box, 120 x 24
    CRect connection;  // the connection-state icon
    CRect clock;
};

// Panes of a status bar with this client rectangle: the title 150 wide at the left; at
// the right the clock (100), the connection icon (22) left of it and the code input
// (120 x 24, 2 below the top) 35 further left.
StatusBarPlacement ComputeStatusBarPlacement(const CRect& client);

// "3月5日 09:30" for date 20190305 and time 93005 (hhmmss); empty when the date is 0.
std::string FormatClockText(uint32_t date, uint32_t time);

// Connection states: 0 offline, 3 connected and waiting for the login reply, 4 logged in
// (which wins when both flags are set).
int ComputeConnectionState(bool haveClient, bool loginPending, bool loggedIn);
// The cell of the four-cell connection image a state shows: 4 -> 0, 0 -> 1, others -> 2.
int ConnectionIconCell(int state);
