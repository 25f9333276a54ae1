#pragma once
// The base of every windowless control: a rectangle inside the host window, painted by
// the paint manager, fed with synthesised events, reporting user actions as notifications.
#include "windowless/ImageAttribute.h"
#include "windowless/PaintManager.h"

namespace WinlessUI {

struct RelativePosUI {
    bool bRelative = false;
    SIZE szParent{0, 0};
    int nMoveXPercent = 0;
    int nMoveYPercent = 0;
    int nZoomXPercent = 0;
    int nZoomYPercent = 0;
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual CUIString GetName() const { return m_sName; }
    virtual void SetName(const char* name) { m_sName = name; }
    virtual const char* GetClassName() const { return "ControlUI"; }
    virtual void* GetInterface(const char* name);
    virtual UINT GetBehaviourFlags() const { return 0; }
    virtual bool Activate();
    virtual CUIPaintManager* GetOwnerManager() const { return m_pManager; }
    virtual void BindManager(CUIPaintManager* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const { return m_pParent; }

    virtual CUIString GetText() const { return m_sText; }
    virtual void SetText(const char* text);

    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc);
    // Moves the control by (dx, dy), as SetPos with the moved rectangle does.
    virtual void Offset(int dx, int dy);
    virtual int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    virtual int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    virtual int GetX() const { return m_rcItem.left; }
    virtual int GetY() const { return m_rcItem.top; }
    virtual RECT GetPadding() const { return m_rcPadding; }
    virtual void SetPadding(RECT rc);
    virtual SIZE GetFloatOffset() const { return m_cXY; }
    virtual void SetFloatOffset(SIZE sz);
    virtual int GetFixedWidth() const { return m_cxyFixed.cx; }
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const { return m_cxyFixed.cy; }
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const { return m_cxyMin.cx; }
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const { return m_cxyMax.cx; }
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const { return m_cxyMin.cy; }
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const { return m_cxyMax.cy; }
    virtual void SetMaxHeight(int cy);
    virtual void SetRelativeMove(SIZE move, SIZE zoom);
    virtual void SetRelativeBaseSize(SIZE sz) { m_tRelativePos.szParent = sz; }
    virtual RelativePosUI GetRelativeMove() const { return m_tRelativePos; }
    virtual bool IsRelativeMove() const { return m_tRelativePos.bRelative; }

    virtual CUIString GetToolTip() const { return m_sToolTip; }
    virtual void SetToolTip(const char* text);
    virtual void SetToolTipWidth(int width) { m_nTooltipWidth = width; }
    virtual int GetToolTipWidth() const { return m_nTooltipWidth; }
    virtual char GetShortcut() const { return m_chShortcut; }
    virtual void SetShortcut(char ch) { m_chShortcut = ch; }
    virtual bool IsMenuEnabled() const { return m_bMenuUsed; }
    virtual void SetMenuEnabled(bool on) { m_bMenuUsed = on; }
    virtual const CUIString& GetUserData() const { return m_sUserData; }
    virtual void SetUserData(const char* text) { m_sUserData = text; }
    virtual UINT_PTR GetTag() const { return m_pTag; }
    virtual void SetTag(UINT_PTR tag) { m_pTag = tag; }

    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetShownByParent(bool visible);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enable = true);
    virtual bool IsMouseEnabled() const { return m_bMouseEnabled; }
    virtual void SetMouseEnabled(bool enable = true) { m_bMouseEnabled = enable; }
    virtual bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    virtual void SetKeyboardEnabled(bool enable = true) { m_bKeyboardEnabled = enable; }
    virtual bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();
    virtual bool IsFloat() const { return m_bFloat; }
    virtual void SetFloat(bool on = true);

    virtual CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags);
    virtual void Init();
    virtual void OnInitialise() {}
    virtual void RaiseEvent(UIEvent& event);
    virtual void HandleEvent(UIEvent& event);
    virtual void SetAttribute(const char* name, const char* value);
    virtual SIZE MeasureSize(SIZE available);
    virtual void PaintControl(CDC* dc, const RECT& rcPaint);
    virtual void PaintBackColour(CDC* dc);
    virtual void PaintBackImage(CDC* dc);
    virtual void PaintStateImage(CDC* dc) {}
    virtual void PaintCaption(CDC* dc) {}
    virtual void PaintFrame(CDC* dc);
    virtual void PaintOverlay(CDC* dc, const RECT& rcPaint) {}

    // ---- non-virtual ----
    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void RequestLayout();
    void RequestParentLayout();
    DWORD AdjustedColour(DWORD colour) const;
    CControlUI* ApplyAttributeText(const char* list);
    void SetVirtualWindowName(const char* name);
    CUIString GetVirtualWindowName() const;

    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD c);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD c);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD c);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD c);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD c);
    bool IsColorHSL() const { return m_bColorHSL; }
    void SetColorHSL(bool on);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int n);
    void SetBorderSize(RECT rc);
    RECT GetBorderSides() const { return m_rcBorderSize; }
    void SetLeftBorderSize(int n);
    void SetTopBorderSize(int n);
    void SetRightBorderSize(int n);
    void SetBottomBorderSize(int n);
    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE sz);
    int GetBorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);

    const CImageAttribute& GetBkImage() const { return m_diBk; }
    void SetBkImage(const char* text);
    void SetForeImage(const char* text);
    void SetNormalImage(const char* text);
    void SetHotImage(const char* text);
    void SetPushedImage(const char* text);
    void SetFocusedImage(const char* text);
    void SetDisabledImage(const char* text);

    bool DrawImage(CDC* dc, CImageAttribute& image);
    bool DrawImage(CDC* dc, CImageAttribute& image, const char* modify);
    bool DrawImage(CDC* dc, CImageAttribute& image, const RECT& dest);

protected:
    // First, together: what moving and painting a control read, so a scroll over
    // thousands of rows touches one cache line of each.
    CUIPaintManager* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    RECT m_rcItem{0, 0, 0, 0};
    bool m_bUpdateNeeded = true;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bFloat = false;
    bool m_bSetPos = false;

public:
    CUIEventSource OnSize;
    CUIEventSource OnInit;
    CUIEventSource OnDestroy;
    CUIEventSource OnEvent;
    CUIEventSource OnNotify;

protected:
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bMenuUsed = false;
    RECT m_rcPadding{0, 0, 0, 0};
    SIZE m_cXY{0, 0};
    SIZE m_cxyFixed{0, 0};
    SIZE m_cxyMin{0, 0};
    SIZE m_cxyMax{9999, 9999};
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    RelativePosUI m_tRelativePos;
    CUIString m_sText;
    CUIString m_sToolTip;
    char m_chShortcut = 0;
    CUIString m_sUserData;
    UINT_PTR m_pTag = 0;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    CImageAttribute m_diBk;
    CImageAttribute m_diFore;
    CImageAttribute m_diNormal;
    CImageAttribute m_diHot;
    CImageAttribute m_diPushed;
    CImageAttribute m_diFocused;
    CImageAttribute m_diDisabled;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    bool m_bColorHSL = false;
    int m_nBorderSize = 0;
    int m_nBorderStyle = 0;
    int m_nTooltipWidth = 300;
    SIZE m_cxyBorderRound{0, 0};
    RECT m_rcPaint{0, 0, 0, 0};
    RECT m_rcBorderSize{0, 0, 0, 0};
};

}  // namespace WinlessUI
