#pragma once
// The application object: one running copy per home, every process-wide service brought
// up in a fixed order (AppServices.h), the main frame, and the operations that open a
// workspace layout in a child frame or bring forward the frame that already shows it.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "app/AppServices.h"
#include "foundation/IndSecuCode.h"
#include "marketdata/Group.h"
#include "marketdata/net/HostInfo.h"
#include "platform/App.h"
#include "platform/SingleInstance.h"
#include "platform/SkinMenu.h"

class C_Tarrow_Doc;
class C_Tarrow_View;
class CMainFrame;

struct AppOptions {
    // Writes a screenshot of the main window after screenshotDelayMs, then exits.
    std::string screenshot;
    int screenshotDelayMs = 3000;
    // Exits as soon as the main window with its layout has been painted once.
    bool quitAfterFirstPaint = false;
    // Exits once logged in and the security list has arrived (end-to-end runs).
    bool exitWhenReady = false;
    // Logs in without the login dialog: the stored account, or a guest when there is none
    // (unattended runs: screenshots, program tests).
    bool loginAuto = false;
    // Parses the program's switches; false (with a message) for an unknown one.
    bool Parse(int argc, char** argv, std::string* error);
};

class C_Tarrow_App : public CWinApp {
public:
    static constexpr UINT kTemplateId = 130;
    static constexpr const char* kInstanceName = "_Tarrow_";

    C_Tarrow_App();
    ~C_Tarrow_App() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // Brings up the process-wide services through the service table.
    bool InitApp();
    void OnFileNew();
    // Opens the layout file in a child frame, or reloads it into the frame that shows its
    // key and brings that frame forward. Null when there is no main frame.
    C_Tarrow_View* OpenLayoutFrame(const std::string& path, int kind = 0,
                                   const CIndSecuCode* code = nullptr, const CGroup* group = nullptr,
                                   void* context = nullptr);
    C_Tarrow_Doc* CreateLayoutFrame(const std::string& title);
    C_Tarrow_View* FindViewByTitle(const std::string& title) const;

    CSkinMultiDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    CMainFrame* GetMainFrame() const;

    // Replaces the service table (tests); the default reaches the real services.
    void SetServices(CAppServices* services) { m_pServices = services; }
    CAppServices& Services() { return m_pServices ? *m_pServices : *m_pDefaultServices; }
    // The name of the single-instance lock.
    std::string m_strInstanceName = kInstanceName;
    bool m_bSecondInstance = false;

    AppOptions m_options;
    CHostInfo m_hostInfo;
    std::thread::id m_mainThreadId;

private:
    void RaiseMainWindow();

    CSingleInstance m_instance;
    CSkinMultiDocTemplate* m_pDocTemplate = nullptr;
    std::unique_ptr<CDefaultAppServices> m_pDefaultServices;
    CAppServices* m_pServices = nullptr;
    bool m_bStarted = false;
};

// The running application object; null when there is none.
C_Tarrow_App* TarrowApp();
