#pragma once
// The rows of a list and of a combo box's drop-down: a windowless row base, a row of one
// text, a row of one text per column (with links), and a row that lays out any controls.
// Every row paints from its owner's list info record.
#include <vector>

#include "windowless/List.h"

namespace WinlessUI {

// What both row families keep: index, owner, selection and hot state, and the background
// painted from the owner's list info.
class CListItemState {
public:
    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uRowState = 0;
    IListOwnerUI* m_pOwner = nullptr;
    CControlUI* m_pOwnerControl = nullptr;

    void BindOwner(CControlUI* owner) {
        m_pOwnerControl = owner;
        m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface("IListOwner")) : nullptr;
    }
    // Fills the row with the background colour its state asks for; draws the first image
    // of its state and answers whether one was drawn.
    bool DrawStateBk(CDC* dc, CControlUI* row, const RECT& rcPaint, bool enabled, bool withBkImage);
    void DrawLine(CDC* dc, const RECT& rcItem, const ListInfoUI& info);
    DWORD TextColour(const ListInfoUI& info, bool enabled) const;
};

class CListElementUI : public CControlUI, public IListItemUI, protected CListItemState {
public:
    CListElementUI() = default;
    const char* GetClassName() const override { return "ListElementUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override { return UIFLAG_WANTRETURN; }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;
    // A row only stores its rectangle, so scrolling a long list moves the rows out of
    // sight without the bookkeeping of a placement (nothing of them to repaint).
    void SetPos(RECT rc) final { CControlUI::SetPos(rc); }
    void Offset(int dx, int dy) final;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override { BindOwner(owner); }
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    void DrawItemText(CDC*, const RECT&) override {}
    virtual void DrawItemBk(CDC* dc, const RECT& rcItem);
    UINT GetButtonState() const { return m_uRowState; }
};

class CListLabelElementUI : public CListElementUI {
public:
    const char* GetClassName() const override { return "ListLabelElementUI"; }
    void* GetInterface(const char* name) override;
    void HandleEvent(UIEvent& event) override;
    SIZE MeasureSize(SIZE available) override;
    void DrawItemText(CDC* dc, const RECT& rcItem) override;
};

class CListTextElementUI : public CListLabelElementUI {
public:
    enum { MAX_LINK = 8 };
    const char* GetClassName() const override { return "ListTextElementUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    void SetOwner(CControlUI* owner) override;
    void HandleEvent(UIEvent& event) override;
    SIZE MeasureSize(SIZE available) override;
    void DrawItemText(CDC* dc, const RECT& rcItem) override;

    // The row's own cell texts, used when the list has no text callback.
    CUIString GetText(int column) const;
    void SetText(int column, const char* text);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    int GetLinkCount() const { return m_nLinks; }
    RECT GetLinkRect(int index) const { return index >= 0 && index < m_nLinks ? m_rcLinks[index] : RECT{}; }
    const CUIString* GetLinkContent(int index) const {
        return index >= 0 && index < m_nLinks ? &m_sLinks[index] : nullptr;
    }

protected:
    int m_nLinks = 0;
    RECT m_rcLinks[MAX_LINK] = {};
    CUIString m_sLinks[MAX_LINK];
    int m_nHoverLink = -1;
    IListUI* m_pListOwner = nullptr;
    std::vector<CUIString> m_aTexts;
};

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI, protected CListItemState {
public:
    CListContainerElementUI() = default;
    const char* GetClassName() const override { return "ListContainerElementUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override { return UIFLAG_WANTRETURN; }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetPos(RECT rc) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;
    void PaintBackImage(CDC*) override {}

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* owner) override { BindOwner(owner); }
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    // The row's controls paint themselves; there is no row text.
    void DrawItemText(CDC*, const RECT&) override {}
    virtual void DrawItemBk(CDC* dc, const RECT& rcItem);
    UINT GetButtonState() const { return m_uRowState; }
};

}  // namespace WinlessUI
