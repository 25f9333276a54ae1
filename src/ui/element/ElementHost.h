#pragma once
// What an element window asks of the view that hosts its layout: whether the view's frame
// is the active one, which element is active, the solo window, the layout-modified mark,
// a relayout, and the workspace mode key (the layout key, e.g. "trend"). The view of the
// application implements it; tests implement it with a bare window.
#include <string>

class CElementWnd;
class CLayoutManager;
class CWnd;

class CElementHost {
public:
    virtual ~CElementHost() = default;
    // The window the layout's windows are children of.
    virtual CWnd* GetHostWnd() = 0;
    // Set while the host's frame is the active workspace; elements paint only then.
    virtual int IsHostActive() const = 0;
    virtual CElementWnd* GetActiveElement() const = 0;
    virtual void SetActiveElement(CElementWnd* element) = 0;
    // An element shown alone over the whole host (null normally).
    virtual CElementWnd* GetSoloWindow() const = 0;
    virtual void SetSoloWindow(CElementWnd* element) = 0;
    // The layout changed in a way its file should keep.
    virtual void SetLayoutModified() = 0;
    // Lays the whole tree out again in the host's client area.
    virtual void RecalcLayout() = 0;
    // The workspace mode key: the layout key of the loaded ".xlay" file; empty for none.
    virtual std::string GetWorkspaceKey() const = 0;
    // The thin-splitter flag: set, splitters cannot be dragged.
    virtual int IsThinSplitter() const = 0;
};
