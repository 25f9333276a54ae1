// The line settings and text tool dialogs, run modally and clicked.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "drawtools/DlgPicLineSetting.h"
#include "drawtools/DlgTextTool.h"
#include "drawtools/ToolSettings.h"
#include "foundation/AtomicFile.h"
#include "foundation/Config.h"
#include "common/ScratchDir.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Input.h"
#include "ui/CommonVar.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

struct DialogTest : ::testing::Test {
    void SetUp() override {
        if (!platform::IsInitialized()) {
            static int argc = 1;
            static char name[] = "test_drawtools";
            static char* argv[] = {name, nullptr};
            platform::Initialize(argc, argv);
        }
        GetCommonVar()->Init();
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_SOURCE_DIR) +
                                                       "/resources/DlgConfig.xml"));
        GetToolSettings() = ToolSettings{};
    }
    void TearDown() override { CColorDialog::SetHook(nullptr); }
};

template <class D>
void WhenShown(D* dlg, std::shared_ptr<bool> running, std::function<void(D*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->m_pLayout && !dlg->m_pLayout->m_controls.empty())
            fn(dlg);
        else
            WhenShown(dlg, running, fn);
    });
}

template <class D>
int RunModal(D& dlg, std::function<void(D*)> fn) {
    auto running = std::make_shared<bool>(true);
    WhenShown(&dlg, running, std::move(fn));
    const int result = int(dlg.DoModal());
    *running = false;
    return result;
}

CWnd* Control(CDlgTemplate* d, int id) {
    return d->m_pLayout->GetControl(id).get();
}

MyButton* Button(CDlgTemplate* d, int id) {
    return dynamic_cast<MyButton*>(Control(d, id));
}

void Click(CWnd* w) {
    ASSERT_NE(w, nullptr);
    platform::InjectMouse(w, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(w, WM_LBUTTONUP, 5, 5);
}

std::vector<int> Checks(CDlgTemplate* d) {
    std::vector<int> checks;
    for (int id = 100; id <= 112; ++id) checks.push_back(Button(d, id) ? Button(d, id)->GetCheck() : -1);
    return checks;
}

}  // namespace

TEST_F(DialogTest, LineSettingsOkWithoutChangesChangesNothing) {
    GetToolSettings().lineType = 2;
    GetToolSettings().lineWidth = 3;
    CDlgPicLineSetting dlg;
    dlg.m_nContinue = 1;
    std::vector<int> checks;
    ASSERT_EQ(RunModal<CDlgPicLineSetting>(dlg, [&](CDlgPicLineSetting* d) {
        checks = Checks(d);
        Click(Control(d, IDOK));
    }), IDOK);
    EXPECT_EQ(checks, (std::vector<int>{0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(GetToolSettings().lineType, 2);
    EXPECT_EQ(GetToolSettings().lineWidth, 3);
    EXPECT_EQ(dlg.m_nContinue, 1);
    EXPECT_EQ(dlg.m_nLock, 0);
    EXPECT_EQ(dlg.m_nThird, 0);
}

TEST_F(DialogTest, LineSettingsTakesTheClickedChoices) {
    GetToolSettings().lineType = 7;  // none of the five: no radio shows it
    CDlgPicLineSetting dlg;
    std::vector<int> checks;
    ASSERT_EQ(RunModal<CDlgPicLineSetting>(dlg, [&](CDlgPicLineSetting* d) {
        checks = Checks(d);
        Click(Control(d, 104));
        Click(Control(d, 109));
        Click(Control(d, 111));
        Click(Control(d, IDOK));
    }), IDOK);
    EXPECT_EQ(std::vector<int>(checks.begin(), checks.begin() + 5), (std::vector<int>(5, 0)));
    EXPECT_EQ(GetToolSettings().lineType, 4);
    EXPECT_EQ(GetToolSettings().lineWidth, 5);
    EXPECT_EQ(dlg.m_nLock, 1);
    EXPECT_EQ(dlg.m_nContinue, 0);
}

TEST_F(DialogTest, LineSettingsCancelLeavesTheSettings) {
    CDlgPicLineSetting dlg;
    ASSERT_EQ(RunModal<CDlgPicLineSetting>(dlg, [&](CDlgPicLineSetting* d) {
        Click(Control(d, 103));
        Click(Control(d, 107));
        Click(Control(d, IDCANCEL));
    }), IDCANCEL);
    EXPECT_EQ(GetToolSettings().lineType, 0);
    EXPECT_EQ(GetToolSettings().lineWidth, 1);
}

TEST_F(DialogTest, SettingsAreWrittenOnce) {
    ScratchDir dir;
    const std::string config = dir.File("appconfig.xml");
    WriteFileAtomic(config, "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<system/>");
    ASSERT_TRUE(LoadConfig(config));
    GetToolSettings().lineWidth = 4;
    const int before = atomic_file_testing::DirectorySyncCount();
    saveLineSettings();
    EXPECT_EQ(atomic_file_testing::DirectorySyncCount() - before, 1);
    std::string bytes;
    ReadWholeFile(config, bytes);
    EXPECT_NE(bytes.find("linewidth=\"4\""), std::string::npos);
    ResetConfig();
}

TEST_F(DialogTest, TextDialogShowsTheSizeAndReturnsTheText) {
    CDlgTextTool dlg;
    dlg.m_strText = "原文";
    dlg.SetFontFrom(20, 400, false, "宋体");
    dlg.m_nX = 100;
    dlg.m_nY = 400;
    int selected = -2;
    std::string shownText;
    CRect placed;
    ASSERT_EQ(RunModal<CDlgTextTool>(dlg, [&](CDlgTextTool* d) {
        selected = d->m_pSize->GetCurSel();
        shownText = d->m_pEdit->GetWindowText();
        d->GetWindowRect(&placed);
        d->m_pSize->Choose(4);  // "22": 26 pixels
        platform::PostTask([d] {
            Click(Control(d, CDlgTextTool::kBoldId));
            d->m_pEdit->SetWindowText("新的文字");
            Click(Control(d, IDOK));
        });
    }), IDOK);
    EXPECT_EQ(selected, 2);  // 20 pixels is "14"
    EXPECT_EQ(shownText, "原文");
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.bottom, 400);
    EXPECT_EQ(dlg.m_strText, "新的文字");
    EXPECT_EQ(dlg.m_nFontHeight, 26);  // bold after the size pick keeps the size
    EXPECT_EQ(dlg.m_bBold, 1u);
    EXPECT_EQ(dlg.m_font.m_lf.lfWeight, 800);
    EXPECT_EQ(dlg.m_font.m_lf.lfHeight, -26);
}

TEST_F(DialogTest, TextDialogColoursAndCancel) {
    CColorDialog::SetHook([](COLORREF& c) {
        c = RGB(10, 200, 30);
        return true;
    });
    CDlgTextTool dlg;
    dlg.SetFontFrom(15, 400, true, "");
    int selected = -2;
    ASSERT_EQ(RunModal<CDlgTextTool>(dlg, [&](CDlgTextTool* d) {
        selected = d->m_pSize->GetCurSel();
        Click(Control(d, CDlgTextTool::kTextColorId));
        d->m_pEdit->SetWindowText("不要");
        Click(Control(d, IDCANCEL));
    }), IDCANCEL);
    EXPECT_EQ(selected, -1);  // 15 pixels is not offered
    EXPECT_EQ(dlg.m_clrText, RGB(10, 200, 30));
    EXPECT_TRUE(dlg.m_strText.empty());  // cancel gives nothing back
}
