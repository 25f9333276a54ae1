#include "chart/DrawToolPicker.h"

#include <algorithm>
#include <future>
#include <mutex>
#include <system_error>

#include "foundation/MyLog.h"
#include "platform/App.h"
#include "platform/Resource.h"
#include "ui/CommonVar.h"
#include "ui/element/ElementEnv.h"

namespace chart {

namespace {

std::vector<PickerGroup> MakeGroups() {
    std::vector<PickerGroup> groups = {
        {"直线",
         {{11, -1, 50006, "直线"}, {13, -1, 50008, "射线"}, {12, -1, 50007, "线段"}, {5, -1, 50000, "折线"},
          {15, -1, 50010, "水平"}, {14, -1, 50009, "垂直"}, {16, -1, 50011, "平行线"}}},
        {"黄金分割",
         {{22, -1, 50017, "黄金分割"}, {23, -1, 50018, "黄金分割A"}, {24, -1, 50019, "黄金分割B"},
          {25, -1, 50020, "百分比"}, {26, -1, 50021, "自由比例"}, {27, -1, 50022, "幅度尺"},
          {28, -1, 50023, "波浪尺"}, {29, -1, 50024, "转折尺"}, {30, -1, 50025, "量度目标"},
          {31, -1, 50026, "解消点"}, {32, -1, 50027, "面积比例"}}},
        {"三浪线",
         {{17, -1, 50012, "三浪线"}, {18, -1, 50013, "五浪线"}, {19, -1, 50014, "八浪线"},
          {20, -1, 50015, "头肩形"}, {21, -1, 50016, "M头W底"}}},
        {"矩形",
         {{41, -1, 50036, "矩形"}, {42, -1, 50037, "时空矩形"}, {43, -1, 50038, "箱体形"},
          {44, -1, 50039, "三角形"}, {45, -1, 50040, "平行四边形"}, {46, -1, 50041, "线形回归"},
          {47, -1, 50042, "线形回归带"}, {48, -1, 50043, "回归通道"}, {49, -1, 50044, "上下通道"}}},
        {"周期线",
         {{33, -1, 50028, "周期线"}, {38, -1, 50033, "周期尺"}, {39, -1, 50034, "对称线"},
          {34, -1, 50029, "斐波那契周期"}, {36, -1, 50031, "斐波那契时间"}, {37, -1, 50032, "时间尺"}}},
        {"江恩角度",
         {{58, -1, 50053, "江恩角度"}, {59, -1, 50054, "江恩箱"}, {60, -1, 50055, "速阻线"},
          {61, -1, 50056, "安德鲁音叉线"}, {62, -1, 50057, "多通道线"}, {63, -1, 50058, "栅形线"},
          {40, -1, 50035, "对称角度"}}},
        {"圆形",
         {{50, -1, 50045, "圆形"}, {51, -1, 50046, "椭圆"}, {52, -1, 50047, "费氏圆"}, {53, -1, 50048, "圆弧"},
          {54, -1, 50049, "抛物线"}, {55, -1, 50050, "三点曲线"}, {56, -1, 50051, "正弦线"},
          {57, -1, 50052, "对数螺旋线"}}},
        {"文本工具", {}},
    };
    // The text tool, then the symbols: arrows of the trade marks, forty characters, the price tag.
    std::vector<PickerEntry>& text = groups.back().entries;
    text.push_back({64, -1, 50059, ""});
    text.push_back({65, 2000, 50060, ""});
    text.push_back({65, 2001, 50061, ""});
    for (int v = 0; v < 40; ++v) text.push_back({65, v, static_cast<UINT>(50062 + v), ""});
    text.push_back({65, 1000, 50102, ""});
    return groups;
}

}  // namespace

const std::vector<PickerGroup>& PickerGroups() {
    static const std::vector<PickerGroup> groups = MakeGroups();
    return groups;
}

bool PickerCommandToTool(UINT command, int& tool, int& variant) {
    variant = -1;
    if (command >= 50000 && command <= 50059) {
        tool = static_cast<int>(command) - 49995;
        return true;
    }
    if (command < 50060 || command > 50102) return false;
    tool = 65;
    if (command == 50060) variant = 2000;
    else if (command == 50061) variant = 2001;
    else if (command == 50102) variant = 1000;
    else variant = static_cast<int>(command) - 50062;
    return true;
}

std::vector<UINT> PickerIconCommands() {
    std::vector<UINT> ids;
    for (UINT id = 50000; id <= 50058; ++id) ids.push_back(id);
    for (UINT id = 50103; id <= 50117; ++id) ids.push_back(id);
    for (UINT id = 50059; id <= 50102; ++id) ids.push_back(id);
    return ids;
}

}  // namespace chart

