#pragma once
// The windowless scroll bar: arrow buttons, a thumb and a rail drawn from skin images.
// Owned by a container it drives the container's scrolling; standing alone it keeps its
// own position and reports each change as "scroll".
#include "windowless/Control.h"

namespace WinlessUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();
    ~CScrollBarUI() override = default;

    const char* GetClassName() const override { return "ScrollBarUI"; }
    void* GetInterface(const char* name) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetFocus() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintControl(CDC* dc, const RECT& rcPaint) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size; }
    bool GetShowButton1() const { return m_bShowButton1; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return m_bShowButton2; }
    void SetShowButton2(bool show);
    const RECT& GetButton1Rect() const { return m_rcButton1; }
    const RECT& GetButton2Rect() const { return m_rcButton2; }
    const RECT& GetThumbRect() const { return m_rcThumb; }
    UINT GetThumbState() const { return m_uThumbState; }
    UINT GetButton1State() const { return m_uButton1State; }
    UINT GetButton2State() const { return m_uButton2State; }

    // The sixteen part images: part 0 button 1, 1 button 2, 2 thumb, 3 rail; state 0 normal,
    // 1 hot, 2 pushed, 3 disabled.
    void SetPartImage(int part, int state, const char* text);

protected:
    void Relayout() { SetPos(m_rcItem); }
    void LineBack();
    void LineForward();
    void PageBack();
    void PageForward();
    void Scrolled();
    void PaintPart(CDC* dc, int part, UINT& state, const RECT& rc, bool outline);

    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    CContainerUI* m_pOwner = nullptr;
    POINT ptLastMouse{0, 0};
    int m_nLastScrollPos = 0;
    int m_nLastScrollOffset = 0;
    int m_nScrollRepeatDelay = 0;
    bool m_bShowButton1 = true;
    bool m_bShowButton2 = true;
    RECT m_rcButton1{0, 0, 0, 0};
    RECT m_rcButton2{0, 0, 0, 0};
    RECT m_rcThumb{0, 0, 0, 0};
    UINT m_uButton1State = 0;
    UINT m_uButton2State = 0;
    UINT m_uThumbState = 0;
    CImageAttribute m_images[4][4];
};

}  // namespace WinlessUI
