#pragma once
// Frames, documents and views: what the program takes from a multi-document frame
// architecture. The main frame holds bars on its edges and a workspace in between;
// child frames always fill the workspace (one visible at a time) and are switched by
// MDIActivate, which the menu bar's tabs call. Commands route from the active view to
// its document, the child frame, the main frame and the application.
// Frames and views delete themselves once their window is gone (m_bAutoDelete), and a
// document goes with its last view: create them with new, or clear the flag.
#include <functional>
#include <string>
#include <vector>

#include "platform/Wnd.h"

class CDocument;
class CView;
class CDocTemplate;
class CFrameWnd;

class CDocument : public CCmdTarget {
public:
    ~CDocument() override;
    virtual BOOL OnNewDocument() { return TRUE; }
    virtual BOOL OnOpenDocument(const char* path) { return TRUE; }
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CCmdTarget* hintObject = nullptr);
    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const std::string& title) { m_strTitle = title; }
    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& p) { m_strPathName = p; }
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL m = TRUE) { m_bModified = m; }
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    CDocTemplate* m_pDocTemplate = nullptr;
    bool m_bAutoDelete = true;

private:
    std::vector<CView*> m_views;
    std::string m_strTitle, m_strPathName;
    BOOL m_bModified = FALSE;
    bool m_bClosing = false;
};

class CView : public CWnd {
public:
    ~CView() override;
    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;
    virtual void OnDraw(CDC* dc) {}
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    virtual void OnUpdate(CView* sender, LPARAM hint, CCmdTarget* hintObject) { Invalidate(); }
    virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated) {}
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    void OnPaint() override;
    void PostNcDestroy() override;
    CDocument* m_pDocument = nullptr;
    bool m_bAutoDelete = true;
};

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;
    BOOL LoadFrame(UINT idResource, DWORD style, CWnd* parent = nullptr);
    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CFrameWnd* GetActiveFrame() { return this; }
    CDocument* GetActiveDocument();
    // Bars docked on the frame's edges; the rest is the client area given to the view
    // (or, on the main frame, to the workspace).
    void DockBar(CWnd* bar, int edge, int thickness);  // edge: 0 top, 1 bottom, 2 left, 3 right
    void UndockBar(CWnd* bar);
    // Control bars dock by their CBRS_ALIGN_* bits. EnableDocking records the sides the
    // frame accepts (CBRS_ALIGN_*); DockControlBar moves a bar to a side both accept (the
    // side named by dockSide, else the first of top, bottom, left, right) and lays the frame
    // out; ShowControlBar shows or hides a bar and lays the frame out.
    void EnableDocking(DWORD sides) { m_dockSides = sides & 0xF000; }
    DWORD GetDockingSides() const { return m_dockSides; }
    void DockControlBar(class CControlBar* bar, DWORD dockSide = 0);
    void ShowControlBar(class CControlBar* bar, BOOL show, BOOL delay = FALSE);
    virtual void RecalcLayout(BOOL notify = TRUE);
    // The client area less the bars: control bars (CControlBar children, in creation
    // order, sized by their CalcFixedLayout/CalcDynamicLayout answer) and then the bars
    // docked with DockBar.
    CRect GetClientArea() const;
    // Routes nID down the chain and reports the state its update handlers gave.
    CCmdUI QueryCommandState(UINT nID);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnClose() override;
    // Brings every command of a popup up to date (enabled, checked, text) through routing.
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) override;
    void PostNcDestroy() override;
    bool m_bAutoDelete = true;

protected:
    CView* m_pActiveView = nullptr;
    struct Bar {
        CWnd* wnd;
        int edge;
        int thickness;
    };
    std::vector<Bar> m_bars;
    DWORD m_dockSides = 0;
    CRect LayoutBars(bool place);
};

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
public:
    ~CMDIFrameWnd() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void RecalcLayout(BOOL notify = TRUE) override;
    CFrameWnd* GetActiveFrame() override;
    CMDIChildWnd* MDIGetActive(BOOL* maximized = nullptr) const;
    void MDIActivate(CWnd* child);
    void MDINext();
    void MDIDestroy(CWnd* child);
    const std::vector<CMDIChildWnd*>& GetChildFrames() const { return m_children; }
    CWnd* GetWorkspace() const { return m_workspace.get(); }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    // internal: child frames register here
    void AttachChild(CMDIChildWnd* child);
    void DetachChild(CMDIChildWnd* child);

private:
    std::unique_ptr<CWnd> m_workspace;
    std::vector<CMDIChildWnd*> m_children;
    CMDIChildWnd* m_active = nullptr;
};

class CMDIChildWnd : public CFrameWnd {
public:
    ~CMDIChildWnd() override;
    // Creates the child frame in the main frame's workspace, maximised.
    BOOL Create(CMDIFrameWnd* mainFrame, const char* title = "");
    CMDIFrameWnd* GetMDIFrame() const { return m_pMDIFrame; }
    void MDIActivate();
    void MDIDestroy();
    void OnSize(UINT type, int cx, int cy) override;
    void OnClose() override;
    void OnDestroy() override;
    CMDIFrameWnd* m_pMDIFrame = nullptr;
};

class CDocTemplate : public CCmdTarget {
public:
    using DocFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CFrameWnd*()>;
    using ViewFactory = std::function<CView*()>;
    CDocTemplate(UINT idResource, DocFactory doc, FrameFactory frame, ViewFactory view);
    ~CDocTemplate() override;
    virtual void LoadTemplate() {}
    // A new document, its frame and view; path null for an empty document.
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE);
    const std::vector<CDocument*>& GetDocuments() const { return m_docs; }
    void RemoveDocument(CDocument* doc);
    UINT m_nIDResource;

protected:
    DocFactory m_doc;
    FrameFactory m_frame;
    ViewFactory m_view;
    std::vector<CDocument*> m_docs;
};

class CMultiDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
};