using namespace chart;

// ---- ElementBarIcons ----

bool ElementBarIcons::LoadIconSet(const std::vector<UINT>& words, COLORREF mask) {
    if (words.size() < 3) return false;
    std::vector<UINT> ids;
    for (size_t i = 3; i < words.size() && words[i] != 0; ++i) ids.push_back(words[i]);
    if (ids.empty()) return false;
    return LoadBitmap(words[0], ids, static_cast<int>(words[1]), static_cast<int>(words[2]), mask) &&
           MatchIcon(ids.front()) >= 0;
}

// ---- BarDrawToolMenuItem ----

BarDrawToolMenuItem::BarDrawToolMenuItem(UINT flags, UINT id, std::string text, int value,
                                         std::shared_ptr<ElementBarIcons> icons)
    : CElementMenuItem(flags, id, std::move(text), value), m_pIcons(std::move(icons)) {
    UpdateIconIndex();
}

void BarDrawToolMenuItem::UpdateIconIndex() {
    m_nIconIndex = m_pIcons ? m_pIcons->MatchIcon(m_nCommandId) : -1;
}

int BarDrawToolMenuItem::Measure(CDC* dc, CFont* font, int barHeight, int reserved) {
    if (m_nIconIndex < 0 || !m_pIcons) return CElementMenuItem::Measure(dc, font, barHeight, reserved);
    m_nWidth = m_pIcons->GetIconSize().cx + 14 - (HasChildren() ? 0 : 12);
    return m_nWidth;
}

void BarDrawToolMenuItem::AppendToMenu(CMenu* menu, CWnd* owner) {
    if (!menu) return;
    auto* skin = dynamic_cast<CSkinMenu*>(menu);
    if (skin) skin->SetImageList(&ElementBarDrawTool::ImageList(0));
    if (HasChildren()) {
        if (m_pMenu) m_pMenu->DestroyMenu();
        m_pMenu.reset();
        CSkinMenu1 sub;
        if (!sub.CreatePopupMenu()) return;
        for (const auto& child : m_aChildren) child->AppendToMenu(&sub, owner);
        const HMENU handle = sub.Detach();
        const bool added = skin ? skin->AppendMenuA(MF_POPUP, reinterpret_cast<UINT_PTR>(handle), m_strText.c_str(),
                                                     m_nIconIndex)
                                : menu->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(handle), m_strText.c_str());
        if (!added) {
            CMenu orphan;
            orphan.Attach(handle);
            orphan.DestroyMenu();
        }
        return;
    }
    if (IsSeparator()) {
        menu->AppendMenu(MF_SEPARATOR, 0, nullptr);
        return;
    }
    if (m_nFlags & ~kBarItemColumnBreak) return;
    const int state = QueryState(owner, m_nCommandId);
    UINT flags = MF_STRING | (m_nFlags & kBarItemColumnBreak);
    if (state & 2) flags |= MF_CHECKED;
    if (!(state & 1)) flags |= MF_DISABLED;
    if (skin && m_nIconIndex >= 0)
        skin->AppendMenuA(flags, m_nCommandId, m_strText.c_str(), m_nIconIndex);
    else
        menu->AppendMenu(flags, m_nCommandId, m_strText.c_str());
}

void BarDrawToolMenuItem::Draw(CDC* dc, CFont* font, CRect& cursor, int state, int reserved, int width) {
    if (m_nIconIndex < 0 || !m_pIcons || !dc) {
        CElementMenuItem::Draw(dc, font, cursor, state, reserved, width);
        return;
    }
    const int w = width >= 0 ? width : m_nWidth;
    const CRect rc(cursor.left, cursor.top, cursor.left + w - 1, cursor.bottom);
    const bool entries = HasChildren();
    const bool pressed = state & kItemStatePressed;
    const bool arrowHover = state & kItemStateArrowHover;
    m_rcArrow.SetRectEmpty();
    m_rcMain = rc;
    if (entries) {
        m_rcArrow = CRect(rc.right - 14, rc.top, rc.right, rc.bottom);
        m_rcMain.right = m_rcArrow.left;
    }
    dc->FillSolidRect(&m_rcMain, ElementColour(CommonColor::uniMenuBar_Title));
    const CSize icon = m_pIcons->GetIconSize();
    const CPoint at(rc.left + (w + (entries ? 0 : 14) - icon.cx - 14) / 2, rc.top + (rc.Height() - icon.cy) / 2);
    if (pressed && ElementBarDrawTool::ImageList(1).GetImageCount() > m_nIconIndex)
        ElementBarDrawTool::ImageList(1).Draw(dc, m_nIconIndex, at, ILD_TRANSPARENT);
    else
        m_pIcons->DrawIcon(dc, m_nCommandId, at, FALSE);
    if (entries) {
        if (arrowHover)
            dc->FillSolidRect(&m_rcArrow, ElementColour(CommonColor::uniMenuBar_Active));
        else if (!pressed)
            dc->FillSolidRect(&m_rcArrow, ElementColour(CommonColor::uniMenuBar_Title));
        DrawArrow(dc, m_rcArrow,
                  ElementColour(arrowHover ? CommonColor::uniMenuBar_TextActive : CommonColor::uniMenuBar_Text));
    }
    cursor.left += w;
}

