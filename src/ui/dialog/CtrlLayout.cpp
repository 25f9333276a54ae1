#include "ui/dialog/CtrlLayout.h"

#include <tinyxml2.h>

#include <cstring>

#include "platform/Resource.h"
#include "ui/CommonVar.h"
#include "ui/dialog/SkinControls.h"
#include "ui/dialog/SkinScroll.h"
#include "ui/dialog/SkinXml.h"

namespace {
int g_nextControlId = 1000;
const ToolIconSet* g_toolIcons = nullptr;

CFont* CommonFont(int index) { return GetCommonVar()->GetFont(index); }
}  // namespace

int NextControlId() { return g_nextControlId++; }

// ---------------------------------------------------------------- StaticEx

void StaticEx::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rect = skinxml::ReadRect(e, "rect");
    m_nWidth = m_rect.Width();
    m_nHeight = m_rect.Height();
    skinxml::Rgb rgb;
    m_clrText = rgb.Read(e, "color");
    m_clrDisabled = rgb.Read(e, "disablecolor");
    if (const char* t = e->Attribute("text")) m_strText = t;
    m_nStaticID = skinxml::ReadInt(e, "staticID");
}

void StaticEx::Draw(CDC* dc) {
    if (m_fnDraw) {
        m_fnDraw(this, dc);
        return;
    }
    if (m_bHidden || m_strText.empty() || !dc) return;
    CFont* old = dc->SelectObject(m_pFont ? m_pFont : CommonFont(CommonVar::kFontSong12));
    dc->SetTextColor(m_bDisabled ? m_clrDisabled : m_clrText);
    CRect rc = m_rect;
    dc->DrawText(m_strText, &rc, m_nFormat ? m_nFormat : (DT_VCENTER | DT_SINGLELINE));
    dc->SelectObject(old);
}

// ---------------------------------------------------------------- MyButton

MyButton::MyButton() = default;
MyButton::~MyButton() = default;

void MyButton::SetToolIcons(const ToolIconSet* icons) { g_toolIcons = icons; }

void MyButton::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    m_rcPlace = skinxml::ReadRect(e, "rect");
    m_nWidth = m_rcPlace.Width();
    m_nHeight = m_rcPlace.Height();
    const char* type = e->Attribute("type");
    m_nType = type && !std::strcmp(type, "radio") ? kRadio : type && !std::strcmp(type, "check") ? kCheck : kPush;
    if (m_nType == kRadio) m_bGroup = skinxml::ReadFlag(e, "group");
    const char* draw = e->Attribute("drawtype");
    if (draw) {
        if (!std::strcmp(draw, "icon")) m_nDrawType = kDrawIcon;
        else if (!std::strcmp(draw, "png")) m_nDrawType = kDrawImage;
        else if (!std::strcmp(draw, "color")) m_nDrawType = kDrawColors;
        else if (!std::strcmp(draw, "Self")) m_nDrawType = kDrawCallback;
    }
    skinxml::Rgb rgb;
    if (m_nDrawType == kDrawColors) {
        static const char* const keys[3][2] = {{"colornormal", "colornormaltext"},
                                               {"colorHover", "colorHovertext"},
                                               {"colordisable", "colordisabletext"}};
        m_colors.clear();
        for (auto& k : keys) {
            stBtnColor c;
            c.bk = rgb.Read(e, k[0]);
            c.text = rgb.Read(e, k[1]);
            m_colors.push_back(c);
        }
    }
    if (m_nDrawType == kDrawImage) LoadImageStrip(UINT(skinxml::ReadInt(e, "resouceid")));
    if (m_nDrawType == kDrawIcon) {
        int cmd = skinxml::ReadInt(e, "toolbarid");
        m_nIconIndex = -1;
        m_nIconWidth = m_nIconHeight = 0;
        if (g_toolIcons) {
            for (size_t i = 0; i < g_toolIcons->ids.size(); ++i)
                if (int(g_toolIcons->ids[i]) == cmd) {
                    m_nIconIndex = int(i);
                    break;
                }
            m_pIcons = g_toolIcons->normal;
            m_pHotIcons = g_toolIcons->hot;
            m_pDisabledIcons = g_toolIcons->disabled;
            if (m_pIcons) {
                CSize s = m_pIcons->GetIconSize();
                m_nIconWidth = s.cx;
                m_nIconHeight = s.cy;
            }
        }
    }
    const char* erase = e->Attribute("eraseBK");
    if (erase && (skinxml::EqualsNoCase(erase, "true") || std::atoi(erase) == 1)) m_bErase = 1;
    m_clrErase = rgb.Read(e, "clrBK");
    const char* cmd = e->Attribute("commandid");
    if (cmd) m_nCommandId = !std::strcmp(cmd, "IDOK") ? IDOK : !std::strcmp(cmd, "IDCANCEL") ? IDCANCEL : std::atoi(cmd);
    if (const char* t = e->Attribute("BtnText")) m_strText = t;
}

