#include "windowless/Progress.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "windowless/ImageAttribute.h"
#include "windowless/PaintManager.h"

namespace WinlessUI {

// ---------------------------------------------------------------- progress

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_CENTER | DT_SINGLELINE;
    SetFixedHeight(12);
}

void* CProgressUI::GetInterface(const char* name) {
    if (strcmp(name, "Progress") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool on) {
    if (m_bHorizontal == on) return;
    m_bHorizontal = on;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool on) {
    if (m_bStretchForeImage == on) return;
    m_bStretchForeImage = on;
    Invalidate();
}

void CProgressUI::SetMinValue(int value) {
    m_nMin = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    m_nMax = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value == m_nValue || value < m_nMin || value > m_nMax) return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "hor") == 0) SetHorizontal(strcmp(value, "true") == 0);
    else if (strcmp(name, "min") == 0) SetMinValue(atoi(value));
    else if (strcmp(name, "max") == 0) SetMaxValue(atoi(value));
    else if (strcmp(name, "value") == 0) SetValue(atoi(value));
    else if (strcmp(name, "isstretchfore") == 0) SetStretchForeImage(strcmp(value, "true") == 0);
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::NormaliseRange() {
    if (m_nMin >= m_nMax) m_nMax = m_nMin + 1;
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;
}

RECT CProgressUI::GetBarRect() const {
    const long long width = m_rcItem.right - m_rcItem.left, height = m_rcItem.bottom - m_rcItem.top;
    const long long span = m_nMax > m_nMin ? (long long)m_nMax - m_nMin : 1;
    if (m_bHorizontal) return RECT{0, 0, (LONG)(width * ((long long)m_nValue - m_nMin) / span), (LONG)height};
    return RECT{0, (LONG)(height * ((long long)m_nMax - m_nValue) / span), (LONG)width, (LONG)height};
}

void CProgressUI::PaintStateImage(CDC* dc) {
    NormaliseRange();
    const RECT bar = GetBarRect();
    if (m_diFore.GetAttributeString().IsEmpty()) return;
    char buffer[160];
    if (m_bStretchForeImage)
        snprintf(buffer, sizeof(buffer), "dest='%d,%d,%d,%d'", (int)bar.left, (int)bar.top, (int)bar.right,
                 (int)bar.bottom);
    else
        snprintf(buffer, sizeof(buffer), "dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", (int)bar.left, (int)bar.top,
                 (int)bar.right, (int)bar.bottom, (int)bar.left, (int)bar.top, (int)bar.right, (int)bar.bottom);
    m_sModifier = buffer;
    DrawImage(dc, m_diFore, m_sModifier.c_str());
}

// ---------------------------------------------------------------- slider

CSliderUI::CSliderUI() { m_uTextStyle = DT_CENTER | DT_SINGLELINE; }

void* CSliderUI::GetInterface(const char* name) {
    if (strcmp(name, "Slider") == 0) return this;
    return CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetBehaviourFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR : 0; }

void CSliderUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CSliderUI::SetValue(int value) {
    if (m_uButtonState & UISTATE_CAPTURED) return;
    CProgressUI::SetValue(value);
}

