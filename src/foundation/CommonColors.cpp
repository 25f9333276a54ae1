#include "foundation/CommonColors.h"

#include <cctype>
#include <cstdio>

// The formula engine indexes the table by these positions.
static_assert(CommonColor::uniRise == 12 && CommonColor::uniPic_CurPic_Price == 38);
static_assert(CommonColor::uniSplitter_Arrow == 47 && CommonColor::uniDlgTemplateClose == 64);

namespace {

constexpr const char* kKeys[kCommonColorCount] = {
    "uniTransParent",
    "uniBackGround",
    "uniHigh_BackGround",
    "uniTitle",
    "uniText",
    "uniTextShadow",
    "uniWnd_Border",
    "uniName",
    "uniCode",
    "uniValue_Explain",
    "uniDate_Time",
    "uniDate_Time1",
    "uniRise",
    "uniEqual",
    "uniFall",
    "uniVolume",
    "uniCur_Volume",
    "uniTurnover",
    "uniSocket_Tip",
    "uniBenefitWndBK",
    "uniSmallTitle",
    "uniStatus_Back",
    "uniStatus_Back2",
    "uniStatus_Text",
    "uniPic_Minute",
    "uniPic_OtherPeriod",
    "uniPic_Text",
    "uniPic_Axe",
    "uniPic_Rise",
    "uniPic_Fall",
    "uniPic_Tool",
    "uniPic_AxeBackGround",
    "uniPic_GridLine",
    "uniPic_CheckLine",
    "uniPic_BackGround",
    "uniPic_CurPicBack_Begin",
    "uniPic_CurPicBack_End",
    "uniPic_CurPic_AvePrice",
    "uniPic_CurPic_Price",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "uniSplitter_Arrow",
    "uniSplitter_Active_Arrow",
    "uniSplitter_Back",
    "uniSplitter_Active",
    "uniScrollBar_Back",
    "uniScrollBar_ThumbBack",
    "uniMenuBar_Back",
    "uniMenuBar_Active",
    "uniMenuBar_Mouse",
    "uniMenuBar_MouseActive",
    "uniMenuBar_Text",
    "uniMenuBar_TextActive",
    "uniMenuBar_Hover",
    "uniMenuBar_Title",
    "uniMenuBar_ButtonBorder",
    "uniDlgTemplateBK",
    "uniDlgTemplateBORDER",
    "uniDlgTemplateClose",
};

// Red rises and green falls, as Chinese quotes show them, on a near-black ground.
constexpr COLORREF kDefaults[kCommonColorCount] = {
    RGB(255, 0, 255),    // uniTransParent: a key colour no skin paints with
    RGB(0, 0, 0),        // uniBackGround
    RGB(32, 32, 48),     // uniHigh_BackGround
    RGB(255, 255, 255),  // uniTitle
    RGB(192, 192, 192),  // uniText
    RGB(0, 0, 0),        // uniTextShadow
    RGB(96, 0, 0),       // uniWnd_Border
    RGB(255, 255, 0),    // uniName
    RGB(0, 255, 255),    // uniCode
    RGB(160, 160, 160),  // uniValue_Explain
    RGB(192, 192, 192),  // uniDate_Time
    RGB(128, 128, 128),  // uniDate_Time1
    RGB(255, 60, 57),    // uniRise
    RGB(255, 255, 255),  // uniEqual
    RGB(0, 230, 0),      // uniFall
    RGB(255, 255, 0),    // uniVolume
    RGB(255, 128, 0),    // uniCur_Volume
    RGB(0, 255, 255),    // uniTurnover
    RGB(255, 255, 0),    // uniSocket_Tip
    RGB(16, 16, 24),     // uniBenefitWndBK
    RGB(220, 220, 220),  // uniSmallTitle
    RGB(24, 24, 32),     // uniStatus_Back
    RGB(40, 40, 52),     // uniStatus_Back2
    RGB(200, 200, 200),  // uniStatus_Text
    RGB(255, 255, 255),  // uniPic_Minute
    RGB(255, 255, 0),    // uniPic_OtherPeriod
    RGB(192, 192, 192),  // uniPic_Text
    RGB(176, 0, 0),      // uniPic_Axe
    RGB(255, 60, 57),    // uniPic_Rise
    RGB(84, 255, 255),   // uniPic_Fall
    RGB(255, 255, 255),  // uniPic_Tool
    RGB(0, 0, 0),        // uniPic_AxeBackGround
    RGB(64, 0, 0),       // uniPic_GridLine
    RGB(255, 255, 255),  // uniPic_CheckLine
    RGB(0, 0, 0),        // uniPic_BackGround
    RGB(16, 16, 40),     // uniPic_CurPicBack_Begin
    RGB(0, 0, 0),        // uniPic_CurPicBack_End
    RGB(255, 255, 0),    // uniPic_CurPic_AvePrice
    RGB(255, 255, 255),  // uniPic_CurPic_Price
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,                   // fixed line colours, written from kFixedLineColors
    RGB(160, 160, 160),  // uniSplitter_Arrow
    RGB(255, 255, 255),  // uniSplitter_Active_Arrow
    RGB(48, 48, 56),     // uniSplitter_Back
    RGB(96, 96, 112),    // uniSplitter_Active
    RGB(32, 32, 40),     // uniScrollBar_Back
    RGB(88, 88, 100),    // uniScrollBar_ThumbBack
    RGB(28, 28, 36),     // uniMenuBar_Back
    RGB(60, 60, 76),     // uniMenuBar_Active
    RGB(48, 48, 64),     // uniMenuBar_Mouse
    RGB(72, 72, 92),     // uniMenuBar_MouseActive
    RGB(210, 210, 210),  // uniMenuBar_Text
    RGB(255, 255, 255),  // uniMenuBar_TextActive
    RGB(80, 110, 160),   // uniMenuBar_Hover
    RGB(255, 200, 80),   // uniMenuBar_Title
    RGB(100, 100, 120),  // uniMenuBar_ButtonBorder
    RGB(36, 36, 44),     // uniDlgTemplateBK
    RGB(90, 90, 110),    // uniDlgTemplateBORDER
    RGB(220, 80, 80),    // uniDlgTemplateClose
};

}  // namespace

