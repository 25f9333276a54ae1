// The function reference: groups on the left, the chosen group's functions, the chosen
// function's description; hover highlights rows, a release chooses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "formula/Func.h"
#include "formula/wnd/DlgInsertFunc.h"
#include "platform/App.h"
#include "platform/Gdi.h"
#include "platform/Services.h"
#include "ui/dialog/SkinControls.h"

namespace {

void EnsurePlatform() {
    if (platform::IsInitialized()) return;
    static int argc = 1;
    static char name[] = "test_formula";
    static char* argv[] = {name, nullptr};
    platform::Initialize(argc, argv);
}

CFunc Func(const char* name, const char* group, const char* desc) {
    CFunc f;
    f.m_strName = name;
    f.m_strRemark = std::string(name) + "的说明";
    f.m_strGroup = group;
    f.m_strDesc = desc;
    return f;
}

struct InsertFuncTest : ::testing::Test {
    CSortArray<CFunc> saved;
    CDlgInsertFunc dlg;
    void SetUp() override {
        EnsurePlatform();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        saved = GetFuncCatalogue();
        GetFuncCatalogue().clear();
        for (const CFunc& f : {Func("MA", "统计函数", "简单移动平均"), Func("CLOSE", "行情函数", "收盘价"),
                               Func("EMA", "统计函数", "指数移动平均"), Func("OPEN", "行情函数", "开盘价"),
                               Func("ZIG", "深度分析", "之字转向")})
            GetFuncCatalogue().Insert(f);
        ASSERT_TRUE(dlg.Create(CDlgTemplate::kTemplateId, nullptr));
        dlg.ShowWindow(SW_SHOW);
        platform::ProcessPendingEvents();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        GetFuncCatalogue() = saved;
    }
    // Moves the pointer over row `row` of the grid and releases the button there.
    void ClickRow(CGridUI& grid, int row) {
        ASSERT_LT(size_t(row - grid.m_nTopRow), grid.m_rows.size());
        const GridLine& line = *grid.m_rows[size_t(row - grid.m_nTopRow)];
        const int x = (line.left + line.right) / 2, y = (line.top + line.bottom) / 2;
        dlg.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        dlg.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const CFunc& f : dlg.m_list) names.push_back(f.m_strName);
        return names;
    }
};

TEST_F(InsertFuncTest, OpensOnEveryFunctionWithTheFirstDescribed) {
    EXPECT_EQ(dlg.m_groups.m_nRowCount, 13);
    ASSERT_EQ(dlg.m_groups.m_rows.size(), 13u);
    EXPECT_EQ(static_cast<CFuncGroupLine&>(*dlg.m_groups.m_rows[0]).m_strText, "全部函数");
    EXPECT_EQ(Names(), (std::vector<std::string>{"CLOSE", "EMA", "MA", "OPEN", "ZIG"}));
    EXPECT_EQ(dlg.m_strDescription, "收盘价");
    EXPECT_EQ(dlg.m_pDescription->GetWindowText(), "收盘价");
    EXPECT_EQ(dlg.m_nGroup, 0);
    EXPECT_EQ(dlg.m_nFunction, 0);
}

TEST_F(InsertFuncTest, GroupsFunctionsAndDescriptionsFollowTheClicks) {
    ClickRow(dlg.m_groups, 6);  // 统计函数
    EXPECT_EQ(Names(), (std::vector<std::string>{"EMA", "MA"}));
    EXPECT_EQ(dlg.m_strDescription, "指数移动平均");
    ClickRow(dlg.m_functions, 1);
    EXPECT_EQ(dlg.m_strDescription, "简单移动平均");
    EXPECT_EQ(dlg.m_nGroup, -1);  // the pointer left the groups
    // So the group shown is chosen again by a click and shows its first description.
    ClickRow(dlg.m_groups, 6);
    EXPECT_EQ(dlg.m_strDescription, "指数移动平均");
    // Clicking the current group again chooses nothing.
    ClickRow(dlg.m_groups, 6);
    EXPECT_EQ(dlg.m_strDescription, "指数移动平均");
    EXPECT_EQ(dlg.m_nFunction, -1);
    // A group no function names: an empty list, the old description.
    ClickRow(dlg.m_groups, 12);  // 字符串函数
    EXPECT_TRUE(dlg.m_list.empty());
    EXPECT_EQ(dlg.m_strDescription, "指数移动平均");
}

TEST_F(InsertFuncTest, GroupNamesMatchWithoutRegardToCase) {
    GetFuncCatalogue().Insert(Func("abs", "Math", "绝对值"));
    GetFuncCatalogue().Insert(Func("MAX", "MATH", "较大值"));
    dlg.SelectGroup("math");
    EXPECT_EQ(Names(), (std::vector<std::string>{"MAX", "abs"}));
    dlg.SelectGroup("全部函数");
    EXPECT_EQ(dlg.m_list.size(), 7u);
}

TEST_F(InsertFuncTest, HoverHighlightsTheRowUnderThePointer) {
    const GridLine& line = *dlg.m_functions.m_rows[2];
    dlg.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM((line.left + line.right) / 2, (line.top + line.bottom) / 2));
    EXPECT_EQ(dlg.m_functions.m_nSelectedRow, 2);
    EXPECT_EQ(dlg.m_groups.m_nSelectedRow, -1);
    dlg.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(dlg.m_functions.m_nSelectedRow, -1);
}

TEST_F(InsertFuncTest, LooksRightOnTheDarkSkin) {
    dlg.Invalidate();
    dlg.UpdateWindow();
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&dlg, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/insert_func.png");
    // Group names white on the grid, function names light: text pixels in both grids.
    auto lightIn = [&](const GridLine& line) {
        int n = 0;
        for (int y = line.top; y < line.bottom; ++y)
            for (int x = line.left; x < line.right; ++x) n += GetRValue(shot.GetPixel(x, y)) > 150;
        return n;
    };
    EXPECT_GT(lightIn(*dlg.m_groups.m_rows[1]), 10);
    EXPECT_GT(lightIn(*dlg.m_functions.m_rows[0]), 10);
}

}  // namespace
