#pragma once
// The drawing settings every chart shares: pen of new tools, the continue-drawing and lock
// switches (kept in appconfig.xml under "DrawTool"/"lineset"), and the eraser and pan
// switches that live only while the program runs.

#include <cstdint>

struct ToolSettings {
    int32_t lineType = 0;      // pen style of new tools and of multi-point rubber bands
    int32_t lineWidth = 1;     // pixels
    int32_t continueDraw = 0;  // the chosen tool stays chosen after one is placed
    int32_t lockDrawLine = 0;  // placed tools cannot be selected or dragged
    int32_t eraser = 0;        // a click deletes the tool under the mouse
    int32_t panMode = 0;       // a press on empty chart space pans the chart
};

ToolSettings& GetToolSettings();

// Reads the four stored settings (defaults 0, 1, 0, 0).
void LoadDrawToolSettings();
// Writes the four stored settings; the configuration file is written once, by the last.
void saveLineSettings();
