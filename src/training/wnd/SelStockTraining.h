#pragma once
// Stock-selection training, the part before the board: the process-wide settings the set-up
// page writes and the board and its result dialog read, the set-up page itself, and the
// result dialog. UI thread only.
#include <functional>
#include <string>

#include "ui/dialog/DlgTemplate.h"
#include "ui/element/ElementWnd.h"

struct SelStockSettings {
    int periods = 0;
    int riseTenths = 0;  // the rise threshold in tenths of a percent
    bool hideDate = false;
    bool hideName = false;
};
SelStockSettings& GetSelStockSettings();

// Checks the page's two texts in the page's order and, when they pass, writes all four
// settings. False with the message to show when a text is missing or no number.
bool ApplySelStockInput(const std::string& periodsText, const std::string& riseText, bool hideDate,
                        bool hideName, std::string& message);

// Opens a workspace layout by its path (the application sets it; tests replace it).
void SetTrainingLayoutOpener(std::function<void(const std::string& path)> opener);

// The red "开始训练" button of the training pages.
void DrawStartButton(CDC* dc, const CRect& client, const std::string& text = "开始训练");

class MyButton;
class CMyEditCtrl;

// "选股训练" page of the training centre: what stock-selection training is, the number of
// periods, the rise threshold, the two hide boxes and the start button.
class SelStockSetWnd : public ScrollElementWnd {
public:
    static constexpr int kHideDateId = 100;
    static constexpr int kHideNameId = 101;
    static constexpr int kStartId = 102;
    static constexpr int kContentHeight = 660;

    SelStockSetWnd();
    ~SelStockSetWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void RepositionControls() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // The start button: checks, reports, writes the settings, opens the board.
    void Start();

    std::unique_ptr<MyButton> m_buttons[3];
    std::unique_ptr<CMyEditCtrl> m_pPeriods;
    std::unique_ptr<CMyEditCtrl> m_pRise;
    int m_bHideDate = 0;
    int m_bHideName = 0;
};

// The verdict on the chosen security of a stock-selection board ("DlgSelStockTip").
class CDlgSelStockTip : public CDlgTemplate {
public:
    explicit CDlgSelStockTip(CWnd* parent = nullptr) : CDlgTemplate(parent) {}
    void LoadSkin() override { LoadSkinNode("DlgSelStockTip"); }
    void BuildControls() override;
    void DrawTitle(CDC* dc) override;

    // The two or three lines it shows, from its fields and the settings.
    std::vector<std::string> Lines() const;

    uint8_t m_bPassed = 0;
    double m_fRise = 0;  // tenths of a percent
    std::string m_strName;
    std::string m_strCode;
};
