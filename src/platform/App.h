#pragma once
// The application object and the UI thread's loop.
#include <functional>
#include <string>
#include <vector>

#include "platform/Wnd.h"

class CDocTemplate;

namespace platform {
// Brings up the toolkit once per process (the first call wins); every window needs it.
// Installs the CJK font fallback and the input filter that implements capture, the
// key filters and pre-translation.
void Initialize(int& argc, char** argv);
bool IsInitialized();
bool IsUiThread();
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
