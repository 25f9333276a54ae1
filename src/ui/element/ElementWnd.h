#pragma once
// The base of every panel a workspace layout places (quote lists, charts, training pages,
// status-bar panes). It turns raw window messages into a fixed set of overridable
// operations: mouse hooks, painting into a memory image, a content rectangle inside
// margins, borders and an optional element bar, the context menu, layout commands, the
// security, and its state in the layout file. A subclass overrides only what it needs.
//
// The window factory (CreateElementByType) makes the element a layout file names by its
// type; a type nobody registered yet becomes a placeholder that keeps the name, so a
// layout saved again still names the window it was written for.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "marketdata/Group.h"
#include "platform/Graphics.h"
#include "platform/Menu.h"
#include "platform/Wnd.h"
#include "ui/element/ElementBar.h"

namespace tinyxml2 {
class XMLElement;
}

class CLayoutManager;
class CElementHost;
class CElementWnd;

// User messages the elements share.
inline constexpr UINT UM_DATA_NOTIFY = 0x8067;     // data arrived for the element's layer
inline constexpr UINT UM_COMMAND_STATE = 0x8068;   // command-state query / bar relayout
inline constexpr UINT UM_PAINT_BACKGROUND = 0x8069;
inline constexpr UINT UM_RELAYOUT = 0x8071;
inline constexpr UINT UM_RELOAD_IMAGES = 0x8072;

// Layout commands of the element base.
inline constexpr UINT ID_HIDE_LEFT = 42102;       // collapse the left neighbour
inline constexpr UINT ID_HIDE_RIGHT = 42104;      // collapse the right neighbour
inline constexpr UINT ID_HIDE_SELF = 42105;       // collapse to the element bar
inline constexpr UINT ID_FIX_WINDOW = 42122;      // keep this pane's size
inline constexpr UINT ID_SOLO_WINDOW = 42123;     // show alone / restore
inline constexpr UINT ID_HIDE_TOP = 42124;        // collapse the upper neighbour
inline constexpr UINT ID_HIDE_BOTTOM = 42125;     // collapse the lower neighbour

// Background request sent with UM_PAINT_BACKGROUND: the receiver paints the part of its
// background that lies under the element into the element's context.
struct ElementBackgroundRequest {
    RECT target;  // in the receiver's coordinates
    RECT source;  // in the element's coordinates
    CDC* dc;
};

// Off-screen image of the element's client size.
class CMyMemDC : public CDC {
public:
    CMyMemDC(CDC* dc, const RECT& rect);
    ~CMyMemDC() override;
    CRect m_rect;

private:
    CBitmap m_bitmap;
    CBitmap* m_oldBitmap = nullptr;
};

class CElementWnd : public CWnd {
public:
    CElementWnd();
    ~CElementWnd() override;

    // -- the overridable operations, in their classic order --
    virtual BOOL Create(CWnd* parent);
    virtual void DrawClient(CDC* dc);
    virtual void RecalcLayout();
    virtual void SetLayoutNode(CLayoutManager* node) { m_pLayoutNode = node; }
    virtual int OnCreated(int reload);
    virtual void OnElementLButtonDown(UINT flags, int x, int y) {}
    virtual void OnElementLButtonDblClk(UINT flags, int x, int y) {}
    virtual void OnElementLButtonUp(UINT flags, int x, int y) {}
    virtual void OnElementMouseMove(UINT flags, int x, int y);
    virtual void OnElementMouseHover();
    virtual void OnElementMouseLeave();
    virtual void OnElementRButtonUp(UINT flags, int x, int y);
    virtual int OnElementMouseWheel(UINT flags, int delta, int x, int y) { return 0; }
    virtual void OnDataChanged();
    virtual void OnDestroying() {}
    virtual int OnTypedText(int kind, const std::string& text);
    virtual int OnElementKeyDown(UINT key, UINT count, UINT flags);
    virtual int OnDragKey(UINT key) { return 0; }
    virtual int GetTipText(int x, int y, std::vector<std::string>& lines);
    // Charts draw their own tips; every other element offers its tip lines (GetTipText) to
    // the main window's multi-line tip as the mouse moves over it.
    virtual bool HasOwnTipLayer() const { return false; }
    virtual void RefreshTip();
    virtual void GetTitle(std::string& title);
    virtual int BuildContextMenu(CMenu* menu, int x, int y);
    virtual int OnLayoutCommand(UINT id, UINT code);
    virtual int OnUpdateLayoutCommand(CCmdUI* cmdUI);
    virtual int SetContextObject(void* object) { return 0; }
    virtual int SetSecurity(const CIndSecuCode& code, const CGroup* group);
    virtual void DetachData() {}
    virtual void SetPaintSuspended(int suspended);
    virtual void SetActive(int active);
    virtual int LoadFromXml(const tinyxml2::XMLElement* element);
    virtual void SaveToXml(tinyxml2::XMLElement* element);
    virtual void AttachData() {}
    virtual LRESULT OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual CElementWnd* GetTextTarget() { return this; }
    virtual void ActivateElement();
    virtual void OnDataNotify(WPARAM wParam, LPARAM lParam) {}
    virtual void DrawBorders(CDC* dc);
    virtual void RecreateElementBar();
    virtual int GetFixedExtent();

