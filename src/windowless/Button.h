#pragma once
// Clickable labels: the button (hot, pushed, focused and disabled states; "click"), the
// option (a selected state, exclusive within a group kept by the paint manager) and the
// check box.
#include "windowless/Label.h"

namespace WinlessUI {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    const char* GetClassName() const override { return "ButtonUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;

    void SetHotBkColor(DWORD c) { m_dwHotBkColor = c; }
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetHotTextColor(DWORD c) { m_dwHotTextColor = c; }
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD c) { m_dwPushedTextColor = c; }
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD c) { m_dwFocusedTextColor = c; }
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
    void SetHotForeImage(const char* text);
    void SetPushedForeImage(const char* text);
    void BindTabIndex(int index) {
        if (index >= 0) m_iBindTabIndex = index;
    }
    void BindTabLayoutName(const char* name) {
        if (name) m_sBindTabLayoutName = name;
    }
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }
    CUIString GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    UINT GetButtonState() const { return m_uButtonState; }

protected:
    DWORD CaptionColour();

    UINT m_uButtonState = 0;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    CImageAttribute m_diHotFore;
    CImageAttribute m_diPushedFore;
    int m_iBindTabIndex = -1;
    CUIString m_sBindTabLayoutName;
};

class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;
    const char* GetClassName() const override { return "OptionUI"; }
    void* GetInterface(const char* name) override;
    bool Activate() override;
    void BindManager(CUIPaintManager* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;
    virtual void SetSelected(bool selected);

    void SetGroup(const char* name);
    CUIString GetGroupName() const { return m_sGroupName; }
    bool IsSelected() const { return m_bSelected; }
    void SetSelectedImage(const char* text);
    void SetSelectedHotImage(const char* text);
    void SetSelectedPushedImage(const char* text);
    void SetSelectedForeImage(const char* text);
    void SetSelectedTextColor(DWORD c) { m_dwSelectedTextColor = c; }
    void SetSelectedBkColor(DWORD c) { m_dwSelectedBkColor = c; }

protected:
    bool m_bSelected = false;
    CUIString m_sGroupName;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    CImageAttribute m_diSelected;
    CImageAttribute m_diSelectedHot;
    CImageAttribute m_diSelectedPushed;
    CImageAttribute m_diSelectedFore;
};

class CCheckBoxUI : public COptionUI {
public:
    const char* GetClassName() const override { return "CheckBoxUI"; }
};

}  // namespace WinlessUI
