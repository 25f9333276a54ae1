// Frames: the workspace of child frames, documents and views, command routing with
// update states, and modeless dialogs.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/Frame.h"
#include "platform/Menu.h"

namespace {

struct Doc : CDocument {
    static int alive;
    std::vector<UINT>* log = nullptr;
    Doc() { ++alive; }
    ~Doc() override { --alive; }
};
int Doc::alive = 0;

struct View : CView {
    static int created;
    int index = created++;
    bool updated = false;
    void OnInitialUpdate() override { updated = true; }
};
int View::created = 0;

struct Child : CMDIChildWnd {};

TEST(Frames, WorkspaceDocumentsViewsAndCommandRouting) {
    CWinApp app("test");
    CMDIFrameWnd main;
    main.m_bAutoDelete = false;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              CRect(0, 0, 640, 480), nullptr, 0));
    app.m_pMainWnd = &main;
    CWnd bar;
    ASSERT_TRUE(bar.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &main, 1));
    main.DockBar(&bar, 0, 30);
    CRect ws;
    main.GetWorkspace()->GetWindowRect(&ws);
    CRect mainRc;
    main.GetWindowRect(&mainRc);
    EXPECT_EQ(ws.top - mainRc.top, 30);
    EXPECT_EQ(ws.Height(), 450);

    auto* tmpl = new CMultiDocTemplate(
        128, [] { return new Doc; }, [] { return new Child; }, [] { return new View; });
    app.AddDocTemplate(tmpl);
    CDocument* d1 = tmpl->OpenDocumentFile(nullptr);
    CDocument* d2 = tmpl->OpenDocumentFile(nullptr);
    ASSERT_NE(d1, nullptr);
    ASSERT_NE(d2, nullptr);
    ASSERT_EQ(main.GetChildFrames().size(), 2u);
    CMDIChildWnd* f1 = main.GetChildFrames()[0];
    CMDIChildWnd* f2 = main.GetChildFrames()[1];
    EXPECT_EQ(main.MDIGetActive(), f2);
    auto* v1 = static_cast<View*>(f1->GetActiveView());
    auto* v2 = static_cast<View*>(f2->GetActiveView());
    EXPECT_TRUE(v1->updated);
    EXPECT_EQ(v1->GetDocument(), d1);
    // child frames fill the workspace; only the active one shows
    CRect fr;
    f1->GetClientRect(&fr);
    EXPECT_EQ(fr.Size(), ws.Size());
    EXPECT_TRUE(f2->IsWindowVisible());
    EXPECT_FALSE(f1->IsWindowVisible());
    main.MDIActivate(f1);
    EXPECT_TRUE(f1->IsWindowVisible());
    EXPECT_FALSE(f2->IsWindowVisible());

    // routing: active view, its document, the child frame, the main frame, the application
    std::vector<std::string> got;
    v1->MapCommand(700, [&] { got.push_back("view1"); });
    v2->MapCommand(700, [&] { got.push_back("view2"); });
    d1->MapCommand(701, [&] { got.push_back("doc1"); });
    main.MapCommand(702, [&] { got.push_back("main"); });
    app.MapCommand(703, [&] { got.push_back("app"); });
    for (UINT id : {700u, 701u, 702u, 703u, 704u}) main.SendMessage(WM_COMMAND, id, 0);
    main.MDIActivate(f2);
    main.SendMessage(WM_COMMAND, 700, 0);
    main.SendMessage(WM_COMMAND, 701, 0);  // the other document has no handler
    EXPECT_EQ(got, (std::vector<std::string>{"view1", "doc1", "main", "app", "view2"}));

    // update states: a disabled command is neither carried out nor shown enabled
    bool enabled = false;
    v2->MapCommand(
        705, [&] { got.push_back("705"); },
        [&](CCmdUI* ui) {
            ui->Enable(enabled);
            ui->SetCheck(1);
        });
    CCmdUI state = main.QueryCommandState(705);
    EXPECT_TRUE(state.m_bHandled);
    EXPECT_FALSE(state.m_bEnabled);
    EXPECT_EQ(state.m_nCheck, 1);
    main.SendMessage(WM_COMMAND, 705, 0);
    EXPECT_EQ(got.back(), "view2");
    enabled = true;
    main.SendMessage(WM_COMMAND, 705, 0);
    EXPECT_EQ(got.back(), "705");
    EXPECT_FALSE(main.QueryCommandState(999).m_bHandled);
    // a popup shown by the frame is brought up to date
    enabled = false;
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, 705, "x");
    popup.AppendMenu(MF_STRING, 702, "y");
    main.SendMessage(WM_INITMENUPOPUP, (WPARAM)popup.GetSafeHmenu(), 0);
    EXPECT_EQ(popup.GetMenuState(705, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED),
              (UINT)(MF_GRAYED | MF_CHECKED));
    EXPECT_EQ(popup.GetMenuState(702, MF_BYCOMMAND) & MF_GRAYED, 0u);

    // closing a child frame takes its view and document with it
    EXPECT_EQ(Doc::alive, 2);
    f2->DestroyWindow();
    EXPECT_EQ(Doc::alive, 1);
    EXPECT_EQ(main.GetChildFrames().size(), 1u);
    EXPECT_EQ(main.MDIGetActive(), f1);
    EXPECT_EQ(tmpl->GetDocuments().size(), 1u);
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
    EXPECT_EQ(Doc::alive, 0);
    delete tmpl;
}

TEST(Frames, ModelessDialogStaysUntilDestroyed) {
    struct Panel : CDialog {
        int oks = 0;
        void OnOK() override { ++oks; }
    } dlg;
    dlg.SetDialogSize(200, 100);
    ASSERT_TRUE(dlg.Create(0, nullptr));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_FALSE(dlg.IsModal());
    dlg.SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_EQ(dlg.oks, 1);
    EXPECT_NE(dlg.m_hWnd, nullptr);
    CRect rc;
    dlg.GetClientRect(&rc);
    EXPECT_EQ(rc.Size(), CSize(200, 100));
    // the window's shape can be cut to a region
    CRgn round;
    round.CreateEllipticRgn(0, 0, 200, 100);
    EXPECT_TRUE(dlg.SetWindowRgn(&round));
    dlg.SendMessage(WM_CLOSE);  // closing a dialog is cancelling it
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(dlg.DestroyWindow());
}

}  // namespace
