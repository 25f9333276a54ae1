#include "ui/dialog/ScrollControlWnd.h"

#include <tinyxml2.h>

#include <algorithm>

#include "ui/CommonVar.h"
#include "ui/dialog/SkinXml.h"
#include "ui/grid/ScrollStripLayout.h"

namespace {

void DrawTag(StaticEx* tag, CDC* dc) {
    if (tag->m_bHidden) return;
    const CRect& rc = tag->m_rect;
    dc->FillSolidRect(&rc, RGB(165, 170, 179));
    CFont* old = dc->SelectObject(GetCommonVar()->GetFont(CommonVar::kFontSong12));
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(tag->m_clrText);
    CRect text = rc;
    dc->DrawText(tag->m_strText, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(old);
    if (!tag->m_bSelected) return;
    CPen outline(PS_SOLID, 1, RGB(93, 109, 132));
    CPen* oldPen = dc->SelectObject(&outline);
    dc->MoveTo(rc.left, rc.top);
    dc->LineTo(rc.left, rc.bottom);
    dc->LineTo(rc.right, rc.bottom);
    dc->LineTo(rc.right, rc.top);
    tag->m_rcClose = scroll_strip::TagCloseBox(rc);
    CPen cross(PS_SOLID, 2, RGB(50, 60, 74));
    dc->SelectObject(&cross);
    const CRect& c = tag->m_rcClose;
    dc->MoveTo(c.left, c.top);
    dc->LineTo(c.right, c.bottom);
    dc->MoveTo(c.left, c.bottom);
    dc->LineTo(c.right, c.top);
    dc->SelectObject(oldPen);
}

}  // namespace

CScrollControlWnd::CScrollControlWnd() { m_scroll.m_fnFillPage = [this] { FillPage(); }; }

CScrollControlWnd::~CScrollControlWnd() {
    if (m_hWnd) DestroyWindow();
}

void CScrollControlWnd::LoadSkin(const tinyxml2::XMLElement* element) {
    if (!element) return;
    m_rcPlace = skinxml::ReadRect(element, "rect");
    skinxml::Rgb rgb;
    if (skinxml::Attr(element, "colorbk")) m_clrBk = rgb.Read(element, "colorbk");
    if (const auto* style = element->FirstChildElement("ScrollUI")) m_scroll.LoadStyle(style);
    for (const auto* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        const std::string name = child->Name();
        if (name == "static") {
            auto item = std::make_shared<StaticEx>();
            item->LoadFromXml(child);
            m_items.push_back(item);
        } else if (name == "button") {
            auto button = std::make_shared<MyButton>();
            button->LoadFromXml(child);
            m_buttons.push_back(button);
        }
    }
    if (m_scroll.m_nColumnCount != 0)
        m_scroll.m_nRowCount = int16_t(scroll_strip::RowCount(int(m_buttons.size()), m_scroll.m_nColumnCount));
}

BOOL CScrollControlWnd::Create(CWnd* parent) {
    BOOL ok = CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, m_rcPlace, parent, UINT(NextControlId()));
    if (!ok) return ok;
    m_scroll.Attach(this);
    m_scroll.m_fnFillPage = [this] { FillPage(); };
    // Skin buttons belong to the dialog, not to the strip.
    for (auto& b : m_buttons)
        if (!b->m_hWnd) b->Create(b->m_strText.c_str(), 0, b->m_rcPlace, parent, UINT(b->m_nCommandId));
    OnSize();
    return ok;
}

int CScrollControlWnd::ColumnWidth() const { return m_rcClient.Width() / Columns(); }

void CScrollControlWnd::CreateButtons(const std::vector<std::string>& titles,
                                      const std::vector<std::string>& checked) {
    if (!m_bButtonsCreated) {
        m_bButtonsCreated = true;
        m_titles = titles;
        const int cols = Columns(), w = ColumnWidth(), h = m_scroll.m_nLineHeight;
        for (size_t i = 0; i < m_titles.size(); ++i) {
            const int n = int(i);
            auto b = std::make_shared<MyButton>();
            b->SetUpImageButton(scroll_strip::CheckButtonRect(n, cols, w, h), m_clrBk, 1000 + n, "");
            if (m_hWnd) b->Create("", 0, b->m_rcPlace, this, UINT(1000 + n));
            m_buttons.push_back(b);
            auto caption = std::make_shared<StaticEx>();
            caption->m_strText = m_titles[i];
            caption->m_rect = scroll_strip::CaptionRect(n, cols, w, h);
            caption->m_nWidth = caption->m_rect.Width();
            caption->m_nHeight = caption->m_rect.Height();
            caption->m_clrText = 0;
            caption->m_nFormat = 0;
            m_items.push_back(caption);
        }
        m_scroll.m_nRowCount = int16_t(scroll_strip::RowCount(int(m_buttons.size()), cols));
        if (m_hWnd) m_scroll.UpdateVScroll();
    }
    for (size_t i = 0; i < m_titles.size() && i < m_buttons.size(); ++i) {
        bool on = std::any_of(checked.begin(), checked.end(), [&](const std::string& c) {
            return skinxml::EqualsNoCase(c.c_str(), m_titles[i].c_str());
        });
        MyButton& b = *m_buttons[i];
        if (b.m_hWnd)
            b.SendMessage(BM_SETCHECK, on ? 1 : 0, 0);
        else
            b.m_nChecked = on ? 1 : 0;
    }
}

