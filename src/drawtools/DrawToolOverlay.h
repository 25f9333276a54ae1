#pragma once
// The drawing-tool overlay of a chart: it owns the chart's tools (in drawing order), the
// tool being placed, the selection editor, the drawing mode chosen on the tool bar and
// the file the tools of one security and period are kept in. Its four message actions
// (DrawToolActions.h) turn mouse, key and command messages into placing, selecting,
// dragging and deleting tools; the chart asks it to paint the tools of each pane.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawtools/DrawChart.h"
#include "drawtools/EncircleLines.h"
#include "drawtools/ToolFile.h"

class CDC;
class CWnd;
class CRecRgnLines;
class DrawToolAction;

// What a text tool's dialog edits.
struct TextToolEdit {
    std::string text;
    CPoint anchor;  // screen point: the dialog's bottom-left corner
    int fontHeight = 14;
    std::string face;
    int weight = 400;
    bool italic = false;
    COLORREF textColor = 0;
    COLORREF backColor = 0;
};

// The window side the actions need beyond the chart's geometry: tool bar buttons,
// cursors, screen coordinates and the two dialogs. The chart window implements it; a
// chart without one gets DefaultDrawToolHost.
class IDrawToolHost {
public:
    virtual ~IDrawToolHost() = default;
    // Pops the tool bar button up (only when the bar is shown).
    virtual void ReleaseToolButton(int command) = 0;
    virtual bool IsToolBarVisible() = 0;
    virtual void UpdateToolBar() = 0;
    // A CommonResouce cursor slot; -1 hides the cursor.
    virtual void ShowCursor(int slot) = 0;
    virtual CPoint ClientToScreen(CPoint p) = 0;
    virtual CSize ScreenSize() = 0;
    // Modal; true on OK with `edit` changed.
    virtual bool RunTextDialog(TextToolEdit& edit) = 0;
    virtual bool RunLineSettings(int& continueDraw, int& lock) = 0;
};

// The message argument block: mouse (flags, x, y), key (key, repeat, modifiers),
// command (id, argument), user message (message, wParam, lParam); `result` is what the
// window answers when an action claims the message.
struct DrawMsg {
    int64_t a0 = 0, a1 = 0, a2 = 0;
    int64_t result = 0;

    static DrawMsg Mouse(int x, int y) { return DrawMsg{0, x, y, 0}; }
    static DrawMsg Key(int key) { return DrawMsg{key, 1, 0, 0}; }
    static DrawMsg Command(int id) { return DrawMsg{id, 0, 0, 0}; }
    static DrawMsg User(uint32_t message, uint64_t wParam) {
        return DrawMsg{message, int64_t(wParam), 0, 0};
    }
    int X() const { return int(a1); }
    int Y() const { return int(a2); }
};

class DrawToolOverlay {
public:
    // Message types of the chart's dispatch.
    enum MsgType {
        kPress = 0,
        kRelease = 1,
        kMove = 2,
        kHover = 3,
        kLeave = 4,
        kDoubleClick = 5,
        kRightUp = 6,
        kKeyDown = 7,
        kText = 8,
        kCommand = 9,
        kCommandUpdate = 10,
        kUserMessage = 11,
    };

    DrawToolOverlay(IDrawChart* chart, IDrawToolHost* host = nullptr);
    virtual ~DrawToolOverlay();
    DrawToolOverlay(const DrawToolOverlay&) = delete;
    DrawToolOverlay& operator=(const DrawToolOverlay&) = delete;

    // ---- overlay slots ----
    // After the data layer was reset: pan mode off, a pan press forgotten.
    virtual void Reset();
    virtual void CreateActions();
    // Program directory + "Data/Tools/" + the chart's file name.
    virtual std::string GetToolFilePath() const;

    // The action chain; Dispatch asks action `index` and returns what it answered.
    size_t ActionCount() const { return m_actions.size(); }
    int Dispatch(size_t index, int type, DrawMsg& block);
    // All four in order, as the chart does when it is the only overlay (tests, tools).
    int DispatchAll(int type, DrawMsg& block);

    // ---- tools ----
    // A CommonResouce cursor slot for the state at (x, y).
    int GetCursor(int activeNumber, int x, int y);
    CRecRgnLines* HitTestTools(int x, int y, int& part);
    // Paints the tools of one pane in order, then the selected tool's handles.
    void DrawPaneTools(CDC* dc, const std::string& paneName);
    int AddTool(const std::shared_ptr<CRecRgnLines>& tool);
    void RemoveTool(const CRecRgnLines* tool);
    void ClearTools();
    // False when the file was damaged (kept aside; the chart starts without tools).
    bool LoadTools();
    // Hands the file's new contents to the write-behind; false when the chart keeps no file.
    bool SaveTools();
    bool Contains(const CRecRgnLines* tool) const;
    const std::vector<std::shared_ptr<CRecRgnLines>>& Tools() const { return m_tools; }

    IDrawChart* Chart() const { return m_pChart; }
    IDrawToolHost* Host() const { return m_pHost; }
    CWnd* Window() const { return m_pChart ? m_pChart->GetChartWindow() : nullptr; }
    CRecRgnLines* Selected() const { return m_editor.m_pTarget; }
    void Select(CRecRgnLines* tool) { m_editor.m_pTarget = tool; }
    void Repaint() {
        if (m_pChart) m_pChart->Invalidate();
    }
    // Tests and the training overlay keep their files elsewhere.
    void SetToolDirectory(const std::string& dir) { m_strToolDir = dir; }

    // ---- state the actions share ----
    int32_t m_nPendingSnap = 0;
    int32_t m_nActive = 1;
    int32_t m_nMode = 4;
    CEncircleLines m_editor;
    std::shared_ptr<CRecRgnLines> m_pPlacing;
    CRect m_rcMarquee;  // the last marquee's anchors

protected:
    IDrawChart* m_pChart;
    IDrawToolHost* m_pHost;
    std::unique_ptr<IDrawToolHost> m_pDefaultHost;
    std::vector<std::shared_ptr<CRecRgnLines>> m_tools;
    std::vector<std::unique_ptr<DrawToolAction>> m_actions;
    std::string m_strToolDir;
    std::string m_strSavedPath;  // the file last handed to the write-behind
};

// Runs on the UI thread for a drawing file the write-behind could not write (path, reason).
// Without one the user is told once per file in a message box.
using ToolFileErrorHandler = std::function<void(const std::string& path, const std::string& error)>;
void SetToolFileErrorHandler(ToolFileErrorHandler handler);

// Cursors from the common resources, screen size from the system, and the skinned
// text and line-settings dialogs.
class DefaultDrawToolHost : public IDrawToolHost {
public:
    explicit DefaultDrawToolHost(IDrawChart* chart) : m_pChart(chart) {}
    void ReleaseToolButton(int) override {}
    bool IsToolBarVisible() override { return false; }
    void UpdateToolBar() override {}
    void ShowCursor(int slot) override;
    CPoint ClientToScreen(CPoint p) override;
    CSize ScreenSize() override;
    bool RunTextDialog(TextToolEdit& edit) override;
    bool RunLineSettings(int& continueDraw, int& lock) override;

private:
    IDrawChart* m_pChart;
};
