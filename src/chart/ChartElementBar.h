#pragma once
// What the chart puts on its title bar: the period buttons (the user's common periods,
// with a drop-down of the others), the "设置" drop-down (line style, ex-rights mode, axis
// type) right-aligned, and the toggles "画线" and "平移". The chart handles the commands
// and answers their states; the bar only shows them.
#include <cstdint>
#include <vector>

#include "ui/element/ElementBar.h"

namespace chart {

// Period buttons for the common-period list (keys (period << 16) | data type); an empty
// list, or one that names no period, gives the default buttons.
void AddPeriodItems(CElementBarMenu& bar, const std::vector<uint32_t>& common);
// The settings drop-down and the two mode toggles.
void AddSettingsItems(CElementBarMenu& bar);
// Empties the bar and fills it: periods, two separators, settings, toggles.
void FillChartTitleBar(CElementBarMenu& bar, const std::vector<uint32_t>& common);

}  // namespace chart
