#include "training/wnd/TrendTrainingSetup.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "foundation/Format.h"
#include "marketdata/DayData.h"
#include "marketdata/Security.h"

int LeadingInteger(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    if (!(value > 0)) return 0;
    return int(std::min(std::floor(value), double(INT_MAX)));
}

std::string CheckTrendStart(const TrendStartState& s, int& days) {
    days = 0;
    if (s.accountName.empty() && s.guestSessionsToday >= kGuestSessionsPerDay)
        return "游客权限一天只能训练5只股票。请您到官网注册账号，使用账号登录";
    if (s.sessionRunning) return "请先结束正在进行的趋势训练!!!";
    if (s.chosenSecurityMode && !s.hasSecurity) return "请先指定股票代码!!!";
    if (s.range.begin == 0 || s.range.end == 0)
        return "无法获取数据支持的日期，原因可能是：没有连网；服务器没有相关代码的数据；网速较慢。请换只代码看看!!!";
    if (!s.datesMode) {
        if (!IsNumericText(s.daysText)) return "训练天数输入有误!!!";
        const int wanted = LeadingInteger(s.daysText);
        if (uint32_t(wanted) > s.range.maxDays) {
            char text[64];
            std::snprintf(text, sizeof text, "训练天数最多%u天", s.range.maxDays);
            return text;
        }
        if (wanted == 0) return "请输入训练天数";
        days = wanted;
    } else if (s.startDate < s.range.begin || s.endDate > s.range.end) {
        return "起止日期不在合理的区间内";
    }
    if (s.datesMode && s.startDate != 0 && s.endDate != 0 && s.startDate >= s.endDate) {
        days = 0;
        return "开始时间必须小于结束时间";
    }
    return {};
}

bool ParseFeeText(const std::string& text, double& rate, std::string& label, std::string& message) {
    if (!IsNumericText(text)) {
        message = "输入不合法!";
        return false;
    }
    const int value = LeadingInteger(text);
    if (value > 10) {
        message = "费率不得超过10‱!";
        return false;
    }
    message.clear();
    rate = value / 10000.0;
    // The label shows the rate that applies: "2.5" charges 2 per ten thousand.
    label = text.empty() ? std::string() : std::to_string(value);
    return true;
}

std::string FormatSupportRange(const TrendSupportRange& r) {
    if (r.begin == 0 || r.end == 0) return "--";
    char text[64];
    std::snprintf(text, sizeof text, "%u-%02u-%02u至%u-%02u-%02u", r.begin / 10000, r.begin / 100 % 100,
                  r.begin % 100, r.end / 10000, r.end / 100 % 100, r.end % 100);
    return text;
}

TrendSupportRange LocalSupportRange(CSecurity* security) {
    TrendSupportRange range;
    if (!security) return range;
    // A private series: the pool's copy may be in use by a chart, and this one is read once.
    auto series = std::make_shared<CDayData>("trend-setup", security, CDayData::kDayType, 1);
    series->LoadLocal();
    auto view = series->Read();
    const auto& bars = view.RawBars();
    if (bars.empty()) return range;
    range.maxDays = uint32_t(bars.size());
    range.begin = uint32_t(uint64_t(bars.front().m_nTime));
    range.end = uint32_t(uint64_t(bars.back().m_nTime));
    return range;
}
