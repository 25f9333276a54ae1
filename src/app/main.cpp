// Tarrow: starts in the user's home ($TARROW_HOME), brings up its services, shows the main
// window with the training workspace and logs in to the configured server.
//   tarrow [--screenshot FILE [--screenshot-delay MS]] [--quit-after-first-paint]
//          [--exit-when-ready]
// SIGINT and SIGTERM close the main window, so the exit saves everything as usual.
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>

#include "app/TarrowApp.h"
#include "platform/App.h"
#include "platform/CrashDump.h"
#include "platform/home/ProgramDir.h"

namespace {
// Waits for SIGINT/SIGTERM on a thread of its own (they are blocked everywhere else) and
// asks the UI thread to close the main window.
void WatchSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        for (;;) {
            int sig = 0;
            if (sigwait(&set, &sig) != 0) continue;
            platform::PostTask([] {
                CWnd* main = AfxGetMainWnd();
                if (main && main->m_hWnd)
                    main->PostMessage(WM_CLOSE);
                else
                    PostQuitMessage(0);
            });
        }
    }).detach();
}
}  // namespace

int main(int argc, char** argv) {
    WatchSignals();
    const platform::ToolkitWarmUp warmUp;  // from the very start
    platform::Initialize(argc, argv);
    C_Tarrow_App app;
    std::string error;
    if (!app.m_options.Parse(argc, argv, &error)) {
        std::fprintf(stderr, "tarrow: %s\n", error.c_str());
        return 2;
    }
    if (!platform::PrepareProgramDir(&error)) {
        std::fprintf(stderr, "tarrow: %s\n", error.c_str());
        return 1;
    }
    if (!error.empty()) std::fprintf(stderr, "tarrow: %s\n", error.c_str());
    InstallCrashHandler(platform::GetProgramDir());
    if (!app.InitInstance()) {
        if (app.m_bSecondInstance) return 0;
        std::fprintf(stderr, "tarrow: the main window could not be created\n");
        app.ExitInstance();
        return 1;
    }
    int code = app.Run();
    if (!app.m_options.screenshot.empty()) {
        // Run() has saved everything; say whether the picture was taken.
        // (The frame is gone; the result was recorded before it closed.)
    }
    return code;
}
