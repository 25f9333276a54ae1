#include "drawtools/ToolCatalogue.h"

#include <map>

#include "drawtools/ArcLines.h"
#include "drawtools/CurveTools.h"
#include "drawtools/GannTools.h"
#include "drawtools/ParallelLines.h"
#include "drawtools/PeriodLines.h"
#include "drawtools/RatioLines.h"
#include "drawtools/RegressionTools.h"
#include "drawtools/RulerTools.h"
#include "drawtools/StraightLines.h"
#include "drawtools/TextTools.h"
#include "drawtools/TriangleLines.h"
#include "drawtools/WaveTools.h"

const std::vector<ToolCatalogueEntry>& ToolCatalogue() {
    static const std::vector<ToolCatalogueEntry> table = {
        {1, "BoxTool", "矩形"},
        {3, "", ""},
        {5, "FoldLineTool", "折线"},
        {6, "STJXTool", "实体矩形"},
        {11, "QSLineTool", "趋势线"},
        {12, "LineTool", "线段"},
        {13, "SHEXIANTool", "射线"},
        {14, "ChuiZhiTool", "垂直线"},
        {15, "ShuiPingTool", "水平线"},
        {16, "NewPXXTool", "平行线"},
        {17, "3LANGTool", "三浪线"},
        {18, "5LANGTool", "五浪线"},
        {19, "8LANGTool", "八浪线"},
        {20, "TJXTool", "头肩形"},
        {21, "WTMDTool", "W头M底"},
        {22, "GoldLineTool", "黄金分割线"},
        {23, "HJFGX_ATool", "黄金分割线A"},
        {24, "HJFGX_BTool", "黄金分割线B"},
        {25, "BFBLineTool", "百分比线"},
        {26, "ZYBLTool", "自由比例"},
        {27, "FDCTool", "幅度尺"},
        {28, "BoLangTool", "波浪尺"},
        {29, "ZZCTool", "转折尺"},
        {30, "LDMBTool", "量度目标"},
        {31, "JXDTool", "解消点"},
        {32, "MJBLTool", "面积比例"},
        {33, "PeriodLineTool", "周期线"},
        {34, "F_PerLineTool", "斐波拉契线"},
        {36, "F_SJZQTool", "斐波拉契时间周期"},
        {37, "SJCTool", "时间尺"},
        {38, "ZQCTool", "周期尺"},
        {39, "DCLineTool", "对称线"},
        {40, "DCJDLineTool", "对称角度线"},
        {41, "BoxTool", "矩形"},
        {42, "SKJXTool", "时空矩形"},
        {43, "XTXTool", "箱体形"},
        {44, "TriangleTool", "三角形"},
        {45, "PxsbxTool", "平行四边形"},
        {46, "XXHGLineTool", "线性回归"},
        {47, "HGDLineTool", "回归带"},
        {48, "HGSXLineTool", "回归射线"},
        {49, "SXTDTool", "上下通道"},
        {50, "CircleTool", "圆形"},
        {51, "EllipseTool", "椭圆"},
        {52, "F_ArcTool", "斐波拉契圆弧"},
        {53, "ArcTool", "圆弧"},
        {54, "PWXTool", "抛物线"},
        {55, "SDQXTool", "三点曲线"},
        {56, "SinLineTool", "正弦线"},
        {57, "DSLXTool", "对数螺旋线"},
        {58, "GanTool", "甘氏线"},
        {59, "JNXTool", "江恩箱"},
        {60, "SZTool", "速度阻力线"},
        {61, "ADLYCXTool", "安德鲁音叉线"},
        {62, "DDTDTool", "多通道线"},
        {63, "ZLXTool", "栅栏形线"},
        {64, "TextTool", "文字工具"},
        {65, "RiseTool", "符号"},
        {0, "FallTool", "符号"},
        {0, "BDLineTool", "波段线"},
        {0, "GuanChuanChuiZhiTool", "贯穿垂直线"},
        {0, "JianTouTool", "箭头线"},
    };
    return table;
}

const ToolCatalogueEntry* FindToolByNumber(int number) {
    if (number <= 0) return nullptr;
    for (const ToolCatalogueEntry& e : ToolCatalogue())
        if (e.number == number) return &e;
    return nullptr;
}

int CommandForMode(int mode) {
    const int number = ModeNumber(mode);
    if (number != kSymbolTool) return number + 49995;
    switch (const int variant = ModeVariant(mode)) {
    case CBMPPaster::kPriceTag:
        return 50102;
    case CBMPPaster::kUpArrow:
        return 50060;
    case CBMPPaster::kDownArrow:
        return 50061;
    default:
        return variant + 50062;
    }
}

int ModeForCommand(int command) {
    if (command >= 50000 && command <= 50059) return MakeMode(command - 49995);
    if (command == 50060) return MakeMode(kSymbolTool, CBMPPaster::kUpArrow);
    if (command == 50061) return MakeMode(kSymbolTool, CBMPPaster::kDownArrow);
    if (command >= 50062 && command <= 50101) return MakeMode(kSymbolTool, command - 50062);
    if (command == 50102) return MakeMode(kSymbolTool, CBMPPaster::kPriceTag);
    return 0;
}

