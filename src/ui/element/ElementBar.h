#pragma once
// The element bar: a strip of flat buttons above (position 2) or below (3) an element
// window. Its items are CElementMenuItems; an item with children opens them as a drop-down
// menu from the small arrow zone at its right edge. The bar owns no command logic: clicks
// become WM_COMMAND (an item became pressed, or an entry was chosen) or 0x465 (an item
// became un-pressed) to the owner element, and every paint asks the owner through the
// command-state query 0x8068 which items are pressed.
//
// Items are laid out in three groups split by separator items: the left group from the
// bar's left edge, the middle group after half of the free space, the right group flush
// right; a third separator hides everything after it.
#include <memory>
#include <string>
#include <vector>

#include "platform/SkinMenu.h"
#include "platform/Wnd.h"

class CElementWnd;
class CElementBarMenu;

// Item flags.
inline constexpr UINT kBarItemSeparator = 0x800;      // a separator when the id is 0
inline constexpr UINT kBarItemGroupStart = 0x20000;   // starts a radio group
inline constexpr UINT kBarItemColumnBreak = 0x40;     // starts a new column in a drop-down

// Messages the bar sends its owner.
inline constexpr UINT kBarMsgReleased = 0x465;   // wParam: the id of an item now un-pressed
inline constexpr UINT kBarMsgState = 0x8068;     // wParam: a command id; bit 0 enabled, bit 1 checked

// Draw-state bits of an item.
inline constexpr int kItemStatePressed = 1;
inline constexpr int kItemStateHover = 2;
inline constexpr int kItemStateArrowHover = 4;

class CElementMenuItem {
public:
    CElementMenuItem(UINT flags, UINT id, std::string text, int value);
    virtual ~CElementMenuItem();
    CElementMenuItem(const CElementMenuItem&) = delete;
    CElementMenuItem& operator=(const CElementMenuItem&) = delete;

    // Sets and returns the width: twice the text's width in the bar font; 0 for a separator.
    virtual int Measure(CDC* dc, CFont* font, int barHeight, int reserved = -1);
    // Adds the item to a drop-down menu; states come from the owner's 0x8068 answers.
    virtual void AppendToMenu(CMenu* menu, CWnd* owner);
    // Paints the item at the cursor's left edge and advances that edge by the width.
    virtual void Draw(CDC* dc, CFont* font, CRect& cursor, int state, int reserved = -1, int width = -1);

    bool IsSeparator() const { return (m_nFlags & kBarItemSeparator) && m_nCommandId == 0; }
    bool HasChildren() const { return !m_aChildren.empty(); }
    bool HitMain(CPoint pt) const { return m_rcMain.PtInRect(pt); }
    bool HitArrow(CPoint pt) const { return HasChildren() && m_rcArrow.PtInRect(pt); }
    // Appends a child made by the bar's item factory.
    std::shared_ptr<CElementMenuItem> AddChild(CElementBarMenu& bar, UINT flags, UINT id,
                                               const std::string& text, int value);

    UINT m_nFlags;
    UINT m_nCommandId;
    std::string m_strText;
    int m_nValue;  // kept for the builder; the bar never reads it
    int m_bPressed = 0;
    std::vector<std::shared_ptr<CElementMenuItem>> m_aChildren;
    CRect m_rcMain;   // hit areas, rebuilt at every draw
    CRect m_rcArrow;
    int m_bVisible = 1;
    int m_nWidth = 0;
    int m_nIndex = 0;
    // The drop-down built from the children while it is open; rebuilt on each opening.
    std::unique_ptr<CSkinMenu1> m_pMenu;

protected:
    // The owner's 0x8068 answer for an id (0 without an owner window).
    static int QueryState(CWnd* owner, UINT id);
    // Draws the downward triangle of the arrow zone.
    static void DrawArrow(CDC* dc, const CRect& zone, COLORREF colour);
};

class CElementBarMenu : public CWnd {
public:
    CElementBarMenu();
    ~CElementBarMenu() override;

    // -- overridable operations, in their classic order --
    // Stores a value the bar keeps for its owner and never reads.
    virtual void SetOwner(int value) { m_nOwnerValue = value; }
    // Measures the items and decides which are shown for the width, in two passes.
    virtual void Layout(int width);
    // Layout for the current width and repaint at once; nothing without a window.
    virtual void Relayout();
    virtual std::shared_ptr<CElementMenuItem> CreateItem(UINT flags, UINT id, const std::string& text,
                                                         int value);
    // A click on the main zone of an item with a command: radio-group toggling.
    virtual void OnItemClick(int index);
    // Brings an item's pressed state (and, for a drop-down, its shown entry) up to date.
    virtual void SyncItemState(CElementMenuItem& item);
    virtual void DrawBar(CDC* dc);
    // Runs the drop-down of an item at a screen point; the chosen id, 0 for none.
    virtual UINT TrackDropDown(CElementMenuItem& item, CPoint screen);

    // -- items --
    std::shared_ptr<CElementMenuItem> GetItem(int index) const;
    // Creates an item, sets its index and appends it to the bar.
    std::shared_ptr<CElementMenuItem> AppendItem(UINT flags, UINT id, const std::string& text, int value);
    void RemoveAllItems() { m_aItems.clear(); }
    // Clears the pressed flag of the first item with that id.
    void ResetItem(UINT id);
    // The item under a point: its index, index + 1000 for its arrow zone, -1 for none.
    int HitTest(CPoint pt) const;
    // The owner's 0x8068 answer for an id.
    int QueryOwnerState(UINT id) const;
    CWnd* GetOwnerWnd() const;
    CFont* GetBarFont() const;

    // -- fields --
    CElementWnd* m_pOwnerElement = nullptr;
    int m_nHeight = 26;
    int m_nPosition = 2;  // 2 on top of the element, 3 at its bottom
    int m_nOwnerValue = 0;
    int m_bShow = 1;      // the element reserves the bar's band only while set
    CRect m_rcBar;
    int m_nHover = -1;
    int m_bPopupOpen = 0;
    int m_bRepaintAfterPopup = 0;
    int m_aGroupWidth[3] = {0, 0, 0};
    int m_nCenterOffset = 0;
    std::vector<std::shared_ptr<CElementMenuItem>> m_aItems;

    // -- window --
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    // The click of the left button at a client point (what a release does).
    void ClickAt(CPoint pt);

protected:
    void SendOwner(UINT msg, UINT id) const;

private:
    int m_bInLayout = 0;
};