void CSliderUI::SetThumbImage(const char* image) {
    m_diThumb.SetImage(image);
    Invalidate();
}
void CSliderUI::SetThumbHotImage(const char* image) {
    m_diThumbHot.SetImage(image);
    Invalidate();
}
void CSliderUI::SetThumbPushedImage(const char* image) {
    m_diThumbPushed.SetImage(image);
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const {
    const RECT& r = m_rcItem;
    const long long span = m_nMax > m_nMin ? (long long)m_nMax - m_nMin : 1;
    const long long w = m_szThumb.cx, h = m_szThumb.cy;
    RECT t;
    if (m_bHorizontal) {
        t.left = (LONG)(r.left + (r.right - r.left - w) * ((long long)m_nValue - m_nMin) / span);
        t.top = (LONG)((r.bottom + r.top - h) / 2);
        t.right = (LONG)(t.left + w);
        t.bottom = (LONG)(t.top + h);
    } else {
        t.left = (LONG)((r.right + r.left - w) / 2);
        t.bottom = (LONG)(r.bottom - (r.bottom - r.top - h) * ((long long)m_nValue - m_nMin) / span);
        t.top = (LONG)(t.bottom - h);
        t.right = (LONG)(t.left + w);
    }
    return t;
}

int CSliderUI::ValueFromPoint(POINT pt) const {
    const RECT& r = m_rcItem;
    const long long range = (long long)m_nMax - m_nMin;
    if (m_bHorizontal) {
        const int half = m_szThumb.cx / 2;
        if (pt.x >= r.right - half) return m_nMax;
        if (pt.x > r.left + half) {
            const long long track = r.right - r.left - m_szThumb.cx;
            return track > 0 ? (int)(m_nMin + (pt.x - r.left - half) * range / track) : m_nMax;
        }
        return m_nMin;
    }
    const int half = m_szThumb.cy / 2;
    if (pt.y >= r.bottom - half) return m_nMin;
    if (pt.y > r.top + half) {
        const long long track = r.bottom - r.top - m_szThumb.cy;
        return track > 0 ? (int)(m_nMin + range * (r.bottom - half - pt.y) / track) : m_nMin;
    }
    return m_nMax;
}

void CSliderUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent) m_pParent->HandleEvent(event);
        else CLabelUI::HandleEvent(event);
        return;
    }
    auto inRange = [this](int v) { return v >= m_nMin && v <= m_nMax; };
    auto notify = [this](const char* type) {
        if (m_pManager) m_pManager->SendNotification(this, type);
    };
    switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                m_uButtonState |= UISTATE_CAPTURED;
                int v = ValueFromPoint(event.ptMouse);
                if (v != m_nValue && inRange(v)) {
                    m_nValue = v;
                    Invalidate();
                }
            }
            return;
        case UIEVENT_BUTTONUP: {
            m_uButtonState &= ~UISTATE_CAPTURED;
            int v = ValueFromPoint(event.ptMouse);
            if (inRange(v)) {
                m_nValue = v;
                notify("valuechanged");
                Invalidate();
            }
            return;
        }
        case UIEVENT_CONTEXTMENU:
            return;
        case UIEVENT_SCROLLWHEEL:
            switch (LOWORD(event.wParam)) {
                case SB_LINEUP:
                    SetValue(GetValue() + m_nStep);
                    notify("valuechanged");
                    return;
                case SB_LINEDOWN:
                    SetValue(GetValue() - m_nStep);
                    notify("valuechanged");
                    return;
                default:
                    break;
            }
            break;
        case UIEVENT_MOUSEMOVE: {
            if (m_uButtonState & UISTATE_CAPTURED) {
                m_nValue = ValueFromPoint(event.ptMouse);
                if (m_bSendMove) notify("movevaluechanged");
                Invalidate();
            }
            RECT thumb = GetThumbRect();
            if (IsEnabled() && PtInRect(thumb, event.ptMouse)) m_uButtonState |= UISTATE_HOT;
            else m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
            return;
        }
        case UIEVENT_SETCURSOR:
            if (IsEnabled()) {
                ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
                return;
            }
            break;
        case UIEVENT_MOUSELEAVE:
            if (IsEnabled()) {
                m_uButtonState &= ~UISTATE_HOT;
                Invalidate();
            }
            return;
        default:
            break;
    }
    CControlUI::HandleEvent(event);
}

void CSliderUI::SetAttribute(const char* name, const char* value) {
    if (strcmp(name, "thumbimage") == 0) SetThumbImage(value);
    else if (strcmp(name, "thumbhotimage") == 0) SetThumbHotImage(value);
    else if (strcmp(name, "thumbpushedimage") == 0) SetThumbPushedImage(value);
    else if (strcmp(name, "thumbsize") == 0) {
        char* end = nullptr;
        SIZE size{0, 0};
        size.cx = strtol(value, &end, 10);
        if (end && *end) size.cy = strtol(end + 1, nullptr, 10);
        SetThumbSize(size);
    } else if (strcmp(name, "step") == 0) SetChangeStep(atoi(value));
    else if (strcmp(name, "sendmove") == 0) SetCanSendMove(strcmp(value, "true") == 0);
    else CProgressUI::SetAttribute(name, value);
}

void CSliderUI::PaintStateImage(CDC* dc) {
    CProgressUI::PaintStateImage(dc);
    RECT thumb = GetThumbRect();
    thumb.left -= m_rcItem.left;
    thumb.right -= m_rcItem.left;
    thumb.top -= m_rcItem.top;
    thumb.bottom -= m_rcItem.top;
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_diThumbPushed.GetAttributeString().IsEmpty())
        DrawImage(dc, m_diThumbPushed, thumb);
    else if ((m_uButtonState & UISTATE_HOT) && !m_diThumbHot.GetAttributeString().IsEmpty())
        DrawImage(dc, m_diThumbHot, thumb);
    else if (!m_diThumb.GetAttributeString().IsEmpty())
        DrawImage(dc, m_diThumb, thumb);
}

}  // namespace WinlessUI
