#include "training/wnd/MultiTrainingKlineWnd.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>

#include "chart/ChartOverlay.h"
#include "chart/ChartPic.h"
#include "foundation/Buffer.h"
#include "foundation/CommonColors.h"
#include "foundation/ParseError.h"
#include "marketdata/DataCenter.h"
#include "marketdata/RequestChannel.h"
#include "marketdata/Security.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Graphics.h"
#include "protocol/Bodies.h"
#include "protocol/DataHead.h"
#include "protocol/Wire.h"
#include "training/wnd/MultiItemKlinePicData.h"
#include "training/wnd/SelStockTraining.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"

namespace {

// Bars a cell's chart has room for: the fifty of history fill half of it, so the hidden
// days show as the empty half until the reveal.
constexpr int32_t kCellVisibleBars = 100;

ARGB Opaque(COLORREF c) {
    return 0xFF000000u | (ARGB(GetRValue(c)) << 16) | (ARGB(GetGValue(c)) << 8) | GetBValue(c);
}

std::string WithoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// The training overlay of a cell: without a session, the time axis keeps its dates to
// itself while the set-up page hides them, as the tips do.
class CellChartOverlay : public TrainingChartOverlay {
public:
    using TrainingChartOverlay::TrainingChartOverlay;
    void Draw(CDC* dc, bool fill) override {
        if (GetSelStockSettings().hideDate) m_bDrawLabels = 0;
        TrainingChartOverlay::Draw(dc, fill);
    }
};

// A paging arrow: a rounded box with a pointer above (side 0, the previous page) or below
// (side 1, the next page), filled anti-aliased.
void FillCallout(CDC* dc, const CRect& rc, int side) {
    const float l = float(rc.left), r = float(rc.right), t = float(rc.top), b = float(rc.bottom);
    const float mid = (l + r) / 2, tip = float(rc.Height()) / 2;
    std::vector<PointF> shape;
    if (side == 0)
        shape = {{l, t + tip}, {mid - tip, t + tip}, {mid, t}, {mid + tip, t + tip}, {r, t + tip}, {r, b}, {l, b}};
    else
        shape = {{l, t}, {r, t}, {r, b - tip}, {mid + tip, b - tip}, {mid, b}, {mid - tip, b - tip}, {l, b - tip}};
    CGraphics g(dc);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.FillPolygon(Opaque(RGB(134, 171, 202)), shape.data(), int(shape.size()));
}

void DrawBoardButton(CDC* dc, int, MyButton* button) {
    CRect rc;
    button->GetClientRect(&rc);
    CBrush frame(RGB(0, 0, 0));
    dc->FrameRect(&rc, &frame);
    CRect inside = rc;
    inside.DeflateRect(1, 1);
    dc->FillSolidRect(&inside, button->m_nCommandId == int(MultiTrainingKlineWnd::kRevealId) ? RGB(203, 76, 76)
                                                                                           : RGB(134, 171, 202));
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong14));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    dc->DrawText(button->m_strText, &inside, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

}  // namespace

bool MultiItemKlineTipOverlay::IsTipEnabled() const {
    return !GetSelStockSettings().hideDate;
}

// ---------------------------------------------------------------- a cell

MultiKlineItemWnd::MultiKlineItemWnd(int index) : m_nIndex(index) {
    SetTypeName("MultiKlineItemWnd");
    m_bShowTitleBar = 0;
}

MultiKlineItemWnd::~MultiKlineItemWnd() {
    // The layer reaches back through the interfaces of this object: it goes while they last.
    if (m_hWnd) DestroyWindow();
    if (m_pDataLayer) m_pDataLayer->Detach();
    m_pDataLayer.reset();
}

