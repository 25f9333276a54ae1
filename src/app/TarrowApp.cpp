#include "app/TarrowApp.h"

#include <cstdio>
#include <cstring>

#include "app/MainFrame.h"
#include "app/ShellCommon.h"
#include "ui/CommonVar.h"
#include "app/TarrowView.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/PicDataLayer.h"
#include "app/DlgDownload.h"
#include "app/DlgHostInfo.h"
#include "app/DlgLogin.h"
#include "chart/KlineChartWnd.h"
#include "drawtools/KlineDrawTools.h"
#include "platform/Services.h"
#include "training/TotalTrainingRecord.h"
#include "platform/home/ProgramDir.h"
#include "training/TrainingRecord.h"
#include "training/wnd/SelStockTraining.h"
#include "training/wnd/TrainingAssistWnd.h"
#include "training/wnd/TrainingKlineWnd.h"
#include "training/wnd/TrainingReportWnd.h"
#include "ui/grid/ReportWnd.h"
#include "ui/layout/LayoutManager.h"

bool AppOptions::Parse(int argc, char** argv, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (std::strcmp(a, "--screenshot-delay") == 0 && i + 1 < argc) {
            screenshotDelayMs = std::atoi(argv[++i]);
        } else if (std::strcmp(a, "--quit-after-first-paint") == 0) {
            quitAfterFirstPaint = true;
        } else if (std::strcmp(a, "--exit-when-ready") == 0) {
            exitWhenReady = true;
        } else if (std::strcmp(a, "--login-auto") == 0) {
            loginAuto = true;
        } else {
            if (error) *error = std::string("unknown argument: ") + a;
            return false;
        }
    }
    return true;
}

C_Tarrow_App* TarrowApp() {
    return dynamic_cast<C_Tarrow_App*>(AfxGetApp());
}

C_Tarrow_App::C_Tarrow_App() : CWinApp("_Tarrow_") {
    m_pDefaultServices = std::make_unique<CDefaultAppServices>(m_hostInfo);
}

C_Tarrow_App::~C_Tarrow_App() {
    // The template's documents went with their frames.
    delete m_pDocTemplate;
}

CMainFrame* C_Tarrow_App::GetMainFrame() const {
    return dynamic_cast<CMainFrame*>(m_pMainWnd);
}

void C_Tarrow_App::RaiseMainWindow() {
    CWnd* main = m_pMainWnd;
    if (!main || !main->m_hWnd) return;
    if (main->IsIconic())
        main->ShowWindow(SW_RESTORE);
    else if (!main->IsWindowVisible())
        main->ShowWindow(SW_SHOW);
    CWnd* popup = CWnd::GetActiveWindow();
    (popup && popup->GetTopLevelParent() == main ? popup : main)->SetForegroundWindow();
}

bool C_Tarrow_App::InitApp() {
    return RunStartup(Services());
}

BOOL C_Tarrow_App::InitInstance() {
    if (!m_instance.Acquire(m_strInstanceName, [this] { RaiseMainWindow(); })) {
        m_bSecondInstance = true;
        return FALSE;
    }
    InitApp();
    RegisterGridElementTypes();
    SetTrainingLayoutOpener([this](const std::string& path) { OpenLayoutFrame(path); });
    SetTrainingSessionOpener([this](const std::shared_ptr<CTrainingRecord>& record) {
        // The record goes along as the workspace's context: an open trend workspace showing
        // another session takes this one.
        OpenLayoutFrame(platform::GetProgramDir() + "layout/trendtraining.xlay", 0, &record->code, nullptr,
                        record.get());
    });
    RegisterTrainingElementTypes();
    RegisterChartElementTypes();
    InstallKlineDrawTools();
    RegisterTrainingPanelTypes();
    RegisterTrainingChartTypes();
    SetTrainingEndedHook([this] {
        if (CMainFrame* main = GetMainFrame()) main->SelectTab("特训场");
    });
    m_bStarted = true;

    m_pDocTemplate = new CSkinMultiDocTemplate(
        kTemplateId, [] { return new C_Tarrow_Doc(); }, [] { return new CChildFrame(); },
        [] { return new C_Tarrow_View(); });
    AddDocTemplate(m_pDocTemplate);

    m_mainThreadId = std::this_thread::get_id();
    auto* frame = new CMainFrame();
    if (!frame->LoadFrame(128, WS_OVERLAPPEDWINDOW)) {
        delete frame;
        return FALSE;
    }
    m_pMainWnd = frame;
    HWND hwnd = frame->m_hWnd;
    // The download popup: created once, hidden until a download shows it.
    CDlgDownload::Register();
    if (auto dlg = GetDlgFactory()->CreateDlg(CDlgDownload::kFactoryId, frame)) {
        frame->m_pDownloadPopup = dynamic_cast<CDlgDownload*>(dlg.get());
        frame->m_pDownloadDlg = std::move(dlg);
    }
    MarketUiHooks hooks;
    hooks.postToMainFrame = [hwnd](uint32_t msg, uint64_t wParam, int64_t lParam) {
        ::PostMessage(hwnd, msg, (WPARAM)wParam, (LPARAM)lParam);
    };
    // Progress values reach the download popup through the frame's queue only.
    std::shared_ptr<CDownloadRelay> relay = frame->GetDownloadRelay();
    relay->SetPost([hwnd](uint64_t wParam, int64_t lParam) {
        ::PostMessage(hwnd, UM_DOWNLOAD_POPUP, (WPARAM)wParam, (LPARAM)lParam);
    });
    hooks.setDownloadRange = [relay](const std::string& title, uint32_t total) {
        relay->SetRange(title, total);
    };
    hooks.setDownloadPosition = [relay](uint32_t position) { relay->SetPosition(position); };
    SetMarketUiHooks(std::move(hooks));
    SetDataLayerHooks({[](void* window, uint32_t msg, uint64_t wParam, int64_t lParam) {
                           ::PostMessage(static_cast<HWND>(window), msg, (WPARAM)wParam,
                                         (LPARAM)lParam);
                       },
                       m_mainThreadId});

    if (!m_options.loginAuto) {
        // Every connect asks for the account first; cancelling the login leaves the program.
        frame->m_runLoginDialog = [this, frame] {
            CDlgLogin dlg(frame);
            dlg.m_onServerList = [this, &dlg] { OpenHostDialogs(&dlg, m_hostInfo); };
            const int result = int(dlg.DoModal());
            if (result != IDOK) frame->PostMessage(WM_CLOSE);
            return result;
        };
    }

    OnFileNew();
    frame->ShowWindow(SW_SHOWMAXIMIZED);
    frame->UpdateWindow();

    if (!m_options.screenshot.empty())
        frame->ScheduleScreenshot(m_options.screenshot, m_options.screenshotDelayMs);
    if (m_options.exitWhenReady) {
        frame->m_onCodeListReady = [frame] { frame->PostMessage(WM_CLOSE); };
    }
    // The workspace is laid out and painted first (everything the start queued: sizes,
    // paints), so that the login dialog opens over a drawn window.
    const bool quitAfterPaint = m_options.quitAfterFirstPaint;
    platform::PostTask([hwnd, quitAfterPaint] {
        platform::ProcessPendingEvents();
        if (!::IsWindow(hwnd)) return;
        CWnd* wnd = CWnd::FromHandle(hwnd);
        wnd->UpdateWindow();
        if (quitAfterPaint) {
            std::printf("painted\n");
            std::fflush(stdout);
            wnd->PostMessage(WM_CLOSE);
            return;
        }
        wnd->PostMessage(UM_LOGIN_FLOW, 0, 0);
    });
    return TRUE;
}