const COLORREF kFixedLineColors[kLineColorCount] = {
    0xFFFFFF, 0x40FFFF, 0xFF60FF, 0x6060FF, 0xFFFF00, 0x60FF00, 0xFF8000, 0x808080,
};

const char* CommonColorKey(int index) {
    if (index < 0 || index >= kCommonColorCount) return nullptr;
    return kKeys[index];
}

std::optional<COLORREF> ParseColorText(std::string_view text) {
    std::string s(text);
    int r, g, b, end = -1;
    if (std::sscanf(s.c_str(), " RGB ( %d , %d , %d )%n", &r, &g, &b, &end) != 3 || end < 0)
        return std::nullopt;
    for (size_t i = static_cast<size_t>(end); i < s.size(); ++i)
        if (!std::isspace(static_cast<unsigned char>(s[i]))) return std::nullopt;
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return std::nullopt;
    return RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

std::string FormatColorText(COLORREF color) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "RGB(%d,%d,%d)", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    return buf;
}

void SetDefaultCommonColours(CommonColorTable& table) {
    for (int i = 0; i < kCommonColorCount; ++i) table[i] = kDefaults[i];
    for (int i = 0; i < kLineColorCount; ++i) table[kFirstLineColor + i] = kFixedLineColors[i];
}

void LoadCommonColours(CommonColorTable& table, const ColorLookup& lookup) {
    for (int i = 0; i < kCommonColorCount; ++i) {
        if (const char* key = kKeys[i]) {
            std::optional<COLORREF> c = lookup ? lookup(key) : std::nullopt;
            table[i] = c.value_or(0);
        }
    }
    for (int i = 0; i < kLineColorCount; ++i) table[kFirstLineColor + i] = kFixedLineColors[i];
}
