#pragma once
// The common variables: the fonts, colours, metrics and small pieces of state that every
// painted window of the program shares. One object per process, reached through
// GetCommonVar(); fonts come from Init(), colours from the skin (LoadColours), metrics
// from MeasureFonts once a device context exists.
//
// The colour table has 65 slots (foundation/CommonColors.h), uniDlgTemplateClose in the
// last one; slot 21 is "uniStatus_Back". Its address is stable for the life of the
// object, so the formula engine may keep a pointer to slot 0.
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/CommonColors.h"
#include "platform/Gdi.h"

class CElementWnd;
class CSkinResManager;

class CommonVar {
public:
    // The sixteen shared fonts, in member order.
    enum FontIndex {
        kFontSong12Underline = 0,
        kFontSong16,
        kFontSong14BoldUnderline,
        kFontSong14Bold,
        kFontSong14Italic,
        kFontTimes30Bold,
        kFontSong26Bold,
        kFontSong14,
        kFontTimes16,
        kFontTimes15,
        kFontSong20,
        kFontTimes20,
        kFontTimes18,
        kFontSong12,
        kFontTimes14,
        kFontArial13,
        kFontCount
    };

    // What the chart, the tools and the training windows call the fonts they use.
    enum class Font {
        Chart,        // axis and tip labels, drawing tools ("Times New Roman" 14)
        PriceLarge,   // "Times New Roman" 16
        PriceSmall,   // "Times New Roman" 15
        ChartSmall,   // pane titles and labels
        ChartMedium,  // pane messages, limit band, text draw functions
        ChartLarge,   // trend-mode name, rise and fall arrows
        Tip,
        TipHeader,
        StatusTip,
        ElementBar,  // 12-pixel regular "宋体"
        Shared14,    // 14-pixel regular "宋体"
        Italic14,    // 14-pixel italic "宋体"
        Symbol,      // symbols the drawing tools place
        PriceTag,    // the price tags of the drawing tools
    };
    // A font set of the quote text formats: the number, its unit and the label beside it.
    struct FontSet {
        CFont* number;
        CFont* unit;
        CFont* label;
    };
    enum FontSetKind { kSetStandard = 0, kSetLarge = 1, kSetChart = 2 };

    CommonVar();
    ~CommonVar();
    CommonVar(const CommonVar&) = delete;
    CommonVar& operator=(const CommonVar&) = delete;

    // Mode titles and keys, the cutter size and the fonts. Running it again rebuilds the
    // fonts and leaves one title per mode and one entry per key.
    void Init();
    // The common colour table from the skin's "CommmonColor" element (a key the skin does
    // not have becomes black), then the fixed line colours; also hands the colour key to
    // the window-translucency switch. Without a skin manager, the manager singleton.
    void LoadColours(CSkinResManager* skin = nullptr);

    // The layout key (file layout/<key>.xlay) and title of a workspace mode.
    std::string GetTitleByKey(const std::string& key) const;
    std::string GetKeyByTitle(const std::string& title) const;

    COLORREF GetColor(int index) const {
        return index >= 0 && index < kCommonColorCount ? m_colors[index] : 0;
    }
    CommonColorTable& Colors() { return m_colors; }
    CFont* GetFont(int index) { return index >= 0 && index < kFontCount ? &m_fonts[index] : nullptr; }
    CFont* GetFont(Font role);
    FontSet GetFontSet(int kind);

    // Text cells of the font pairs (14-pixel "宋体" + "Times New Roman" 16, 20-pixel "宋体"
    // + "Times New Roman" 20, 12-pixel "宋体" + "Times New Roman" 14) and the chart
    // metrics, measured on the given context. The main frame calls it when it is sized.
    void MeasureFonts(CDC* dc);

    CElementWnd* GetCurrentElement() const { return m_pCurElement.load(std::memory_order_acquire); }
    void SetCurrentElement(CElementWnd* element) {
        m_pCurElement.store(element, std::memory_order_release);
    }
    // Clears the current element only when it is the given one (an element going away).
    void ForgetElement(CElementWnd* element) {
        m_pCurElement.compare_exchange_strong(element, nullptr, std::memory_order_acq_rel);
    }

    // ---- fields, in the order other code knows them ----
    int32_t m_nDragFlag = 0;      // a splitter or drawing tool holds the mouse
    int32_t m_nFlag = 0;          // non-zero: rubber bands are drawn with R2_XORPEN
    int32_t m_nTransparency = 1;  // windows become layered with the colour key uniTransParent
    CommonColorTable m_colors{};
    int16_t m_pair[2] = {10, 2};
    int32_t m_nValue = 0;
    int32_t m_nCutterSize = 0;  // splitters use half of it
    CFont m_fonts[kFontCount];
    CSize m_textCells[3];        // (width, height) of the three font pairs
    int16_t m_nDayCount = 10;    // n of the n-day period; negative counts backwards
    int16_t m_nMinuteCount = 3;  // n of the n-minute period
    int32_t m_nLineWidth = 1;      // chart pen: candles, price lines, volume sticks
    int32_t m_nGridLineWidth = 1;  // chart overlay lines and grids
    std::vector<std::string> m_titles;
    std::map<std::string, std::string> m_modeKeys;  // layout key -> mode title

    // Chart metrics, filled by MeasureFonts.
    int32_t m_nChartTextWidth = 0;
    int32_t m_nChartTextHeight = 0;
    int32_t m_nChartCharWidth = 0;
    int32_t m_nChartLineHeight = 0;
    int32_t m_nTimeAxisHeight = 0;
    int32_t m_nStatusTipCharWidth = 0;
    int32_t m_nStatusTipTextHeight = 0;
    COLORREF m_clrDrawDefault = RGB(255, 255, 0);  // new drawing tools and rubber bands
    // The chart period shared by charts that follow one another (data type, period).
    int16_t m_nSharedDataType = 4;
    int16_t m_nSharedPeriod = 1;

private:
    std::atomic<CElementWnd*> m_pCurElement{nullptr};
    CFont m_fontTipHeader;
    bool m_initialised = false;
};

// The process-wide objects reached from everywhere. Safe to call from any thread; the
// first call creates the object.
CommonVar* GetCommonVar();

namespace common_var_testing {
// Destroys the common variables (tests only; nothing may still use them).
void Reset();
}  // namespace common_var_testing