namespace {

using Maker = std::function<std::shared_ptr<CRecRgnLines>()>;

template <class T>
Maker Make() {
    return [] { return std::make_shared<T>(); };
}

// The classes of the built tools by type name.
const std::map<std::string, Maker>& Makers() {
    static const std::map<std::string, Maker> makers = {
        {"BoxTool", Make<CRecRgnLines>()},
        {"FoldLineTool", Make<CPolygonLines>()},
        {"QSLineTool", Make<CQSLineTool>()},
        {"LineTool", Make<CSegmentLine>()},
        {"SHEXIANTool", Make<CSHEXIANTool>()},
        {"ChuiZhiTool", Make<CVerticalLines>()},
        {"ShuiPingTool", Make<CShuiPingTool>()},
        {"DCJDLineTool", Make<CSymmetricAngleLine>()},
        {"TriangleTool", Make<CTriangleLines>()},
        {"GanTool", Make<CGumpLine>()},
        {"JNXTool", Make<CJNXTool>()},
        {"SZTool", Make<CSZTool>()},
        {"TextTool", Make<CTextAssistor>()},
        {"RiseTool", [] { return std::make_shared<CBMPPaster>(0); }},
        {"FallTool", [] { return std::make_shared<CBMPPaster>(1); }},
        {"GuanChuanChuiZhiTool", Make<CGuanChuanChuiZhiTool>()},
        {"JianTouTool", Make<CJianTouTool>()},
        {"DCLineTool", Make<CSymmetricLines>()},
        {"GoldLineTool", Make<CGoldLineTool>()},
        {"BDLineTool", Make<CBDLineTool>()},
        {"BFBLineTool", Make<CBFBLineTool>()},
        {"ZYBLTool", Make<CZYBLTool>()},
        {"ZZCTool", Make<CZZCTool>()},
        {"HJFGX_ATool", Make<CHJFGX_ATool>()},
        {"HJFGX_BTool", Make<CHJFGX_BTool>()},
        {"PeriodLineTool", Make<CPeriodLines>()},
        {"F_PerLineTool", Make<CFiboLines>()},
        {"F_SJZQTool", Make<CFiboPeriodLines>()},
        {"NewPXXTool", Make<CNewPXXLines>()},
        {"PxsbxTool", Make<CPxsbxTool>()},
        {"ZLXTool", Make<CZLXTool>()},
        {"ADLYCXTool", Make<CADLYCXTool>()},
        {"ArcTool", Make<CArcLines>()},
        {"F_ArcTool", Make<CFiboArcLines>()},
        {"CircleTool", Make<CCircleTool>()},
        {"EllipseTool", Make<CEllipseTool>()},
        {"SinLineTool", Make<CSinLineTool>()},
        {"PWXTool", Make<CParaBolaLines>()},
        {"DSLXTool", Make<CDSLXTool>()},
        {"SDQXTool", Make<CSDQXTool>()},
        {"3LANGTool", Make<C3LANGTool>()},
        {"5LANGTool", Make<C5LANGTool>()},
        {"8LANGTool", Make<C8LANGTool>()},
        {"MJBLTool", Make<CMJBLTool>()},
        {"TJXTool", Make<CTJXTool>()},
        {"WTMDTool", Make<CWTMDTool>()},
        {"BoLangTool", Make<CBoLangTool>()},
        {"SJCTool", Make<CSJCTool>()},
        {"FDCTool", Make<CFDCTool>()},
        {"LDMBTool", Make<CLDMBTool>()},
        {"SKJXTool", Make<CTimeAndSpaceRectRgn>()},
        {"STJXTool", Make<CSolidRectRgn>()},
        {"XTXTool", Make<CXTXTool>()},
        {"JXDTool", Make<CJXDTool>()},
        {"ZQCTool", Make<CZQCTool>()},
        // Only drawing files name it; the tool bar has no number for it.
        {"ZyfsxTool", Make<CZyfsxTool>()},
        {"XXHGLineTool", Make<CXXHGLineTool>()},
        {"HGDLineTool", Make<CHGDLineTool>()},
        {"HGSXLineTool", Make<CRegressHalfLines>()},
        {"SXTDTool", Make<CUpDownPassageWay>()},
        {"DDTDTool", Make<CDTDXTool>()},
    };
    return makers;
}

}  // namespace

std::shared_ptr<CRecRgnLines> MakeDrawTool(const std::string& typeName) {
    const auto& makers = Makers();
    const auto it = makers.find(typeName);
    return it == makers.end() ? nullptr : it->second();
}

std::vector<std::string> RegisteredTypeNames() {
    std::vector<std::string> names;
    for (const auto& [name, maker] : Makers()) names.push_back(name);
    return names;
}

std::shared_ptr<CRecRgnLines> CreateToolByNumber(int number, int variant) {
    if (number == 3) return std::make_shared<CHorizontalMoveAssistor>();
    if (number == kSymbolTool) return std::make_shared<CBMPPaster>(variant);
    if (number == 1) return std::make_shared<CRecRgnLines>();
    if (number == 5 || number == 6 || (number >= 11 && number <= 34) ||
        (number >= 36 && number <= 64)) {
        const ToolCatalogueEntry* e = FindToolByNumber(number);
        return e ? MakeDrawTool(e->typeName) : nullptr;
    }
    return nullptr;
}
