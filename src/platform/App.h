#pragma once
// The application object and the UI thread's loop.
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Wnd.h"

class CDocTemplate;

namespace platform {
// Brings up the toolkit once per process (the first call wins); every window needs it.
// Installs the CJK font fallback and the input filter that implements capture, the
// key filters and pre-translation.
void Initialize(int& argc, char** argv);
bool IsInitialized();

// Reads what the toolkit otherwise reads on the UI thread the first time it is needed, on
// threads of their own while the program starts: at once the system's font configuration,
// and once Initialize has brought the toolkit up, the font database (the first text drawn
// waits for it). The toolkit reads it under its own lock, so a text drawn meanwhile waits
// only for the rest. Made before or after Initialize; the readers are joined when this
// goes, which must be before the program's globals go (a local of main).
class ToolkitWarmUp {
public:
    ToolkitWarmUp();
    ~ToolkitWarmUp();
    ToolkitWarmUp(const ToolkitWarmUp&) = delete;
    ToolkitWarmUp& operator=(const ToolkitWarmUp&) = delete;

private:
    bool m_bEnding = false;  // under the toolkit-ready lock in App.cpp
    std::thread m_configuration;  // the font configuration
    std::thread m_thread;         // the rest, once the toolkit is up
};
bool IsUiThread();
// The threading contract. Windows belong to the UI thread: CWnd::FromHandle and every call
// on a window (creating, destroying, showing, moving, painting, timers, styles, window
// data, message dispatch) are made there. Another thread posts (::PostMessage, PostTask),
// which is safe with any handle. A call made off the UI thread is reported to this handler
// (by default: a line on stderr, and an abort in debug builds, so the fault is found where
// it happens) and then does nothing (FromHandle still answers). Null restores the default.
// ::SendMessage from another thread waits for the UI thread's answer only while a UI loop
// runs (CWinApp::Run, a modal loop, PumpUntil, ProcessPendingEvents); otherwise it answers
// 0 at once and logs. A send still waiting when the last loop ends is answered 0 too, and
// is never delivered afterwards. IsWindow, PostMessage, PostTask and GetAsyncKeyState are
// safe from any thread.
void SetUiThreadViolationHandler(std::function<void(const std::string&)> handler);
// Runs fn on the UI thread, in order with posted messages. Safe from any thread.
void PostTask(std::function<void()> fn);
// Handles everything pending now, without waiting.
void ProcessPendingEvents();
// Pumps the loop until pred() holds or the deadline (milliseconds) passes; returns pred().
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs);
// Keys seen by the whole application before any window: return true to eat the key.
// Filters run in the order added, before the target's PreTranslateMessage chain.
int AddKeyFilter(std::function<bool(MSG&)> filter);
void RemoveKeyFilter(int cookie);
}  // namespace platform

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_exitCode; }
    // Runs the message loop until PostQuitMessage; returns its exit code.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
    void AddDocTemplate(CDocTemplate* tmpl);
    const std::vector<CDocTemplate*>& GetDocTemplates() const { return m_templates; }
    CWnd* m_pMainWnd = nullptr;
    std::string m_pszAppName;
    int m_exitCode = 0;

private:
    std::vector<CDocTemplate*> m_templates;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
