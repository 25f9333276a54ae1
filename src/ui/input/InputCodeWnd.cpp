#include "ui/input/InputCodeWnd.h"

#include <algorithm>

#include "foundation/CommonColors.h"
#include "marketdata/DataCenter.h"
#include "platform/App.h"
#include "ui/CommonVar.h"

// ---------------------------------------------------------------- cells

void CKeyBoardFiled::Draw(CDC* dc) {
    m_clrText = m_nColumn < 2 ? RGB(15, 21, 28) : RGB(93, 109, 132);
    m_clrSelText = RGB(255, 255, 255);
    m_pFont = m_nColumn == 0 ? GetCommonVar()->GetFont(CommonVar::Font::Shared14) : nullptr;
    GridTextField::Draw(dc);
}

// ---------------------------------------------------------------- candidate list

CKeyboardWnd::CKeyboardWnd() {
    m_results.SetAscending(true);
}

int CKeyboardWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    m_grid.m_fnFillPage = [this] { FillPage(); };
    m_grid.m_titles.clear();
    m_grid.AddTitle("", 100);
    m_grid.AddTitle("", 150);
    m_grid.AddTitle("", 75);
    m_grid.m_nColumnCount = 3;
    m_grid.m_gridbk = RGB(205, 205, 205);
    m_grid.m_gridhighbk = RGB(93, 109, 132);
    m_grid.m_bShowTitle = 0;
    m_grid.m_bShowGridline = 0;
    m_grid.m_nLineHeight = 24;
    m_grid.m_bNeedVScroll = 1;
    m_grid.m_vScroll.SetColors(RGB(205, 205, 205), RGB(138, 147, 161));
    m_grid.Attach(this);
    return 0;
}

void CKeyboardWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    m_rcGrid = CRect(10, 8, cx - 8, cy - 10);
    m_grid.SetRect(m_rcGrid);
}

void CKeyboardWnd::Paint(CDC* dc) {
    CRect rc;
    GetClientRect(&rc);
    dc->FillSolidRect(&rc, kBorder);
    CRect inside = rc;
    inside.DeflateRect(1, 1);
    dc->FillSolidRect(&inside, kBack);
    m_grid.Draw(dc);
}

void CKeyboardWnd::OnPaint() {
    CPaintDC dc(this);
    Paint(&dc);
}

void CKeyboardWnd::OnLButtonDblClk(UINT, CPoint pt) {
    int row = m_grid.HitTestRow(pt.x, pt.y);
    if (row < 0) return;
    m_grid.m_nSelectedRow = int16_t(row);
    Invalidate(TRUE);
}

void CKeyboardWnd::OnActivate(UINT state, CWnd*, BOOL) {
    if (state == 0 /* WA_INACTIVE */ && m_pInput) m_pInput->Cancel();
}

