#include "drawtools/ToolSettings.h"

#include "foundation/Config.h"

ToolSettings& GetToolSettings() {
    static ToolSettings settings;
    return settings;
}

void LoadDrawToolSettings() {
    ToolSettings& s = GetToolSettings();
    s.lineType = GetConfigInt("DrawTool", "lineset", "linetype", 0);
    s.lineWidth = GetConfigInt("DrawTool", "lineset", "linewidth", 1);
    s.continueDraw = GetConfigInt("DrawTool", "lineset", "continuedraw", 0);
    s.lockDrawLine = GetConfigInt("DrawTool", "lineset", "lockdrawline", 0);
}

void saveLineSettings() {
    const ToolSettings& s = GetToolSettings();
    SetConfigInt("DrawTool", "lineset", "linetype", s.lineType, false);
    SetConfigInt("DrawTool", "lineset", "linewidth", s.lineWidth, false);
    SetConfigInt("DrawTool", "lineset", "continuedraw", s.continueDraw, false);
    SetConfigInt("DrawTool", "lineset", "lockdrawline", s.lockDrawLine, true);
}