BOOL MultiKlineItemWnd::Create(CWnd* parent) {
    if (!TrainingKlineWnd::Create(parent)) return FALSE;
    // A small chart: the prices with their averages over the volume.
    if (auto chart = GetChartOverlayPtr(); chart && chart->m_aPanes.empty()) {
        chart->AddMainPane()->Prop().BindIndicatorByName("MA");
        chart->m_bDrawMA = 1;
        chart->AddPane()->Prop().BindIndicatorByName("VOL");
        for (const auto& pane : chart->m_aPanes) {
            pane->Prop().ResetSecurity();
            pane->Prop().SetIndicatorPeriod(PicDataLayer::kDay, 1);
        }
        chart->m_nSelectedPane = 0;
        chart->m_nVisibleCount = kCellVisibleBars;
    }
    return TRUE;
}

void MultiKlineItemWnd::CreateDataLayer() {
    m_pDataLayer = std::make_shared<MultiItemKlinePicData>(static_cast<ITrainingChartOwner*>(this));
}

void MultiKlineItemWnd::CreateChartOverlay() { m_aOverlays[1] = std::make_shared<CellChartOverlay>(this); }

void MultiKlineItemWnd::CreateTipOverlay() { m_aOverlays[2] = std::make_shared<MultiItemKlineTipOverlay>(this); }

MultiItemKlinePicData* MultiKlineItemWnd::Layer() const {
    return dynamic_cast<MultiItemKlinePicData*>(m_pDataLayer.get());
}

CSecurity* MultiKlineItemWnd::Security() const {
    if (!m_pDataLayer || m_pDataLayer->GetCode().IsEmpty()) return nullptr;
    if (CSecurity* s = m_pDataLayer->GetSecurity()) return s;
    return GetDataCenter()->FindSecurity(m_pDataLayer->GetCode());
}

void MultiKlineItemWnd::RecalcLayout() {
    TrainingKlineWnd::RecalcLayout();
    if (GetSelStockSettings().hideName) return;
    auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr;
    if (!chart || m_rcContent.Height() <= kNameStrip) return;
    // The name strip above the chart.
    chart->m_rcChart.top = m_rcContent.top + kNameStrip;
    chart->m_rcOuter.top = chart->m_rcChart.top;
    chart->CalcRects();
}

void MultiKlineItemWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended || !dc) return;
    TrainingKlineWnd::DrawClient(dc);
    CommonVar* common = GetCommonVar();
    if (!GetSelStockSettings().hideName) {
        CRect strip(m_rcContent.left, m_rcContent.top, m_rcContent.right, m_rcContent.top + kNameStrip);
        dc->FillSolidRect(&strip, common->GetColor(CommonColor::uniSmallTitle));
        if (CSecurity* s = Security()) {
            CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong14));
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(RGB(255, 255, 255));
            dc->DrawText(WithoutSpaces(s->GetName()), &strip, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            dc->SelectObject(old);
        }
    }
    auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr;
    if (!m_bRevealed || !chart || chart->m_aPanes.empty()) return;
    const CRect pane = chart->m_aPanes.front()->Prop().m_rcPane;
    const CRect box(pane.right - 112, pane.top + 12, pane.right - 10, pane.top + 58);
    const double rise = GetRise();
    {
        CGraphics g(dc);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.FillRectangle(Opaque(rise > 0 ? RGB(255, 0, 0) : RGB(35, 140, 0)), float(box.left), float(box.top),
                        float(box.Width()), float(box.Height()));
        g.DrawRectangle(Opaque(rise > 0 ? RGB(139, 0, 0) : RGB(0, 66, 0)), 1.0f, float(box.left), float(box.top),
                        float(box.Width()), float(box.Height()));
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.02f%%", rise / 10);
    CRect label = box;
    CFont* old = dc->SelectObject(common->GetFont(CommonVar::kFontSong16));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    dc->DrawText(text, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
}

void MultiKlineItemWnd::TellBoard(CellEvent event) {
    CWnd* parent = GetParent();
    if (!parent || !dynamic_cast<MultiTrainingKlineWnd*>(parent)) return;
    parent->SendMessage(UM_SELSTOCK_CELL, WPARAM(event), LPARAM(m_nIndex));
}

void MultiKlineItemWnd::OnElementLButtonUp(UINT flags, int x, int y) {
    TrainingKlineWnd::OnElementLButtonUp(flags, x, y);
    TellBoard(kReleased);
}

void MultiKlineItemWnd::OnElementMouseMove(UINT flags, int x, int y) {
    TrainingKlineWnd::OnElementMouseMove(flags, x, y);
    TellBoard(kMovedOver);
}

void MultiKlineItemWnd::OnElementMouseLeave() {
    TrainingKlineWnd::OnElementMouseLeave();
    TellBoard(kLeft);
}

void MultiKlineItemWnd::ShowCandidate(const CIndSecuCode& code) {
    m_bRevealed = 0;
    if (auto chart = m_aOverlays.size() > 1 ? GetChartOverlayPtr() : nullptr) chart->m_nVisibleCount = kCellVisibleBars;
    if (m_pDataLayer && code.m_nMarket == m_pDataLayer->GetCode().m_nMarket &&
        CompareSecuCode(code, m_pDataLayer->GetCode()) == 0) {
        // The same security again: the same window, hidden again.
        DetachData();
        AttachData();
    } else {
        SetSecurity(code, nullptr);
    }
    Repaint(false);
}

void MultiKlineItemWnd::Clear() {
    m_bRevealed = 0;
    DetachData();
    if (m_pDataLayer) m_pDataLayer->SetCode(CIndSecuCode());
    m_code = CIndSecuCode();
    ResetLayers();  // the overlay's reveal too
    Repaint(false);
}

void MultiKlineItemWnd::Reveal() {
    m_bRevealed = 1;
    if (MultiItemKlinePicData* layer = Layer()) layer->RevealWindow();
    Repaint(true);
}

double MultiKlineItemWnd::GetRise() {
    MultiItemKlinePicData* layer = Layer();
    return layer ? layer->GetWindowRise() : 0;
}

// ---------------------------------------------------------------- the board

MultiTrainingKlineWnd::MultiTrainingKlineWnd() : m_pSelf(std::make_shared<MultiTrainingKlineWnd*>(this)) {
    SetTypeName("MultiTrainingKlineWnd");
}

MultiTrainingKlineWnd::~MultiTrainingKlineWnd() {
    *m_pSelf = nullptr;
    if (CRequestChannel* channel = GetRequestChannel()) channel->CancelPending(OwnerTag(this));
    if (m_hWnd) DestroyWindow();
}

BOOL MultiTrainingKlineWnd::Create(CWnd* parent) {
    if (!CElementWnd::Create(parent)) return FALSE;
    for (int i = 0; i < kCells; ++i) {
        auto cell = std::make_shared<MultiKlineItemWnd>(i);
        cell->m_pOwner = m_pOwner;
        cell->SetLayoutNode(m_pLayoutNode);
        if (!cell->Create(this)) return FALSE;
        m_cells[size_t(i)] = std::move(cell);
    }
    static const char* const kTexts[2] = {"选择", "提示"};
    for (int i = 0; i < 2; ++i) {
        auto b = std::make_unique<MyButton>();
        b->m_nType = MyButton::kPush;
        b->m_nDrawType = MyButton::kDrawCallback;
        b->m_fnDraw = DrawBoardButton;
        b->m_strText = kTexts[i];
        b->m_nCommandId = int(kRevealId) + i;
        b->Create(kTexts[i], 0, CRect(0, 0, 0, 0), this, kRevealId + UINT(i));
        m_buttons[size_t(i)] = std::move(b);
    }
    return TRUE;
}

void MultiTrainingKlineWnd::SetLayoutNode(CLayoutManager* node) {
    CElementWnd::SetLayoutNode(node);
    for (auto& cell : m_cells)
        if (cell) cell->SetLayoutNode(node);
}

void MultiTrainingKlineWnd::RecalcLayout() {
    CElementWnd::RecalcLayout();
    const CRect& c = m_rcContent;
    const int a = (c.Width() - 49) / 3, b = (c.Height() - 10) / 2;
    for (int i = 0; i < kCells; ++i) {
        MultiKlineItemWnd* cell = m_cells[size_t(i)].get();
        if (cell && cell->m_hWnd)
            cell->MoveWindow(c.left + a * (i % 3) + 7, c.top + (i / 3) * b + 7, std::max(0, a - 7), std::max(0, b - 7));
    }
    if (m_buttons[0] && m_buttons[0]->m_hWnd) m_buttons[0]->MoveWindow(c.right - 47, c.top + 277, 46, 96);
    if (m_buttons[1] && m_buttons[1]->m_hWnd) m_buttons[1]->MoveWindow(c.right - 47, c.top + 379, 46, 22);
    m_rcPrev = CRect(c.right - 36, c.top + 179, c.right - 14, c.top + 192);
    m_rcNext = CRect(c.right - 36, c.top + 236, c.right - 14, c.top + 249);
}

void MultiTrainingKlineWnd::DrawClient(CDC* dc) {
    if (m_bPaintSuspended || !dc) return;
    CommonVar* common = GetCommonVar();
    dc->FillSolidRect(&m_rcClient, kBackground);
    const COLORREF line = common->GetColor(CommonColor::uniPic_GridLine);
    for (int i = 0; i < kCells; ++i) {
        MultiKlineItemWnd* cell = m_cells[size_t(i)].get();
        if (!cell || !cell->m_hWnd) continue;
        CRect frame;
        cell->GetWindowRect(&frame);
        ScreenToClient(&frame);
        frame.InflateRect(1, 1);
        CBrush brush(i == m_board.Selected() || i == m_board.Hovered() ? kChosenFrame : line);
        dc->FrameRect(&frame, &brush);
    }
    const CRect& c = m_rcContent;
    dc->FillSolidRect(CRect(c.right - 49, c.top + 139, c.right, c.top + 272), kPagingPanel);
    FillCallout(dc, m_rcPrev, 0);
    FillCallout(dc, m_rcNext, 1);
}

void MultiTrainingKlineWnd::RedrawFrames() {
    if (!m_hWnd) return;
    Invalidate(FALSE);
    UpdateWindow();
}

LRESULT MultiTrainingKlineWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_SELSTOCK_CELL) {
        OnCellNotify(int(wParam), int(lParam));
        return 0;
    }
    return CElementWnd::WindowProc(msg, wParam, lParam);
}

