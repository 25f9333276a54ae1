#pragma once
// The tool bar: a control bar of image buttons that send commands to the frame.
//
// - LoadToolBar(id) reads the "TOOLBAR" resource (button width and height, then the
//   command id of each button, 0 for a separator) and the "BITMAP" of the same id, whose
//   strip holds one image per non-separator button in order; mask-coloured pixels
//   (RGB(192,192,192) unless SetMaskColor said otherwise) are transparent.
// - Buttons are 7 pixels wider and 6 higher than their image (SetSizes changes both);
//   separators are 8 pixels wide. Buttons run from the left border in order; GetItemRect
//   gives a button's rectangle in client coordinates.
// - Mouse: the button under the pointer is hot (GetHotItem, -1 for none); pressing a
//   button that is not disabled holds it (TBBS_PRESSED) with the capture until release.
//   Releasing over the same button clicks it: a TBBS_CHECKBOX button toggles TBBS_CHECKED
//   (a TBBS_CHECKGROUP button is checked and the others of its group, from a TBBS_GROUP
//   button to the next, are unchecked), then the owner (the frame) gets WM_COMMAND with
//   MAKEWPARAM(id, BN_CLICKED) and the bar's handle.
// - OnUpdateCmdUI asks the target for each button's command state: a handled command
//   that is disabled gets TBBS_DISABLED, a checked one TBBS_CHECKED; with
//   disableIfNoHandler a command nobody handles is disabled too.
// - Tips (CBRS_TOOLTIPS): once the pointer rests on a button, its text shows in a tooltip
//   below it until the pointer leaves or presses. A button's text is SetButtonText's, else
//   the "STRING" resource of its command id: the part after '\n' when there is one.
// - CalcFixedLayout: the buttons' total width (32767 when stretched) by the button
//   height plus the borders.
// - Drawing goes through two hooks a skin overrides: DrawBackground (the whole client)
//   and DrawButton (one button, with its TBBS_* state and whether it is hot). The
//   default button draws its image, greyed when disabled, on a raised (hot) or sunken
//   (pressed or checked) frame.
#include <memory>
#include <string>
#include <vector>

#include "platform/ControlBar.h"

#define TBBS_BUTTON 0x00000000L
#define TBBS_SEPARATOR 0x00000001L
#define TBBS_CHECKBOX 0x00000002L
#define TBBS_GROUP 0x00000004L
#define TBBS_CHECKGROUP (TBBS_GROUP | TBBS_CHECKBOX)
#define TBBS_CHECKED 0x00010000L
#define TBBS_PRESSED 0x00020000L
#define TBBS_DISABLED 0x00040000L
#define TBBS_INDETERMINATE 0x00080000L
#define TBBS_HIDDEN 0x00100000L

class CImageList;
class CFrameWnd;
class CToolTipCtrl;

class CSkinToolBar : public CControlBar {
public:
    CSkinToolBar();
    ~CSkinToolBar() override;
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                  CRect borders = CRect(0, 0, 0, 0), UINT id = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT id);
    BOOL LoadBitmap(UINT id);  // the image strip alone, at the current image size
    void SetMaskColor(COLORREF mask) { m_mask = mask; }
    void SetSizes(SIZE button, SIZE image);
    // One button per id, ID_SEPARATOR (0) for a separator; images are given in order to
    // the buttons that are not separators.
    BOOL SetButtons(const UINT* ids, int count);
    int GetCount() const { return (int)m_buttons.size(); }
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, LPRECT rc) const;
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    void GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
    void SetButtonInfo(int index, UINT id, UINT style, int image);
    int GetHotItem() const { return m_hot; }
    void SetButtonText(int index, const std::string& text);
    std::string GetButtonText(int index) const;
    CToolTipCtrl* GetToolTips() const { return m_tip.get(); }
    CImageList* GetImageList() const { return m_images.get(); }
    int HitTest(CPoint pt) const;  // the button index, -1 for none or a separator

    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

    virtual void DrawBackground(CDC* dc, const CRect& rc);
    virtual void DrawButton(CDC* dc, int index, const CRect& rc, UINT state, BOOL hot);

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    struct Button {
        UINT id = 0;
        UINT style = 0;
        int image = -1;
        std::string text;  // set by SetButtonText; empty: the string resource
    };
    std::vector<Button> m_buttons;
    std::unique_ptr<CImageList> m_images;
    CSize m_button{23, 22};
    CSize m_image{16, 15};
    COLORREF m_mask = RGB(192, 192, 192);
    int m_hot = -1;
    int m_pressed = -1;
    std::vector<CRect> LayoutButtons() const;
    std::unique_ptr<CToolTipCtrl> m_tip;
    void Click(int index);
    void SetHot(int index);
    void ShowTip(bool show);
};
