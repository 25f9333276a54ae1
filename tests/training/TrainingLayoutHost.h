#pragma once
// A workspace view for the training windows that act through their layout: a top-level
// window holding a layout tree, laid out over its client area.
#include <memory>
#include <string>

#include "platform/Gdi.h"
#include "ui/element/ElementHost.h"
#include "ui/element/ElementWnd.h"
#include "ui/layout/LayoutManager.h"

class TrainingLayoutHost : public CWnd, public CElementHost {
public:
    TrainingLayoutHost(int width, int height, std::string key = "") : m_key(std::move(key)) {
        CreateEx(0, nullptr, "view", WS_POPUP, CRect(0, 0, width, height), nullptr, 0);
        ShowWindow(SW_SHOW);
        m_root = std::make_unique<CLayoutManager>(this, nullptr);
    }
    ~TrainingLayoutHost() override {
        m_root.reset();
        if (m_hWnd) DestroyWindow();
    }
    CLayoutManager& Root() { return *m_root; }

    CWnd* GetHostWnd() override { return this; }
    int IsHostActive() const override { return 1; }
    CElementWnd* GetActiveElement() const override { return m_active; }
    void SetActiveElement(CElementWnd* e) override { m_active = e; }
    CElementWnd* GetSoloWindow() const override { return nullptr; }
    void SetSoloWindow(CElementWnd*) override {}
    void SetLayoutModified() override {}
    void RecalcLayout() override {
        CRect rc;
        GetClientRect(&rc);
        m_root->Recalc(rc);
    }
    std::string GetWorkspaceKey() const override { return m_key; }
    int IsThinSplitter() const override { return 0; }

    // The rectangle of a window in this view's client coordinates.
    CRect Place(CWnd* w) {
        CRect rc;
        w->GetWindowRect(&rc);
        ScreenToClient(&rc);
        return rc;
    }

private:
    std::string m_key;
    std::unique_ptr<CLayoutManager> m_root;
    CElementWnd* m_active = nullptr;
};
