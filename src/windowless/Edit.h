#pragma once
// The single-line text field: a label while it lacks the focus; with the focus, a native
// edit window laid over its text area, whose every change comes back as "textchanged".
#include "windowless/Label.h"
#include "windowless/WindowWnd.h"

namespace WinlessUI {

class CEditUI;

class CEditWnd : public CWindowWnd {
public:
    CEditWnd() = default;
    void Init(CEditUI* owner);
    RECT CalcEditRect() const;
    const char* WindowClassName() const override { return "EditWnd"; }
    const char* SuperclassName() const override { return "Edit"; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone(HWND hwnd) override;
    void SelectAll();

private:
    CEditUI* m_pOwner = nullptr;
    bool m_bInit = false;
};

class CEditUI : public CLabelUI {
    friend class CEditWnd;

public:
    CEditUI();
    ~CEditUI() override;
    const char* GetClassName() const override { return "EditUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    void SetText(const char* text) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetShownByParent(bool visible) override;
    void SetEnabled(bool enable = true) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;

    void SetMaxChar(UINT max);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetReadOnly(bool on);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetNumberOnly(bool on);
    DWORD GetEditStyle() const { return m_iWindowStyls; }
    void SetPasswordMode(bool on);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordChar(char ch);
    char GetPasswordChar() const { return m_cPasswordChar; }
    void SetNativeEditBkColor(DWORD c) { m_dwEditbkColor = c; }
    void SetNativeEditTextColor(const char* text) { m_dwEditTextColor = ParseColor(text); }
    DWORD GetNativeEditTextColor() const { return m_dwEditTextColor; }
    void SetTipValue(const char* text) {
        m_sTipValue = text;
        Invalidate();
    }
    void SetTipValueColor(const char* text) {
        m_dwTipValueColor = ParseColor(text);
        Invalidate();
    }
    CEditWnd* GetNativeWindow() const { return m_pWindow; }

protected:
    void OpenNativeWindow();

    CEditWnd* m_pWindow = nullptr;
    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    char m_cPasswordChar = '*';
    UINT m_uButtonState = 0;
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwEditbkColor = 0xFFFFFFFF;
    DWORD m_dwEditTextColor = 0;
    DWORD m_iWindowStyls = 0;
};

}  // namespace WinlessUI
