#pragma once
// Base of top-level windows whose whole content comes from a skin file: borderless, with
// its own paint manager, a skin-defined caption and sizing border, standard close, minimise,
// maximise and restore buttons, and round corners.
#include "windowless/Builder.h"
#include "windowless/WindowWnd.h"

namespace WinlessUI {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override;

    UINT ClassStyle() const override { return CS_DBLCLKS; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone(HWND hwnd) override;
    void Notify(UINotify& msg) override { RouteNotification(msg); }
    LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    CControlUI* CreateControl(const char*) override { return nullptr; }

    virtual void OnInitialised() {}
    virtual void OnClickNotification(UINotify& msg);
    virtual CUIString SkinFileName() = 0;
    virtual bool DefaultKeyAnswer(WPARAM key) { return key == VK_ESCAPE; }
    // What happens when the skin cannot be loaded: a message, never the end of the program.
    virtual void OnSkinLoadFailed();
    bool SkinLoadFailed() const { return m_bSkinFailed; }

    virtual LRESULT OnWmClose(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmDestroy(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled);
    virtual LRESULT OnWmNcCalcSize(UINT, WPARAM, LPARAM, bool& handled) { return 0; }
    virtual LRESULT OnWmWindowPosChanging(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmNcPaint(UINT, WPARAM, LPARAM, bool& handled) { return 0; }
    virtual LRESULT OnWmNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmGetMinMaxInfo(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmSize(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmChar(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmCreate(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnWmKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnWmMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual LRESULT OnOtherMessage(UINT, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }
    virtual DWORD WindowStyle() const;

    CUIPaintManager& GetPaintManager() { return m_pm; }

    UI_DECLARE_MESSAGE_MAP()

protected:
    // The hit test with the class names that keep a caption point as client area.
    LRESULT HitTest(LPARAM lParam, const char* const* clientClasses, int count);

    CUIPaintManager m_pm;
    bool m_bSkinFailed = false;
};

}  // namespace WinlessUI
