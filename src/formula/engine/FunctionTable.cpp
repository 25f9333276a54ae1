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
    series("HIGH", 0);
    series("H", 0);
    series("OPEN", 1);
    series("O", 1);
    series("LOW", 2);
    series("L", 2);
    series("CLOSE", 3);
    series("C", 3);
    series("VOL", 4);
    series("V", 4);
    series("VOLUME", 4);
    series("AMOUNT", 5);
    series("AMO", 5);
    series("ISDOWN", 6);
    series("ISEQUAL", 7);
    series("ISUP", 8);
    series("VOLUNIT", 10);
    series("TOTALMINUTES", 12);
    series("PERIOD", 13);
    series("SYSDATE", 15);
    series("SYSTIME", 16);
    series("MINPRICE", 17);
    series("CODE", 20);
    series("STKNAME", 21);
    series("PRICEDIGITS", 24);
    series("BARPOS", 26);
    series("BARSTATUS", 27);
    series("SHOWSTATUS", 28);
    series("OPI", 30);
    series("YEAR", 31);
    series("MONTH", 32);
    series("DAY", 33);
    series("LYEAR", 34);
    series("LMONTH", 35);
    series("LDAY", 36);
    series("DATE", 37);
    series("WEEKDAY", 38);
    series("DAYNUM", 39);
    series("HOUR", 40);
    series("MINUTE", 41);
    series("TIME", 42);
    series("TIMESEC", 43);
    series("BARFIELD", 44);
    series("QTRCOST", 48);
    series("YEARBARS", 49);
    series("MONTHBARS", 50);
    series("WEEKBARS", 51);
    series("YTDBARS", 52);
    series("MTDBARS", 53);
    series("WTDBARS", 54);

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
    base("BARSLAST", 4, 1, 1);
    base("BARSCOUNT", 4, 1, 1);
    base("BARSSINCE", 4, 1, 1);
    base("LAST", 4, 1, 1);
    base("SUM", 6, 2, 2);
    base("HHV", 6, 2, 2);
    base("LLV", 6, 2, 2);
    base("HHVBARS", 6, 2, 2);
    base("LLVBARS", 6, 2, 2);
    base("COUNT", 6, 2, 2);
    base("ALL", 6, 2, 2);
    base("ANY", 6, 2, 2);
    base("EVERY", 6, 2, 2, "ALL");
    base("EXIST", 6, 2, 2, "ANY");
    base("DYNAINFO", 13, 1, 1);
    base("FINANCE", 13, 1, 1);
    base("ZIG", 20, 2, 2);
    base("PEAK", 20, 3, 3);
    base("PEAKBARS", 20, 3, 3);
    base("TROUGH", 20, 3, 3);
    base("TROUGHBARS", 20, 3, 3);
    base("COST", 21, 1, 1);
    base("WINNER", 21, 1, 1);
    base("CONVERGE", 21, 1, 1);
    base("SAR", 22, 3, 3);
    base("SARTURN", 22, 3, 3);
    base("SARSIGN", 22, 3, 3);
    base("INBLOCK", 28, 1, 1);
    base("STRTONUM", 28, 1, 1);
    base("INDREF", 37, 2, -1);

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
