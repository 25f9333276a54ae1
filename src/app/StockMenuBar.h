#pragma once
// The main frame's top bar: one tab per workspace mode, then one closable tab per further
// layout frame, then the window buttons; at the right end three text links and a small
// menu button. It is also the window's caption: drag it to move the frame, double-click
// it to maximise or restore.
//
// Tabs keep the handle of their frame, never a pointer: a frame that is gone reads as
// none. Hit codes: 100 + i for tab item i, 200 + i for window-button item i, -1 for none.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/CommonColors.h"
#include "foundation/IndSecuCode.h"
#include "platform/SkinMenu.h"

class CStockMenuBar : public CSkinMenuBar {
public:
    static constexpr int kBarHeight = 32;
    static constexpr UINT kTabStyle = 16;
    static constexpr int kHitTab = 100;
    static constexpr int kHitIcon = 200;
    // Commands of the menu button's popup; the main frame handles them.
    static constexpr UINT kCmdHomePage = 41000;
    static constexpr UINT kCmdAbout = 41001;
    static constexpr UINT kCmdHelp = 41002;

    // What the bar asks of the application. Each has a default that works without it.
    struct Hooks {
        // Opens (or activates) the workspace of a layout file; the security, when given,
        // goes to every element of the new workspace.
        std::function<void(const std::string& layoutPath, const CIndSecuCode* security)> openLayout;
        // The security shown by the trend-training workspace, when it shows one.
        std::function<std::optional<CIndSecuCode>()> trendTrainingSecurity;
        // Gives a security to every element of the active view of a frame.
        std::function<void(HWND frame, const CIndSecuCode& security)> giveSecurity;
        // Shows the share dialog with the invitation link (modal).
        std::function<void(const std::string& link)> shareDialog;
        // The account name of the current login.
        std::function<std::string()> accountName;
    };

    CStockMenuBar();
    ~CStockMenuBar() override;

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    Hooks& GetHooks() { return m_hooks; }

    // Builds the mode tabs from the common variables' titles and the window buttons, then
    // creates the window; the bar re-reads its tab colours whenever the skin changes.
    BOOL Create(CWnd* parent, DWORD style, UINT id) override;

    // A tab for a layout frame; a tab of the same title (any letter case) only takes the
    // frame when it has none.
    void AddTab(const std::string& title, HWND frame);
    void AddTab(const std::string& title, CWnd* frame) { AddTab(title, frame ? frame->m_hWnd : nullptr); }
    // Selects the first tab of that title (any letter case).
    void SelectTab(const std::string& title);
    void SelectTabByIndex(int index);
    // Asks the tab's frame to close and removes the tab.
    void RemoveTab(int index);
    // A frame went away: its mode tab forgets it, its closable tab goes.
    void OnFrameClosed(HWND frame);
    // The tab colours from the skin (section "FrameTitle", Tab1..HoverTab4).
    void ApplySkin();

    int GetTabCount() const { return m_nTabCount; }
    int GetModeTabCount() const { return (int)m_nModeTabs; }
    std::string GetTabText(int index) const;
    HWND GetTabFrame(int index) const;  // null when none or gone
    bool IsClosableTab(int index) const { return index >= m_nModeTabs && index < m_nTabCount; }
    // Normal (hot = false) or hover colour of a tab; every tab index gets one.
    COLORREF GetTabColor(int index, bool hot) const;
    const std::vector<COLORREF>& GetTabColors() const { return m_tabColors; }

    // Geometry, relative to the bar's client area.
    int HitTestCode(CPoint pt) const;
    CRect GetTabRect(int index) const;  // the drawn tab: the item less 3 right, 2 bottom
    CRect GetCloseBoxRect(int index) const;     // the drawn X (empty for mode tabs)
    CRect GetCloseBoxHitRect(int index) const;  // what a click on the X may hit
    CRect GetMenuButtonRect() const { return m_rcMenuButton; }
    CRect GetInviteLinkRect() const { return m_rcInvite; }
    CRect GetTrainingLinkRect() const { return m_rcTraining; }
    CRect GetHelpLinkRect() const { return m_rcHelp; }

    // Drawing steps, in the order a paint runs them.
    void DrawBackground(CDC* dc) override;
    void DrawBarItems(CDC* dc) override;
    void DrawTab(CDC* dc, int index) override;
    void DrawBorder(const CRect& rc) override;

    CSize CalcLayout(DWORD mode, int length = -1) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    void OnLButtonDblClk(UINT flags, CPoint pt) override;
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnMouseLeave() override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    void OnDestroy() override;

private:
    CWnd* MainFrame() const;
    int TabAtCode(int code) const { return code >= kHitTab && code < kHitTab + m_nTabCount ? code - kHitTab : -1; }
    void ActivateTab(int index, bool analysisFollowsTraining);
    void RedrawTab(int index);
    void LayoutRightBlock();
    void OnMenuButton(CPoint pt);
    void OnInviteLink();
    int FindTab(const std::string& title) const;
    void RemoveTabAt(int index, bool closeFrame);

    std::vector<COLORREF> m_tabColors;  // normal, hover for tabs 1 to 4
    int m_nTabCount = 0;
    int m_nModeTabs = 0;
    int m_nPressedCode = -1;  // hit code at button-down
    std::vector<HWND> m_tabFrames;  // one per tab
    CRect m_rcMenuButton, m_rcInvite, m_rcTraining, m_rcHelp;
    Hooks m_hooks;
    int m_skinListener = 0;
    bool m_cursorHand = false;
};

// The window buttons at the bar's right end: close, maximise or restore, minimise (the
// library's icon items); their ids are the SC_* commands the skinned frame carries out.
class CCaptionButtonItem : public CSkinIconBarItem {
public:
    CCaptionButtonItem(UINT sysCommand, CSkinMenuBar* bar, const std::string& text);
    void DrawBarItem(CDC* dc, BOOL hot, BOOL pressed) override;
};
