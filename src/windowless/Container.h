#pragma once
// Controls that hold controls: the container base (children over its whole inner area,
// scroll bars, clipped painting) and the vertical and horizontal layouts.
#include "windowless/Control.h"

namespace WinlessUI {

class CScrollBarUI;

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

// What a tab layout offers to the buttons bound to it: a tab layout answers the interface
// name "ITabLayout" with this.
class ITabLayoutUI {
public:
    virtual ~ITabLayoutUI() = default;
    virtual bool SelectItem(int index) = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    const char* GetClassName() const override { return "ContainerUI"; }
    void* GetInterface(const char* name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override { return m_items.GetSize(); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    void BindManager(CUIPaintManager* manager, CControlUI* parent, bool init = true) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetShownByParent(bool visible) override;
    void SetEnabled(bool enable = true) override;
    void SetMouseEnabled(bool enable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;

    virtual RECT GetInset() const { return m_rcInset; }
    virtual void SetInset(RECT rc);
    virtual int GetChildPadding() const { return m_iChildPadding; }
    virtual void SetChildPadding(int padding);
    virtual bool OwnsChildren() const { return m_bAutoDestroy; }
    virtual void SetOwnsChildren(bool on) { m_bAutoDestroy = on; }
    virtual bool IsDeferredDelete() const { return m_bDelayedDestroy; }
    virtual void SetDeferredDelete(bool on) { m_bDelayedDestroy = on; }
    virtual bool AreChildrenMouseEnabled() const { return m_bMouseChildEnabled; }
    virtual void SetChildrenMouseEnabled(bool on) { m_bMouseChildEnabled = on; }
    virtual int FindSelectable(int index, bool forward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE pos);
    virtual void SetScrollStepSize(int size) {
        if (size > 0) m_nScrollStepSize = size;
    }
    virtual int GetScrollStepSize() const { return m_nScrollStepSize; }
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void ScrollToLeftEnd();
    virtual void ScrollToRightEnd();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    virtual CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }
    virtual void PlaceFloatingChild(int index);
    virtual void PlaceScrollBars(RECT rc, int requiredWidth, int requiredHeight);

protected:
    // The container's own children. Not virtual: a container that redirects its item
    // operations (the list to its body) still lays out and paints its own children.
    CControlUI* ChildAt(int index) const { return static_cast<CControlUI*>(m_items.GetAt(index)); }
    RECT InnerRect() const;
    void Dispose(CControlUI* control);

    CUIPtrArray m_items;
    RECT m_rcInset{0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bScrollProcess = false;
    int m_nScrollStepSize = 0;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

// Shared splitter handling of the two layouts.
class CBoxLayoutUI : public CContainerUI {
public:
    explicit CBoxLayoutUI(bool vertical) : m_bVertical(vertical) {}
    UINT GetBehaviourFlags() const override;
    void HandleEvent(UIEvent& event) override;
    void PaintOverlay(CDC* dc, const RECT& rcPaint) override;
    void SetSplitterLiveMode(bool immediate);
    bool IsSplitterLiveMode() const { return m_bImmMode; }
    RECT GetThumbRect(bool useNew = false) const;

protected:
    // Places the non-float children one after another inside rc (floats at their own
    // places); returns the size they need along the stacking direction.
    int StackChildren(const RECT& rc);

    bool m_bVertical;
    int m_iSepSize = 0;
    UINT m_uButtonState = 0;
    POINT ptLastMouse{0, 0};
    RECT m_rcNewPos{0, 0, 0, 0};
    bool m_bImmMode = false;
};

class CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI() : CBoxLayoutUI(true) {}
    const char* GetClassName() const override { return "VerticalLayoutUI"; }
    void* GetInterface(const char* name) override;
    void SetSepHeight(int height);
    int GetSepHeight() const { return m_iSepSize; }
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;
};

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(false) {}
    const char* GetClassName() const override { return "HorizontalLayoutUI"; }
    void* GetInterface(const char* name) override;
    void SetSepWidth(int width);
    int GetSepWidth() const { return m_iSepSize; }
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;
};

}  // namespace WinlessUI
