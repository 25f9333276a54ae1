// The parameter table of an indicator: the texts and edit rules as tables, then the dialog
// with its cells double-clicked (the cell editor answered by the test, and once for real).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formula/wnd/DlgFormulaParam.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "ui/dialog/SkinControls.h"

namespace {

CIndicatorParam Param(const char* name, double def, double min, double max, double step) {
    CIndicatorParam p;
    p.m_strName = name;
    p.m_dDefault = def;
    p.m_dMin = min;
    p.m_dMax = max;
    p.m_dStep = step;
    return p;
}

TEST(FormulaParamRules, RowTextsAndEdits) {
    EXPECT_EQ(FormulaParamRowTexts(Param("N", 12, 2, 250, 1), 0),
              (std::vector<std::string>{"1", "N", "12.00", "2.00", "250.00", "1.00"}));
    struct Case {
        int column;
        const char* text;
        double def, min, max, step;
        int32_t steps;
        const char* name;
    } cases[] = {
        {3, "5", 12, 5, 250, 1, 246, "N"},      // (250 - 5) / 1 + 1
        {4, "50", 12, 2, 50, 1, 49, "N"},
        {5, "5", 12, 2, 250, 5, 50, "N"},       // 248 / 5 + 1 = 50.6, truncated
        {5, "0", 12, 2, 250, 0, 1, "N"},        // no step: one
        {5, "-3", 12, 2, 250, -3, 1, "N"},
        {2, "abc", 0, 2, 250, 1, 7, "N"},       // letters are 0; the count is left alone
        {1, "LONG", 12, 2, 250, 1, 7, "LONG"},
        {0, "99", 12, 2, 250, 1, 7, "N"},       // the row number is not editable
    };
    for (const Case& c : cases) {
        CIndicatorParam p = Param("N", 12, 2, 250, 1);
        p.m_nStepCount = 7;
        ApplyFormulaParamEdit(p, c.column, c.text);
        SCOPED_TRACE(testing::Message() << c.column << " " << c.text);
        EXPECT_EQ(p.m_dDefault, c.def);
        EXPECT_EQ(p.m_dMin, c.min);
        EXPECT_EQ(p.m_dMax, c.max);
        EXPECT_EQ(p.m_dStep, c.step);
        EXPECT_EQ(p.m_nStepCount, c.steps);
        EXPECT_EQ(p.m_strName, c.name);
    }
    CIndicatorParam p = Param("M", 10, 5, 5, 5);
    ApplyFormulaParamEdit(p, 4, "50");  // minimum 5, maximum 50, step 5: ten steps
    EXPECT_EQ(p.m_nStepCount, 10);
}

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_formula";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

struct ParamDialogTest : ::testing::Test {
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
    }
    CDlgFormulaParam dlg;
    void Open(size_t params) {
        for (size_t i = 0; i < params; ++i)
            dlg.m_params.push_back(Param(("P" + std::to_string(i + 1)).c_str(), double(i), 0, 100, 1));
        ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
        dlg.ShowWindow(SW_SHOW);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    CFormulaParamGridField& Cell(size_t row, size_t column) {
        return static_cast<CFormulaParamGridField&>(*dlg.m_grid.m_rows.at(row)->m_cells.at(column));
    }
    void DoubleClick(const CRect& rc) {
        const CPoint c = rc.CenterPoint();
        dlg.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    }
};

TEST_F(ParamDialogTest, ShowsEveryRowAndEditsTheCellClicked) {
    Open(3);
    ASSERT_EQ(dlg.m_grid.m_titles.size(), 6u);
    EXPECT_EQ(dlg.m_grid.m_titles[5]->m_strText, "参数档");
    ASSERT_EQ(dlg.m_grid.m_rows.size(), 3u);
    EXPECT_EQ(Cell(2, 0).m_strText, "3");
    EXPECT_EQ(Cell(2, 1).m_strText, "P3");
    EXPECT_EQ(Cell(2, 2).m_strText, "2.00");

    std::vector<std::string> offered;
    std::vector<CPoint> where;
    dlg.m_editCell = [&](std::string& text, CPoint screen) {
        offered.push_back(text);
        where.push_back(screen);
        text = "8";
        return true;
    };
    DoubleClick(Cell(1, 5).m_rect);  // step of P2
    ASSERT_EQ(offered, (std::vector<std::string>{"1.00"}));
    CPoint expected(Cell(1, 5).m_rect.left + 2, Cell(1, 5).m_rect.top + 2);
    dlg.ClientToScreen(&expected);
    EXPECT_EQ(where[0], expected);
    EXPECT_EQ(dlg.m_params[1].m_dStep, 8);
    EXPECT_EQ(dlg.m_params[1].m_nStepCount, 13);  // 100 / 8 + 1
    EXPECT_EQ(Cell(1, 5).m_strText, "8");

    DoubleClick(Cell(0, 0).m_rect);  // the row number: nothing
    EXPECT_EQ(offered.size(), 1u);

    dlg.m_editCell = [&](std::string&, CPoint) { return false; };  // cancelled
    DoubleClick(Cell(0, 1).m_rect);
    EXPECT_EQ(dlg.m_params[0].m_strName, "P1");
}

TEST_F(ParamDialogTest, AnEditInAScrolledGridChangesTheParameterOnThatLine) {
    Open(30);
    const int perPage = dlg.m_grid.m_nRowsPerPage;
    ASSERT_LT(perPage, 30);
    ASSERT_TRUE(dlg.m_grid.SetTopRow(10));
    EXPECT_EQ(Cell(0, 1).m_strText, "P11");
    dlg.m_editCell = [](std::string& text, CPoint) {
        text = "MID";
        return true;
    };
    DoubleClick(Cell(0, 1).m_rect);
    EXPECT_EQ(dlg.m_params[10].m_strName, "MID");
    EXPECT_EQ(dlg.m_params[0].m_strName, "P1");
}

TEST_F(ParamDialogTest, TheCellEditorItselfTakesTypedText) {
    Open(2);
    const CRect cell = Cell(1, 2).m_rect;
    platform::PostTask([] {
        // Inside the editor's modal loop: type over its text and press Enter.
        CWnd* focus = CWnd::GetFocus();
        ASSERT_NE(focus, nullptr);
        focus->SetWindowText("");
        platform::InjectText("42", focus);
        platform::InjectKey(VK_RETURN);
    });
    DoubleClick(cell);
    EXPECT_EQ(dlg.m_params[1].m_dDefault, 42);
    EXPECT_EQ(Cell(1, 2).m_strText, "42");
}

TEST_F(ParamDialogTest, LooksRightOnTheDarkSkin) {
    Open(2);
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/formula_param.png");
    EXPECT_EQ(shot.GetSize().cy, 320);
    // The OK button lies inside the dialog.
    CWnd* ok = dlg.m_pLayout->GetControl(IDOK).get();
    ASSERT_NE(ok, nullptr);
    CRect okRect;
    ok->GetWindowRect(&okRect);
    dlg.ScreenToClient(&okRect);
    EXPECT_LE(okRect.bottom, 320);
    // Cell texts are drawn, light on the dark grid.
    const CRect name = Cell(0, 1).m_rect;
    int light = 0;
    for (int y = name.top; y < name.bottom; ++y)
        for (int x = name.left; x < name.right; ++x) light += GetRValue(shot.GetPixel(x, y)) > 150;
    EXPECT_GT(light, 5);
}

}  // namespace