// ---- ElementBarDrawTool ----

namespace {
struct PickerImages {
    std::shared_ptr<ElementBarIcons> icons = std::make_shared<ElementBarIcons>();
    CImageList lists[3];
};

// The pictures, and their load when it runs in the background. A load still running when
// the program ends is waited for before the pictures go.
struct PickerState {
    PickerImages images;
    std::mutex lock;  // guards `loading`
    std::shared_future<bool> loading;
    ~PickerState() { WaitForLoad(); }
    void WaitForLoad() {
        std::shared_future<bool> running;
        {
            std::lock_guard guard(lock);
            running = loading;
        }
        if (running.valid()) running.wait();
    }
};

PickerState& State() {
    static PickerState state;
    return state;
}

PickerImages& Images() {
    PickerState& state = State();
    state.WaitForLoad();
    return state.images;
}

bool LoadInto(PickerImages& images) {
    GetAppLog().WriteLog("%s %d", "ElementBarDrawTool::LoadImageList", __LINE__);
    const UINT bitmaps[3] = {kPickerBitmapNormal, kPickerBitmapPressed, kPickerBitmapDisabled};
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        CImageList& list = images.lists[i];
        if (list.IsCreated() && list.GetImageCount() > 0) continue;
        list.Create(22, 22, ILC_COLOR32, 0, 10);
        CBitmap bmp;
        ok = bmp.LoadBitmap(bitmaps[i]) && list.Add(&bmp, static_cast<COLORREF>(CLR_NONE)) >= 0 && ok;
    }
    if (images.icons->GetCount() == 0) {
        int w = 0, h = 0;
        std::vector<UINT> ids;
        if (!platform::LoadToolBarResource(kPickerToolBar, w, h, ids)) return false;
        std::vector<UINT> words = {kPickerToolBar, static_cast<UINT>(w), static_cast<UINT>(h)};
        for (UINT id : ids)
            if (id) words.push_back(id);
        words.push_back(0);
        ok = images.icons->LoadIconSet(words, kPickerMask) && ok;
    }
    return ok;
}
}  // namespace

std::shared_ptr<ElementBarIcons> ElementBarDrawTool::Icons() { return Images().icons; }

CImageList& ElementBarDrawTool::ImageList(int look) { return Images().lists[std::clamp(look, 0, 2)]; }

bool ElementBarDrawTool::LoadImageList() {
    return LoadInto(Images());
}

void ElementBarDrawTool::LoadImageListInBackground() {
    PickerState& state = State();
    std::lock_guard guard(state.lock);
    if (state.loading.valid()) return;
    try {
        // Pictures only (no window is involved): decoding them may happen on any thread.
        state.loading =
            std::async(std::launch::async, [&state] { return LoadInto(state.images); }).share();
    } catch (const std::system_error&) {
        // no thread to be had: the first who asks loads them
    }
}

std::shared_ptr<CElementMenuItem> ElementBarDrawTool::CreateItem(UINT flags, UINT id, const std::string& text,
                                                                 int value) {
    return std::make_shared<BarDrawToolMenuItem>(flags, id, text, value, Icons());
}

void ElementBarDrawTool::SyncItemState(CElementMenuItem& item) {
    auto* tool = dynamic_cast<BarDrawToolMenuItem*>(&item);
    if (!tool || !item.HasChildren()) {
        CElementBarMenu::SyncItemState(item);
        return;
    }
    item.m_bPressed = 0;
    for (const auto& child : item.m_aChildren)
        if (QueryOwnerState(child->m_nCommandId) & 2) {
            item.m_nCommandId = child->m_nCommandId;
            tool->UpdateIconIndex();
            item.m_bPressed = 1;
            return;
        }
}

