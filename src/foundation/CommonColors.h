#pragma once
// The common colour table: 65 fixed slots that every painted window reads and whose
// address the formula engine keeps (slots 39-46 are its indicator line colours), so the
// positions never change. Filled from the skin's "CommmonColor" element.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

using COLORREF = uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16;
}
constexpr uint8_t GetRValue(COLORREF c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t GetGValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t GetBValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 16);
}

// Skin and configuration colours are written "RGB(%d,%d,%d)". Parsing accepts blanks
// around the numbers; components outside 0-255 or other shapes give nullopt.
std::optional<COLORREF> ParseColorText(std::string_view text);
std::string FormatColorText(COLORREF color);

namespace CommonColor {
enum Index : int {
    uniTransParent = 0,
    uniBackGround,
    uniHigh_BackGround,
    uniTitle,
    uniText,
    uniTextShadow,
    uniWnd_Border,
    uniName,
    uniCode,
    uniValue_Explain,
    uniDate_Time,
    uniDate_Time1,
    uniRise,
    uniEqual,
    uniFall,
    uniVolume,
    uniCur_Volume,
    uniTurnover,
    uniSocket_Tip,
    uniBenefitWndBK,
    uniSmallTitle,
    uniStatus_Back,
    uniStatus_Back2,
    uniStatus_Text,
    uniPic_Minute,
    uniPic_OtherPeriod,
    uniPic_Text,
    uniPic_Axe,
    uniPic_Rise,
    uniPic_Fall,
    uniPic_Tool,
    uniPic_AxeBackGround,
    uniPic_GridLine,
    uniPic_CheckLine,
    uniPic_BackGround,
    uniPic_CurPicBack_Begin,
    uniPic_CurPicBack_End,
    uniPic_CurPic_AvePrice,
    uniPic_CurPic_Price,
    Line1 = 39,
    Line2,
    Line3,
    Line4,
    Line5,
    Line6,
    Line7,
    Line8,
    uniSplitter_Arrow = 47,
    uniSplitter_Active_Arrow,
    uniSplitter_Back,
    uniSplitter_Active,
    uniScrollBar_Back,
    uniScrollBar_ThumbBack,
    uniMenuBar_Back,
    uniMenuBar_Active,
    uniMenuBar_Mouse,
    uniMenuBar_MouseActive,
    uniMenuBar_Text,
    uniMenuBar_TextActive,
    uniMenuBar_Hover,
    uniMenuBar_Title,
    uniMenuBar_ButtonBorder,
    uniDlgTemplateBK,
    uniDlgTemplateBORDER,
    uniDlgTemplateClose,
    Count = 65
};
}  // namespace CommonColor

inline constexpr int kCommonColorCount = CommonColor::Count;
inline constexpr int kFirstLineColor = CommonColor::Line1;
inline constexpr int kLineColorCount = 8;

using CommonColorTable = std::array<COLORREF, kCommonColorCount>;

// The skin key of a slot; null for the fixed line colours (39-46) and out-of-range slots.
const char* CommonColorKey(int index);
// The skin element that holds the keys.
inline constexpr const char* kCommonColorElement = "CommmonColor";
// The eight fixed indicator line colours, slot 39 first.
extern const COLORREF kFixedLineColors[kLineColorCount];

// Dark-theme defaults for every slot, for use before (or without) a skin.
void SetDefaultCommonColours(CommonColorTable& table);

// Looks up the colour of each skin key and stores it unconditionally: a key the skin does
// not have becomes 0 (black). The line colours are written last with their fixed values.
using ColorLookup = std::function<std::optional<COLORREF>(std::string_view key)>;
void LoadCommonColours(CommonColorTable& table, const ColorLookup& lookup);
