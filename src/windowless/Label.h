#pragma once
// Text controls: the label (one piece of text in its rectangle) and the text control
// (word-wrapped, links, shadow). With "showhtml" the text is drawn as mark-up.
#include "windowless/Control.h"

namespace WinlessUI {

class CLabelUI : public CControlUI {
public:
    CLabelUI() = default;
    const char* GetClassName() const override { return "LabelUI"; }
    void* GetInterface(const char* name) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintCaption(CDC* dc) override;
    virtual bool GetAutoCalcWidth() const { return m_bAutoCalcWidth; }
    virtual void SetAutoCalcWidth(bool on) { m_bAutoCalcWidth = on; }

    void SetTextStyle(UINT style) {
        m_uTextStyle = style;
        Invalidate();
    }
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD c) {
        m_dwTextColor = c;
        Invalidate();
    }
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD c) {
        m_dwDisabledTextColor = c;
        Invalidate();
    }
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index) {
        m_iFont = index;
        Invalidate();
    }
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc) {
        m_rcTextPadding = rc;
        Invalidate();
    }
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool on) {
        m_bShowHtml = on;
        Invalidate();
    }

protected:
    void ApplyColourDefaults();
    RECT PaddedRect() const;
    // The text as mark-up (fonts, colours, images); links are not tracked here.
    void DrawMarkup(CDC* dc, RECT& rc, DWORD colour, UINT style);

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER;
    RECT m_rcTextPadding{0, 0, 0, 0};
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    const char* GetClassName() const override { return "TextUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    void SetText(const char* text) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    SIZE MeasureSize(SIZE available) override;
    void PaintCaption(CDC* dc) override;
    CUIString* GetLinkContent(int index);
    int GetLinkCount() const { return m_nLinks; }

protected:
    enum { MAX_LINK = 8 };
    int m_nLinks = 0;
    RECT m_rcLinks[MAX_LINK] = {};
    CUIString m_sLinks[MAX_LINK];
    int m_nHoverLink = -1;
    DWORD m_dwShadowColor = 0;
};

}  // namespace WinlessUI
