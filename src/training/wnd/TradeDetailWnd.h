#pragma once
// The "流水" tab of the trend-training panel: the session's journal, oldest trade first, as a
// virtual four-column grid (date, action, price, shares). Only the visible rows exist; the
// page fill rebuilds them from the record after every layout and scroll. It never owns the
// record.
#include <memory>
#include <string>

#include "ui/element/ElementWnd.h"
#include "ui/grid/GridUI.h"

class CTrainingRecord;
struct TradeDetailItem;

class CTradeDetailTitle : public GridTitle {
public:
    using GridTitle::GridTitle;
    void Draw(CDC* dc) override;  // red for sort mark 1, green for 2
};

class CTradeDetailField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
};

// The action a journal item stands for: "多开", "多平", "空开" or "空平".
const char* TradeActionText(const TradeDetailItem& item);

class CTradeDetailWnd : public CElementWnd {
public:
    static constexpr const char* kTitle = "交易流水";

    CTradeDetailWnd();
    int OnCreate(LPCREATESTRUCT cs) override;
    void RecalcLayout() override;
    void DrawClient(CDC* dc) override;
    void OnElementLButtonDown(UINT flags, int x, int y) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;

    // After every order, automatic stop and attach; none is ignored. A journal that changed
    // size shows its first page again.
    void SetRecord(CTrainingRecord* record);
    void FillPage();
    // The text of cell (row of the journal, column) as the page fill writes it.
    std::string CellText(size_t item, int column) const;

    CTrainingRecord* m_pRecord = nullptr;
    CGridUI m_grid;
};
