#pragma once
// The drop-down selector: list rows held by the combo box itself, shown only in a pop-up
// window with a paint manager of its own while the box is open; the box draws the selected
// row into its text area.
#include "windowless/List.h"
#include "windowless/WindowWnd.h"

namespace WinlessUI {

class CComboUI;

class CComboWnd : public CWindowWnd, public INotifyUI {
public:
    void Init(CComboUI* owner);
    const char* WindowClassName() const override { return "ComboWnd"; }
    UINT ClassStyle() const override { return CS_DBLCLKS | CS_DROPSHADOW; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone(HWND hwnd) override;
    void Notify(UINotify& msg) override;
    void EnsureVisible(int index);
    void Scroll(int dx, int dy);
    CUIPaintManager* GetManager() { return &m_pm; }
    CVerticalLayoutUI* GetLayout() const { return m_pLayout; }

    // Where a drop box of that height opens for an owner at ownerOnScreen: below it, or
    // above it when below would pass the bottom of the work area.
    static RECT PlaceDropBox(const RECT& ownerOnScreen, int width, int height, const RECT& workArea);

private:
    friend class CComboUI;
    CUIPaintManager m_pm;
    CComboUI* m_pOwner = nullptr;
    CVerticalLayoutUI* m_pLayout = nullptr;
    int m_iOldSel = -1;
};

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    const char* GetClassName() const override { return "ComboUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override { return UIFLAG_TABSTOP; }
    bool Activate() override;
    CUIString GetText() const override;
    void SetPos(RECT rc) override;
    void SetEnabled(bool enable = true) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;

    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    ListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false) override;

    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    const CUIString& GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
    void SetDropBoxAttributeList(const char* list) { m_sDropBoxAttributes = list; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE size) { m_szDropBox = size; }
    UINT GetButtonState() const { return m_uButtonState; }
    CComboWnd* GetDropWindow() const { return m_pWindow; }
    void SetItemTextPadding(RECT rc);
    void SetItemTextColor(DWORD c);
    void SetItemShowHtml(bool on);

protected:
    void Renumber(int from);

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    RECT m_rcTextPadding{0, 0, 0, 0};
    CUIString m_sDropBoxAttributes;
    UINT m_uButtonState = 0;
    SIZE m_szDropBox{0, 150};
    ListInfoUI m_ListInfo;

    friend class CComboWnd;
};

}  // namespace WinlessUI