LRESULT CKeyboardWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_CODE_REFRESH) {
        Refresh();
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CKeyboardWnd::Refresh() {
    if (m_pInput) {
        if (CDataCenter* dc = m_pInput->DataCenter()) m_pInput->m_matcher.Refresh(*dc);
        m_pInput->m_matcher.Match(m_strSearch, m_results);
    }
    // The grid counts rows in 16 bits; a list longer than that is cut (nobody pages it).
    m_grid.m_nRowCount = int16_t(std::min<size_t>(m_results.size(), 32767));
    m_grid.m_nTopRow = 0;
    if (m_grid.m_nRowCount) m_grid.m_nSelectedRow = 0;
    m_grid.SetRect(m_rcGrid);
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CKeyboardWnd::MoveSelection(int selDelta, int topDelta) {
    if (m_results.empty() || m_grid.m_nRowCount == 0) return;
    int sel = std::clamp(m_grid.m_nSelectedRow + selDelta, 0, m_grid.m_nRowCount - 1);
    m_grid.m_nSelectedRow = int16_t(sel);
    if (m_grid.SetTopRow(m_grid.m_nTopRow + topDelta)) {
        m_grid.InvalidateHost();
    } else if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CKeyboardWnd::PageDown() { MoveSelection(m_grid.m_nPageRows, m_grid.m_nPageRows); }
void CKeyboardWnd::PageUp() { MoveSelection(-m_grid.m_nPageRows, -m_grid.m_nPageRows); }
void CKeyboardWnd::LineDown() { MoveSelection(1, 1); }
void CKeyboardWnd::LineUp() { MoveSelection(-1, -1); }

bool CKeyboardWnd::Choose() {
    int count = m_grid.m_nRowCount;
    if (count == 0 || count != int(std::min<size_t>(m_results.size(), 32767)) ||
        m_grid.m_nSelectedRow < 0 || m_grid.m_nSelectedRow >= count)
        return false;
    m_chosen = m_results[size_t(m_grid.m_nSelectedRow)];
    if (m_pInput && m_pInput->m_onChosen) m_pInput->m_onChosen(m_chosen);
    if (m_pNotify && m_pNotify->m_hWnd) m_pNotify->PostMessage(UM_CODE_CHOSEN, 0, 0);
    return true;
}

void CKeyboardWnd::FillPage() {
    int top = m_grid.m_nTopRow;
    int count = std::min<int>(int(m_results.size()), m_grid.m_nRowCount);
    int n = top < count ? std::min<int>(m_grid.m_nPageRows, count - top) : 0;
    m_grid.ResizePage(n, 3, [] { return std::make_shared<CKeyBoardFiled>(); });
    for (int i = 0; i < n; ++i) {
        const CInputResult& r = m_results[size_t(top + i)];
        const std::string texts[3] = {r.code, r.name, MarketNameOf(MarketOfKey(r.key))};
        auto& cells = m_grid.m_rows[size_t(i)]->m_cells;
        for (int c = 0; c < 3; ++c) static_cast<CKeyBoardFiled&>(*cells[size_t(c)]).m_strText = texts[c];
    }
}

// ---------------------------------------------------------------- the input

InputCodeWnd::InputCodeWnd() {
    SetTypeName("InputCodeWnd");
    m_list.m_pInput = this;
}

InputCodeWnd::~InputCodeWnd() {
    RemoveKeyFilter();
}

CDataCenter* InputCodeWnd::DataCenter() const {
    return m_pDataCenter ? m_pDataCenter : GetDataCenter();
}

void CKeyBoardEdit::ShowPrompt() {
    if (m_hWnd) SetWindowText(m_strPrompt);
    m_bShowingPrompt = 1;
}

LRESULT CKeyBoardEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_LBUTTONUP) return CMyEditCtrl::WindowProc(msg, wParam, lParam);
    LRESULT r = CMyEditCtrl::WindowProc(msg, wParam, lParam);
    if (m_bShowingPrompt) {
        m_bShowingPrompt = 0;
        SetWindowText("");
    }
    return r;
}

int InputCodeWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CElementWnd::OnCreate(cs) == -1) return -1;
    // Edits and dialog controls share one window-id counter.
    m_edit.m_nCommandId = 0;
    m_edit.m_rcPlace = CRect(0, 0, 0, 0);
    m_edit.m_clrBk = m_clrBack;
    m_edit.m_clrNormalBorder = m_clrBorder;
    m_edit.m_clrHighBorder = m_clrBorderHot;
    m_edit.m_clrDisabledBorder = m_clrBorder;
    m_edit.m_clrText = m_clrText;
    m_edit.m_clrDisabledBk = m_clrDisabledBack;
    m_edit.m_clrDisabledText = m_clrDisabledText;
    m_edit.m_bHasBorder = m_bBorder != 0;
    m_edit.CreateEdit(this);
    m_edit.SetColors(m_clrText, m_clrBack);
    if (CFont* f = GetCommonVar()->GetFont(CommonVar::Font::ElementBar)) m_edit.SetFont(f, FALSE);
    m_edit.m_strPrompt = m_strPrompt;
    m_edit.ShowPrompt();
    m_bPromptShown = 1;
    m_list.CreateEx(WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP, CRect(0, 0, 0, 0), this, 0);
    m_list.m_pInput = this;
    m_list.m_pNotify = m_pNotify;
    return 0;
}

void InputCodeWnd::OnDestroy() {
    RemoveKeyFilter();
    if (m_list.m_hWnd) m_list.DestroyWindow();
    if (m_edit.m_hWnd) m_edit.DestroyWindow();
    CElementWnd::OnDestroy();
}

void InputCodeWnd::RecalcLayout() {
    if (m_edit.m_hWnd) m_edit.MoveWindow(&m_rcClient, FALSE);
    CElementWnd::RecalcLayout();
}

void InputCodeWnd::DrawClient(CDC* dc) {
    dc->FillSolidRect(&m_rcContent, GetCommonVar()->GetColor(CommonColor::uniStatus_Back));
}

std::string InputCodeWnd::GetEditText() const {
    return m_edit.m_hWnd ? m_edit.GetWindowText() : std::string();
}

