#pragma once
// The main frame's status bar. It draws no panes of its own: it hosts the product logo at
// the left and, at the right, the stock-code input, the connection-state icon and the
// clock, each an element window.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Graphics.h"
#include "platform/StatusBar.h"
#include "ui/element/ElementWnd.h"
#include "ui/status/StatusLayout.h"
#include "ui/status/TipBS.h"

class CClockWnd : public CElementWnd {
public:
    static constexpr UINT kTimer = 1;
    CClockWnd();
    BOOL Create(CWnd* parent) override;
    void DrawClient(CDC* dc) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    std::string GetText() const;  // what the clock shows now
    int16_t m_nHour = 0;
    int16_t m_nMinute = 0;
};

class CConnectionStatusWnd : public CElementWnd {
public:
    static constexpr UINT kTimer = 1;
    CConnectionStatusWnd();
    BOOL Create(CWnd* parent) override;
    void DrawClient(CDC* dc) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    // Reads the network client's flags; repaints when the state changed. The state
    // source may be replaced (tests); by default it reads the process's network client.
    // Entering the wait for the login reply starts the time-out clock; leaving it stops
    // the clock and takes a shown notice away.
    void UpdateState();
    static void SetStateSource(std::function<int()> source);
    // The time-out notice: once the login reply is 5 seconds late (now is a tick count),
    // the bubble says so above the icon, once per wait.
    static constexpr uint32_t kLoginTimeoutMs = 5000;
    static constexpr const char* kTimeoutText = "超时, 详情请点击...";
    void CheckTipTime(uint32_t now);
    int16_t m_nState = 0;
    uint32_t m_nTipTime = 0;  // tick count of a pending time-out notice; 0 = none
    CTipBS m_tip;
};

class CTitleWnd : public CElementWnd {
public:
    CTitleWnd();
    BOOL Create(CWnd* parent) override;
    void DrawClient(CDC* dc) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    void OnElementMouseLeave() override;
    // A click opens the product's home page instead of the element's button-up handling.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::unique_ptr<CImage> m_pImage;  // PNG 227
};

class CBarStatus : public CStatusBar {
public:
    static constexpr int kHeight = 32;
    static constexpr UINT kId = 59393;
    static constexpr DWORD kStyle = 0x50008200;  // child, visible, at the bottom

    CBarStatus();
    ~CBarStatus() override;
    BOOL Create(CWnd* parent, DWORD style = kStyle, UINT id = kId) override;
    // The bar is 32 pixels high and as wide as the frame allows.
    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override { return CSize(32767, kHeight); }

    // The stock-code input's edit colours on the bar (its border flag is set).
    static constexpr COLORREF kInputBack = RGB(157, 169, 187);
    static constexpr COLORREF kInputBorder = RGB(37, 44, 52);  // normal and highlighted
    static constexpr COLORREF kInputText = RGB(58, 85, 112);

    // The stock-code input lives in the slot ComputeStatusBarPlacement gives it; whoever
    // builds the input hands its window here and the bar keeps it placed. Its notify
    // window is the bar's parent, the main frame.
    void SetCodeInput(CWnd* input);
    CWnd* GetCodeInput() const { return m_pCodeInput; }
    CRect GetCodeInputRect() const { return m_placement.codeInput; }
    const StatusBarPlacement& GetPlacement() const { return m_placement; }

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override { return TRUE; }

    CTitleWnd m_wndTitle;
    CClockWnd m_wndClock;
    CConnectionStatusWnd m_wndConnection;

private:
    CWnd* m_pCodeInput = nullptr;
    StatusBarPlacement m_placement;
};
