#include "windowless/Control.h"

#include <cstdlib>
#include <cstring>

#include "windowless/Render.h"

namespace WinlessUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (OnDestroy) OnDestroy(this);
    if (m_pManager != nullptr) m_pManager->ForgetControl(this);
}

void* CControlUI::GetInterface(const char* name) {
    if (strcmp(name, "Control") == 0) return this;
    return nullptr;
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

void CControlUI::BindManager(CUIPaintManager* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent) Init();
}

void CControlUI::SetText(const char* text) {
    if (m_sText == (text ? text : "")) return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    CUIRect invalidateRc = m_rcItem;
    if (IsRectEmpty(invalidateRc)) invalidateRc = rc;
    m_rcItem = rc;
    if (m_pManager == nullptr) return;
    if (!m_bSetPos) {
        m_bSetPos = true;
        if (OnSize) OnSize(this);
        m_bSetPos = false;
    }
    if (m_bFloat && m_pParent != nullptr) {
        const RECT& p = m_pParent->GetPos();
        m_cXY.cx = m_cXY.cx < 0 ? m_rcItem.right - p.right : m_rcItem.left - p.left;
        m_cXY.cy = m_cXY.cy < 0 ? m_rcItem.bottom - p.bottom : m_rcItem.top - p.top;
        m_cxyFixed.cx = m_rcItem.right - m_rcItem.left;
        m_cxyFixed.cy = m_rcItem.bottom - m_rcItem.top;
    }
    m_bUpdateNeeded = false;
    invalidateRc.Join(m_rcItem);
    for (CControlUI* p = GetParent(); p; p = p->GetParent()) {
        RECT tmp;
        if (!IntersectRect(&tmp, invalidateRc, p->GetPos())) return;
        invalidateRc = tmp;
    }
    m_pManager->Invalidate(invalidateRc);
}

void CControlUI::Offset(int dx, int dy) {
    RECT rc = GetPos();
    rc.left += dx, rc.right += dx, rc.top += dy, rc.bottom += dy;
    SetPos(rc);
}

void CControlUI::SetPadding(RECT rc) {
    m_rcPadding = rc;
    RequestParentLayout();
}
void CControlUI::SetFloatOffset(SIZE sz) {
    m_cXY = sz;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetMinWidth(int cx) {
    if (m_cxyMin.cx == cx || cx < 0) return;
    m_cxyMin.cx = cx;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetMaxWidth(int cx) {
    if (m_cxyMax.cx == cx || cx < 0) return;
    m_cxyMax.cx = cx;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetMinHeight(int cy) {
    if (m_cxyMin.cy == cy || cy < 0) return;
    m_cxyMin.cy = cy;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetMaxHeight(int cy) {
    if (m_cxyMax.cy == cy || cy < 0) return;
    m_cxyMax.cy = cy;
    if (m_bFloat) RequestLayout();
    else RequestParentLayout();
}
void CControlUI::SetRelativeMove(SIZE move, SIZE zoom) {
    m_tRelativePos.bRelative = true;
    m_tRelativePos.nMoveXPercent = move.cx;
    m_tRelativePos.nMoveYPercent = move.cy;
    m_tRelativePos.nZoomXPercent = zoom.cx;
    m_tRelativePos.nZoomYPercent = zoom.cy;
}

void CControlUI::SetToolTip(const char* text) {
    CUIString s(text);
    s.Replace("<n>", "\r\n");
    m_sToolTip = s;
}

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    bool wasVisible = IsVisible();
    m_bVisible = visible;
    if (m_bFocused) m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocusControl() == this) m_pManager->SetFocusControl(nullptr);
    if (IsVisible() != wasVisible) RequestParentLayout();
}

void CControlUI::SetShownByParent(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocusControl() == this) m_pManager->SetFocusControl(nullptr);
}

void CControlUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    Invalidate();
}

void CControlUI::SetFocus() {
    if (m_pManager != nullptr) m_pManager->SetFocusControl(this);
}

void CControlUI::SetFloat(bool on) {
    if (m_bFloat == on) return;
    m_bFloat = on;
    RequestParentLayout();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !PtInRect(m_rcItem, *static_cast<POINT*>(data))))
        return nullptr;
    return proc(this, data);
}

void CControlUI::Init() {
    OnInitialise();
    if (OnInit) OnInit(this);
}

void CControlUI::RaiseEvent(UIEvent& event) {
    if (OnEvent(&event)) HandleEvent(event);
}

