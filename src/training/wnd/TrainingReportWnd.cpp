#include "training/wnd/TrainingReportWnd.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "training/TotalTrainingRecord.h"
#include "training/TrainingRecord.h"
#include "training/wnd/MultiTrainingKlineWnd.h"
#include "training/wnd/TrainingCentre.h"
#include "training/wnd/TrendTrainingSetWnd.h"
#include "training/wnd/TradeAnalysisWnd.h"
#include "training/wnd/TrainingDetailAndBenefitWnd.h"
#include "platform/CommonDialogs.h"
#include "ui/CommonVar.h"
#include "ui/element/ElementHost.h"

namespace {

constexpr COLORREF kGain = RGB(196, 63, 63);
constexpr COLORREF kLoss = RGB(72, 241, 72);

std::function<void(const std::shared_ptr<CTrainingRecord>&)>& SessionOpener() {
    static std::function<void(const std::shared_ptr<CTrainingRecord>&)> opener;
    return opener;
}

double EndFunds(const CTrainingRecord& r) {
    return r.assets.empty() ? r.InitCapital : r.assets.back().asset;
}

std::string Printf(const char* format, auto... args) {
    char text[160];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Every window below `root` that shows a chosen record.
void CollectViewers(CWnd* root, std::vector<ITrainingRecordViewer*>& out) {
    for (CWnd* w = root ? root->GetWindow(GW_CHILD) : nullptr; w; w = w->GetWindow(GW_HWNDNEXT)) {
        if (auto* viewer = dynamic_cast<ITrainingRecordViewer*>(w)) out.push_back(viewer);
        CollectViewers(w, out);
    }
}

}  // namespace

void SetTrainingSessionOpener(std::function<void(const std::shared_ptr<CTrainingRecord>&)> opener) {
    SessionOpener() = std::move(opener);
}

void OpenTrainingSession(const std::shared_ptr<CTrainingRecord>& record) {
    if (record && SessionOpener()) SessionOpener()(record);
}

std::vector<std::string> TrainingReportRowTexts(const CTrainingRecord& r) {
    std::string name;
    if (r.hideName && r.TrainStatus != kTrainStatusEnded) {
        name = "--";
    } else {
        for (char c : r.name)
            if (c != ' ' && c != '\t') name += c;
    }
    const int b = r.BeginTrainDate, e = r.EndTrainDate;
    // A running session with hidden dates keeps them hidden here too.
    const bool hideDates = r.hideDate && r.TrainStatus != kTrainStatusEnded;
    const double end = EndFunds(r);
    const double profit = end - r.InitCapital;
    // A record whose capital is 0 (a damaged file) shows no return rather than a NaN.
    const double rate = r.InitCapital != 0 ? profit * 100 / r.InitCapital : 0.0;
    return {Printf("%d", r.TrainingDate),
            name,
            hideDates ? std::string("--")
                      : Printf("%d.%d.%d-%d.%d.%d", b / 10000, b / 100 % 100, b % 100, e / 10000, e / 100 % 100,
                               e % 100),
            Printf("%d", r.TrainDays),
            Printf("%.02f", r.InitCapital),
            Printf("%.02f", end),
            profit > 0 ? "盈" : "亏",
            Printf("%.02f%%", rate),
            r.GetStatusText()};
}

void CTradeReportField::Draw(CDC* dc) {
    const CGridUI* grid = m_pLine ? m_pLine->m_pGrid : nullptr;
    if (!grid) return;
    CRect rc = m_rect;
    rc.DeflateRect(1, 1);
    const bool selected = IsSelected();
    if (rc.Width() > 0 && rc.Height() > 0) dc->FillSolidRect(&rc, selected ? grid->m_gridhighbk : grid->m_gridbk);
    dc->SetTextColor(selected ? m_clrSelText : m_clrText);
    CFont* font = m_pFont ? m_pFont : GetCommonVar()->GetFont(CommonVar::kFontSong14);
    CFont* old = font && font->m_created ? dc->SelectObject(font) : nullptr;
    dc->DrawText(m_strText, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old) dc->SelectObject(old);
}

TrainingReportWnd::TrainingReportWnd() {
    SetTypeName("TrainingReportWnd");
}

CTotalTrainingRecord* TrainingReportWnd::Records() const {
    return GetDataCenter()->GetTrainingRecords().get();
}

int TrainingReportWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    OnCreated(0);
    static const struct {
        const char* text;
        int width;
    } kTitles[kColumns] = {{"训练日期", 86}, {"股票名称", 86}, {"K线周期", 150}, {"交易天数", 86}, {"初始资金", 86},
                           {"结束资金", 86}, {"盈亏", 40},     {"盈亏收益", 86}, {"训练状态", 80}};
    std::vector<std::shared_ptr<GridTitle>> titles;
    for (const auto& t : kTitles) titles.push_back(std::make_shared<TradeReportTitle>(&m_grid, t.text, t.width));
    m_grid.SetTitles(std::move(titles));
    m_grid.m_nColumnCount = kColumns;
    m_grid.m_fnFillPage = [this] { FillPage(); };
    CommonVar* common = GetCommonVar();
    m_grid.m_gridbk = RGB(20, 29, 37);
    m_grid.m_gridhighbk = RGB(49, 106, 197);
    m_grid.m_gridline = common->GetColor(CommonColor::uniPic_GridLine);
    m_grid.m_gridTitleBK = common->GetColor(CommonColor::uniMenuBar_Title);
    m_grid.m_gridTitle = RGB(133, 145, 157);
    m_grid.m_bShowGridline = 0;
    m_grid.m_bCanDrag = 1;
    m_grid.m_strFontName = m_grid.m_strTitleFontName = "宋体";
    m_grid.m_nFontSize = m_grid.m_nTitleFontSize = 14;
    m_grid.m_nLineHeight = 35;
    m_grid.m_bShowTitle = 1;
    m_grid.m_bNeedVScroll = 1;
    m_grid.m_bNeedHScroll = 1;
    m_grid.m_vScroll.SetColors(RGB(20, 29, 37), RGB(35, 51, 67));
    m_grid.m_hScroll.SetColors(RGB(20, 29, 37), RGB(35, 51, 67));
    m_grid.Attach(this);
    return 0;
}