void MultiTrainingKlineWnd::OnCellNotify(int event, int cell) {
    bool changed = false;
    switch (event) {
        case MultiKlineItemWnd::kReleased: changed = m_board.Select(cell); break;
        case MultiKlineItemWnd::kMovedOver: changed = m_board.Hover(cell); break;
        case MultiKlineItemWnd::kLeft: changed = m_board.Leave(); break;
        default: break;
    }
    if (changed) RedrawFrames();
}

BOOL MultiTrainingKlineWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (id == kRevealId || id == kJudgeId) {
        OnBoardCommand(id);
        return TRUE;
    }
    return CElementWnd::OnCommand(wParam, lParam);
}

void MultiTrainingKlineWnd::Tell(const char* text) {
    ::MessageBox(nullptr, text, "提示", MB_OK | MB_ICONINFORMATION);
}

void MultiTrainingKlineWnd::OnBoardCommand(UINT id) {
    if (id == kRevealId) {
        const std::string refusal = m_board.Reveal();
        if (!refusal.empty()) {
            Tell(refusal.c_str());
            return;
        }
        for (int i = 0; i < m_board.ShownCells(); ++i) m_cells[size_t(i)]->Reveal();
        RedrawFrames();
        return;
    }
    if (id != kJudgeId) return;
    const std::string refusal = m_board.CanJudge();
    if (!refusal.empty()) {
        Tell(refusal.c_str());
        return;
    }
    MultiKlineItemWnd& cell = *m_cells[size_t(m_board.Selected())];
    CDlgSelStockTip dialog(this);
    dialog.m_fRise = cell.GetRise();
    dialog.m_bPassed = SelStockBoard::Passes(dialog.m_fRise, GetSelStockSettings().riseTenths) ? 1 : 0;
    if (CSecurity* s = cell.Security()) {
        dialog.m_strName = s->GetName();
        dialog.m_strCode = s->GetCode().m_strCode;
    }
    if (m_showVerdict)
        m_showVerdict(dialog);
    else
        dialog.DoModal();
}