void CControlUI::HandleEvent(UIEvent& event) {
    switch (event.Type) {
        case UIEVENT_CONTEXTMENU:
            if (IsMenuEnabled()) {
                if (m_pManager) m_pManager->SendNotification(this, "menu", event.wParam, event.lParam);
                return;
            }
            break;
        case UIEVENT_KILLFOCUS:
            m_bFocused = false;
            Invalidate();
            return;
        case UIEVENT_SETFOCUS:
            m_bFocused = true;
            Invalidate();
            return;
        case UIEVENT_SETCURSOR:
            ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
            return;
        case UIEVENT_TIMER:
            if (m_pManager) m_pManager->SendNotification(this, "timer", event.wParam, event.lParam);
            return;
        default:
            break;
    }
    if (m_pParent != nullptr) m_pParent->HandleEvent(event);
}

void CControlUI::SetAttribute(const char* name, const char* value) {
    auto is = [&](const char* n) { return strcmp(name, n) == 0; };
    if (is("bkimage")) SetBkImage(value);
    else if (is("normalimage")) SetNormalImage(value);
    else if (is("hotimage")) SetHotImage(value);
    else if (is("pushedimage")) SetPushedImage(value);
    else if (is("focusedimage")) SetFocusedImage(value);
    else if (is("disabledimage")) SetDisabledImage(value);
    else if (is("foreimage")) SetForeImage(value);
    else if (is("pos")) {
        RECT rc = ParseRect(value);
        SIZE xy{rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom};
        SetFloatOffset(xy);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (is("relativepos")) {
        RECT rc = ParseRect(value);
        SetRelativeMove(SIZE{rc.left, rc.top}, SIZE{rc.right, rc.bottom});
    } else if (is("padding")) SetPadding(ParseRect(value));
    else if (is("bkcolor") || is("bkcolor1")) SetBkColor(ParseColor(value));
    else if (is("bkcolor2")) SetBkColor2(ParseColor(value));
    else if (is("bkcolor3")) SetBkColor3(ParseColor(value));
    else if (is("bordercolor")) SetBorderColor(ParseColor(value));
    else if (is("focusbordercolor")) SetFocusBorderColor(ParseColor(value));
    else if (is("colorhsl")) SetColorHSL(ParseBool(value));
    else if (is("bordersize")) {
        if (strchr(value, ',') == nullptr) {
            SetBorderSize(atoi(value));
            SetBorderSize(RECT{0, 0, 0, 0});
        } else {
            SetBorderSize(ParseRect(value));
        }
    } else if (is("leftbordersize")) SetLeftBorderSize(atoi(value));
    else if (is("topbordersize")) SetTopBorderSize(atoi(value));
    else if (is("rightbordersize")) SetRightBorderSize(atoi(value));
    else if (is("bottombordersize")) SetBottomBorderSize(atoi(value));
    else if (is("borderstyle")) SetBorderStyle(atoi(value));
    else if (is("borderround")) SetBorderRound(ParseSize(value));
    else if (is("width")) SetFixedWidth(atoi(value));
    else if (is("height")) SetFixedHeight(atoi(value));
    else if (is("minwidth")) SetMinWidth(atoi(value));
    else if (is("minheight")) SetMinHeight(atoi(value));
    else if (is("maxwidth")) SetMaxWidth(atoi(value));
    else if (is("maxheight")) SetMaxHeight(atoi(value));
    else if (is("name")) SetName(value);
    else if (is("text")) SetText(value);
    else if (is("tooltip")) SetToolTip(value);
    else if (is("userdata")) SetUserData(value);
    else if (is("enabled")) SetEnabled(ParseBool(value));
    else if (is("mouse")) SetMouseEnabled(ParseBool(value));
    else if (is("keyboard")) SetKeyboardEnabled(ParseBool(value));
    else if (is("visible")) SetVisible(ParseBool(value));
    else if (is("float")) SetFloat(ParseBool(value));
    else if (is("shortcut")) SetShortcut(value[0]);
    else if (is("menu")) SetMenuEnabled(ParseBool(value));
    else if (is("virtualwnd")) SetVirtualWindowName(value);
}

SIZE CControlUI::MeasureSize(SIZE) {
    return m_cxyFixed;
}

void CControlUI::PaintControl(CDC* dc, const RECT& rcPaint) {
    if (!IntersectRect(&m_rcPaint, rcPaint, m_rcItem)) return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CRenderClip roundClip;
        CRenderClip::GenerateRoundClip(dc, m_rcPaint, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, roundClip);
        PaintBackColour(dc);
        PaintBackImage(dc);
        PaintStateImage(dc);
        PaintCaption(dc);
        PaintFrame(dc);
    } else {
        PaintBackColour(dc);
        PaintBackImage(dc);
        PaintStateImage(dc);
        PaintCaption(dc);
        PaintFrame(dc);
    }
}

