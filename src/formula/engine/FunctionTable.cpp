#include "formula/engine/FunctionTable.h"

#include <unordered_map>

namespace {

using FC = FunctionClass;
constexpr uint16_t C(CoreFn f) {
    return static_cast<uint16_t>(f);
}

std::vector<FunctionInfo> BuildTable() {
    std::vector<FunctionInfo> t;
    auto series = [&](const char* n, int slot) {
        t.push_back({n, FC::Series, 0, static_cast<int16_t>(slot), 0, 0, n, 0});
    };
    auto core = [&](const char* n, CoreFn f, int lo, int hi) {
        t.push_back(
            {n, FC::Core, C(f), -1, static_cast<int16_t>(lo), static_cast<int16_t>(hi), n, 0});
    };
    auto base = [&](const char* n, int slot, int lo, int hi, const char* canon = nullptr) {
        t.push_back({n, FC::Base, 0, static_cast<int16_t>(slot), static_cast<int16_t>(lo),
                     static_cast<int16_t>(hi), canon ? canon : n, 0});
    };
    auto draw = [&](const char* n, int kind, int lo, int hi) {
        t.push_back({n, FC::Draw, static_cast<uint16_t>(kind), -1, static_cast<int16_t>(lo),
                     static_cast<int16_t>(hi), n, 0});
    };
    auto colour = [&](const char* n, uint32_t c) {
        t.push_back({n, FC::Colour, 0, -1, 0, 0, n, static_cast<double>(c)});
    };
    auto style = [&](const char* n, int code) {
        t.push_back({n, FC::Style, static_cast<uint16_t>(code), -1, 0, 0, n, 0});
    };
    auto constant = [&](const char* n, double v) {
        t.push_back({n, FC::Constant, 0, -1, 0, 0, n, v});
    };

    // Data series: loader slots.
    series("HIGH", load_slot::kHigh);
    series("H", load_slot::kHigh);
    series("OPEN", load_slot::kOpen);
    series("O", load_slot::kOpen);
    series("LOW", load_slot::kLow);
    series("L", load_slot::kLow);
    series("CLOSE", load_slot::kClose);
    series("C", load_slot::kClose);
    series("VOL", load_slot::kVolume);
    series("V", load_slot::kVolume);
    series("VOLUME", load_slot::kVolume);
    series("AMOUNT", load_slot::kAmount);
    series("AMO", load_slot::kAmount);
    series("ISDOWN", load_slot::kIsDown);
    series("ISEQUAL", load_slot::kIsEqual);
    series("ISUP", load_slot::kIsUp);
    series("VOLUNIT", load_slot::kVolUnit);
    series("TOTALMINUTES", load_slot::kTotalMinutes);
    series("PERIOD", load_slot::kPeriod);
    series("SYSDATE", load_slot::kSysDate);
    series("SYSTIME", load_slot::kSysTime);
    series("MINPRICE", load_slot::kMinPrice);
    series("CODE", load_slot::kCode);
    series("STKNAME", load_slot::kName);
    series("PRICEDIGITS", load_slot::kPriceDigits);
    series("BARPOS", load_slot::kBarPos);
    series("BARSTATUS", load_slot::kBarStatus);
    series("SHOWSTATUS", load_slot::kShowStatus);
    series("OPI", load_slot::kOpenInterest);
    series("YEAR", load_slot::kYear);
    series("MONTH", load_slot::kMonth);
    series("DAY", load_slot::kDay);
    series("LYEAR", load_slot::kLunarYear);
    series("LMONTH", load_slot::kLunarMonth);
    series("LDAY", load_slot::kLunarDay);
    series("DATE", load_slot::kDate);
    series("WEEKDAY", load_slot::kWeekday);
    series("DAYNUM", load_slot::kDayNum);
    series("HOUR", load_slot::kHour);
    series("MINUTE", load_slot::kMinute);
    series("TIME", load_slot::kTime);
    series("TIMESEC", load_slot::kTimeSec);
    series("BARFIELD", load_slot::kBarField);
    series("QTRCOST", load_slot::kQuarterCost);
    series("YEARBARS", load_slot::kYearBars);
    series("MONTHBARS", load_slot::kMonthBars);
    series("WEEKBARS", load_slot::kWeekBars);
    series("YTDBARS", load_slot::kYearToDateBars);
    series("MTDBARS", load_slot::kMonthToDateBars);
    series("WTDBARS", load_slot::kWeekToDateBars);

    // The engine's own functions.
    core("REF", CoreFn::Ref, 2, 2);
    core("MA", CoreFn::Ma, 2, 2);
    core("EMA", CoreFn::Ema, 2, 2);
    core("EXPMA", CoreFn::Ema, 2, 2);
    core("SMA", CoreFn::Sma, 3, 3);
    core("WMA", CoreFn::Wma, 2, 2);
    core("DMA", CoreFn::Dma, 2, 2);
    core("IF", CoreFn::If, 3, 3);
    core("IFF", CoreFn::If, 3, 3);
    core("CROSS", CoreFn::Cross, 2, 2);
    core("LONGCROSS", CoreFn::LongCross, 3, 3);
    core("ABS", CoreFn::Abs, 1, 1);
    core("MAX", CoreFn::Max, 2, 2);
    core("MIN", CoreFn::Min, 2, 2);
    core("STD", CoreFn::Std, 2, 2);
    core("STDP", CoreFn::Stdp, 2, 2);
    core("VAR", CoreFn::Var, 2, 2);
    core("VARP", CoreFn::Varp, 2, 2);
    core("AVEDEV", CoreFn::Avedev, 2, 2);
    core("DEVSQ", CoreFn::Devsq, 2, 2);
    core("SLOPE", CoreFn::Slope, 2, 2);
    core("FORCAST", CoreFn::Forcast, 2, 2);
    core("VALUEWHEN", CoreFn::ValueWhen, 2, 2);
    core("FILTER", CoreFn::Filter, 2, 2);
    core("BACKSET", CoreFn::Backset, 2, 2);
    core("CONST", CoreFn::Const, 1, 1);
    core("NOT", CoreFn::Not, 1, 1);
    core("BETWEEN", CoreFn::Between, 3, 3);
    core("RANGE", CoreFn::Range, 3, 3);
    core("SQRT", CoreFn::Sqrt, 1, 1);
    core("POW", CoreFn::Pow, 2, 2);
    core("LN", CoreFn::Ln, 1, 1);
    core("LOG", CoreFn::Log, 1, 1);
    core("EXP", CoreFn::Exp, 1, 1);
    core("SIN", CoreFn::Sin, 1, 1);
    core("COS", CoreFn::Cos, 1, 1);
    core("TAN", CoreFn::Tan, 1, 1);
    core("ASIN", CoreFn::Asin, 1, 1);
    core("ACOS", CoreFn::Acos, 1, 1);
    core("ATAN", CoreFn::Atan, 1, 1);
    core("CEILING", CoreFn::Ceiling, 1, 1);
    core("FLOOR", CoreFn::Floor, 1, 1);
    core("INTPART", CoreFn::Intpart, 1, 1);
    core("ROUND", CoreFn::Round, 1, 1);
    core("SIGN", CoreFn::Sign, 1, 1);
    core("MOD", CoreFn::Mod, 2, 2);
    core("RGB", CoreFn::Rgb, 3, 3);

    // Functions the system serves through evaluator slots.
    base("BARSLAST", base_slot::kBars, 1, 1);
    base("BARSCOUNT", base_slot::kBars, 1, 1);
    base("BARSSINCE", base_slot::kBars, 1, 1);
    base("LAST", base_slot::kBars, 1, 1);
    base("SUM", base_slot::kWindow, 2, 2);
    base("HHV", base_slot::kWindow, 2, 2);
    base("LLV", base_slot::kWindow, 2, 2);
    base("HHVBARS", base_slot::kWindow, 2, 2);
    base("LLVBARS", base_slot::kWindow, 2, 2);
    base("COUNT", base_slot::kWindow, 2, 2);
    base("ALL", base_slot::kWindow, 2, 2);
    base("ANY", base_slot::kWindow, 2, 2);
    base("EVERY", base_slot::kWindow, 2, 2, "ALL");
    base("EXIST", base_slot::kWindow, 2, 2, "ANY");
    base("DYNAINFO", base_slot::kDynaInfo, 1, 1);
    base("FINANCE", base_slot::kDynaInfo, 1, 1);
    base("ZIG", base_slot::kZig, 2, 2);
    base("PEAK", base_slot::kZig, 3, 3);
    base("PEAKBARS", base_slot::kZig, 3, 3);
    base("TROUGH", base_slot::kZig, 3, 3);
    base("TROUGHBARS", base_slot::kZig, 3, 3);
    base("COST", base_slot::kCost, 1, 1);
    base("WINNER", base_slot::kCost, 1, 1);
    base("CONVERGE", base_slot::kCost, 1, 1);
    base("SAR", base_slot::kSar, 3, 3);
    base("SARTURN", base_slot::kSar, 3, 3);
    base("SARSIGN", base_slot::kSar, 3, 3);
    base("INBLOCK", base_slot::kString, 1, 1);
    base("STRTONUM", base_slot::kString, 1, 1);
    base("INDREF", base_slot::kIndicatorReference, 2, -1);

    // Draw functions and their draw kinds.
    draw("DRAWICON", 0, 3, 4);
    draw("DRAWLINE", 1, 5, 5);
    draw("DRAWTEXT", 2, 3, 4);
    draw("POLYLINE", 3, 2, 2);
    draw("STICKLINE", 4, 5, 5);
    draw("DRAWCIRCLE", 5, 2, 2);
    draw("TICKLINE", 7, 3, -1);
    draw("HBAND", 8, 3, 4);
    draw("VERTLINE", 9, 2, 2);
    draw("PARTLINE", 10, 2, -1);
    draw("FILLRGN", 11, 3, -1);
    draw("FILLBELOW", 12, 3, -1);
    draw("DRAWRECTABS", 13, 5, 5);
    draw("DRAWRECTREL", 14, 5, 5);
    draw("DRAWTEXTABS", 15, 3, 3);
    draw("DRAWTEXTREL", 16, 3, 3);
    draw("DRAWFLAGTEXT", 17, 2, 2);
    draw("DRAWBMP", 18, 3, 4);
    draw("DRAWGBK", 19, 1, 2);
    draw("DRAWGBKLAST", 20, 1, 2);
    draw("STICKPAIR", 21, 2, 2);
    draw("DRAWPOSTEXT", 22, 3, 3);
    draw("TIPICON", 23, 3, 3);

    // Line styles.
    style("NODRAW", 0);
    style("VOLSTICK", 2);
    style("COLORSTICK", 3);
    style("STICK", 4);
    style("CIRCLEDOT", 5);
    style("POINTDOT", 6);
    style("CROSSDOT", 7);
    style("LINESTICK", 8);
    style("COLORBAR", 9);
    style("DOTLINE", 10);
    style("DASHLINE", 11);

    // Colours (COLORREF, 0x00BBGGRR).
    colour("COLORRED", 0x0000FF);
    colour("COLORGREEN", 0x00FF00);
    colour("COLORBLUE", 0xFF0000);
    colour("COLORYELLOW", 0x00FFFF);
    colour("COLORWHITE", 0xFFFFFF);
    colour("COLORBLACK", 0x000000);
    colour("COLORGRAY", 0x808080);
    colour("COLORMAGENTA", 0xFF00FF);
    colour("COLORCYAN", 0xFFFF00);
    colour("COLORBROWN", 0x005A8C);
    colour("COLORLIGRAY", 0xC0C0C0);
    colour("COLORLIRED", 0x8080FF);
    colour("COLORLIGREEN", 0x80FF80);
    colour("COLORLIBLUE", 0xFF8080);
    colour("COLORLIMAGENTA", 0xFF80FF);
    colour("COLORLICYAN", 0xFFFF80);

    constant("PI", 3.14159265358979323846);
    return t;
}

struct Index {
    std::vector<FunctionInfo> table = BuildTable();
    std::unordered_map<std::string, size_t> byName;
    Index() {
        for (size_t i = 0; i < table.size(); ++i) byName.emplace(table[i].name, i);
    }
};

const Index& GetIndex() {
    static const Index index;
    return index;
}

}  // namespace

const FunctionInfo* FindFunction(const std::string& upperName) {
    const Index& idx = GetIndex();
    auto it = idx.byName.find(upperName);
    return it == idx.byName.end() ? nullptr : &idx.table[it->second];
}

const std::vector<FunctionInfo>& AllFunctions() {
    return GetIndex().table;
}
