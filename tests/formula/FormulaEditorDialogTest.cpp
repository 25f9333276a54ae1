// The formula editor: the two compile steps and what they show, OK only once the text
// compiles, the parameter table's rows taken back on OK only, the side panel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FormulaTestSupport.h"
#include "formula/wnd/DlgFormula.h"
#include "formula/wnd/DlgFormulaParam.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

using namespace formula_test;

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_formula";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct FormulaEditorTest : ::testing::Test {
    CYBIndClass catalogue;  // what OK writes to, in place of the program's own
    CDlgFormula dlg;
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        dlg.m_indicator = MakeIndicator("MA1:MA(C,N);", {{"N", 5}});
        dlg.m_indicator.m_strName = "MA";
        catalogue.Insert(dlg.m_indicator);
        dlg.m_pCatalogue = &catalogue;
        ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
        dlg.ShowWindow(SW_SHOW);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    void Command(int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
};

TEST_F(FormulaEditorTest, OpensWithTheNameAndTheIndicatorsOwnFormula) {
    ASSERT_NE(dlg.m_pName, nullptr);
    EXPECT_EQ(dlg.m_pName->GetWindowText(), "MA");
    ASSERT_NE(dlg.m_pEditor, nullptr);
    ASSERT_NE(dlg.m_pSideEditor, nullptr);
    EXPECT_EQ(dlg.m_pEditor->GetWindowText(), "MA1:MA(C,N);");
    EXPECT_EQ(dlg.m_pSideEditor->GetWindowText(), "");
    ASSERT_NE(dlg.m_pStatus, nullptr);
}

