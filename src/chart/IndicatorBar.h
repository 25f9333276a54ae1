#pragma once
// The indicator bar at the bottom of a chart: a spacer, the "设置指标" drop-down whose
// entry "设置指标参数" (45603) opens the parameter dialog of the selected pane's indicator,
// and one button per name of the data centre's bar-indicator list (at most twelve,
// commands 45000-45011). Buttons toggle on their own: pressing one shows the indicator
// (WM_COMMAND), releasing it takes the indicator off (0x465); the chart reports through
// 0x8068 which indicators a pane shows.
#include <string>
#include <vector>

#include "ui/element/ElementBar.h"

class ElementBarIndMenuItem : public CElementMenuItem {
public:
    using CElementMenuItem::CElementMenuItem;
};

class ElementBarInd : public CElementBarMenu {
public:
    ElementBarInd();
    static constexpr int kMaxIndicators = 12;
    // The bar index of the first indicator button; the chart adds (command - 45000).
    static int& FirstIndicatorIndex();

    std::shared_ptr<CElementMenuItem> CreateItem(UINT flags, UINT id, const std::string& text,
                                                 int value) override;
    // Toggles only the clicked button.
    void OnItemClick(int index) override;
    // Empties the bar and fills it from the names (the data centre's list by default).
    void AddIndicatorItems();
    void AddIndicatorItems(const std::vector<std::string>& names);
};
