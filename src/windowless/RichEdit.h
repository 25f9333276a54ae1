#pragma once
// The multi-line text editor. There is no windowless text service on this platform: the
// control hosts the platform's native rich text control (or, in password mode, a native
// edit that masks what is typed) over its text area, and keeps the framework-facing
// behaviour: text, selection, limits (typing into a full control is refused wherever the
// caret is), read-only, colours, Enter and Tab handling, notifications, scrolling through the
// container's operations, and a tip shown while the text is empty.
#include <memory>

#include "windowless/Container.h"

class CWnd;

namespace WinlessUI {

class CRichEditUI;

class CRichEditUI : public CContainerUI, public ITabKeyUI {
public:
    static constexpr char kDefaultPasswordChar = '*';
    CRichEditUI();
    ~CRichEditUI() override;
    const char* GetClassName() const override { return "RichEditUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    CUIString GetText() const override;
    void SetText(const char* text) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetShownByParent(bool visible) override;
    void SetEnabled(bool enable = true) override;
    void OnInitialise() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override { return m_cxyFixed; }
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;
    bool WantsTab() const override { return m_bWantTab; }

    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool on) { m_bWantTab = on; }
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool on) { m_bWantReturn = on; }
    bool IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
    void SetWantCtrlReturn(bool on) { m_bWantCtrlReturn = on; }
    bool IsRich() const { return m_bRich; }
    void SetRich(bool on) { m_bRich = on; }
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool on);
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD c);
    int GetLimitText() const { return m_iLimitText; }
    void SetLimitText(int max);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    const CUIString& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const char* text);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(const char* text);
    DWORD GetTextHostStyle() const { return m_lTwhStyle; }
    char GetPasswordChar() const { return m_chPassword; }
    void SetPasswordChar(char ch);

    // The text scrolls inside the native control, with its own bars: the container's
    // scrolling operations move the view of the text.
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE pos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void ScrollToTop() override;
    void ScrollToBottom() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void ScrollToLeftEnd() override;
    void ScrollToRightEnd() override;

    // Text operations on the hosted control (the stored text alone without one).
    int GetTextLength() const;
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text, bool canUndo = false);
    // The native control, once the control is initialised.
    CWnd* GetHostWindow() const { return m_pHost.get(); }
    bool IsTipShown() const;

    // Called by the hosted control.
    bool OnHostKey(UINT msg, WPARAM wParam);
    void OnHostChanged();
    void OnHostFocus(bool focused);

protected:
    RECT TextRect() const;
    void UpdateHost();
    bool HostScroll(UINT msg, UINT code);
    // Whether a typed character still fits under the limit (the selection it replaces
    // counted out).
    bool RoomForTyping(WPARAM ch) const;

    std::unique_ptr<CWnd> m_pHost;
    bool m_bWantTab = true;
    bool m_bWantReturn = true;
    bool m_bWantCtrlReturn = true;
    bool m_bRich = true;
    bool m_bReadOnly = false;
    DWORD m_dwTextColor = 0xFF000001;
    int m_iFont = -1;
    int m_iLimitText = 0x7FFF;
    DWORD m_lTwhStyle = ES_MULTILINE;
    bool m_bInited = false;
    UINT m_uButtonState = 0;
    RECT m_rcTextPadding{0, 0, 0, 0};
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    char m_chPassword = 0;
    bool m_bSyncing = false;
};

}  // namespace WinlessUI