    // The command-state word of UM_COMMAND_STATE: bit 0 enabled, bit 1 checked.
    int QueryCommandState(UINT id);

    // The element type name written as "wndtype" in layout files.
    const std::string& GetTypeName() const { return m_strTypeName; }
    void SetTypeName(std::string name) { m_strTypeName = std::move(name); }

    // The host view (through the owner window), or null outside a layout.
    CElementHost* GetHost() const;
    // The workspace mode key of the host ("trend", "training", ...); empty outside one.
    std::string GetWorkspaceKey() const;

    // Owned child elements receive what the base passes on.
    void AddChildElement(std::unique_ptr<CElementWnd> child);
    const std::vector<CElementWnd*>& GetChildElements() const { return m_children; }

    // Control id the next created element will take (ids run 100, 101, ... process-wide).
    static UINT PeekNextControlId();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // -- fields (the layout and subclasses set them directly) --
    CWnd* m_pOwner = nullptr;
    CRect m_rcClient;
    CRect m_rcContent;
    CRect m_rcBorder;
    CRect m_rcExtra;
    CLayoutManager* m_pLayoutNode = nullptr;
    CElementWnd* m_pWrapper = nullptr;
    int m_nUuid = 0;
    int m_bActive = 0;
    int m_bPaintSuspended = 0;
    CGroup m_group;
    std::unique_ptr<CMyMemDC> m_pMemDC;
    int m_bUseMemDC = 1;
    int m_bMenuFromWrapper = 0;
    std::string m_strTitle = "窗口";
    CElementWnd* m_pContent = nullptr;
    CPoint m_ptHover{-1, -1};
    int m_bLeftBorder = 0, m_bRightBorder = 0, m_bTopBorder = 0, m_bBottomBorder = 0;
    COLORREF m_clrLeftBorder, m_clrRightBorder, m_clrTopBorder, m_clrBottomBorder;
    CIndSecuCode m_code;
    int m_iDrawStyle = 0;
    CImage* m_pBkImage = nullptr;  // the skin's "image"/"bk_ground"/"blockwnd" (not owned)
    int m_bDblClkCapture = 0;
    int m_nMarginLeft = 0, m_nMarginRight = 0, m_nMarginTop = 0, m_nMarginBottom = 0;
    int m_iVLineSpace = 0, m_iHLineSpace = 0;
    int m_nElementBarKind = 0;
    CElementBarMenu m_elementBar;
    int m_bHideSelf = 0;
    int m_bFullContentCopy = 0;

protected:
    void PaintElement();
    void SendBackgroundRequest(CDC* dc);
    void OnMouseMoveMessage(UINT flags, CPoint pt);
    // The nearest ancestor split of the given orientation whose child on the walked path
    // is the first (wantFirst) or second child; null when none.
    CLayoutManager* FindAncestorSplit(int orientation, bool wantFirst) const;

private:
    std::string m_strTypeName = "CElementWnd";
    std::vector<CElementWnd*> m_children;
};

// A vertical scroll bar for pages taller than their window.
class ScrollElementWnd : public CElementWnd {
public:
    BOOL Create(CWnd* parent) override;
    virtual void RepositionControls() = 0;
    void UpdateScrollBar();
    void OnVScroll(UINT code, UINT pos, CWnd* scrollBar) override;
    int m_nContentHeight = 0;
    int m_nScrollPos = 0;
};

// Stands in for an element whose type is not built into this program yet: it keeps its
// type name (so the layout file keeps it) and shows the name, dimmed, in its pane.
class CPlaceholderElement : public CElementWnd {
public:
    explicit CPlaceholderElement(std::string typeName);
    void DrawClient(CDC* dc) override;
};

// The main window's multi-line tip as element windows reach it; it lives with the chart
// module, above this one, which installs it. show: the element's tip lines under the mouse
// (show false: none there, the tip goes when it is the element's). leave: the mouse left
// the element; the tip goes when it is the element's. UI thread only.
struct ElementTipSink {
    std::function<void(CElementWnd* owner, const std::vector<std::string>& lines, bool show)> show;
    std::function<void(CElementWnd* owner)> leave;
};
void SetElementTipSink(ElementTipSink sink);

// -- the window factory --
using ElementCreator = std::function<std::unique_ptr<CElementWnd>()>;
// Registers the creator for a type name (exact, case-sensitive); a later registration of
// the same name replaces the earlier one.
void RegisterElementType(const std::string& typeName, ElementCreator creator);
bool IsElementTypeRegistered(const std::string& typeName);
// A new element of the type: the registered class; a plain CElementWnd for
// "CElementWnd" and an empty name; a placeholder keeping the name for anything else.
// The element's type name is set to typeName (empty: "CElementWnd").
std::unique_ptr<CElementWnd> CreateElementByType(const std::string& typeName);