void TrainingReportWnd::FillPage() {
    CTotalTrainingRecord* list = Records();
    if (!list) return;
    const int total = m_grid.m_nRowCount;
    const int top = m_grid.m_nTopRow;
    if (top >= total || total != int(list->records.size())) return;
    const int n = std::min<int>(m_grid.m_nRowsPerPage, total - top);
    m_grid.ResizePage(n, kColumns, [] { return std::make_shared<CTradeReportField>(); });
    CommonVar* common = GetCommonVar();
    for (int i = 0; i < n; ++i) {
        const CTrainingRecord& record = *list->records[size_t(total - top - i - 1)];
        const std::vector<std::string> texts = TrainingReportRowTexts(record);
        const bool gain = EndFunds(record) - record.InitCapital > 0;
        auto& cells = m_grid.m_rows[size_t(i)]->m_cells;
        for (size_t c = 0; c < cells.size() && c < texts.size(); ++c) {
            auto& cell = static_cast<CTradeReportField&>(*cells[c]);
            cell.m_strText = texts[c];
            if (c == 6 || c == 7) {
                cell.m_clrText = cell.m_clrSelText = gain ? kGain : kLoss;
            } else {
                cell.m_clrText = RGB(208, 177, 120);
                cell.m_clrSelText = RGB(255, 255, 255);
            }
            cell.m_pFont = common->GetFont(c == 0 || c == 7 || c == 8 ? CommonVar::kFontTimes16
                                                                      : CommonVar::kFontSong14);
        }
    }
}

void TrainingReportWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended) return;
    CElementWnd::DrawClient(dc);
    dc->FillSolidRect(&m_rcContent, GetCommonVar()->GetColor(CommonColor::uniBackGround));
    m_grid.Draw(dc);
}

void TrainingReportWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    m_grid.SetRect(m_rcContent);  // inside the pane's border
}

void TrainingReportWnd::AttachData() {
    CTotalTrainingRecord* list = Records();
    const int count = list ? int(std::min<size_t>(list->records.size(), INT16_MAX)) : 0;
    if (m_grid.m_nRowCount != count) {
        m_grid.m_nRowCount = int16_t(count);
        m_grid.UpdateVScroll();
    }
}

int TrainingReportWnd::RecordIndexAt(int x, int y) const {
    CTotalTrainingRecord* list = Records();
    const int row = m_grid.HitTestRow(x, y);
    if (!list || row < 0) return -1;
    const int index = int(list->records.size()) - row - 1;
    return index >= 0 && index < int(list->records.size()) ? index : -1;
}

void TrainingReportWnd::OnElementLButtonDown(UINT flags, int x, int y) {
    m_grid.OnLButtonDown(flags, x, y);
}

void TrainingReportWnd::OnElementMouseMove(UINT flags, int x, int y) {
    m_grid.OnMouseMove(flags, x, y);
}

void TrainingReportWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    const int taken = m_grid.OnLButtonUp(flags, x, y);
    CTotalTrainingRecord* list = Records();
    const int index = RecordIndexAt(x, y);
    if (list && index >= 0) {
        list->selected = int16_t(index);
        if (std::shared_ptr<CTrainingRecord> record = list->GetSelectedRecord()) {
            std::vector<ITrainingRecordViewer*> viewers;
            CElementHost* host = GetHost();
            CollectViewers(host ? host->GetHostWnd() : GetParent(), viewers);
            for (ITrainingRecordViewer* v : viewers) v->ShowTrainingRecord(record);
        }
    }
    if (taken && m_hWnd) {
        Invalidate(FALSE);
        UpdateWindow();
    }
}

