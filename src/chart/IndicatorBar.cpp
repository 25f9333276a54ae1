#include "chart/IndicatorBar.h"

#include <algorithm>

#include "chart/ChartActions.h"
#include "marketdata/DataCenter.h"

ElementBarInd::ElementBarInd() {
    m_nPosition = 3;
    m_nHeight = 24;
}

int& ElementBarInd::FirstIndicatorIndex() {
    static int index = 2;
    return index;
}

std::shared_ptr<CElementMenuItem> ElementBarInd::CreateItem(UINT flags, UINT id, const std::string& text,
                                                            int value) {
    return std::make_shared<ElementBarIndMenuItem>(flags, id, text, value);
}

void ElementBarInd::OnItemClick(int index) {
    auto item = GetItem(index);
    if (!item) return;
    item->m_bPressed = !item->m_bPressed;
    SendOwner(item->m_bPressed ? WM_COMMAND : kBarMsgReleased, item->m_nCommandId);
}

void ElementBarInd::AddIndicatorItems() {
    const auto& list = GetDataCenter()->GetDefaultIndicatorNames();
    std::vector<std::string> names;
    for (int i = 0; i < list.GetSize(); ++i) names.push_back(list[static_cast<size_t>(i)]);
    AddIndicatorItems(names);
}

void ElementBarInd::AddIndicatorItems(const std::vector<std::string>& names) {
    RemoveAllItems();
    FirstIndicatorIndex() = 2;
    AppendItem(0, 0, "  ", 0);
    auto settings = AppendItem(0, 0, "设置指标", 0);
    settings->AddChild(*this, 0, static_cast<UINT>(chart::kCmdIndicatorParams), "设置指标参数", 101);
    const size_t n = std::min<size_t>(names.size(), kMaxIndicators);
    for (size_t i = 0; i < n; ++i)
        AppendItem(0, static_cast<UINT>(chart::kCmdIndicatorFirst + static_cast<int>(i)), names[i], 101);
}