bool MyButton::LoadImageStrip(UINT pngId) {
    auto image = std::make_unique<CBitmap>();
    if (pngId && image->LoadResourcePicture("PNG", pngId)) {
        m_pImage = std::move(image);
        return true;
    }
    m_pImage.reset();
    return false;
}

void MyButton::SetUpImageButton(const RECT& rc, COLORREF erase, int commandId, const std::string& text) {
    m_bErase = 1;
    m_clrErase = erase;
    m_rcPlace = rc;
    m_nWidth = m_rcPlace.Width();
    m_nHeight = m_rcPlace.Height();
    m_nType = kCheck;
    m_nDrawType = kDrawImage;
    LoadImageStrip(225);
    m_nCommandId = commandId;
    m_strText = text;
}

BOOL MyButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    m_pParent = parent;
    style |= WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    if (m_bGroup) style |= WS_GROUP;
    BOOL ok = CButton::Create(caption ? caption : "", style, rect, parent, id);
    if (ok) GetClientRect(&m_rcClient);
    return ok;
}

int MyButton::ChooseState() const {
    if (m_hWnd && !IsWindowEnabled()) return kDisabled;
    if (m_nChecked) return kChecked;
    if (m_bPressed && (m_nLook & kLookPressed)) return kPressed;
    if (m_bHover && (m_nLook & kLookHover)) return kHover;
    return kNormal;
}

void MyButton::DrawItem(DRAWITEMSTRUCT* dis) {
    if (dis && dis->hDC) DrawButton(dis->hDC);
}

