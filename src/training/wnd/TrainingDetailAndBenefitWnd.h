#pragma once
// The training asset report beside the report list, in two tabs:
//  - "资金收益分析": the final asset of every stored session as a curve over a percent axis,
//    and a column of statistics over the newest session's week, month or year;
//  - "交易明细": every trade of the session chosen in the report list, in a virtual grid
//    (cells in TradeDetailGrid.h).
// A mark at the top centre folds the pane down to a strip or opens it to half the view by
// moving its layout splitter. It never owns a record; the one chosen in the list is held
// here only as long as it is shown.
#include <memory>
#include <string>
#include <vector>

#include "chart/AxeY.h"
#include "training/AssetStatistics.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/element/ElementWnd.h"
#include "ui/grid/GridUI.h"

class CTrainingRecord;
class MyButton;
class StaticEx;

class TrainingDetailAndBenefitWnd : public CElementWnd, public ITrainingRecordViewer {
public:
    static constexpr int kFirstPeriodId = 100;  // 100 week, 101 month, 102 year
    static constexpr int kStatisticItems = 16;
    static constexpr int kCollapsedHeight = 28;

    TrainingDetailAndBenefitWnd();
    ~TrainingDetailAndBenefitWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementLButtonDown(UINT flags, int x, int y) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;
    int GetTipText(int x, int y, std::vector<std::string>& lines) override;
    int SetContextObject(void* object) override;
    void AttachData() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void ShowTrainingRecord(const std::shared_ptr<CTrainingRecord>& record) override;

    // The session of the details tab; null does nothing.
    void SetRecord(CTrainingRecord* record);
    void FillDetailPage();
    void UpdateStatistics();
    void CalcAssetRange();
    // x of the asset curve's point i of n.
    int PointX(size_t i, size_t n) const;
    const std::string& StatisticText(int item) const;
    COLORREF StatisticColour(int item) const;

    void ShowTab(int tab);
    void ToggleCollapsed();

    CGridUI m_grid;
    CTrainingRecord* m_pRecord = nullptr;
    std::shared_ptr<CTrainingRecord> m_pShown;  // the report list's choice while shown
    CRect m_rcTab1, m_rcTab2, m_rcToggle;
    CRect m_rcChart;
    int m_nWinCount = 0;
    int m_nLossCount = 0;
    chart::CAxeY m_leftAxis;
    chart::CAxeY m_rightAxis;
    std::vector<double> m_finalAssets;
    std::vector<bool> m_gains;  // per final asset: above its session's own capital
    CFont m_pageFont;
    double m_fMax = 1.5;
    double m_fMin = 1.0;
    int m_nPeriod = 0;
    std::vector<std::shared_ptr<MyButton>> m_periodButtons;
    std::vector<std::shared_ptr<StaticEx>> m_items;
    int m_nTab = 1;
    bool m_bCollapsed = false;

private:
    void CreatePeriodButtons();
    void CreateDetailGrid();
    void CreateStatisticItems();
    void LayoutBenefitTab();
    void LayoutPeriodButtons();
    void LayoutStatisticItems();
    void LayoutDetailTab();
    void HidePeriodButtons();
    void DrawTabs(CDC* dc);
    void DrawBenefitTab(CDC* dc);
    void DrawAxes(CDC* dc);
    void DrawXAxis(CDC* dc);
    void DrawAssetCurve(CDC* dc);
    void DrawStatistics(CDC* dc);
};
