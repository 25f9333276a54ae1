#pragma once
// The indicator formula editor ("FormulaEdit" of DlgConfig.xml). It works on its own copy of
// one catalogue indicator and opens with that indicator's formula text: the text is
// test-compiled (the indicator's own text first, then the editor's), the parameter table,
// the period note and the function reference open from its buttons, and OK closes only once
// the text compiles. Then the formula and the parameter rows go back to the catalogue (and so
// to "Sys.xml" at exit) and the opener is told, to compute its pane again.
#include <functional>
#include <string>

#include "formula/YBIndClass.h"
#include "formula/engine/KlineLight.h"
#include "ui/dialog/DlgTemplate.h"

class CMyEditCtrl;
class MyButton;
class MyRichEditCtrl;
class StaticEx;

// The period note ("forbidPeriod"): which periods an indicator cannot use, told by the
// skin's texts.
class CDlgIndPeriod : public CDlgTemplate {
public:
    explicit CDlgIndPeriod(CWnd* parent = nullptr) : CDlgTemplate(parent) {}
    void LoadSkin() override { LoadSkinNode("forbidPeriod"); }
    void DrawBackground(CDC* dc) override;
};

class CDlgFormula : public CDlgTemplate {
public:
    static constexpr int kEditorId = 100;
    static constexpr int kParamsId = 104;
    static constexpr int kPeriodNoteId = 105;
    static constexpr int kFunctionsId = 106;
    static constexpr int kSidePanelId = 107;
    static constexpr int kTestId = 108;
    static constexpr int kNameId = 109;
    static constexpr int kSideEditorId = 110;
    static constexpr int kStatusId = 1;
    static constexpr const char* kCompiled = "编译成功";

    explicit CDlgFormula(CWnd* parent = nullptr);
    ~CDlgFormula() override;

    void LoadSkin() override { LoadSkinNode("FormulaEdit"); }
    void BuildControls() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    // 0 when both the indicator's text and the editor's compile; else the engine's code with
    // its message (the offending characters selected when the editor's text failed).
    int Compile(std::string& message);
    // Compiles and shows the result in the status line; true when it compiled.
    bool TestCompile();
    // Shows or hides the side panel beside the formula editor.
    void PlaceSidePanel(bool shown);
    // Draws the status line: a success text in black, an error with its mark in yellow.
    static void DrawStatus(StaticEx* status, CDC* dc);

    CKlineLight m_indicator;
    MyRichEditCtrl* m_pSideEditor = nullptr;
    MyRichEditCtrl* m_pEditor = nullptr;
    MyButton* m_pButton103 = nullptr;
    MyButton* m_pSideButton = nullptr;
    CMyEditCtrl* m_pName = nullptr;
    StaticEx* m_pStatus = nullptr;
    // Runs the modal dialogs the buttons open and gives their result; tests answer them
    // instead of a person.
    std::function<int(CDlgTemplate& dialog)> m_runModal;
    // Where OK keeps the edited indicator.
    CYBIndClass* m_pCatalogue = GetYBIndClass();
    // Called after OK has kept the indicator, with the kept indicator: the opener computes
    // its pane again from it.
    std::function<void(const CKlineLight& saved)> m_onSaved;
};