void InputCodeWnd::AddChar(UINT ch) {
    if (ch == 0 || !m_edit.m_hWnd) return;
    if (m_bPromptShown) {
        m_edit.SetWindowText("");
        m_edit.m_bShowingPrompt = 0;
        m_bPromptShown = 0;
    }
    std::string text = m_edit.GetWindowText();
    if (int(text.size()) >= kMaxChars) return;
    // Only ASCII reaches the upper-casing: IME text and GBK bytes are not codes.
    if (!IsCodeInputChar(ch)) return;
    char c = char(ch);
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    text.push_back(c);
    m_edit.SetWindowText(text);
    m_edit.SetSel(int(text.size()), int(text.size()));
    Search();
}

void InputCodeWnd::Backspace() {
    std::string text = m_bPromptShown ? std::string() : GetEditText();
    if (text.size() > 1) {
        text.pop_back();
        m_edit.SetWindowText(text);
        m_edit.SetSel(int(text.size()), int(text.size()));
        Search();
    } else {
        Cancel();
    }
}

void InputCodeWnd::Cancel() {
    if (m_edit.m_hWnd) {
        m_edit.m_strPrompt = m_strPrompt;
        m_edit.ShowPrompt();
    }
    m_bPromptShown = 1;
    if (m_list.m_hWnd) m_list.ShowWindow(SW_HIDE);
    RemoveKeyFilter();
}

void InputCodeWnd::Enter() {
    // Hidden first: the list losing activation cancels, which must not undo the emptying.
    if (m_list.m_hWnd) m_list.ShowWindow(SW_HIDE);
    RemoveKeyFilter();
    if (m_edit.m_hWnd) m_edit.SetWindowText("");
    m_edit.m_bShowingPrompt = 0;
    m_bPromptShown = 0;
    m_list.Choose();
}

void InputCodeWnd::Search() {
    m_list.m_results.clear();
    m_list.m_grid.m_nTopRow = 0;
    m_list.m_grid.m_nRowCount = 0;
    std::string text = m_bPromptShown ? std::string() : GetEditText();
    if (text.empty()) {
        if (m_list.m_hWnd) m_list.ShowWindow(SW_HIDE);
        RemoveKeyFilter();
        return;
    }
    if (!IsListShown() && m_list.m_hWnd) {
        // A typing session starts: pick up securities named since the last one.
        if (CDataCenter* dc = DataCenter()) m_matcher.Rebuild(*dc);
        CRect rc = m_rcContent;
        ClientToScreen(&rc);
        m_list.SetWindowPos(nullptr, rc.left - 120, rc.top - 238, 360, 236, SWP_NOZORDER | SWP_NOACTIVATE);
        m_list.ShowWindow(SW_SHOWNOACTIVATE);
        InstallKeyFilter();
    }
    m_list.m_strSearch = text;
    if (m_list.m_hWnd) m_list.PostMessage(UM_CODE_REFRESH, 0, 0);
}

bool InputCodeWnd::OnListKey(UINT vk) {
    switch (vk) {
        case VK_ESCAPE: Cancel(); return true;
        case VK_BACK: Backspace(); return true;
        case VK_RETURN: Enter(); return true;
        case VK_NEXT: m_list.PageDown(); return true;
        case VK_PRIOR: m_list.PageUp(); return true;
        case VK_DOWN: m_list.LineDown(); return true;
        case VK_UP: m_list.LineUp(); return true;
        default: break;
    }
    if (char c = CodeCharOfKey(vk)) {
        AddChar(UINT(static_cast<unsigned char>(c)));
        return true;
    }
    return false;
}

void InputCodeWnd::InstallKeyFilter() {
    if (m_nKeyFilter) return;
    m_nKeyFilter = platform::AddKeyFilter([this](MSG& msg) { return FilterKey(msg); });
}

bool InputCodeWnd::FilterKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    // The user went on typing into another text control: the list is left, not fed.
    if (msg.hwnd && msg.hwnd != m_edit.m_hWnd && dynamic_cast<CNativeCtrl*>(CWnd::FromHandle(msg.hwnd))) {
        Cancel();
        return false;
    }
    return OnListKey(UINT(msg.wParam));
}

void InputCodeWnd::RemoveKeyFilter() {
    if (!m_nKeyFilter) return;
    platform::RemoveKeyFilter(m_nKeyFilter);
    m_nKeyFilter = 0;
}

BOOL InputCodeWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_CHAR || (msg->hwnd != m_hWnd && msg->hwnd != m_edit.m_hWnd))
        return CElementWnd::PreTranslateMessage(msg);
    UINT ch = UINT(msg->wParam);
    if (ch == VK_ESCAPE || ch == VK_RETURN) return FALSE;
    if (ch == VK_BACK)
        Backspace();
    else if (IsCodeInputChar(ch))
        AddChar(ch);
    return TRUE;  // anything else is not part of a code
}
