#pragma once
// "交易分析", the first page of the training centre: one stored session summed up (security,
// period, days, closing trades with wins and losses, success rate, best and worst trade),
// a K-line preview of the period with the trades marked, and the account against the
// market index over the same days. Without a session it introduces the training and offers
// to start one. It never owns the record; the centre keeps it alive while it is shown.
#include <memory>
#include <string>
#include <vector>

#include "ui/element/ElementWnd.h"

class CTrainingRecord;
class MyButton;
class StaticEx;
class TradeAnyalysisData;
class TradeAnalysisOverlay;
class SamePeriodAnalysisOverlay;

class TradeAnalysisWnd : public ScrollElementWnd {
public:
    static constexpr int kContentHeight = 690;
    static constexpr int kDetailsId = 100;  // 查看详细
    static constexpr int kAgainId = 101;    // 再来一局
    static constexpr int kStartId = 102;    // 马上来一局
    static constexpr int kItemCount = 20;
    static constexpr const char* kRunningMessage = "请先结束当前正在进行的训练";

    // Items filled from the record.
    enum Item {
        kName = 0,
        kCode = 1,
        kPeriod = 3,
        kDays = 5,
        kTrades = 7,
        kWins = 9,
        kLosses = 10,
        kSuccessRate = 12,
        kBest = 14,
        kWorst = 16,
        kPreviewTitle = 17,
        kSamePeriodTitle = 18,
        kDateRange = 19
    };

    TradeAnalysisWnd();
    ~TradeAnalysisWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void RepositionControls() override;
    int SetContextObject(void* object) override;
    void DetachData() override;
    void AttachData() override;
    void OnDataNotify(WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void FillStatistics();
    void UpdateButtons();
    void OnButtonCommand(int id);
    // The data object's hand-overs, on the UI thread.
    void OnSecurityBars();
    void OnIndexRatios();
    // The security's name for texts and the legend: spaces removed; "--" while a running
    // session hides it.
    std::string SecurityLegend() const;

    const std::string& ItemText(int item) const;
    COLORREF ItemColour(int item) const;

    CFont m_pageFont;
    std::vector<std::string> m_paragraphs;
    std::shared_ptr<TradeAnyalysisData> m_pData;
    std::shared_ptr<TradeAnalysisOverlay> m_pPreview;
    std::shared_ptr<SamePeriodAnalysisOverlay> m_pSamePeriod;
    std::vector<std::shared_ptr<StaticEx>> m_items;
    std::vector<std::shared_ptr<MyButton>> m_buttons;
    bool m_bShowing = false;
    CTrainingRecord* m_pRecord = nullptr;

private:
    void CreateItems();
    void CreateButtons();
    void LayoutItems();
    void LayoutButtons();
    void LayoutPreview();
    void LayoutSamePeriod();
    void LayoutAll();
    int TextWidth(CDC* dc, const std::string& text, CFont* font) const;
};