int C_Tarrow_App::ExitInstance() {
    if (m_bStarted) {
        SetMarketUiHooks({});
        SetDataLayerHooks({});
        SetTrainingLayoutOpener(nullptr);
        SetTrainingSessionOpener(nullptr);
        SetTrainingEndedHook(nullptr);
        RunShutdown(Services());
        m_bStarted = false;
    }
    m_instance.Release();
    return CWinApp::ExitInstance();
}

void C_Tarrow_App::OnFileNew() {
    std::string path = GetAppInfo()->GetProgramDir() + "layout/training.xlay";
    void* context = nullptr;
    std::shared_ptr<CTrainingRecord> record;
    if (auto records = GetDataCenter()->GetTrainingRecords()) record = records->GetSelectedRecord();
    context = record.get();
    OpenLayoutFrame(path, 0, nullptr, nullptr, context);
}

C_Tarrow_View* C_Tarrow_App::OpenLayoutFrame(const std::string& path, int kind,
                                              const CIndSecuCode* code, const CGroup* group,
                                              void* context) {
    CMainFrame* main = GetMainFrame();
    if (!main || !m_pDocTemplate) return nullptr;
    main->HidePopups();
    const std::string key = LayoutKeyOfPath(path);
    std::string title = GetCommonVar()->GetTitleByKey(key);
    // A layout that is not one of the modes still gets a tab that names it.
    if (title.empty()) title = key;

    for (CDocument* doc : m_pDocTemplate->GetDocuments()) {
        for (CView* v : doc->GetViews()) {
            auto* view = dynamic_cast<C_Tarrow_View*>(v);
            if (!view || view->GetLayoutKey() != key) continue;
            CFrameWnd* active = main->GetActiveFrame();
            if (!active || active->GetActiveView() != view) {
                if (auto* frame = dynamic_cast<CChildFrame*>(view->GetParentFrame()))
                    frame->ActivateFrame(-1);
            }
            view->LoadLayout(path, kind, code, group, context);
            doc->SetTitle(title);
            return view;
        }
    }
    if (!CreateLayoutFrame(title)) return nullptr;
    CFrameWnd* active = main->GetActiveFrame();
    auto* view = active ? dynamic_cast<C_Tarrow_View*>(active->GetActiveView()) : nullptr;
    if (!view) return nullptr;
    view->LoadLayout(path, kind, code, group, context);
    return view;
}

C_Tarrow_Doc* C_Tarrow_App::CreateLayoutFrame(const std::string& title) {
    CMainFrame* main = GetMainFrame();
    if (!main || !m_pDocTemplate) return nullptr;
    CDocument* doc = m_pDocTemplate->OpenDocumentFile(nullptr, FALSE);
    auto* tdoc = dynamic_cast<C_Tarrow_Doc*>(doc);
    if (!tdoc) return nullptr;
    tdoc->SetTitle(title);
    CView* view = tdoc->GetViews().empty() ? nullptr : tdoc->GetViews().front();
    auto* frame = view ? dynamic_cast<CChildFrame*>(view->GetParentFrame()) : nullptr;
    if (!frame) return nullptr;
    main->AddTab(title, frame);
    frame->ActivateFrame(-1);
    return tdoc;
}

C_Tarrow_View* C_Tarrow_App::FindViewByTitle(const std::string& title) const {
    if (!m_pDocTemplate) return nullptr;
    for (CDocument* doc : m_pDocTemplate->GetDocuments()) {
        if (doc->GetTitle() != title) continue;
        for (CView* v : doc->GetViews())
            if (auto* view = dynamic_cast<C_Tarrow_View*>(v)) return view;
    }
    return nullptr;
}