void CScrollControlWnd::SetItems(const std::vector<std::string>& texts) {
    m_items.clear();
    const int cols = Columns(), w = ColumnWidth(), h = m_scroll.m_nLineHeight;
    for (size_t i = 0; i < texts.size(); ++i) {
        auto tag = std::make_shared<StaticEx>();
        tag->m_strText = texts[i];
        tag->m_rect = scroll_strip::TagRect(int(i), cols, w, h);
        tag->m_nWidth = tag->m_rect.Width();
        tag->m_nHeight = tag->m_rect.Height();
        tag->m_clrText = 0;
        tag->m_nFormat = 0;
        tag->m_fnDraw = DrawTag;
        m_items.push_back(tag);
    }
    m_scroll.m_nRowCount = int16_t(scroll_strip::RowCount(int(m_items.size()), cols));
    if (m_hWnd) {
        m_scroll.UpdateVScroll();
        Invalidate(FALSE);
    }
}

void CScrollControlWnd::UncheckButton(const std::string& name) {
    for (size_t i = 0; i < m_titles.size() && i < m_buttons.size(); ++i) {
        if (!skinxml::EqualsNoCase(m_titles[i].c_str(), name.c_str())) continue;
        MyButton& b = *m_buttons[i];
        if (b.m_hWnd)
            b.SendMessage(BM_SETCHECK, 0, 0);
        else
            b.m_nChecked = 0;
        return;
    }
}

void CScrollControlWnd::FillPage() {
    const int cols = Columns(), h = m_scroll.m_nLineHeight;
    const int top = m_scroll.m_nTopRow, rows = m_scroll.m_nRowCount, page = m_scroll.m_nPageRows;
    const int y0 = m_rcClient.top;
    for (size_t i = 0; i < m_items.size(); ++i) {
        StaticEx& item = *m_items[i];
        const int r = scroll_strip::RowOf(int(i), cols);
        if (!scroll_strip::IsRowVisible(r, top, rows, page)) {
            item.m_bHidden = 1;
            continue;
        }
        const int height = item.m_rect.Height();
        item.m_rect.top = scroll_strip::VisibleTop(r, top, h, height, y0);
        item.m_rect.bottom = item.m_rect.top + height;
        item.m_bHidden = 0;
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        MyButton& b = *m_buttons[i];
        if (!b.m_hWnd) continue;
        const int r = scroll_strip::RowOf(int(i), cols);
        if (scroll_strip::IsRowVisible(r, top, rows, page)) {
            const int bh = b.m_rcPlace.Height();
            b.SetWindowPos(nullptr, b.m_rcPlace.left, scroll_strip::VisibleTop(r, top, h, bh, y0),
                           b.m_rcPlace.Width(), bh, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            b.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void CScrollControlWnd::OnLButtonUp(CPoint pt) {
    for (size_t i = 0; i < m_items.size(); ++i) {
        StaticEx& item = *m_items[i];
        if (item.m_bHidden || !item.m_rect.PtInRect(pt)) continue;
        if (item.m_bSelected) {
            if (item.m_rcClose.PtInRect(pt) && GetParent())
                GetParent()->PostMessage(UM_STRIP_REMOVE, WPARAM(i), 0);
            return;
        }
        for (auto& other : m_items) other->m_bSelected = 0;
        item.m_bSelected = 1;
        break;
    }
    Invalidate(FALSE);
}

void CScrollControlWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, m_clrBk);
    for (auto& item : m_items) item->Draw(&dc);
}

void CScrollControlWnd::OnSize() {
    GetClientRect(&m_rcClient);
    m_scroll.m_rcOuter = m_scroll.m_rcInner = m_rcClient;
    m_scroll.RecalcPage();
    if (m_scroll.m_hScroll.m_hWnd || m_scroll.m_vScroll.m_hWnd) {
        m_scroll.UpdateHScroll();
        m_scroll.UpdateVScroll();
    }
}

LRESULT CScrollControlWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            OnSize();
            break;
        case WM_LBUTTONUP:
            OnLButtonUp(CPoint(short(LOWORD(lParam)), short(HIWORD(lParam))));
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id >= 1000 && id <= 2000) {
                LRESULT check = 0;
                for (auto& b : m_buttons)
                    if (b->m_hWnd && b->m_nCommandId == id) {
                        check = b->SendMessage(BM_GETCHECK, 0, 0);
                        break;
                    }
                if (GetParent()) GetParent()->SendMessage(UM_STRIP_CHECK, WPARAM(id), check);
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            for (auto& b : m_buttons)
                if (b->m_hWnd) b->DestroyWindow();
            break;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