void CControlUI::PaintBackColour(CDC* dc) {
    if (m_dwBackColor == 0) return;
    if (m_dwBackColor2 != 0) {
        if (m_dwBackColor3 != 0) {
            RECT rc = m_rcItem;
            rc.bottom = (m_rcItem.bottom + m_rcItem.top) / 2;
            CRenderEngine::DrawGradient(dc, rc, AdjustedColour(m_dwBackColor), AdjustedColour(m_dwBackColor2), true, 8);
            rc.top = rc.bottom;
            rc.bottom = m_rcItem.bottom;
            CRenderEngine::DrawGradient(dc, rc, AdjustedColour(m_dwBackColor2), AdjustedColour(m_dwBackColor3), true, 8);
        } else {
            CRenderEngine::DrawGradient(dc, m_rcItem, AdjustedColour(m_dwBackColor), AdjustedColour(m_dwBackColor2), true,
                                        16);
        }
    } else if (m_dwBackColor >= 0xFF000000) {
        CRenderEngine::DrawColor(dc, m_rcPaint, AdjustedColour(m_dwBackColor));
    } else {
        CRenderEngine::DrawColor(dc, m_rcItem, AdjustedColour(m_dwBackColor));
    }
}

void CControlUI::PaintBackImage(CDC* dc) {
    DrawImage(dc, m_diBk);
}

void CControlUI::PaintFrame(CDC* dc) {
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    if (m_nBorderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        DWORD c = (IsFocused() && m_dwFocusBorderColor != 0) ? m_dwFocusBorderColor : m_dwBorderColor;
        CRenderEngine::DrawRoundRect(dc, m_rcItem, m_nBorderSize, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                     AdjustedColour(c));
    } else if (IsFocused() && m_dwFocusBorderColor != 0 && m_nBorderSize > 0) {
        CRenderEngine::DrawRect(dc, m_rcItem, m_nBorderSize, AdjustedColour(m_dwFocusBorderColor));
    } else if (m_rcBorderSize.left > 0 || m_rcBorderSize.top > 0 || m_rcBorderSize.right > 0 ||
               m_rcBorderSize.bottom > 0) {
        const RECT& r = m_rcItem;
        DWORD c = AdjustedColour(m_dwBorderColor);
        if (m_rcBorderSize.left > 0)
            CRenderEngine::DrawLine(dc, {r.left, r.top, r.left, r.bottom}, m_rcBorderSize.left, c, m_nBorderStyle);
        if (m_rcBorderSize.top > 0)
            CRenderEngine::DrawLine(dc, {r.left, r.top, r.right, r.top}, m_rcBorderSize.top, c, m_nBorderStyle);
        if (m_rcBorderSize.right > 0)
            CRenderEngine::DrawLine(dc, {r.right, r.top, r.right, r.bottom}, m_rcBorderSize.right, c, m_nBorderStyle);
        if (m_rcBorderSize.bottom > 0)
            CRenderEngine::DrawLine(dc, {r.left, r.bottom, r.right, r.bottom}, m_rcBorderSize.bottom, c, m_nBorderStyle);
    } else if (m_nBorderSize > 0) {
        CRenderEngine::DrawRect(dc, m_rcItem, m_nBorderSize, AdjustedColour(m_dwBorderColor));
    }
}

void CControlUI::Invalidate() {
    if (!IsVisible()) return;
    RECT invalidateRc = m_rcItem;
    for (CControlUI* p = GetParent(); p; p = p->GetParent()) {
        RECT tmp;
        if (!IntersectRect(&tmp, invalidateRc, p->GetPos())) return;
        invalidateRc = tmp;
    }
    if (m_pManager != nullptr) m_pManager->Invalidate(invalidateRc);
}

void CControlUI::RequestLayout() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != nullptr) m_pManager->MarkUpdateNeeded();
}

void CControlUI::RequestParentLayout() {
    if (m_pParent != nullptr) {
        m_pParent->RequestLayout();
        m_pParent->Invalidate();
    } else {
        RequestLayout();
    }
    if (m_pManager != nullptr) m_pManager->MarkUpdateNeeded();
}

DWORD CControlUI::AdjustedColour(DWORD colour) const {
    if (!m_bColorHSL) return colour;
    short h, s, l;
    CUIPaintManager::GetColourAdjustment(&h, &s, &l);
    return CRenderEngine::AdjustColor(colour, h, s, l);
}