void TrainingReportWnd::OnElementLButtonDblClk(UINT, int x, int y) {
    CTotalTrainingRecord* list = Records();
    const int index = RecordIndexAt(x, y);
    if (!list || index < 0) return;
    list->selected = int16_t(index);
    if (std::shared_ptr<CTrainingRecord> record = list->GetSelectedRecord())
        if (SessionOpener()) SessionOpener()(record);
}

void TrainingReportWnd::ScrollTo(int top) {
    if (m_grid.SetTopRow(top)) {
        m_grid.UpdateVScroll();
        m_grid.InvalidateHost();
    }
}

int TrainingReportWnd::OnElementMouseWheel(UINT, int delta, int, int) {
    if (!m_grid.m_bNeedVScroll || !m_grid.m_bVScrollShown) return 0;
    ScrollTo(m_grid.m_nTopRow - delta / 120);
    if (m_hWnd) Invalidate(FALSE);
    return 1;
}

int TrainingReportWnd::OnElementKeyDown(UINT key, UINT, UINT) {
    if (!m_grid.m_bNeedVScroll || m_grid.m_nRowCount < 1) return 0;
    const int top = m_grid.m_nTopRow, page = m_grid.m_nRowsPerPage;
    switch (key) {
        case VK_PRIOR: ScrollTo(top - page); break;
        case VK_NEXT: ScrollTo(top + page); break;
        case VK_HOME: ScrollTo(0); break;
        case VK_END: ScrollTo(m_grid.m_nMaxTopRow); break;
        case VK_UP: m_grid.OnScroll(SB_LINEUP, 0, FALSE); break;
        case VK_DOWN: ScrollTo(top + 1); break;
        default: return 0;
    }
    return 1;
}

int TrainingReportWnd::BuildContextMenu(CMenu* menu, int, int) {
    CTotalTrainingRecord* list = Records();
    if (!list || list->selected < 0 || list->selected >= int(list->records.size())) return 0;
    const CTrainingRecord& r = *list->records[size_t(list->selected)];
    const bool resumable = r.TrainStatus == kTrainStatusEnded && r.EndTrainDate != r.EndDate;
    menu->AppendMenu(MF_STRING, kStopResumeCommand, resumable ? "恢复训练" : "停止训练");
    return 1;
}

int TrainingReportWnd::OnUpdateLayoutCommand(CCmdUI* cmdUI) {
    if (cmdUI->m_nID != kStopResumeCommand) return CElementWnd::OnUpdateLayoutCommand(cmdUI);
    cmdUI->Enable(TRUE);
    return 1;
}

int TrainingReportWnd::OnLayoutCommand(UINT id, UINT code) {
    if (id != kStopResumeCommand) return CElementWnd::OnLayoutCommand(id, code);
    CTotalTrainingRecord* list = Records();
    if (!list || list->selected < 0 || list->selected >= int(list->records.size())) return 1;
    CTrainingRecord& r = *list->records[size_t(list->selected)];
    if (r.TrainStatus != kTrainStatusEnded) {
        list->EndSession(r);  // saved at once: a stopped session stays stopped after a crash
    } else if (r.EndTrainDate != r.EndDate) {
        // One session runs at a time.
        if (list->HasRunningRecord()) {
            ::MessageBox(nullptr, "请先结束正在进行的趋势训练!!!", "提示", MB_OK | MB_ICONINFORMATION);
            return 1;
        }
        list->ResumeSession(r);
    } else {
        return 1;  // the period is over: nothing to resume
    }
    m_grid.UpdateVScroll();
    if (m_hWnd) {
        Invalidate(FALSE);
        UpdateWindow();
    }
    return 1;
}

void RegisterTrainingElementTypes() {
    RegisterSelStockBoardTypes();
    RegisterElementType("TrainingReportWnd", [] { return std::make_unique<TrainingReportWnd>(); });
    RegisterElementType("AnalysisAndTrainingWnd", [] { return std::make_unique<AnalysisAndTrainingWnd>(); });
    RegisterElementType("TrendTrainingSetWnd", [] { return std::make_unique<TrendTrainingSetWnd>(); });
    RegisterElementType("TrainingDetailAndBenefitWnd", [] { return std::make_unique<TrainingDetailAndBenefitWnd>(); });
    RegisterElementType("TradeAnalysisWnd", [] { return std::make_unique<TradeAnalysisWnd>(); });
}