void ElementBarDrawTool::AddToolItems() {
    static bool triedImages = false;
    if (!triedImages && Icons()->GetCount() == 0) {
        triedImages = true;
        LoadImageList();
    }
    RemoveAllItems();
    bool first = true;
    for (const PickerGroup& group : PickerGroups()) {
        const PickerEntry& head = group.entries.front();
        auto button = AppendItem(first ? kBarItemGroupStart : 0, head.command,
                                 *head.name ? head.name : group.text, 101);
        first = false;
        int k = 0;
        const bool grid = head.command == kCmdTextTool;
        for (const PickerEntry& e : group.entries) {
            const UINT flags = grid && k % 6 == 0 ? kBarItemColumnBreak : 0;
            button->AddChild(*this, flags, e.command, e.name, 101);
            ++k;
        }
    }
    AppendItem(kBarItemSeparator, 0, "", 0);
    AppendItem(kBarItemSeparator, 0, "", 0);
    AppendItem(0, kCmdEraser, "橡皮擦", 101);
    AppendItem(kBarItemGroupStart, kCmdBin, "清除", 101);
    AppendItem(kBarItemGroupStart, kCmdLineSettings, "画线设置", 101);
}

UINT ElementBarDrawTool::TrackDropDown(CElementMenuItem& item, CPoint screen) {
    const bool grid = std::any_of(item.m_aChildren.begin(), item.m_aChildren.end(),
                                  [](const auto& c) { return (c->m_nFlags & kBarItemColumnBreak) != 0; });
    if (!grid) return CElementBarMenu::TrackDropDown(item, screen);
    CPickerGridPopup popup(item.m_aChildren, GetOwnerWnd());
    return popup.Track(screen);
}

// ---- CPickerGridPopup ----

namespace {
CPickerGridPopup* g_currentGrid = nullptr;
}

CPickerGridPopup* CPickerGridPopup::Current() { return g_currentGrid; }

CPickerGridPopup::CPickerGridPopup(const std::vector<std::shared_ptr<CElementMenuItem>>& entries, CWnd* owner)
    : m_entries(entries), m_pOwner(owner) {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_columns.empty() || (m_entries[i]->m_nFlags & kBarItemColumnBreak)) m_columns.emplace_back();
        m_columns.back().push_back(static_cast<int>(i));
    }
}

CRect CPickerGridPopup::CellRect(int column, int row) const {
    return CRect(2 + column * kCell, 2 + row * kCell, 2 + (column + 1) * kCell, 2 + (row + 1) * kCell);
}

int CPickerGridPopup::HitCell(CPoint pt) const {
    for (size_t c = 0; c < m_columns.size(); ++c)
        for (size_t r = 0; r < m_columns[c].size(); ++r)
            if (CellRect(static_cast<int>(c), static_cast<int>(r)).PtInRect(pt)) return m_columns[c][r];
    return -1;
}

UINT CPickerGridPopup::Track(CPoint screen) {
    if (m_entries.empty()) return 0;
    m_states.clear();
    for (const auto& e : m_entries)
        m_states.push_back(m_pOwner && m_pOwner->m_hWnd ? static_cast<int>(m_pOwner->SendMessage(kBarMsgState, e->m_nCommandId, 0)) : 0);
    size_t rows = 0;
    for (const auto& c : m_columns) rows = std::max(rows, c.size());
    const int w = 4 + static_cast<int>(m_columns.size()) * kCell;
    const int h = 4 + static_cast<int>(rows) * kCell;
    if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, "", WS_POPUP, CRect(screen.x, screen.y, screen.x + w, screen.y + h),
                  nullptr, 0))
        return 0;
    // Shown without taking the keyboard from the chart; Escape is caught application-wide.
    ShowWindow(SW_SHOWNOACTIVATE);
    SetCapture();
    CPickerGridPopup* outer = g_currentGrid;
    g_currentGrid = this;
    const int cookie = platform::AddKeyFilter([this](MSG& msg) {
        return msg.message == WM_KEYDOWN && OnKey(static_cast<UINT>(msg.wParam));
    });
    m_bRunning = true;
    RunModalLoop();
    m_bRunning = false;
    platform::RemoveKeyFilter(cookie);
    g_currentGrid = outer;
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    DestroyWindow();
    return m_nChosen;
}

