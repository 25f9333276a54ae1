#include "windowless/DateTime.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/Controls.h"

namespace WinlessUI {
namespace {

std::vector<std::unique_ptr<CDateTimeWnd>>& Graveyard() {
    static auto* dead = new std::vector<std::unique_ptr<CDateTimeWnd>>;
    return *dead;
}

}  // namespace

// ---------------- picker window ----------------

void CDateTimeWnd::Init(CDateTimeUI* owner) {
    Graveyard().clear();
    m_pOwner = owner;
    owner->m_nDTUpdateFlag = CDateTimeUI::kNone;
    CUIPaintManager* pm = owner->GetOwnerManager();
    if (m_hWnd == nullptr) {
        CreateNativeWindow(pm->GetHostWindow(), nullptr, WS_CHILD, 0, owner->GetPos());
        if (m_hWnd == nullptr) return;
        GetWnd()->SetFont(pm->GetFont(owner->GetFont()));
    }
    if (owner->GetText().IsEmpty()) owner->m_sysTime = CDateTimeUI::Now();
    static_cast<CDateTimeCtrl*>(GetWnd())->SetTime(&owner->m_sysTime);
    GetWnd()->ShowWindow(SW_SHOWNOACTIVATE);
    GetWnd()->SetFocus();
    m_bInit = true;
}

void CDateTimeWnd::TakeDateAndClose() {
    if (m_bClosing) return;
    m_bClosing = true;
    if (m_pOwner != nullptr && m_pOwner->m_nDTUpdateFlag == CDateTimeUI::kNone) {
        SYSTEMTIME t{};
        static_cast<CDateTimeCtrl*>(GetWnd())->GetTime(&t);
        m_pOwner->m_sysTime = t;
        m_pOwner->m_nDTUpdateFlag = CDateTimeUI::kTakeDate;
        m_pOwner->UpdateText();
    }
    PostToWindow(WM_CLOSE);
}

LRESULT CDateTimeWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NOTIFY:
            GetWnd()->SetFocus();
            break;
        case WM_KILLFOCUS: {
            // The picker's own drop-down calendar takes the focus without ending the edit: a
            // focus that stays within the picker (or its calendar) keeps it open.
            LRESULT r = CallPreviousProc(msg, wParam, lParam);
            HWND to = (HWND)wParam;
            CWnd* gaining = to ? CWnd::FromHandle(to) : nullptr;
            for (CWnd* w = gaining; w != nullptr; w = w->GetParent())
                if (w->GetSafeHwnd() == m_hWnd) return r;
            TakeDateAndClose();
            return r;
        }
        case WM_KEYUP:
            if (m_pOwner != nullptr && (wParam == VK_BACK || wParam == VK_DELETE)) {
                LRESULT r = CallPreviousProc(msg, wParam, lParam);
                m_pOwner->m_nDTUpdateFlag = CDateTimeUI::kClearText;
                m_pOwner->UpdateText();
                m_bClosing = true;
                PostToWindow(WM_CLOSE);
                return r;
            }
            if (m_pOwner != nullptr && wParam == VK_ESCAPE) {
                LRESULT r = CallPreviousProc(msg, wParam, lParam);
                m_pOwner->m_nDTUpdateFlag = CDateTimeUI::kCancelled;
                m_bClosing = true;
                PostToWindow(WM_CLOSE);
                return r;
            }
            break;
        default: break;
    }
    return CallPreviousProc(msg, wParam, lParam);
}

void CDateTimeWnd::OnWindowGone(HWND) {
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
        m_pOwner = nullptr;
    }
    Graveyard().emplace_back(this);
}

// ---------------- control ----------------

SYSTEMTIME CDateTimeUI::Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SYSTEMTIME t{};
    t.wYear = WORD(local.tm_year + 1900);
    t.wMonth = WORD(local.tm_mon + 1);
    t.wDay = WORD(local.tm_mday);
    t.wDayOfWeek = WORD(local.tm_wday);
    t.wHour = WORD(local.tm_hour);
    t.wMinute = WORD(local.tm_min);
    t.wSecond = WORD(local.tm_sec);
    return t;
}

CDateTimeUI::CDateTimeUI() {
    m_sysTime = Now();
    m_nDTUpdateFlag = kTakeDate;
    UpdateText();
    m_nDTUpdateFlag = kNone;
}

CDateTimeUI::~CDateTimeUI() {
    if (m_pWindow != nullptr) {
        CDateTimeWnd* w = m_pWindow;
        m_pWindow = nullptr;
        if (w->GetWnd() && w->GetWnd()->GetSafeHwnd()) w->GetWnd()->DestroyWindow();
    }
}

void* CDateTimeUI::GetInterface(const char* name) {
    if (strcmp(name, "DateTime") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CDateTimeUI::SetTime(const SYSTEMTIME& t) {
    m_sysTime = t;
    m_nDTUpdateFlag = kTakeDate;
    UpdateText();
    m_nDTUpdateFlag = kNone;
}

void CDateTimeUI::UpdateText() {
    if (m_nDTUpdateFlag == kTakeDate) {
        char text[32];
        snprintf(text, sizeof(text), "%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
        CControlUI::SetText(text);
    } else if (m_nDTUpdateFlag == kClearText) {
        CControlUI::SetText("");
    }
}

void CDateTimeUI::OpenPicker() {
    if (m_pWindow == nullptr) m_pWindow = new CDateTimeWnd;
    m_pWindow->Init(this);
    if (m_pWindow != nullptr && m_pWindow->GetHWND() == nullptr) {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
}

void CDateTimeUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pParent != nullptr) m_pParent->HandleEvent(event);
        else CButtonUI::HandleEvent(event);
        return;
    }
    switch (event.Type) {
        case UIEVENT_SETCURSOR:
            if (IsEnabled()) {
                ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
                return;
            }
            break;
        case UIEVENT_WINDOWSIZE:
            if (m_pWindow != nullptr && m_pManager) m_pManager->RequestFocus(this);
            break;
        case UIEVENT_SCROLLWHEEL:
            if (m_pWindow != nullptr) return;
            break;
        case UIEVENT_SETFOCUS:
            if (IsEnabled()) {
                if (m_pWindow != nullptr) return;
                OpenPicker();
            }
            break;
        case UIEVENT_KILLFOCUS:
            if (IsEnabled()) Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
        case UIEVENT_DBLCLICK:
            if (IsEnabled()) {
                if (m_pManager) m_pManager->ReleaseMouse();
                if (IsFocused() || m_pWindow != nullptr) OpenPicker();
            }
            return;
        default: break;
    }
    CButtonUI::HandleEvent(event);
}

}  // namespace WinlessUI