void MyButton::DrawButton(CDC* dc) {
    CRect rc = m_rcClient;
    if (m_hWnd) GetClientRect(&rc);
    if (m_bErase) dc->FillSolidRect(&rc, m_clrErase);
    const int state = ChooseState();
    switch (m_nDrawType) {
        case kDrawColors: {
            if (m_colors.size() < 3) break;
            const stBtnColor& c = state == kNormal ? m_colors[0] : state == kDisabled ? m_colors[2] : m_colors[1];
            dc->FillSolidRect(&rc, c.bk);
            if (!m_strText.empty()) {
                CFont* old = dc->SelectObject(CommonFont(CommonVar::kFontSong14));
                dc->SetBkMode(TRANSPARENT);
                dc->SetTextColor(c.text);
                CRect t = rc;
                dc->DrawText(m_strText, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                dc->SelectObject(old);
            }
            break;
        }
        case kDrawIcon: {
            CImageList* list = state == kNormal ? m_pIcons : state == kDisabled ? m_pDisabledIcons : m_pHotIcons;
            if (!list || m_nIconIndex < 0) break;
            CPoint at(rc.left + (rc.Width() - m_nIconWidth) / 2, rc.top + (rc.Height() - m_nIconHeight) / 2);
            list->Draw(dc, m_nIconIndex, at, ILD_TRANSPARENT);
            break;
        }
        case kDrawImage: {
            if (!m_pImage || m_pImage->IsNull()) break;
            CSize size = m_pImage->GetSize();
            const int q = size.cy / 4;
            if (q <= 0) break;
            int quarter = state == kPressed ? 1 : state == kChecked ? 2 : state == kDisabled ? 3 : 0;
            CDC mem;
            mem.CreateCompatibleDC(dc);
            CBitmap* old = mem.SelectObject(m_pImage.get());
            dc->StretchBlt(rc.left, rc.top, rc.Width(), rc.Height(), &mem, 0, quarter * q, size.cx, q, SRCCOPY);
            mem.SelectObject(old);
            break;
        }
        case kDrawCallback:
            if (m_fnDraw) m_fnDraw(dc, state, this);
            break;
        default:
            break;
    }
    if (m_bFrame) {
        CBrush frame(m_clrFrame);
        dc->FrameRect(&rc, &frame);
    }
}

void MyButton::UpdateCheck() {
    if (m_nType == kRadio) {
        m_nChecked = 1;
        Invalidate(FALSE);
        CWnd* parent = GetParent();
        if (!parent) return;
        for (CWnd* w = parent->GetNextDlgGroupItem(this); w && w != this; w = parent->GetNextDlgGroupItem(w)) {
            auto* b = dynamic_cast<MyButton*>(w);
            if (!b || b->m_nType == kRadio) w->SendMessage(BM_SETCHECK, 0, 0);
        }
    } else if (m_nType == kCheck) {
        m_nChecked = !m_nChecked;
        Invalidate(FALSE);
    }
}

// A press holds the capture until the release, and only a release over the button after a
// press on it is a click: a press dragged off and released elsewhere leaves the button as
// it was, and a release that ends a press begun elsewhere sends nothing.
void MyButton::OnButtonDown() {
    m_bPressed = 1;
    SetCapture();
    if (m_nLook & kLookPressed) Invalidate(FALSE);
}

void MyButton::OnButtonUp(CPoint pt) {
    const bool wasPressed = m_bPressed;
    if (GetCapture() == this) ReleaseCapture();
    CRect rc;
    GetClientRect(&rc);
    const bool inside = rc.PtInRect(pt);
    if (inside && wasPressed) UpdateCheck();
    m_bPressed = 0;
    if (!inside) {
        m_bHover = 0;
        m_nLastX = m_nLastY = -1;
    }
    Invalidate(FALSE);
    if (inside && wasPressed && m_pParent && m_pParent->m_hWnd) {
        const int check = m_nType == kPush ? 0 : m_nChecked;
        m_pParent->SendMessage(WM_COMMAND, MAKEWPARAM(m_nCommandId, check), 0);
    }
}

void MyButton::OnMove(CPoint pt) {
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, 1};
    ::TrackMouseEvent(&tme);
    if (pt.x != m_nLastX || pt.y != m_nLastY) {
        m_nLastX = pt.x;
        m_nLastY = pt.y;
        if (!m_bHover) {
            m_bHover = 1;
            if (m_nLook & kLookHover) Invalidate(FALSE);
        }
    }
}

void MyButton::OnLeave() {
    m_nLastX = m_nLastY = -1;
    m_bHover = 0;
    if (m_nLook & kLookHover) Invalidate(FALSE);
}

LRESULT MyButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown();
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
            return 0;
        case WM_MOUSEMOVE:
            if (m_bPressed) return 0;
            OnMove(CPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
            return CButton::WindowProc(msg, wParam, lParam);
        case WM_MOUSELEAVE:
            if (!m_bPressed) OnLeave();
            return 0;
        case WM_CAPTURECHANGED:
            if (m_bPressed && GetCapture() != this) {
                m_bPressed = 0;
                Invalidate(FALSE);
            }
            return 0;
        case BM_SETCHECK:
            if (int(wParam) != m_nChecked) {
                m_nChecked = int(wParam);
                Invalidate(FALSE);
            }
            return 0;
        case BM_GETCHECK:
            return m_nChecked;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            m_rcClient = CRect(0, 0, (short)LOWORD(lParam), (short)HIWORD(lParam));
            break;
        default:
            break;
    }
    return CButton::WindowProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- CtrlLayout

CtrlLayout::~CtrlLayout() {
    DestroyControls();
    while (!m_controls.empty()) m_controls.pop_back();
}

