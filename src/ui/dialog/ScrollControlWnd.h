#pragma once
// A child window of small items in rows and columns that scrolls vertically by whole rows:
// either image check buttons with a caption each, or removable tags (a close cross on the
// selected one). The scroller places the visible rows after every layout or scroll.
//
// To the parent: a check button's click sends UM_STRIP_CHECK (wParam command id, lParam
// check state); a click on the selected tag's close cross posts UM_STRIP_REMOVE (wParam
// the tag's index).
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog/CtrlLayout.h"
#include "ui/grid/GridUI.h"

namespace tinyxml2 {
class XMLElement;
}

inline constexpr UINT UM_STRIP_CHECK = WM_USER + 102;
inline constexpr UINT UM_STRIP_REMOVE = WM_USER + 103;

class CScrollControlWnd : public CWnd {
public:
    CScrollControlWnd();
    ~CScrollControlWnd() override;

    void LoadSkin(const tinyxml2::XMLElement* element);
    virtual BOOL Create(CWnd* parent);
    // Buttons and captions are built by the first call only; every call sets the checks.
    void CreateButtons(const std::vector<std::string>& titles, const std::vector<std::string>& checked);
    void SetItems(const std::vector<std::string>& texts);
    void UncheckButton(const std::string& name);
    // Places the visible rows (the scroller's page fill).
    void FillPage();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::vector<std::shared_ptr<MyButton>> m_buttons;
    std::vector<std::shared_ptr<StaticEx>> m_items;
    CRect m_rcPlace;
    CRect m_rcClient;
    std::vector<std::string> m_titles;
    CScrollUI m_scroll;
    COLORREF m_clrBk = 0;
    bool m_bButtonsCreated = false;

private:
    void OnLButtonUp(CPoint pt);
    void OnPaint();
    void OnSize();
    int ColumnWidth() const;
    int Columns() const { return m_scroll.m_nColumnCount > 0 ? m_scroll.m_nColumnCount : 1; }
};
