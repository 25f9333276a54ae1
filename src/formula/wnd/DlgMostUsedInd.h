#pragma once
// The "常用指标" picker ("mostUsedInd" of DlgConfig.xml): eight category buttons switch
// between pages of toggle buttons, and a strip below shows what is picked, each with a
// remove mark. The picks live as long as the dialog; nothing is handed back.
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog/DlgTemplate.h"

class CScrollControlWnd;
class MyButton;

class CDlgMostUsedInd : public CDlgTemplate {
public:
    static constexpr int kFirstCategoryId = 100;  // 100..107
    static constexpr int kCategoryCount = 8;

    explicit CDlgMostUsedInd(CWnd* parent = nullptr);
    ~CDlgMostUsedInd() override;

    void LoadSkin() override;
    void BuildControls() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void SelectCategory(int index);
    // A page's toggle button (control id, check state after the click).
    void OnItemToggled(int controlId, int state);
    // The result strip's remove mark on picked text `index`.
    void OnPickRemoved(int index);

    std::vector<std::string> m_titles;
    std::vector<std::string> m_picked;
    std::shared_ptr<CScrollControlWnd> m_pResult;
    std::vector<std::shared_ptr<CScrollControlWnd>> m_pages;
    std::vector<MyButton*> m_categories;
    int m_nCategory = -1;
};
