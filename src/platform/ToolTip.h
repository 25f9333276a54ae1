#pragma once
// The tooltip control: a small owned popup that shows the text of a tool. Driven by its
// classic messages (TTM_*), so code written against the system control works unchanged.
// A tool is shown with TTM_TRACKACTIVATE: at the point given by TTM_TRACKPOSITION for a
// TTF_TRACK | TTF_ABSOLUTE tool, otherwise just below the pointer. Texts are UTF-8 and
// copied when the tool is added or updated.
#include <string>
#include <vector>

#include "platform/Wnd.h"

#define TTS_ALWAYSTIP 0x01
#define TTS_NOPREFIX 0x02

#define TTF_IDISHWND 0x0001
#define TTF_CENTERTIP 0x0002
#define TTF_SUBCLASS 0x0010
#define TTF_TRACK 0x0020
#define TTF_ABSOLUTE 0x0080

#define TTDT_AUTOMATIC 0
#define TTDT_RESHOW 1
#define TTDT_AUTOPOP 2
#define TTDT_INITIAL 3

#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_SETDELAYTIME (WM_USER + 3)
#define TTM_ADDTOOL (WM_USER + 4)         // lParam: TOOLINFO*; TRUE when added
#define TTM_DELTOOL (WM_USER + 5)         // lParam: TOOLINFO* naming the tool
#define TTM_TRACKACTIVATE (WM_USER + 17)  // wParam: show; lParam: TOOLINFO* naming the tool
#define TTM_TRACKPOSITION (WM_USER + 18)  // lParam: MAKELPARAM(screen x, screen y)
#define TTM_GETDELAYTIME (WM_USER + 21)   // wParam: TTDT_*; milliseconds
#define TTM_GETTOOLCOUNT (WM_USER + 13)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)  // lParam: width, -1 for none; the old width
#define TTM_SETTOOLINFO (WM_USER + 9)      // lParam: TOOLINFO*
#define TTM_UPDATETIPTEXT (WM_USER + 12)   // lParam: TOOLINFO* with the new text
#define TTM_POP (WM_USER + 28)

struct TOOLINFO {
    UINT cbSize = sizeof(TOOLINFO);
    UINT uFlags = 0;
    HWND hwnd = nullptr;
    UINT_PTR uId = 0;
    RECT rect{0, 0, 0, 0};
    void* hinst = nullptr;
    const char* lpszText = nullptr;
    LPARAM lParam = 0;
};

class CToolTipCtrl : public CWnd {
public:
    // A popup owned by `owner`; style TTS_* (WS_POPUP is added).
    BOOL Create(CWnd* owner, DWORD style = 0);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    // The tool shown now, or -1.
    int GetShownTool() const { return m_shown; }
    std::string GetShownText() const;

private:
    struct Tool {
        UINT flags;
        HWND hwnd;
        UINT_PTR id;
        RECT rect;
        std::string text;
        LPARAM lParam;
    };
    int Find(const TOOLINFO* ti) const;
    void Show(int tool);
    CSize Measure(const std::string& text, CRect* textRect);
    std::vector<Tool> m_tools;
    int m_shown = -1;
    bool m_active = true;
    int m_maxWidth = -1;
    POINT m_trackPos{0, 0};
    int m_delays[4] = {500, 100, 5000, 500};  // automatic, reshow, autopop, initial
    CFont m_font;
};
