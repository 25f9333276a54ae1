#include "ui/CommonVar.h"

#include <algorithm>

#include "foundation/MyLog.h"
#include "foundation/Singleton.h"
#include "ui/SkinResManager.h"
#include "ui/draw/DrawHelpers.h"

#ifndef ANSI_CHARSET
#define ANSI_CHARSET 0
#endif
#ifndef FF_SWISS
#define FF_SWISS 0x20
#endif

namespace {

struct FontSpec {
    const char* face;
    int height;
    int weight;
    bool italic;
    bool underline;
};

constexpr const char* kSong = "宋体";

constexpr FontSpec kFonts[CommonVar::kFontCount] = {
    {kSong, 12, 400, false, true},
    {kSong, 16, 400, false, false},
    {kSong, 14, 700, false, true},
    {kSong, 14, 700, false, false},
    {kSong, 14, 400, true, false},
    {"Times New Roman", 30, 700, false, false},
    {kSong, 26, 700, false, false},
    {kSong, 14, 400, false, false},
    {"Times New Roman", 16, 400, false, false},
    {"Times New Roman", 15, 400, false, false},
    {kSong, 20, 400, false, false},
    {"Times New Roman", 20, 400, false, false},
    {"Times New Roman", 18, 400, false, false},
    {kSong, 12, 400, false, false},
    {"Times New Roman", 14, 400, false, false},
    {"ARIAL", 13, 400, false, false},
};

struct ModeKey {
    const char* key;
    const char* title;
};
constexpr ModeKey kModeKeys[] = {
    {"training", "特训场"},
    {"trend", "分析走势"},
    {"trendtraining", "趋势训练"},
    {"selstocktraining", "选股训练"},
};
// The modes offered as tabs, in tab order.
constexpr const char* kTabTitles[] = {"特训场", "分析走势"};

void MakeFont(CFont& font, const FontSpec& s) {
    font.DeleteObject();
    const bool chinese = std::string(s.face) == kSong;
    font.CreateFont(s.height, 0, 0, 0, s.weight, s.italic ? 1 : 0, s.underline ? 1 : 0, 0,
                    chinese ? GB2312_CHARSET : ANSI_CHARSET, 0, 0, 0, FF_SWISS, s.face);
}

LazySingleton<CommonVar>& Slot() {
    static LazySingleton<CommonVar> slot;
    return slot;
}

}  // namespace

CommonVar::CommonVar() = default;

CommonVar::~CommonVar() {
    m_modeKeys.clear();
    m_titles.clear();
    for (CFont& f : m_fonts) f.DeleteObject();
    m_fontTipHeader.DeleteObject();
}

void CommonVar::Init() {
    // A second start-up pass must not give the menu bar a second set of mode tabs.
    for (const char* title : kTabTitles)
        if (std::find(m_titles.begin(), m_titles.end(), title) == m_titles.end())
            m_titles.push_back(title);
    for (const ModeKey& m : kModeKeys) m_modeKeys[m.key] = m.title;
    m_nCutterSize = 6;
    for (int i = 0; i < kFontCount; ++i) MakeFont(m_fonts[i], kFonts[i]);
    MakeFont(m_fontTipHeader, {kSong, 12, 700, false, false});
    m_initialised = true;
    GetAppLog().WriteLog("%s %d", "CommonVar::Init", 54);
}

void CommonVar::LoadColours(CSkinResManager* skin) {
    if (!skin) skin = GetSkinResManager();
    LoadCommonColours(m_colors, [skin](std::string_view key) -> std::optional<COLORREF> {
        if (!skin) return std::nullopt;
        return skin->FindColor(kCommonColorElement, std::string(key));
    });
    SetWindowTransparencyOptions(m_nTransparency != 0, m_colors[CommonColor::uniTransParent]);
}

std::string CommonVar::GetTitleByKey(const std::string& key) const {
    auto it = m_modeKeys.find(key);
    return it == m_modeKeys.end() ? std::string() : it->second;
}

