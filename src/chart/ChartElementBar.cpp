#include "chart/ChartElementBar.h"

#include <algorithm>
#include <string>

#include "chart/ChartActions.h"
#include "foundation/Format.h"

namespace chart {

namespace {

struct PeriodKey {
    int16_t dataType;
    int16_t period;
};

// Every period a chart offers, in the order of the drop-down.
constexpr PeriodKey kStandardPeriods[15] = {{2, 0}, {13, 0}, {3, 1},  {3, 5},  {3, 15},
                                            {3, 30}, {3, 60}, {3, -1}, {4, 1},  {4, 2},
                                            {4, 3},  {4, 4},  {4, 5},  {4, 6},  {4, -1}};

PeriodKey FromKey(uint32_t key) {
    return {static_cast<int16_t>(key & 0xFFFF), static_cast<int16_t>(key >> 16)};
}

std::string PeriodName(const PeriodKey& p) { return GetPeriodName(p.period, p.dataType, false, true); }

void AddSeparator(CElementBarMenu& bar, CElementMenuItem* parent) {
    if (parent)
        parent->AddChild(bar, kBarItemSeparator, 0, "", 0);
    else
        bar.AppendItem(kBarItemSeparator, 0, "", 0);
}

void AddDefaultPeriodItems(CElementBarMenu& bar) {
    bar.AppendItem(kBarItemGroupStart, 39982, "分时", 101);
    bar.AppendItem(0, 39988, "日线", 102);
    bar.AppendItem(0, 39987, "60分", 102);
    bar.AppendItem(0, 39986, "30分", 102);
    auto last = bar.AppendItem(0, 39989, "周线", 103);
    last->AddChild(bar, 0, 39981, "每笔", 101);
    AddSeparator(bar, last.get());
    struct Entry {
        UINT id;
        const char* name;
    };
    static const Entry minutes[] = {{39983, "1分"}, {39984, "5分"}, {39985, "15分"}};
    static const Entry longer[] = {{39989, "周线"}, {39990, "月线"}, {39991, "季线"}, {39992, "半年线"}, {39993, "年线"}};
    for (const Entry& e : minutes) last->AddChild(bar, 0, e.id, e.name, 101);
    AddSeparator(bar, last.get());
    for (const Entry& e : longer) last->AddChild(bar, 0, e.id, e.name, 101);
    AddSeparator(bar, last.get());
    last->AddChild(bar, 0, static_cast<UINT>(kCmdMostUsedPeriod), "设置常用周期...", 101);
}

}  // namespace

void AddPeriodItems(CElementBarMenu& bar, const std::vector<uint32_t>& common) {
    std::vector<PeriodKey> buttons;
    for (uint32_t key : common) {
        const PeriodKey p = FromKey(key);
        if (PeriodToCommandId(p.dataType, p.period) != 0) buttons.push_back(p);
    }
    if (buttons.empty()) {
        AddDefaultPeriodItems(bar);
        return;
    }
    std::shared_ptr<CElementMenuItem> last;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const int value = i == 0 ? 101 : i + 1 == buttons.size() ? 103 : 102;
        last = bar.AppendItem(i == 0 ? kBarItemGroupStart : 0,
                              static_cast<UINT>(PeriodToCommandId(buttons[i].dataType, buttons[i].period)),
                              PeriodName(buttons[i]), value);
    }
    const PeriodKey own = buttons.back();
    int previousType = -1;
    bool listed = false;
    for (const PeriodKey& p : kStandardPeriods) {
        const bool isOwn = p.dataType == own.dataType && p.period == own.period;
        const bool inList = std::any_of(buttons.begin(), buttons.end(), [&](const PeriodKey& b) {
            return b.dataType == p.dataType && b.period == p.period;
        });
        if (inList && !isOwn) continue;
        if (listed && p.dataType != previousType) AddSeparator(bar, last.get());
        last->AddChild(bar, 0, static_cast<UINT>(PeriodToCommandId(p.dataType, p.period)), PeriodName(p), 101);
        previousType = p.dataType;
        listed = true;
    }
    if (listed) AddSeparator(bar, last.get());
    last->AddChild(bar, 0, static_cast<UINT>(kCmdMostUsedPeriod), "设置常用周期...", 101);
}

void AddSettingsItems(CElementBarMenu& bar) {
    auto settings = bar.AppendItem(kBarItemGroupStart, static_cast<UINT>(kCmdSettings), "设置", 101);
    struct Entry {
        UINT id;
        const char* text;
    };
    struct SubMenu {
        const char* text;
        std::vector<Entry> entries;
    };
    const SubMenu menus[] = {
        {"线型", {{39941, "k线"}, {39942, "美国线"}, {39943, "价格线"}, {39945, "宝塔线"}, {39946, "压缩线"}}},
        {"除权", {{50123, "上除权"}, {50124, "下除权"}, {50122, "不除权"}}},
        {"坐标类型", {{50125, "普通坐标"}, {50126, "百分比坐标"}, {50127, "对数坐标"}, {50129, "等比对数坐标"}}},
    };
    for (const SubMenu& m : menus) {
        auto header = settings->AddChild(bar, 0, static_cast<UINT>(-1), m.text, 0);
        for (const Entry& e : m.entries) header->AddChild(bar, 0, e.id, e.text, 101);
    }
    bar.AppendItem(kBarItemGroupStart, static_cast<UINT>(kCmdDrawLine), "画线", 101);
    bar.AppendItem(kBarItemGroupStart, static_cast<UINT>(kCmdPan), "平移", 101);
}

void FillChartTitleBar(CElementBarMenu& bar, const std::vector<uint32_t>& common) {
    bar.RemoveAllItems();
    AddPeriodItems(bar, common);
    AddSeparator(bar, nullptr);
    AddSeparator(bar, nullptr);
    AddSettingsItems(bar);
}

}  // namespace chart
