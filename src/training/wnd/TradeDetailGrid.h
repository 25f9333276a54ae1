#pragma once
// The cells of the "交易明细" grid of the training asset report: ten columns of every trade
// of one session, oldest first. The texts and colours of a cell come from the trade alone
// (and the session's hidden-date flag), so the page fill and the tests share them.
#include <string>

#include "ui/grid/GridUI.h"

class CTrainingRecord;
struct TradeDetailItem;

class TradeDetailTitle : public GridTitle {
public:
    using GridTitle::GridTitle;
    // The grid's title colour unsorted, red sorted one way, green the other.
    void Draw(CDC* dc) override;
};

class TradeDetailField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
    COLORREF m_clrText = 0;
    COLORREF m_clrSelText = 0;
    CFont* m_pFont = nullptr;  // null: the common 14-pixel "宋体"
};

// What one cell of the grid shows.
struct TradeDetailCell {
    std::string text;
    COLORREF colour = 0;
    COLORREF selectedColour = 0;
    bool timesFont = false;  // "Times New Roman" 16, else "宋体" 14
};

inline constexpr int kTradeDetailColumns = 10;
// Column titles and widths.
const char* TradeDetailColumnTitle(int column);
int TradeDetailColumnWidth(int column);
// The cell of `column` for `trade` of `record`. A running session with hidden dates shows
// "--" for the date until it ends.
TradeDetailCell MakeTradeDetailCell(const CTrainingRecord& record, const TradeDetailItem& trade, int column);