void CtrlLayout::LoadFromXml(const tinyxml2::XMLElement* e) {
    if (!e) return;
    for (auto* c = e->FirstChildElement("static"); c; c = c->NextSiblingElement("static")) {
        auto s = std::make_shared<StaticEx>();
        s->LoadFromXml(c);
        m_statics.push_back(s);
    }
    for (auto* c = e->FirstChildElement("button"); c; c = c->NextSiblingElement("button")) {
        auto b = std::make_shared<MyButton>();
        b->LoadFromXml(c);
        m_controls.push_back(b);
    }
    for (auto* c = e->FirstChildElement("RichEdit"); c; c = c->NextSiblingElement("RichEdit")) {
        auto r = std::make_shared<MyRichEditCtrl>();
        r->LoadFromXml(c);
        m_controls.push_back(r);
    }
    for (auto* c = e->FirstChildElement("combobox"); c; c = c->NextSiblingElement("combobox")) {
        auto b = std::make_shared<MyComboBox>();
        b->LoadFromXml(c);
        m_controls.push_back(b);
    }
    for (auto* c = e->FirstChildElement("edit"); c; c = c->NextSiblingElement("edit")) {
        auto ed = std::make_shared<CMyEditCtrl>();
        ed->LoadFromXml(c);
        m_controls.push_back(ed);
    }
    for (auto* c = e->FirstChildElement("Progress"); c; c = c->NextSiblingElement("Progress")) {
        auto p = std::make_shared<CMyProgressCtrl>();
        p->LoadFromXml(c);
        m_controls.push_back(p);
    }
}

void CtrlLayout::CreateControls(CWnd* parent) {
    if (!parent || !parent->m_hWnd) return;
    std::vector<std::shared_ptr<CWnd>> frames;
    for (auto& ctl : m_controls) {
        if (ctl->m_hWnd) continue;
        if (auto* b = dynamic_cast<MyButton*>(ctl.get())) {
            b->Create("", 0, b->m_rcPlace, parent, UINT(b->m_nCommandId));
        } else if (auto* r = dynamic_cast<MyRichEditCtrl*>(ctl.get())) {
            const DWORD style = WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_WANTRETURN | ES_AUTOVSCROLL | ES_MULTILINE;
            if (r->Create(style, r->m_rect, parent, UINT(NextControlId()))) {
                r->SendMessage(EM_SETBKGNDCOLOR, 0, r->m_clrBk);
                auto frame = std::make_shared<CSkinScrollWnd>();
                frame->m_clrFill = r->m_clrBk;
                if (frame->AttachCtrl(r)) {
                    r->m_bFramed = true;
                    frames.push_back(frame);
                }
            }
        } else if (auto* c = dynamic_cast<MyComboBox*>(ctl.get())) {
            c->CreateCombo(parent);
        } else if (auto* ed = dynamic_cast<CMyEditCtrl*>(ctl.get())) {
            ed->CreateEdit(parent);
        } else if (auto* p = dynamic_cast<CMyProgressCtrl*>(ctl.get())) {
            p->Create(WS_CHILD | WS_VISIBLE, p->m_rect, parent, UINT(NextControlId()));
        }
    }
    m_controls.insert(m_controls.end(), frames.begin(), frames.end());
}

namespace {
bool HasCommandId(CWnd* w, int id) {
    if (auto* b = dynamic_cast<MyButton*>(w)) return b->m_nCommandId == id;
    if (auto* r = dynamic_cast<MyRichEditCtrl*>(w)) return r->m_nCommandId == id;
    if (auto* c = dynamic_cast<MyComboBox*>(w)) return c->m_nCommandId == id;
    if (auto* e = dynamic_cast<CMyEditCtrl*>(w)) return e->m_nCommandId == id;
    if (auto* p = dynamic_cast<CMyProgressCtrl*>(w)) return p->m_nCommandId == id;
    return false;
}
}  // namespace

std::shared_ptr<CWnd> CtrlLayout::GetControl(int id) const {
    for (auto& c : m_controls)
        if (HasCommandId(c.get(), id)) return c;
    return nullptr;
}

std::shared_ptr<StaticEx> CtrlLayout::GetStatic(int id) const {
    for (auto& s : m_statics)
        if (s->m_nStaticID == id) return s;
    return nullptr;
}

void CtrlLayout::DestroyControls() {
    // Frames first: destroying one takes its rich edit with it.
    for (auto& c : m_controls)
        if (dynamic_cast<CSkinScrollWnd*>(c.get()) && c->m_hWnd) c->DestroyWindow();
    for (auto& c : m_controls)
        if (c->m_hWnd) c->DestroyWindow();
}
