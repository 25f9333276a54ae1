#pragma once
// The skinned controls of a dialog layout besides buttons: a drop-down combo box whose
// list is a grid, an edit with state-dependent frame colours and an optional icon, a rich
// edit, and a bitmap progress bar. Each reads its own element of "DlgConfig.xml".
//
// Reports to the dialog: a row clicked in a combo box's list posts UM_COMBO_CHOSEN; Return
// in an edit with "TranslateReturn" posts UM_EDIT_RETURN (an in-place cell editor takes it
// as OK). Escape in a skinned edit hands the focus to the dialog and never closes it.
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "ui/grid/GridUI.h"

namespace tinyxml2 {
class XMLElement;
}

inline constexpr UINT UM_COMBO_CHOSEN = WM_USER + 100;
inline constexpr UINT UM_EDIT_RETURN = WM_USER + 105;

class MyComboBox;
class MyComboList;

class MyComboListLine : public GridLine {
public:
    void Draw(CDC* dc, BOOL selected) override;
    std::string m_strText;
};

// The drop list. While it is shown its grid's selected row is the highlighted one (the row
// under the mouse); the combo box's current item changes only when a row is clicked.
class MyComboList : public CWnd {
public:
    void LoadFromXml(const tinyxml2::XMLElement* e);
    void FillPage();
    // Grid rects from the client rect (1-pixel border), page and scroll bars.
    void Relayout();

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPt) override;
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;

    MyComboBox* m_pCombo = nullptr;
    CGridUI m_grid;
    int m_nLastX = -1, m_nLastY = -1;
    COLORREF m_clrBorder = 0, m_clrText = 0, m_clrHighText = 0;
    CRect m_rcList;
    int m_nDropLimit = 0;  // the skin's list height: the most a drop-down shows
    std::vector<std::string> m_items;
};

class MyComboBox : public CWnd {
public:
    MyComboBox();
    void LoadFromXml(const tinyxml2::XMLElement* e);
    // Its own window (next control id) at the placement rect, and the hidden drop list,
    // owned by the parent.
    BOOL CreateCombo(CWnd* parent);
    void AddItem(const std::string& text);
    void ResetContent();
    int GetCount() const { return int(m_list.m_items.size()); }
    int GetCurSel() const { return m_nCurSel; }
    void SetCurSel(int index);
    // The current item, or empty when the index is outside the items.
    std::string GetCurText() const;
    // min(list rect height, line height * items + the 2 border pixels); 0: never drops down.
    int DropHeight() const;
    // Shows the list under the box, or hides it when shown.
    void ToggleDropDown();
    BOOL IsDroppedDown() const { return m_list.m_hWnd && m_list.IsWindowVisible(); }
    // A row of the list was clicked: it becomes the current item.
    void Choose(int row);

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    void OnDestroy() override;

    int m_nCommandId = 0;
    CRect m_rcPlace;
    COLORREF m_clrBorder = 0, m_clrBk = 0, m_clrArrow = 0, m_clrText = 0;
    CRect m_rcArrow;
    CRect m_rcClient;
    int m_nLastX = -1, m_nLastY = -1;
    CWnd* m_pParent = nullptr;
    MyComboList m_list;

private:
    int m_nCurSel = -1;
};

class CMyEditCtrl : public CEdit {
public:
    CMyEditCtrl();
    ~CMyEditCtrl() override;
    void LoadFromXml(const tinyxml2::XMLElement* e);
    // Window id = command id (or the next control id), ES_MULTILINE | ES_AUTOVSCROLL.
    BOOL CreateEdit(CWnd* parent);
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    COLORREF FrameColor() const;
    void DrawFrame();

    COLORREF m_clrNormalBorder = 0, m_clrHighBorder = 0, m_clrDisabledBorder = 0;
    COLORREF m_clrBk = 0, m_clrText = 0, m_clrDisabledBk = 0, m_clrDisabledText = 0;
    CBrush m_brush;
    CRect m_rcPlace;
    bool m_bTranslateReturn = false;
    bool m_bHasBorder = false;
    int m_nCommandId = 0;
    bool m_bTracking = false;
    bool m_bHover = false;
    int m_nLeftInset = 0, m_nVertInset = 0;
    std::unique_ptr<CBitmap> m_pIcon;
};

class MyRichEditCtrl : public CRichEditCtrl {
public:
    void LoadFromXml(const tinyxml2::XMLElement* e);
    CRect m_rect;
    COLORREF m_clrBk = 0;
    int m_nCommandId = 0;
    bool m_bFramed = false;
};

class CMyProgressCtrl : public CProgressCtrl {
public:
    CMyProgressCtrl();
    void LoadFromXml(const tinyxml2::XMLElement* e);
    // Where the bar bitmap goes: from (2, 2) to ((width - 4) * fraction, height - 2); empty
    // when maximum = minimum or the bar would not reach past x = 2.
    static CRect BarRect(int width, int height, int minimum, int maximum, int position);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawBar(CDC* dc, const CRect& client);

    int m_nMin = 0, m_nMax = 0, m_nPos = 0;
    CBitmap m_bar;
    CSize m_barSize;
    CRect m_rect;
    COLORREF m_clrBk = 0, m_clrBorder = 0;
    int m_nCommandId = -1;
};
