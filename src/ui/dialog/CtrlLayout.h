#pragma once
// The child controls of a skinned dialog, read from its element of "DlgConfig.xml":
// painted static texts (StaticEx, not windows), skinned buttons (MyButton) and the other
// skinned controls (SkinControls.h). The layout owns the control objects; their windows
// exist from CreateControls to DestroyControls.
//
// Kinds are read in a fixed order whatever the XML order: "static", "button", "RichEdit",
// "combobox", "edit", "Progress"; within a kind the XML order holds. Every rich edit gets a
// skinned scroll frame, appended to the controls after the walk that creates the windows.
#include <memory>
#include <string>
#include <vector>

#include "platform/Button.h"

namespace tinyxml2 {
class XMLElement;
}
class CImageList;

// Window ids for controls that have none of their own: one process-wide counter, from 1000.
int NextControlId();

class StaticEx {
public:
    using DrawCallback = void (*)(StaticEx* self, CDC* dc);

    void LoadFromXml(const tinyxml2::XMLElement* e);
    void Draw(CDC* dc);

    CFont* m_pFont = nullptr;  // null: the common 12-pixel font
    std::string m_strText;
    CRect m_rect;
    CRect m_rcClose;
    int m_nHeight = 0, m_nWidth = 0;
    UINT m_nFormat = 0;  // DrawText flags; 0: DT_VCENTER | DT_SINGLELINE
    COLORREF m_clrText = 0;
    COLORREF m_clrDisabled = 0;
    uint8_t m_bDisabled = 0;
    uint8_t m_bHidden = 0;
    uint8_t m_bSelected = 0;
    int m_nStaticID = 0;
    DrawCallback m_fnDraw = nullptr;
};

struct stBtnColor {
    COLORREF bk = 0;
    COLORREF text = 0;
};

// The drawing-tool icons "icon" buttons draw: the element bar's three lists and the command
// ids in list order.
struct ToolIconSet {
    CImageList* normal = nullptr;
    CImageList* hot = nullptr;
    CImageList* disabled = nullptr;
    std::vector<UINT> ids;
};

class MyButton : public CButton {
public:
    enum State { kNormal = 0, kHover = 1, kChecked = 2, kPressed = 3, kDisabled = 4 };
    enum Type { kPush = 0, kRadio = 1, kCheck = 2 };
    enum DrawType { kDrawColors = 0, kDrawIcon = 1, kDrawImage = 2, kDrawCallback = 3 };
    enum Look { kLookPressed = 1, kLookHover = 2 };
    using DrawCallback = void (*)(CDC* dc, int state, MyButton* button);

    MyButton();
    ~MyButton() override;

    void LoadFromXml(const tinyxml2::XMLElement* e);
    // Style | WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, and WS_GROUP for a radio
    // button that starts a group.
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // A check button drawn from the image strip PNG 225.
    void SetUpImageButton(const RECT& rc, COLORREF erase, int commandId, const std::string& text);
    // Loads the image strip of draw type 2 from a PNG resource; false leaves no image.
    bool LoadImageStrip(UINT pngId);
    // Radio: checked, and every other radio of the dialog group unchecked; check: toggles.
    void UpdateCheck();
    // disabled > checked > pressed (with the pressed look) > hover (with the hover look) > normal
    int ChooseState() const;
    void DrawItem(DRAWITEMSTRUCT* dis) override;
    void DrawButton(CDC* dc);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    static void SetToolIcons(const ToolIconSet* icons);

    DrawCallback m_fnDraw = nullptr;
    int m_nType = -1;
    int m_nDrawType = -1;
    std::unique_ptr<CBitmap> m_pImage;
    COLORREF m_clrFrame = 0;
    int m_bFrame = 0;
    int m_bErase = 0;
    COLORREF m_clrErase = 0;
    CImageList* m_pIcons = nullptr;
    CImageList* m_pHotIcons = nullptr;
    CImageList* m_pDisabledIcons = nullptr;
    int m_nIconWidth = -1, m_nIconHeight = -1;
    int m_nIconIndex = -1;
    std::vector<stBtnColor> m_colors;
    int m_nLastX = -1, m_nLastY = -1;
    CRect m_rcClient;
    CRect m_rcPlace;
    int m_bPressed = 0;
    int m_nChecked = 0;
    int m_bHover = 0;
    CWnd* m_pParent = nullptr;
    int m_nWidth = 0, m_nHeight = 0;
    int m_nCommandId = 0;
    int m_bGroup = 0;
    std::string m_strText;
    unsigned m_nLook = 0;

private:
    void OnButtonDown();
    void OnButtonUp(CPoint pt);
    void OnMove(CPoint pt);
    void OnLeave();
};

class CtrlLayout {
public:
    CtrlLayout() = default;
    // Scroll frames go before the controls they hold.
    ~CtrlLayout();
    CtrlLayout(const CtrlLayout&) = delete;
    CtrlLayout& operator=(const CtrlLayout&) = delete;
    void LoadFromXml(const tinyxml2::XMLElement* e);
    void CreateControls(CWnd* parent);
    // The first control, in array order, with that command id; scroll frames never match.
    std::shared_ptr<CWnd> GetControl(int id) const;
    std::shared_ptr<StaticEx> GetStatic(int id) const;
    void DestroyControls();

    std::vector<std::shared_ptr<StaticEx>> m_statics;
    std::vector<std::shared_ptr<CWnd>> m_controls;
};