// Open MA, change a parameter default and the text, OK: the catalogue keeps both (and so
// the file written at exit), and the opener hears of it to compute its pane again.
TEST_F(FormulaEditorTest, OkKeepsTheFormulaAndParametersInTheCatalogue) {
    dlg.m_runModal = [&](CDlgTemplate& d) {
        auto* params = dynamic_cast<CDlgFormulaParam*>(&d);
        if (!params) return IDCANCEL;
        params->m_params.at(0).m_dDefault = 10;
        return IDOK;
    };
    std::vector<std::string> saved;
    dlg.m_onSaved = [&](const CKlineLight& ind) { saved.push_back(ind.m_strFormula); };
    Command(CDlgFormula::kParamsId);
    dlg.m_pEditor->SetWindowText("MA1:MA(C,N);\nMA2:MA(C,N*2);\n");
    Command(IDOK);
    EXPECT_FALSE(dlg.m_hWnd && dlg.IsWindowVisible());
    ASSERT_EQ(saved, std::vector<std::string>{"MA1:MA(C,N);\nMA2:MA(C,N*2);"});

    const int i = catalogue.Find("MA");
    ASSERT_GE(i, 0);
    EXPECT_EQ(catalogue.GetAt(i).m_strFormula, "MA1:MA(C,N);\nMA2:MA(C,N*2);");
    EXPECT_EQ(catalogue.GetAt(i).m_aParams.at(0).m_dDefault, 10);

    // A pane bound from the catalogue now computes the new text with the new default.
    CKlineLight pane = catalogue.GetAt(i);
    auto bars = DayBars({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    Evaluate(pane, bars);
    ASSERT_EQ(pane.m_aExps.size(), 2u);
    double v = 0;
    ASSERT_TRUE(pane.m_aExps[1].GetValue(19, v));
    EXPECT_DOUBLE_EQ(v, 10.5);  // MA(C,20) at the last bar
    EXPECT_FALSE(pane.m_aExps[1].GetValue(18, v));

    const std::string path = testing::TempDir() + "/formula_editor_sys.xml";
    ASSERT_TRUE(catalogue.Write(path));
    CYBIndClass reread;
    reread.Read(path);
    ASSERT_GE(reread.Find("MA"), 0);
    EXPECT_EQ(reread.GetAt(reread.Find("MA")).m_strFormula, "MA1:MA(C,N);\nMA2:MA(C,N*2);");
    EXPECT_EQ(reread.GetAt(reread.Find("MA")).m_aParams.at(0).m_dDefault, 10);
    std::remove(path.c_str());
}

TEST_F(FormulaEditorTest, ACompileErrorKeepsTheDialogAndTheCatalogueAsTheyWere) {
    int savedCalls = 0;
    dlg.m_onSaved = [&](const CKlineLight&) { ++savedCalls; };
    dlg.m_pEditor->SetWindowText("MA1:MA(C,N);\nMA2:MA(C，N);");
    Command(IDOK);
    EXPECT_TRUE(dlg.m_hWnd && dlg.IsWindowVisible());
    EXPECT_EQ(savedCalls, 0);
    EXPECT_EQ(catalogue.GetAt(catalogue.Find("MA")).m_strFormula, "MA1:MA(C,N);");
    int first = -1, last = -1;
    dlg.m_pEditor->GetSel(first, last);
    EXPECT_EQ(first, 21);  // the full-width comma
    EXPECT_EQ(last, 22);
    EXPECT_NE(dlg.m_pStatus->m_strText.find("，"), std::string::npos) << dlg.m_pStatus->m_strText;
}

TEST_F(FormulaEditorTest, AnIndicatorMissingFromTheCatalogueIsAddedNotLost) {
    catalogue.Clear();
    dlg.m_pEditor->SetWindowText("X:C;");
    Command(IDOK);
    ASSERT_GE(catalogue.Find("MA"), 0);
    EXPECT_EQ(catalogue.GetAt(catalogue.Find("MA")).m_strFormula, "X:C;");
}

TEST_F(FormulaEditorTest, TestCompileShowsSuccessOrTheErrorAndSelectsIt) {
    dlg.m_pEditor->SetWindowText("X:MA(C,5);");
    Command(CDlgFormula::kTestId);
    EXPECT_EQ(dlg.m_pStatus->m_strText, "编译成功");

    dlg.m_pEditor->SetWindowText("X:FOO(C);   \n");
    Command(CDlgFormula::kTestId);
    EXPECT_NE(dlg.m_pStatus->m_strText, "编译成功");
    EXPECT_FALSE(dlg.m_pStatus->m_strText.empty());
    int first = -1, last = -1;
    dlg.m_pEditor->GetSel(first, last);
    EXPECT_EQ(first, 2);  // "FOO"
    EXPECT_EQ(last, 5);
    // OK stays open while the text does not compile, and closes once it does.
    Command(IDOK);
    EXPECT_TRUE(dlg.m_hWnd && dlg.IsWindowVisible());
    dlg.m_pEditor->SetWindowText("X:MA(C,5);");
    Command(IDOK);
    EXPECT_FALSE(dlg.m_hWnd && dlg.IsWindowVisible());
}

TEST_F(FormulaEditorTest, ADisabledEditorChecksOnlyTheIndicatorsOwnText) {
    dlg.m_pEditor->SetWindowText("X:FOO(C);");
    dlg.m_pEditor->EnableWindow(FALSE);
    std::string message;
    EXPECT_EQ(dlg.Compile(message), 0);
    dlg.m_indicator.m_strFormula = "X:MA(C,3";
    EXPECT_NE(dlg.Compile(message), 0);
    EXPECT_FALSE(message.empty());
}

TEST_F(FormulaEditorTest, ParameterRowsComeBackOnOkOnly) {
    int opened = 0;
    int answer = IDCANCEL;
    dlg.m_runModal = [&](CDlgTemplate& d) {
        auto* params = dynamic_cast<CDlgFormulaParam*>(&d);
        if (!params) return IDCANCEL;
        ++opened;
        EXPECT_EQ(params->m_params.size(), 1u);
        params->m_params.at(0).m_dDefault = 20;
        return answer;
    };
    Command(CDlgFormula::kParamsId);
    EXPECT_EQ(dlg.m_indicator.m_aParams.at(0).m_dDefault, 5);
    answer = IDOK;
    Command(CDlgFormula::kParamsId);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(dlg.m_indicator.m_aParams.at(0).m_dDefault, 20);
}

TEST_F(FormulaEditorTest, TheOtherButtonsOpenTheirDialogs) {
    std::vector<std::string> opened;
    dlg.m_runModal = [&](CDlgTemplate& d) {
        opened.push_back(dynamic_cast<CDlgIndPeriod*>(&d) ? "period" : "other");
        return IDOK;
    };
    Command(CDlgFormula::kPeriodNoteId);
    Command(CDlgFormula::kFunctionsId);
    Command(103);  // nothing of its own
    EXPECT_EQ(opened, (std::vector<std::string>{"period", "other"}));
}

TEST_F(FormulaEditorTest, SidePanelTakesTheRightOfTheEditor) {
    auto frameRect = [&](CWnd* editor) {
        CWnd* frame = editor;
        while (frame->GetParent() && frame->GetParent()->m_hWnd != dlg.m_hWnd) frame = frame->GetParent();
        CRect rc;
        frame->GetWindowRect(&rc);
        dlg.ScreenToClient(&rc);
        return rc;
    };
    const CRect full = dlg.m_pEditor->m_rect;
    dlg.PlaceSidePanel(true);
    EXPECT_EQ(frameRect(dlg.m_pEditor), CRect(full.left, full.top, full.right - 200, full.bottom));
    EXPECT_EQ(frameRect(dlg.m_pSideEditor), CRect(full.right - 190, full.top, full.right, full.bottom));
    dlg.PlaceSidePanel(false);
    EXPECT_EQ(frameRect(dlg.m_pEditor), full);
    EXPECT_EQ(frameRect(dlg.m_pSideEditor).Width(), 0);
}

// The status line: the filled band alone when empty, a yellow mark and text on an error.
TEST(FormulaStatusLine, DrawsItsThreeStates) {
    EnsurePlatform();
    CBitmap bitmap;
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 300, 30));
    CBitmap* old = dc.SelectObject(&bitmap);
    StaticEx status;
    status.m_rect = CRect(0, 0, 300, 30);
    auto countYellow = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = x0; x < x1; ++x) {
                const COLORREF c = dc.GetPixel(x, y);
                n += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) < 80;
            }
        return n;
    };
    status.m_strText = "";
    CDlgFormula::DrawStatus(&status, &dc);
    EXPECT_EQ(dc.GetPixel(150, 15), RGB(93, 109, 132));
    EXPECT_EQ(countYellow(0, 300), 0);
    status.m_strText = "未知的函数名";
    CDlgFormula::DrawStatus(&status, &dc);
    EXPECT_GT(countYellow(0, 22), 20);    // the circle
    EXPECT_GT(countYellow(30, 300), 20);  // the text
    EXPECT_EQ(dc.GetPixel(10, 12), RGB(0, 0, 0));  // the exclamation mark
    status.m_strText = "编译成功";
    CDlgFormula::DrawStatus(&status, &dc);
    EXPECT_EQ(countYellow(0, 300), 0);
    dc.SelectObject(old);
}

TEST(PeriodNote, FillsItsPanelBehindTheTexts) {
    EnsurePlatform();
    ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) + "/resources/DlgConfig.xml"));
    CDlgIndPeriod note;
    ASSERT_TRUE(note.Create(CDlgTemplate::kTemplateId, nullptr));
    note.ShowWindow(SW_SHOW);
    note.Invalidate();
    note.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&note, shot));
    EXPECT_EQ(shot.GetPixel(20, 40), note.m_clrBk2);
    EXPECT_EQ(shot.GetPixel(note.m_nWidth - 20, 156), note.m_clrBk2);
    EXPECT_EQ(shot.GetPixel(10, 170), note.m_clrBk);  // outside the panel
    note.DestroyWindow();
}

}  // namespace
