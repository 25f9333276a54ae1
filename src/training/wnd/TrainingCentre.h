#pragma once
// The training centre ("AnalysisAndTrainingWnd"): three tabs, "交易分析", "趋势训练" and
// "选股训练", over the page of the chosen tab. Only the shown page is attached to its data.
// A page whose window is not built into this program yet is the factory's placeholder.
#include <array>
#include <memory>

#include "training/wnd/TrainingReportWnd.h"
#include "ui/element/ElementWnd.h"

class CSkinScrollWnd;
class MyButton;

class AnalysisAndTrainingWnd : public CElementWnd, public ITrainingRecordViewer {
public:
    static constexpr int kFirstTabId = 100;
    static constexpr int kTabs = 3;

    AnalysisAndTrainingWnd();
    ~AnalysisAndTrainingWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementMouseMove(UINT, int, int) override {}
    int SetContextObject(void* object) override;
    void DetachData() override;
    void AttachData() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void ShowTab(int tab);
    void ShowTrendTrainingTab();
    // The report list's chosen record, for the trade-analysis page while it is shown.
    void ShowRecord(const std::shared_ptr<CTrainingRecord>& record);
    void ShowTrainingRecord(const std::shared_ptr<CTrainingRecord>& record) override { ShowRecord(record); }

    std::array<std::shared_ptr<MyButton>, kTabs> m_tabs;
    std::array<std::unique_ptr<CElementWnd>, kTabs> m_pages;
    std::array<std::unique_ptr<CSkinScrollWnd>, kTabs> m_wrappers;
    int m_nTab = 1;
    std::shared_ptr<CTrainingRecord> m_pRecord;  // the record handed to the analysis page
};