CControlUI* CControlUI::ApplyAttributeText(const char* list) {
    if (list == nullptr) return this;
    const char* p = list;
    while (*p != '\0') {
        const char* nameStart = p;
        while (*p != '\0' && *p != '=') ++p;
        CUIString name(nameStart, int(p - nameStart));
        if (*p++ != '=') return this;
        if (*p++ != '"') return this;
        const char* valueStart = p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p != '"') return this;
        CUIString value(valueStart, int(p - valueStart));
        ++p;
        SetAttribute(name, value);
        if (*p++ != ' ') return this;
    }
    return this;
}

void CControlUI::SetVirtualWindowName(const char* name) {
    m_sVirtualWnd = name;
    if (m_pManager) m_pManager->SetVirtualWindowsUsed();
}

CUIString CControlUI::GetVirtualWindowName() const {
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    if (m_pParent != nullptr) return m_pParent->GetVirtualWindowName();
    return CUIString();
}

#define UI_SET_AND_INVALIDATE(field, value) \
    if (field == value) return;             \
    field = value;                          \
    Invalidate();

void CControlUI::SetBkColor(DWORD c) {
    UI_SET_AND_INVALIDATE(m_dwBackColor, c)
}
void CControlUI::SetBkColor2(DWORD c) {
    UI_SET_AND_INVALIDATE(m_dwBackColor2, c)
}
void CControlUI::SetBkColor3(DWORD c) {
    UI_SET_AND_INVALIDATE(m_dwBackColor3, c)
}
void CControlUI::SetBorderColor(DWORD c) {
    UI_SET_AND_INVALIDATE(m_dwBorderColor, c)
}
void CControlUI::SetFocusBorderColor(DWORD c) {
    UI_SET_AND_INVALIDATE(m_dwFocusBorderColor, c)
}
void CControlUI::SetColorHSL(bool on) {
    UI_SET_AND_INVALIDATE(m_bColorHSL, on)
}
void CControlUI::SetBorderSize(int n) {
    UI_SET_AND_INVALIDATE(m_nBorderSize, n)
}
#undef UI_SET_AND_INVALIDATE

void CControlUI::SetBorderSize(RECT rc) {
    m_rcBorderSize = rc;
    Invalidate();
}
void CControlUI::SetLeftBorderSize(int n) {
    m_rcBorderSize.left = n;
    Invalidate();
}
void CControlUI::SetTopBorderSize(int n) {
    m_rcBorderSize.top = n;
    Invalidate();
}
void CControlUI::SetRightBorderSize(int n) {
    m_rcBorderSize.right = n;
    Invalidate();
}
void CControlUI::SetBottomBorderSize(int n) {
    m_rcBorderSize.bottom = n;
    Invalidate();
}
void CControlUI::SetBorderRound(SIZE sz) {
    m_cxyBorderRound = sz;
    Invalidate();
}
void CControlUI::SetBorderStyle(int style) {
    m_nBorderStyle = style;
    Invalidate();
}

void CControlUI::SetBkImage(const char* text) {
    if (m_diBk.GetAttributeString() == (text ? text : "")) return;
    m_diBk.SetImage(text);
    Invalidate();
}
void CControlUI::SetForeImage(const char* text) {
    m_diFore.SetImage(text);
    Invalidate();
}
void CControlUI::SetNormalImage(const char* text) {
    m_diNormal.SetImage(text);
    Invalidate();
}
void CControlUI::SetHotImage(const char* text) {
    m_diHot.SetImage(text);
    Invalidate();
}
void CControlUI::SetPushedImage(const char* text) {
    m_diPushed.SetImage(text);
    Invalidate();
}
void CControlUI::SetFocusedImage(const char* text) {
    m_diFocused.SetImage(text);
    Invalidate();
}
void CControlUI::SetDisabledImage(const char* text) {
    m_diDisabled.SetImage(text);
    Invalidate();
}

bool CControlUI::DrawImage(CDC* dc, CImageAttribute& image) {
    return CRenderEngine::DrawImage(dc, m_pManager, m_rcItem, m_rcPaint, image);
}
bool CControlUI::DrawImage(CDC* dc, CImageAttribute& image, const char* modify) {
    if (modify == nullptr) return DrawImage(dc, image);
    CImageAttribute copy(image);
    copy.ModifyAttribute(modify);
    return CRenderEngine::DrawImage(dc, m_pManager, m_rcItem, m_rcPaint, copy);
}
bool CControlUI::DrawImage(CDC* dc, CImageAttribute& image, const RECT& dest) {
    if (IsRectEmpty(dest)) return DrawImage(dc, image);
    CImageAttribute copy(image);
    copy.SetDest(dest);
    return CRenderEngine::DrawImage(dc, m_pManager, m_rcItem, m_rcPaint, copy);
}

}  // namespace WinlessUI
