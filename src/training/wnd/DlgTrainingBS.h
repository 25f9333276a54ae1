#pragma once
// The modal order dialog of a trend-training session ("DlgTrainingBS" of DlgConfig.xml):
// price, hands, a fraction of the kind's maximum and a reason. The control panel sets the
// record, the kind and the three maxima, runs it, and on IDOK refreshes what shows the
// account. A price outside the revealed bar keeps the dialog open; everything else closes
// it, a refusal of the record shown in a message box first.
#include <memory>
#include <string>

#include "training/TrainingOrder.h"
#include "ui/dialog/DlgTemplate.h"

class CTrainingRecord;
class CKeyBoardEdit;
class MyButton;

class CDlgTrainingBS : public CDlgTemplate {
public:
    static constexpr int kFirstFractionId = 100;  // 100..105: all, 2/3, 1/2, 1/3, 1/4, 1/6
    static constexpr int kPriceId = 111;
    static constexpr int kHandsId = 112;
    static constexpr int kCommentId = 113;
    static constexpr const char* kCommentPrompt = "不超过50个汉字";
    // The prompt's promise, in characters (UTF-8 code points).
    static constexpr size_t kMaxCommentChars = 50;

    explicit CDlgTrainingBS(CWnd* parent = nullptr);
    ~CDlgTrainingBS() override;

    // Kind, title and the maxima in one go, as the panel does before DoModal.
    void SetOrder(CTrainingRecord* record, int kind, const TrainingOrderMaxima& maxima);

    void LoadSkin() override { LoadSkinNode("DlgTrainingBS"); }
    void BuildControls() override;
    void DrawBackground(CDC* dc) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    // The hands edit from the current fraction of the kind's maximum.
    void FillHands();
    // The comment as stored: the prompt counts as empty; cut at kMaxCommentChars.
    std::string GetComment() const;
    // The information line's text and colour for the current kind.
    std::string InfoText() const;
    COLORREF InfoColour() const;

    CTrainingRecord* m_pRecord = nullptr;
    int m_nKind = -1;
    int m_nFraction = 0;
    TrainingOrderMaxima m_maxima;
    bool m_bIndex = false;
    MyButton* m_pFractionButtons[6] = {};
    CMyEditCtrl* m_pPriceEdit = nullptr;
    CMyEditCtrl* m_pHandsEdit = nullptr;
    std::shared_ptr<CKeyBoardEdit> m_pComment;
    CRect m_rcInfo;
    // What the last OK did (for the panel's refresh and for tests).
    TrainingOrderOutcome m_lastOutcome;

private:
    void OnPriceChange();
    void OnCommentChange(UINT code);
    void RedrawInfo();

    // True while the dialog fills its own edits: the price it puts in is the one the panel's
    // maxima were computed at, so that is no change of price.
    bool m_bFilling = false;
};
