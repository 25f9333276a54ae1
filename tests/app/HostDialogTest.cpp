// The two host dialogs, driven like a user would: choosing the server for the next login,
// adding a host in the editor and taking it back, the proxy block and its settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DlgHostInfo.h"
#include "common/ScratchDir.h"
#include "foundation/Config.h"
#include "marketdata/net/HostInfo.h"
#include "marketdata/net/ProxyHandshake.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Gdi.h"
#include "platform/Input.h"
#include "platform/Services.h"
#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/SkinControls.h"

namespace {

stHostDesc Host(const char* name, const char* ip, uint16_t port) {
    stHostDesc h;
    h.name = name;
    h.ip = ip;
    h.port = port;
    return h;
}

struct HostDialogTest : ::testing::Test {
    ScratchDir home;
    std::vector<std::string> boxes;
    void SetUp() override {
        ASSERT_TRUE(GetDlgFactory()->LoadDlgConfigFile(std::string(TARROW_RESOURCES) + "/DlgConfig.xml"));
        const std::string config = (home.Path() / "appconfig.xml").string();
        std::ofstream(config) << "<config><system/></config>";
        ASSERT_TRUE(LoadConfig(config));
        SetProxySettings(ProxySettings{});
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT) {
            boxes.push_back(caption + ":" + text);
            return IDOK;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetProxySettings(ProxySettings{});
        ResetConfig();
    }
};

// Runs fn once the dialog's controls exist, inside its modal loop.
template <class Dlg>
void WhenShown(Dlg* dlg, std::shared_ptr<bool> running, std::function<void(Dlg*)> fn) {
    platform::PostTask([dlg, running, fn] {
        if (!*running) return;
        if (dlg->m_hWnd && dlg->m_pLayout && dlg->m_grid.m_pHost)
            fn(dlg);
        else
            WhenShown(dlg, running, fn);
    });
}

template <class Dlg>
int RunModal(Dlg& dlg, std::function<void(Dlg*)> fn) {
    auto running = std::make_shared<bool>(true);
    WhenShown<Dlg>(&dlg, running, std::move(fn));
    const int result = int(dlg.DoModal());
    *running = false;
    return result;
}

void Click(CWnd* w) {
    ASSERT_NE(w, nullptr);
    platform::InjectMouse(w, WM_LBUTTONDOWN, 5, 5);
    platform::InjectMouse(w, WM_LBUTTONUP, 5, 5);
}

// A release at a point of the dialog (rows and painted labels are not windows).
void ClickAt(CWnd* dlg, CPoint p) {
    platform::InjectMouse(dlg, WM_LBUTTONDOWN, p.x, p.y);
    platform::InjectMouse(dlg, WM_LBUTTONUP, p.x, p.y);
}

CPoint RowCentre(CGridUI& grid, int visibleRow) {
    const GridLine& l = *grid.m_rows.at(size_t(visibleRow));
    return CPoint((l.left + l.right) / 2, (l.top + l.bottom) / 2);
}

TEST_F(HostDialogTest, ChosenServerIsStoredForTheNextLogin) {
    CDlgHostInfo dlg;
    dlg.SetHosts({Host("主站一", "10.0.0.1", 7709), Host("主站二", "127.0.0.1", 7710)});
    std::string firstName, speed;
    int selectedAtStart = -2;
    const int result = RunModal<CDlgHostInfo>(dlg, [&](CDlgHostInfo* d) {
        selectedAtStart = d->m_grid.m_nSelectedRow;
        firstName = static_cast<CHostGridField&>(*d->m_grid.m_rows.at(0)->m_cells.at(0)).m_strText;
        speed = static_cast<CHostGridField&>(*d->m_grid.m_rows.at(0)->m_cells.at(1)).m_strText;
        ClickAt(d, RowCentre(d->m_grid, 1));
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(selectedAtStart, 0);
    EXPECT_EQ(firstName, "主站一");
    EXPECT_EQ(speed, "很快");
    EXPECT_EQ(GetConfigString("system", "host", "address", ""), "127.0.0.1");
    EXPECT_EQ(GetConfigInt("system", "host", "port", 0), 7710);

    CDlgHostInfo empty;  // nothing to choose: nothing written
    ResetConfig();
    const std::string config = (home.Path() / "appconfig.xml").string();
    std::ofstream(config) << "<config><system/></config>";
    ASSERT_TRUE(LoadConfig(config));
    RunModal<CDlgHostInfo>(empty, [](CDlgHostInfo* d) { Click(d->m_pLayout->GetControl(IDOK).get()); });
    EXPECT_EQ(GetConfigString("system", "host", "address", "none"), "none");
}

TEST_F(HostDialogTest, AHostAddedInTheEditorComesBackSelected) {
    CDlgHostInfo dlg;
    dlg.SetHosts({Host("主站一", "10.0.0.1", 7709)});
    std::vector<std::string> editsAtStart;
    bool addingAfterIncomplete = false;
    dlg.m_runModal = [&](CDlgTemplate& d) {
        auto& editor = dynamic_cast<CDlgConfigHost&>(d);
        return RunModal<CDlgConfigHost>(editor, [&](CDlgConfigHost* e) {
            for (int id : {100, 102, 101}) editsAtStart.push_back(e->m_pEdits[id - 100]->GetWindowText());
            const CPoint add = e->m_pAddLabel->m_rect.CenterPoint();
            ClickAt(e, add);  // add mode: the host edits empty, a cancel label
            EXPECT_EQ(e->m_pAddLabel->m_strText, "确定添加");
            EXPECT_EQ(e->m_pCancelLabel->m_bHidden, 0);
            EXPECT_EQ(e->m_pEdits[0]->GetWindowText(), "");
            e->m_pEdits[0]->SetWindowText("本地");
            ClickAt(e, add);  // no address, no port
            addingAfterIncomplete = e->m_model.IsAdding();
            e->m_pEdits[2]->SetWindowText("127.0.0.1");
            e->m_pEdits[1]->SetWindowText("7711");
            ClickAt(e, add);
            EXPECT_EQ(e->m_pAddLabel->m_strText, "新增主站");
            EXPECT_EQ(e->m_pCancelLabel->m_bHidden, 1);
            Click(e->m_pLayout->GetControl(IDOK).get());
        });
    };
    const int result = RunModal<CDlgHostInfo>(dlg, [](CDlgHostInfo* d) {
        Click(d->m_pLayout->GetControl(CDlgHostInfo::kEditHostsId).get());
        Click(d->m_pLayout->GetControl(IDOK).get());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(editsAtStart, (std::vector<std::string>{"主站一", "10.0.0.1", "7709"}));
    EXPECT_TRUE(addingAfterIncomplete);
    ASSERT_EQ(boxes, (std::vector<std::string>{"提示:添加的主机信息不能为空！"}));
    ASSERT_EQ(dlg.GetHosts().size(), 2u);
    EXPECT_EQ(dlg.GetHosts()[1], Host("本地", "127.0.0.1", 7711));
    EXPECT_EQ(GetConfigInt("system", "host", "port", 0), 7711);  // the new host, selected
}

TEST_F(HostDialogTest, ProxyBlockFollowsTheBoxAndItsSettingsAreStored) {
    CDlgConfigHost editor;
    editor.SetHosts({Host("主站一", "10.0.0.1", 7709)});
    bool disabledAtStart = false, enabledAfterTick = false, openAfterBadPort = false;
    const int result = RunModal<CDlgConfigHost>(editor, [&](CDlgConfigHost* e) {
        disabledAtStart = !e->m_pRadios[1]->IsWindowEnabled() && !e->m_pEdits[6]->IsWindowEnabled();
        Click(e->m_pUseProxy);
        enabledAfterTick = e->m_pRadios[0]->IsWindowEnabled() && e->m_pRadios[2]->IsWindowEnabled();
        for (int id = 103; id <= 106; ++id) enabledAfterTick = enabledAfterTick && e->m_pEdits[id - 100]->IsWindowEnabled();
        Click(e->m_pRadios[1]);  // SOCKS5
        e->m_pEdits[3]->SetWindowText("127.0.0.1");
        e->m_pEdits[4]->SetWindowText("trader");  // a user without a password
        e->m_pEdits[5]->SetWindowText("70000");
        Click(e->m_pLayout->GetControl(IDOK).get());
        openAfterBadPort = e->m_hWnd && e->IsWindowVisible();
        e->m_pEdits[5]->SetWindowText("1080");
        Click(e->m_pLayout->GetControl(IDOK).get());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(disabledAtStart);
    EXPECT_TRUE(enabledAfterTick);
    EXPECT_TRUE(openAfterBadPort);
    ASSERT_EQ(boxes.size(), 1u);
    const ProxySettings p = GetProxySettings();
    EXPECT_TRUE(p.m_bUseProxy);
    EXPECT_EQ(p.m_nType, 102);
    EXPECT_EQ(p.m_strAddress, "127.0.0.1");
    EXPECT_EQ(p.m_nPort, 1080);
    EXPECT_EQ(p.m_strUser, "trader");
    EXPECT_EQ(GetConfigInt("system", "Socket", "ProxyType", 0), 102);
    EXPECT_EQ(GetConfigInt("system", "Socket", "UseProxy", 0), 1);

    // Opened again, the editor shows what was stored.
    CDlgConfigHost again;
    std::string address, port;
    int socks5 = -1, box = -1;
    RunModal<CDlgConfigHost>(again, [&](CDlgConfigHost* e) {
        address = e->m_pEdits[3]->GetWindowText();
        port = e->m_pEdits[5]->GetWindowText();
        socks5 = e->m_pRadios[1]->GetCheck();
        box = e->m_pUseProxy->GetCheck();
        e->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(port, "1080");
    EXPECT_EQ(socks5, 1);
    EXPECT_EQ(box, 1);
}

TEST_F(HostDialogTest, BothDialogsLookRightOnTheDarkSkin) {
    CDlgHostInfo select;
    select.SetHosts({Host("主站一", "10.0.0.1", 7709)});
    ASSERT_TRUE(select.Create(CDlgTemplate::kTemplateId, nullptr));
    CDlgConfigHost editor;
    editor.SetHosts({Host("主站一", "10.0.0.1", 7709)});
    ASSERT_TRUE(editor.Create(CDlgTemplate::kTemplateId, nullptr));
    for (CDlgHostInfo* d : {&select, static_cast<CDlgHostInfo*>(&editor)}) {
        d->ShowWindow(SW_SHOW);
        d->Invalidate();
        d->UpdateWindow();
    }
    platform::ProcessPendingEvents();
    CBitmap shot;
    ASSERT_TRUE(platform::CaptureWindow(&select, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/host_select.png");
    // The selected first row in the highlight colour, its name drawn on it.
    const CPoint row = RowCentre(select.m_grid, 0);
    EXPECT_EQ(shot.GetPixel(select.m_grid.m_rows[0]->left + 3, row.y), select.m_grid.m_gridhighbk);
    EXPECT_TRUE(select.m_grid.IsColumnVisible(2));  // all three columns fit
    ASSERT_TRUE(platform::CaptureWindow(&editor, shot));
    if (const char* dir = std::getenv("TARROW_TEST_SHOTS")) shot.SavePng(std::string(dir) + "/host_editor.png");
    EXPECT_EQ(shot.GetSize().cy, 480);
    EXPECT_EQ(shot.GetPixel(editor.m_rcProxy.left + 5, editor.m_rcProxy.top + 80), editor.m_clrSeparator);
    CWnd* ok = editor.m_pLayout->GetControl(IDOK).get();
    CRect okRect;
    ok->GetWindowRect(&okRect);
    editor.ScreenToClient(&okRect);
    EXPECT_GE(okRect.top, editor.m_rcGrid.bottom);  // the buttons below the list
    select.DestroyWindow();
    editor.DestroyWindow();
}

}  // namespace
