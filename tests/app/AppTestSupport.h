#pragma once
// Helpers of the shell tests: a bare host window for layout trees, element windows that
// record what reaches them, and layout trees built in code.
#include <string>
#include <utility>
#include <vector>

#include "platform/App.h"
#include "ui/element/ElementHost.h"
#include "ui/element/ElementWnd.h"
#include "ui/layout/LayoutCutter.h"
#include "ui/layout/LayoutManager.h"

// A top-level window that hosts a layout tree the way the workspace view does.
class CTestHost : public CWnd, public CElementHost {
public:
    explicit CTestHost(int width = 1000, int height = 600);
    ~CTestHost() override;
    CLayoutManager& Root() { return *m_root; }

    CWnd* GetHostWnd() override { return this; }
    int IsHostActive() const override { return 1; }
    CElementWnd* GetActiveElement() const override { return m_active; }
    void SetActiveElement(CElementWnd* e) override { m_active = e; }
    CElementWnd* GetSoloWindow() const override { return m_solo; }
    void SetSoloWindow(CElementWnd* e) override { m_solo = e; }
    void SetLayoutModified() override { ++m_modified; }
    void RecalcLayout() override;
    std::string GetWorkspaceKey() const override { return "trend"; }
    int IsThinSplitter() const override { return m_thin; }

    int m_modified = 0;
    int m_thin = 0;
    int m_relayouts = 0;

private:
    std::unique_ptr<CLayoutManager> m_root;
    CElementWnd* m_active = nullptr;
    CElementWnd* m_solo = nullptr;
};

// An element that records the keys and typed text offered to it.
class CRecordingElement : public CElementWnd {
public:
    int OnElementKeyDown(UINT key, UINT count, UINT flags) override {
        keys.push_back({key, count});
        return 1;
    }
    int OnTypedText(int kind, const std::string& text) override {
        typed.push_back(text);
        return acceptText;
    }
    std::vector<std::pair<UINT, UINT>> keys;
    std::vector<std::string> typed;
    int acceptText = 0;
};

// Registers "RecordingElement" with the window factory (idempotent).
void RegisterRecordingElement();

// Pumps the UI thread's queue.
void Pump();
