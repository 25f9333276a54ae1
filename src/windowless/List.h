#pragma once
// The list: a vertical layout of a column header and a scrolling body of rows. One record
// of row styling (the list info) is shared by every row, which fetches it through its owner
// at each measurement and paint. Rows answer "ListItem"; the owner answers "IListOwner".
#include <vector>

#include "windowless/Container.h"
#include "windowless/ImageAttribute.h"

namespace WinlessUI {

class CListHeaderUI;

constexpr int kMaxListColumns = 32;

struct ListInfoUI {
    int nColumns = 0;
    RECT rcColumn[kMaxListColumns] = {};
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER;
    RECT rcTextPadding{0, 0, 0, 0};
    DWORD dwTextColor = 0xFF000000;
    DWORD dwBkColor = 0;
    CImageAttribute diBk;
    bool bAlternateBk = false;
    DWORD dwSelectedTextColor = 0xFF000000;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    CImageAttribute diSelected;
    DWORD dwHotTextColor = 0xFF000000;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    CImageAttribute diHot;
    DWORD dwDisabledTextColor = 0xFFCCCCCC;
    DWORD dwDisabledBkColor = 0xFFFFFFFF;
    CImageAttribute diDisabled;
    DWORD dwLineColor = 0;
    bool bShowHtml = false;
    bool bMultiExpandable = false;
};

// The "item..." attributes a list and a combo box share. Answers whether the name was one
// of them; relayout tells the caller that the rows must be measured again.
bool ApplyListInfoAttribute(ListInfoUI& info, const char* name, const char* value, bool withEllipsis,
                            bool* relayout);

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual ListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    virtual void HandleEvent(UIEvent& event) = 0;
};

class IListTextCallback {
public:
    virtual ~IListTextCallback() = default;
    virtual CUIString GetItemText(CControlUI* row, int index, int column) = 0;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListTextCallback* GetCellTextSource() const = 0;
    virtual void SetCellTextSource(IListTextCallback* callback) = 0;
    virtual bool ExpandItem(int index, bool expand = true) = 0;
    virtual int GetExpandedItem() const = 0;
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawItemText(CDC* dc, const RECT& rcItem) = 0;
};

inline IListItemUI* AsListItem(CControlUI* c) {
    return c ? static_cast<IListItemUI*>(c->GetInterface("ListItem")) : nullptr;
}

class CListUI;

class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner) : m_pOwner(owner) {}
    void SetPos(RECT rc) override;
    void HandleEvent(UIEvent& event) override;
    void SetScrollPos(SIZE pos) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    bool SetItemIndex(CControlUI* control, int index) override;

protected:
    // The rows as the last layout stacked them, top to bottom: the visible, non-floating
    // ones, whose tops and bottoms never go back up. Painting finds the first row of the
    // painted band by bisection and stops below it, so a long list costs what its
    // visible rows cost. Empty when the order cannot be relied on (a floating row,
    // negative paddings) or the rows changed since.
    bool RowOrderUsable() const;
    void RecordRowOrder();

    CListUI* m_pOwner;
    std::vector<int> m_rowOrder;
    bool m_bRowOrderValid = false;
};

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();
    const char* GetClassName() const override { return "ListUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override { return UIFLAG_TABSTOP; }

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    ListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false) override;
    void HandleEvent(UIEvent& event) override;
    CListHeaderUI* GetHeader() const override { return m_pHeader; }
    CContainerUI* GetList() const override { return m_pList; }
    IListTextCallback* GetCellTextSource() const override { return m_pCallback; }
    void SetCellTextSource(IListTextCallback* callback) override { m_pCallback = callback; }
    bool ExpandItem(int index, bool expand = true) override;
    int GetExpandedItem() const override { return m_iExpandedItem; }

    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;

    int GetChildPadding() const override;
    void SetChildPadding(int padding) override;
    bool IsDeferredDelete() const override;
    void SetDeferredDelete(bool on) override;
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
    void EnableScrollBar(bool vertical = true, bool horizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    bool GetSelectOnScroll() const { return m_bScrollSelect; }
    void SetSelectOnScroll(bool on) { m_bScrollSelect = on; }
    void SetMultipleExpand(bool on) { m_ListInfo.bMultiExpandable = on; }
    void SetItemTextPadding(RECT rc);
    void SetItemTextColor(DWORD c);
    void SetItemBkColor(DWORD c);
    void SetItemBkImage(const char* image);
    void SetAlternateBk(bool on);
    void SetSelectedItemTextColor(DWORD c);
    void SetSelectedItemBkColor(DWORD c);
    void SetSelectedItemImage(const char* image);
    void SetHotItemTextColor(DWORD c);
    void SetHotItemBkColor(DWORD c);
    void SetHotItemImage(const char* image);
    void SetDisabledItemTextColor(DWORD c);
    void SetDisabledItemBkColor(DWORD c);
    void SetDisabledItemImage(const char* image);
    void SetItemLineColor(DWORD c);
    void SetItemShowHtml(bool on);
    void EnsureVisible(int index);
    void Scroll(int dx, int dy);

protected:
    // Copies the header items' rectangles into the column rectangles (items made
    // intern-visible meanwhile when the header is hidden).
    void SyncColumns(int dx);
    void Renumber(int from);

    bool m_bScrollSelect = false;
    int m_iCurSel = -1;
    int m_iExpandedItem = -1;
    IListTextCallback* m_pCallback = nullptr;
    CListBodyUI* m_pList = nullptr;
    CListHeaderUI* m_pHeader = nullptr;
    ListInfoUI m_ListInfo;

    friend class CListBodyUI;
};

// The header: a horizontal row of header items, one per column, optionally sized by
// percentages of its width.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI() = default;
    const char* GetClassName() const override { return "ListHeaderUI"; }
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    bool IsScaleHeader() const { return m_bIsScaleHeader; }
    void SetScaleHeader(bool on) { m_bIsScaleHeader = on; }

protected:
    bool m_bIsScaleHeader = false;
};

class CListHeaderItemUI : public CContainerUI {
public:
    CListHeaderItemUI();
    const char* GetClassName() const override { return "ListHeaderItemUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    void SetEnabled(bool enable = true) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintStateImage(CDC* dc) override;
    void PaintCaption(CDC* dc) override;

    bool IsDraggable() const { return m_bDragable; }
    void SetDraggable(bool on);
    int GetSepWidth() const { return m_iSepWidth; }
    void SetSepWidth(int width) { m_iSepWidth = width; }
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD c) { m_dwTextColor = c; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index) { m_iFont = index; }
    UINT GetTextStyle() const { return m_uTextStyle; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool on);
    void SetSepImage(const char* image);
    int GetScale() const { return m_nScale; }
    void SetScale(int percent) { m_nScale = percent; }
    UINT GetButtonState() const { return m_uButtonState; }
    // The separator zone a drag starts from (without the widening presses get).
    RECT GetThumbRect() const;

protected:
    RECT WidenedThumbRect() const;

    POINT ptLastMouse{0, 0};
    bool m_bDragable = true;
    UINT m_uButtonState = 0;
    int m_iSepWidth = 4;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    bool m_bShowHtml = false;
    RECT m_rcTextPadding{2, 0, 2, 0};
    CImageAttribute m_diSep;
    int m_nScale = 0;
};

}  // namespace WinlessUI