void MultiTrainingKlineWnd::OnElementLButtonUp(UINT, int x, int y) {
    const CPoint pt(x, y);
    int16_t offset = m_board.Offset();
    bool moved = false;
    if (m_rcPrev.PtInRect(pt))
        moved = m_board.PreviousPage(offset);
    else if (m_rcNext.PtInRect(pt))
        moved = m_board.NextPage(offset);
    if (!moved) return;
    m_board.SetOffset(offset);
    RequestCandidates();
}

bool MultiTrainingKlineWnd::RequestCandidates() {
    CRequestChannel* channel = GetConnectedChannel();
    if (!channel) return false;
    wire::CandidatesRequest request;
    request.offset = uint16_t(std::max<int16_t>(0, m_board.Offset()));
    request.pageSize = uint16_t(kCells);
    CBuffer message;
    CDataHead::ReservePlaceholder(message);
    request.Encode(message);
    CDataHead head = CDataHead::NewRequest();
    if (!head.WriteToBuffer(message, wire::kCandidates)) return false;
    std::weak_ptr<MultiTrainingKlineWnd*> weak = m_pSelf;
    const uint64_t generation = m_nGeneration;
    channel->RegisterReply(head.m_nSerial, OwnerTag(this), [weak, generation](const CDataHead&, CBuffer& body) {
        auto reply = std::make_shared<wire::CandidatesReply>();
        try {
            reply->Decode(body);
        } catch (const CParseError&) {
            return true;  // nothing usable will follow for this serial
        }
        platform::PostTask([weak, generation, reply] {
            auto self = weak.lock();
            if (!self || !*self || (*self)->m_nGeneration != generation) return;
            (*self)->OnCandidates(*reply);
        });
        return true;
    });
    channel->Send(message.GetData(), message.GetLength());
    return true;
}

void MultiTrainingKlineWnd::OnCandidates(const wire::CandidatesReply& reply) {
    if (!m_board.ApplyCandidates(reply)) return;
    for (int i = 0; i < kCells; ++i) {
        MultiKlineItemWnd& cell = *m_cells[size_t(i)];
        if (i < m_board.ShownCells())
            cell.ShowCandidate(m_board.CellSecurity(i));
        else
            cell.Clear();
    }
    RedrawFrames();
}

void MultiTrainingKlineWnd::AttachData() {
    if (m_board.Candidates().empty()) {
        RequestCandidates();
        return;
    }
    for (int i = 0; i < m_board.ShownCells(); ++i) m_cells[size_t(i)]->ShowCandidate(m_board.CellSecurity(i));
    m_board.Rehide();
    RedrawFrames();
}

void MultiTrainingKlineWnd::DetachData() {
    ++m_nGeneration;
    if (CRequestChannel* channel = GetRequestChannel()) channel->CancelPending(OwnerTag(this));
    for (auto& cell : m_cells)
        if (cell) cell->DetachData();
}

int MultiTrainingKlineWnd::LoadFromXml(const tinyxml2::XMLElement* element) {
    CElementWnd::LoadFromXml(element);
    if (const tinyxml2::XMLElement* node = element ? element->FirstChildElement("TrainingKline") : nullptr)
        for (auto& cell : m_cells)
            if (cell) cell->LoadFromXml(node);
    return -1;
}

void MultiTrainingKlineWnd::OnDestroying() {
    for (auto& cell : m_cells)
        if (cell) cell->OnDestroying();
    for (auto& b : m_buttons)
        if (b && b->m_hWnd) b->DestroyWindow();
}

void RegisterSelStockBoardTypes() {
    RegisterElementType("MultiTrainingKlineWnd", [] { return std::make_unique<MultiTrainingKlineWnd>(); });
    RegisterElementType("MultiKlineItemWnd", [] { return std::make_unique<MultiKlineItemWnd>(); });
}
