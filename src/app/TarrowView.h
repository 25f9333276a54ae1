#pragma once
// One workspace: the view that owns a layout tree, loads it from and saves it to its
// ".xlay" file, and routes keys, the wheel, commands and typed text to the element that is
// active inside the tree. The document is an empty shell whose title is the mode title on
// the menu-bar tab.
#include <functional>
#include <memory>
#include <string>

#include "platform/Frame.h"
#include "platform/SkinMenu.h"
#include "ui/element/ElementHost.h"
#include "ui/layout/LayoutManager.h"

class C_Tarrow_Doc : public CDocument {};

class CChildFrame : public CSkinMDIChildWnd {
public:
    // Always maximised: the frame fills the workspace and is brought to the front.
    virtual void ActivateFrame(int nCmdShow = -1);
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnClose() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class CSplitView : public CView {
public:
    int m_bThinSplitter = 0;
    CLayoutHolder* m_pSplitRoot = nullptr;
    int m_bSplitView = 0;
    virtual void OnViewNotify(int kind, const std::string& text) {}
    void OnSize(UINT type, int cx, int cy) override;
};

class C_Tarrow_View : public CSplitView, public CElementHost {
public:
    C_Tarrow_View();
    ~C_Tarrow_View() override;

    // -- layouts --
    // Loads the layout file into the tree (saving a modified current one first). An empty
    // path resets the layout. Kind 1 with a security sets it on every element. A file that
    // does not parse, or that names an unknown node type, leaves a fresh single-pane
    // layout: the user is told which file is damaged and the file is kept aside.
    int LoadLayout(const std::string& path, int kind = 0, const CIndSecuCode* code = nullptr,
                   const CGroup* group = nullptr, void* context = nullptr);
    // Writes the tree to path (directories created). False when it could not be written.
    bool SaveLayout(const std::string& path);
    void ResetLayout();
    void RecalcLayout() override;
    void OnViewNotify(int kind, const std::string& text) override;

    CLayoutManager* GetRoot() const { return m_pRoot.get(); }
    const std::string& GetLayoutKey() const { return m_strLayoutKey; }
    const std::string& GetLayoutPath() const { return m_strLayoutPath; }
    int IsLayoutModified() const { return m_bLayoutModified; }
    void SetDefaultPath(std::string path) { m_strDefaultPath = std::move(path); }
    CLayoutManager* GetActiveNode() const { return m_pActiveNode; }

    // -- CElementHost --
    CWnd* GetHostWnd() override { return this; }
    int IsHostActive() const override { return m_bActive; }
    CElementWnd* GetActiveElement() const override { return m_pActiveElement; }
    void SetActiveElement(CElementWnd* element) override;
    CElementWnd* GetSoloWindow() const override { return m_pSoloWnd; }
    void SetSoloWindow(CElementWnd* element) override { m_pSoloWnd = element; }
    void SetLayoutModified() override { m_bLayoutModified = 1; }
    std::string GetWorkspaceKey() const override { return m_strLayoutKey; }
    int IsThinSplitter() const override { return m_bThinSplitter; }

    // Set while the view's child frame is the active workspace.
    void SetViewActive(bool active);

    // -- key gathering --
    // The clock (milliseconds) and the modifier flags (Ctrl 1, Alt 2, Shift 4) the key
    // gathering reads; tests replace them.
    std::function<DWORD()> m_clock;
    std::function<UINT()> m_modifiers;
    // Passes a key to the layout: Escape and other keys to the active element, Tab to the
    // neighbouring pane.
    void DispatchKey(UINT key, UINT count, UINT flags);

    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    // Letters and digits typed over the workspace go to the status bar's code input.
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPt) override;
    void OnRButtonUp(UINT flags, CPoint pt) override;
    void OnContextMenu(CWnd* wnd, CPoint screenPt) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    void OnDraw(CDC* dc) override;

    int m_bActive = 0;
    int m_bLayoutModified = 0;

private:
    void ApplyLoadedLayout(int kind, const CIndSecuCode* code, const CGroup* group, void* context);
    void ReportDamagedLayout(const std::string& path, const std::string& reason);
    void ShowEditMenu(CPoint screenPt);

    std::unique_ptr<CLayoutManager> m_pRoot;
    CLayoutManager* m_pActiveNode = nullptr;
    std::string m_strLayoutKey;
    CElementWnd* m_pSoloWnd = nullptr;
    CElementWnd* m_pActiveElement = nullptr;
    std::string m_strLayoutPath;
    std::string m_strDefaultPath;
    DWORD m_nLastKeyTick = 0;
    UINT m_nPendingKey = 0;
    UINT m_nPendingFlags = 0;
    UINT m_nPendingCount = 0;
    bool m_bKeyPending = false;
};
