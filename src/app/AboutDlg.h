#pragma once
// The about dialog (command 41001 of the main frame) and the placeholder window that marks
// an area reserved for a future order-entry panel.
#include <string>

#include "platform/Dialog.h"

class CDlgTrainingAbout : public CDialog {
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;
    explicit CDlgTrainingAbout(CWnd* parent = nullptr);
    // "%d.%d.%d" of the program's version.
    static std::string VersionText();
    // Where a dialog of size (w, h) goes on a screen of size (sw, sh): centred.
    static CPoint CentredOrigin(int sw, int sh, int w, int h);
    BOOL OnInitDialog() override;
    void OnPaint() override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    std::string m_strVersion;

private:
    CRect CloseBox() const;
};

class CTestWnd : public CWnd {
public:
    // A visible child with an empty caption and rectangle, control id 1334.
    BOOL Create(CWnd* parent);
    void OnPaint() override;
};