std::string CommonVar::GetKeyByTitle(const std::string& title) const {
    for (const auto& [key, value] : m_modeKeys)
        if (value == title) return key;
    return {};
}

CFont* CommonVar::GetFont(Font role) {
    switch (role) {
        case Font::Chart:
            return &m_fonts[kFontTimes14];
        case Font::PriceLarge:
            return &m_fonts[kFontTimes16];
        case Font::PriceSmall:
            return &m_fonts[kFontTimes15];
        case Font::ChartSmall:
            return &m_fonts[kFontSong12];
        case Font::ChartMedium:
            return &m_fonts[kFontSong14];
        case Font::ChartLarge:
            return &m_fonts[kFontSong20];
        case Font::Tip:
            return &m_fonts[kFontSong12];
        case Font::TipHeader:
            return &m_fontTipHeader;
        case Font::StatusTip:
            return &m_fonts[kFontSong12];
        case Font::ElementBar:
            return &m_fonts[kFontSong12];
        case Font::Shared14:
            return &m_fonts[kFontSong14];
        case Font::Italic14:
            return &m_fonts[kFontSong14Italic];
        case Font::Symbol:
            return &m_fonts[kFontSong16];
        case Font::PriceTag:
            return &m_fonts[kFontArial13];
    }
    return &m_fonts[kFontSong12];
}

CommonVar::FontSet CommonVar::GetFontSet(int kind) {
    switch (kind) {
        case kSetLarge:
            return {&m_fonts[kFontTimes20], &m_fonts[kFontSong16], &m_fonts[kFontSong14]};
        case kSetChart:
            return {&m_fonts[kFontTimes14], &m_fonts[kFontSong12], &m_fonts[kFontSong12]};
        default:
            return {&m_fonts[kFontTimes16], &m_fonts[kFontSong12], &m_fonts[kFontSong12]};
    }
}

void CommonVar::MeasureFonts(CDC* dc) {
    if (!dc || !m_initialised) return;
    static constexpr int kPairs[3][2] = {
        {kFontSong14, kFontTimes16}, {kFontSong20, kFontTimes20}, {kFontSong12, kFontTimes14}};
    CFont* old = dc->SelectObject(&m_fonts[kPairs[0][0]]);
    for (int i = 0; i < 3; ++i) {
        dc->SelectObject(&m_fonts[kPairs[i][0]]);
        CSize wide = dc->GetTextExtent("将来");  // two full-width characters: four cells
        int width = (wide.cx + 3) / 4, height = wide.cy;
        dc->SelectObject(&m_fonts[kPairs[i][1]]);
        CSize digit = dc->GetTextExtent("0");
        m_textCells[i] = CSize(std::max(width, int(digit.cx)), std::max(height, int(digit.cy)));
    }
    // Chart metrics: the chart font and the small chart font side by side on one axis.
    dc->SelectObject(GetFont(Font::Chart));
    CSize digits = dc->GetTextExtent("0123456789");
    CSize sample = dc->GetTextExtent("8888.88");
    dc->SelectObject(GetFont(Font::ChartSmall));
    CSize chinese = dc->GetTextExtent("成交量");
    m_nChartCharWidth = std::max(1, int(digits.cx + 9) / 10);
    m_nChartTextWidth = sample.cx;
    m_nChartTextHeight = std::max({int(digits.cy), int(sample.cy), int(chinese.cy)});
    m_nChartLineHeight = m_nChartTextHeight + 2;
    m_nTimeAxisHeight = m_nChartTextHeight + 6;
    dc->SelectObject(GetFont(Font::StatusTip));
    CSize tip = dc->GetTextExtent("abcde");
    m_nStatusTipCharWidth = (tip.cx + 4) / 5;
    m_nStatusTipTextHeight = tip.cy;
    dc->SelectObject(old);
}

CommonVar* GetCommonVar() {
    return Slot().Get();
}

namespace common_var_testing {
void Reset() {
    Slot().Reset();
}
}  // namespace common_var_testing
