#include "training/wnd/TrainingCentre.h"

#include "foundation/CommonColors.h"
#include "training/TrainingRecord.h"
#include "training/wnd/SelStockTraining.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinScroll.h"

AnalysisAndTrainingWnd::AnalysisAndTrainingWnd() {
    SetTypeName("AnalysisAndTrainingWnd");
    for (auto& w : m_wrappers) w = std::make_unique<CSkinScrollWnd>();
    m_pages[0] = CreateElementByType("TradeAnalysisWnd");
    m_pages[1] = CreateElementByType("TrendTrainingSetWnd");
    m_pages[2] = std::make_unique<SelStockSetWnd>();
}

AnalysisAndTrainingWnd::~AnalysisAndTrainingWnd() = default;

int AnalysisAndTrainingWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    static const char* const kTexts[kTabs] = {"交易分析", "趋势训练", "选股训练"};
    const COLORREF common = GetCommonVar()->GetColor(CommonColor::uniSmallTitle);
    for (int i = 0; i < kTabs; ++i) {
        auto b = std::make_shared<MyButton>();
        b->m_nType = MyButton::kRadio;
        b->m_bGroup = i == 0;
        b->m_nDrawType = MyButton::kDrawColors;
        b->m_colors = {{RGB(30, 92, 255), RGB(255, 255, 255)}, {common, RGB(0, 0, 0)},
                       {RGB(255, 191, 0), RGB(0, 0, 0)}};
        b->m_strText = kTexts[i];
        b->m_nCommandId = kFirstTabId + i;
        b->m_rcPlace = CRect(1 + 101 * i, 2, 1 + 101 * i + 99, 34);
        b->Create(kTexts[i], 0, b->m_rcPlace, this, UINT(kFirstTabId + i));
        m_tabs[size_t(i)] = b;
    }
    if (m_tabs[1]->m_hWnd) m_tabs[1]->SetCheck(1);
    for (int i = 0; i < kTabs; ++i) {
        CElementWnd& page = *m_pages[size_t(i)];
        if (!page.Create(this)) continue;
        CSkinScrollWnd& wrapper = *m_wrappers[size_t(i)];
        wrapper.AttachCtrl(&page);
        if (wrapper.m_hWnd) wrapper.ShowWindow(i == m_nTab ? SW_SHOW : SW_HIDE);
    }
    return 0;
}

void AnalysisAndTrainingWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    if (!m_tabs[2] || !m_tabs[2]->m_hWnd) return;
    // Measured from the content rectangle, inside the pane's border.
    const CRect& c = m_rcContent;
    for (int i = 0; i < kTabs; ++i) m_tabs[size_t(i)]->MoveWindow(c.left + 1 + 101 * i, c.top + 2, 99, 32);
    for (auto& w : m_wrappers)
        if (w->m_hWnd) w->MoveWindow(c.left, c.top + 36, c.Width(), std::max(0, c.Height() - 36));
}

void AnalysisAndTrainingWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CElementWnd::DrawClient(dc);
    const CRect& c = m_rcContent;
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&c, common->GetColor(CommonColor::uniBackGround));
    dc->FillSolidRect(CRect(c.left, c.top + 35, c.right, c.top + 36), common->GetColor(CommonColor::uniPic_GridLine));
}

void AnalysisAndTrainingWnd::ShowTab(int tab) {
    if (tab < 0 || tab >= kTabs) return;
    m_nTab = tab;
    for (int i = 0; i < kTabs; ++i)
        if (m_wrappers[size_t(i)]->m_hWnd) m_wrappers[size_t(i)]->ShowWindow(i == tab ? SW_SHOW : SW_HIDE);
    for (int i = 0; i < kTabs; ++i)
        if (i != tab) m_pages[size_t(i)]->DetachData();
    m_pages[size_t(tab)]->AttachData();
}

void AnalysisAndTrainingWnd::ShowTrendTrainingTab() {
    if (MyButton* b = m_tabs[1].get(); b && b->m_hWnd) {
        b->UpdateCheck();
        b->Invalidate(FALSE);
        b->UpdateWindow();
    }
    ShowTab(1);
}

void AnalysisAndTrainingWnd::ShowRecord(const std::shared_ptr<CTrainingRecord>& record) {
    if (m_nTab != 0) return;
    m_pRecord = record;  // the page keeps a plain pointer: the host keeps the record alive
    CElementWnd& page = *m_pages[0];
    page.SetContextObject(record.get());
    page.DetachData();
    page.AttachData();
    if (page.m_hWnd) {
        page.Invalidate(FALSE);
        page.UpdateWindow();
    }
}

int AnalysisAndTrainingWnd::SetContextObject(void* object) {
    return m_pages[0] ? m_pages[0]->SetContextObject(object) : 0;
}

void AnalysisAndTrainingWnd::DetachData() {
    m_pages[size_t(m_nTab)]->DetachData();
}

void AnalysisAndTrainingWnd::AttachData() {
    m_pages[size_t(m_nTab)]->AttachData();
}

BOOL AnalysisAndTrainingWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kFirstTabId && id < kFirstTabId + kTabs) {
        ShowTab(id - kFirstTabId);
        return TRUE;
    }
    return CElementWnd::OnCommand(wParam, lParam);
}
