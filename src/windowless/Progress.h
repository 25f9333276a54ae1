#pragma once
// Value controls: the progress bar (the part of its fore image that matches the value) and
// the slider (a progress bar with a draggable thumb, wheel stepping and value notifications).
#include <string>

#include "windowless/Label.h"

namespace WinlessUI {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    const char* GetClassName() const override { return "ProgressUI"; }
    void* GetInterface(const char* name) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStateImage(CDC* dc) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool on = true);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool on = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int GetValue() const { return m_nValue; }
    virtual void SetValue(int value);
    // The bar's rectangle relative to the control, as the last paint drew it.
    RECT GetBarRect() const;
    // The image modifier of the last paint.
    const std::string& GetLastModifier() const { return m_sModifier; }

protected:
    // A range that cannot hold a value becomes one step wide, and the value is brought into it.
    void NormaliseRange();

    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMax = 100;
    int m_nMin = 0;
    int m_nValue = 0;
    // Built in full at each paint: a cut string would drop the source rectangle.
    std::string m_sModifier;
};

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    const char* GetClassName() const override { return "SliderUI"; }
    void* GetInterface(const char* name) override;
    UINT GetBehaviourFlags() const override;
    void SetEnabled(bool enable = true) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStateImage(CDC* dc) override;
    void SetValue(int value) override;

    void SetThumbSize(SIZE size) { m_szThumb = size; }
    SIZE GetThumbSize() const { return m_szThumb; }
    void SetChangeStep(int step) { m_nStep = step; }
    int GetChangeStep() const { return m_nStep; }
    void SetThumbImage(const char* image);
    void SetThumbHotImage(const char* image);
    void SetThumbPushedImage(const char* image);
    void SetCanSendMove(bool on) { m_bSendMove = on; }
    bool GetCanSendMove() const { return m_bSendMove; }
    RECT GetThumbRect() const;
    UINT GetButtonState() const { return m_uButtonState; }
    // The value a press, release or drag at pt stands for.
    int ValueFromPoint(POINT pt) const;

protected:
    SIZE m_szThumb{10, 10};
    UINT m_uButtonState = 0;
    int m_nStep = 1;
    CImageAttribute m_diThumb;
    CImageAttribute m_diThumbHot;
    CImageAttribute m_diThumbPushed;
    bool m_bSendMove = false;
};

}  // namespace WinlessUI
