#pragma once
// "画线设置": the pen of new drawing tools (five line types, widths 1 to 5) and the
// continue-drawing and lock switches. OK writes type and width into the drawing settings
// itself; the opener passes the two switches in, takes them back after OK and saves.

#include <vector>

#include "ui/dialog/DlgTemplate.h"

class MyButton;

class CDlgPicLineSetting : public CDlgTemplate {
public:
    static constexpr int kFirstTypeId = 100;   // 100..104: line types 0..4
    static constexpr int kFirstWidthId = 105;  // 105..109: widths 1..5
    static constexpr int kContinueId = 110;
    static constexpr int kLockId = 111;
    static constexpr int kThirdId = 112;
    static constexpr int kButtonCount = 13;

    CDlgPicLineSetting();

    void LoadSkin() override { LoadSkinNode("picLineSetting"); }
    void BuildControls() override;
    void DrawBackground(CDC* dc) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    int m_nContinue = 0;
    int m_nLock = 0;
    int m_nThird = 0;
    int m_nLineType = 0;
    int m_nLineWidth = 1;
    std::vector<MyButton*> m_buttons;  // ids 100..112 in order; null where the skin has none
};
