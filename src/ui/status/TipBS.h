#pragma once
// The status bar's speech bubble: a small layered popup that shows one text beside an anchor
// point (screen coordinates). The connection-state window owns one and shows its notices
// in it. It never takes the keyboard: it shows without activation, and a focus it gets goes
// straight back. A click on a style-1 bubble hides it and tells the main window (0x8070,
// wParam 11, lParam 1).

#include <cstdint>
#include <string>

#include "platform/Gdi.h"
#include "platform/Wnd.h"

// Posted to CTipBS: wParam 0 hide, 1 move to the new anchor, 2 show a new text.
inline constexpr UINT kMsgTipBS = 0x806F;

class CTipBS : public CWnd {
public:
    // Shape of the bubble for a text box W x H and a pointer of size c, by style.
    struct Shape {
        CRect text;      // where the text goes
        CRect body;      // the rounded body
        POINT pointer[3];
        CRect window;    // the window's place on screen, relative to the anchor
    };
    static Shape ShapeFor(int style, int w, int h, int c, CPoint anchor);

    BOOL Create(CWnd* parent);
    // Stores the anchor; a new text is shown and painted, the same text only moves.
    void ShowText(const std::string& text, int x, int y);
    void Hide() { PostMessage(kMsgTipBS, 0, 0); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::string m_strText;
    int m_nX = -1, m_nY = -1;
    uint8_t m_nStyle = 0;
    CRect m_rcText;
    int m_nLastUpdate = -1;  // the last wParam acted on (1 move, 2 new text)

private:
    void Place(bool repaint);
    void Paint(CDC* dc);
    CRgn m_body, m_pointer;
    Shape m_shape{};
};