// The first of a choice and a cancel ends the grid; what comes after it changes nothing.
void CPickerGridPopup::Choose(int entry) {
    if (!m_bRunning || entry < 0 || entry >= static_cast<int>(m_entries.size())) return;
    if (!(m_states[static_cast<size_t>(entry)] & 1)) return;  // disabled
    m_nChosen = m_entries[static_cast<size_t>(entry)]->m_nCommandId;
    m_bRunning = false;
    EndModalLoop(1);
}

void CPickerGridPopup::Cancel() {
    if (!m_bRunning) return;
    m_nChosen = 0;
    m_bRunning = false;
    EndModalLoop(0);
}

bool CPickerGridPopup::OnKey(UINT key) {
    if (key == VK_ESCAPE) {
        Cancel();
        return true;
    }
    if (key == VK_RETURN) {
        Choose(m_nHot);
        return true;
    }
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
    if (m_columns.empty()) return true;
    int column = 0, row = 0;
    bool found = false;
    for (size_t c = 0; c < m_columns.size() && !found; ++c)
        for (size_t r = 0; r < m_columns[c].size(); ++r)
            if (m_columns[c][r] == m_nHot) {
                column = static_cast<int>(c);
                row = static_cast<int>(r);
                found = true;
                break;
            }
    if (found) {
        const int columns = static_cast<int>(m_columns.size());
        if (key == VK_LEFT) column = std::max(0, column - 1);
        if (key == VK_RIGHT) column = std::min(columns - 1, column + 1);
        if (key == VK_UP) row = std::max(0, row - 1);
        if (key == VK_DOWN) ++row;
        row = std::min(row, static_cast<int>(m_columns[static_cast<size_t>(column)].size()) - 1);
    }
    m_nHot = m_columns[static_cast<size_t>(column)][static_cast<size_t>(row)];
    if (m_hWnd) Invalidate(FALSE);
    return true;
}

void CPickerGridPopup::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, ElementColour(CommonColor::uniMenuBar_Back));
    dc.FillSolidRect(rc.left, rc.top, rc.Width(), 1, ElementColour(CommonColor::uniWnd_Border));
    dc.FillSolidRect(rc.left, rc.bottom - 1, rc.Width(), 1, ElementColour(CommonColor::uniWnd_Border));
    dc.FillSolidRect(rc.left, rc.top, 1, rc.Height(), ElementColour(CommonColor::uniWnd_Border));
    dc.FillSolidRect(rc.right - 1, rc.top, 1, rc.Height(), ElementColour(CommonColor::uniWnd_Border));
    std::shared_ptr<ElementBarIcons> icons = ElementBarDrawTool::Icons();
    const CSize size = icons->GetIconSize();
    for (size_t c = 0; c < m_columns.size(); ++c)
        for (size_t r = 0; r < m_columns[c].size(); ++r) {
            const int entry = m_columns[c][r];
            const CRect cell = CellRect(static_cast<int>(c), static_cast<int>(r));
            const int state = m_states[static_cast<size_t>(entry)];
            if (entry == m_nHot && (state & 1))
                dc.FillSolidRect(&cell, ElementColour(CommonColor::uniMenuBar_Active));
            else if (state & 2)
                dc.FillSolidRect(&cell, ElementColour(CommonColor::uniMenuBar_Title));
            const CPoint at(cell.left + (cell.Width() - size.cx) / 2, cell.top + (cell.Height() - size.cy) / 2);
            const UINT id = m_entries[static_cast<size_t>(entry)]->m_nCommandId;
            const int index = icons->MatchIcon(id);
            if (!(state & 1) && index >= 0 && ElementBarDrawTool::ImageList(2).GetImageCount() > index)
                ElementBarDrawTool::ImageList(2).Draw(&dc, index, at, ILD_TRANSPARENT);
            else if (index >= 0)
                icons->DrawIcon(&dc, id, at, FALSE);
        }
}

void CPickerGridPopup::OnMouseMove(UINT flags, CPoint pt) {
    const int hot = HitCell(pt);
    if (hot != m_nHot) {
        m_nHot = hot;
        Invalidate(FALSE);
    }
}

void CPickerGridPopup::OnLButtonDown(UINT flags, CPoint pt) {
    CRect rc;
    GetClientRect(&rc);
    if (!rc.PtInRect(pt)) Cancel();
}

void CPickerGridPopup::OnLButtonUp(UINT flags, CPoint pt) {
    const int entry = HitCell(pt);
    if (entry >= 0) Choose(entry);
}

LRESULT CPickerGridPopup::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CAPTURECHANGED && m_bRunning && reinterpret_cast<HWND>(lParam) != m_hWnd) Cancel();
    return CWnd::WindowProc(msg, wParam, lParam);
}
