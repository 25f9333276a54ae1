#include "drawtools/DrawToolOverlay.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "drawtools/DlgPicLineSetting.h"
#include "drawtools/DlgTextTool.h"
#include "drawtools/DrawToolActions.h"
#include "drawtools/ToolSettings.h"
#include "drawtools/TriangleLines.h"
#include "foundation/WriteBehind.h"
#include "marketdata/AppInfo.h"
#include "platform/App.h"
#include "platform/CommonDialogs.h"
#include "platform/Wnd.h"
#include "ui/CommonResouce.h"

namespace {

ToolFileErrorHandler& ErrorHandler() {
    static ToolFileErrorHandler handler;  // touched on the UI thread only
    return handler;
}

// The user hears of each file once: the chart rewrites it after every change, and a full
// disk would otherwise answer each of them with a box.
void TellUser(const std::string& path, const std::string& error) {
    static std::set<std::string> told;
    if (!told.insert(path).second) return;
    const std::string text = "画线保存失败，最近的画线改动未能写入文件：\n" + path + "\n" + error;
    ::MessageBox(nullptr, text.c_str(), "提示", MB_OK | MB_ICONWARNING);
}

// Failures of the write-behind arrive on its thread; the user is told on the UI thread.
void ReportWriteFailures() {
    static std::once_flag once;
    std::call_once(once, [] {
        GetWriteBehind().SetErrorSink([](const std::string& path, const std::string& error) {
            platform::PostTask([path, error] {
                if (ErrorHandler())
                    ErrorHandler()(path, error);
                else
                    TellUser(path, error);
            });
        });
    });
}

}  // namespace

void SetToolFileErrorHandler(ToolFileErrorHandler handler) {
    ErrorHandler() = std::move(handler);
}

DrawToolOverlay::DrawToolOverlay(IDrawChart* chart, IDrawToolHost* host)
    : m_pChart(chart), m_pHost(host) {
    ReportWriteFailures();
    if (!m_pHost) {
        m_pDefaultHost = std::make_unique<DefaultDrawToolHost>(chart);
        m_pHost = m_pDefaultHost.get();
    }
    m_editor.m_pOwner = chart;
}

DrawToolOverlay::~DrawToolOverlay() {
    // The chart closes: its drawings are on disk before it is gone.
    if (!m_strSavedPath.empty()) GetWriteBehind().Drain(m_strSavedPath);
}

void DrawToolOverlay::Reset() {
    GetToolSettings().panMode = 0;
    if (m_nActive == 2 || m_nActive == 3) {
        m_nActive = 1;
        m_pHost->ShowCursor(CommonResouce::kCursorArrow);
    }
}

void DrawToolOverlay::CreateActions() {
    m_actions.clear();
    m_actions.push_back(std::make_unique<DrawToolOverlayAction1>(this));
    m_actions.push_back(std::make_unique<DrawToolOverlayAction2>(this, true));
    m_actions.push_back(std::make_unique<DrawToolOverlayAction3>(this));
    m_actions.push_back(std::make_unique<DrawToolOverlayAction4>(this));
}

int DrawToolOverlay::Dispatch(size_t index, int type, DrawMsg& block) {
    return index < m_actions.size() ? m_actions[index]->OnMsg(type, block) : 0;
}

int DrawToolOverlay::DispatchAll(int type, DrawMsg& block) {
    for (size_t i = 0; i < m_actions.size(); ++i)
        if (int r = m_actions[i]->OnMsg(type, block)) return r;
    return 0;
}

std::string DrawToolOverlay::GetToolFilePath() const {
    if (!m_pChart) return std::string();
    const CIndSecuCode code = m_pChart->GetSecurity();
    // A chart showing no security keeps no drawings.
    if (code.m_strCode.empty()) return std::string();
    std::string dir = m_strToolDir.empty() ? GetAppInfo()->GetProgramDir() + "Data/Tools/"
                                           : m_strToolDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + ToolFileName(code.m_nMarket, code.m_strCode, m_pChart->GetDataType(),
                              m_pChart->GetPeriod());
}

int DrawToolOverlay::GetCursor(int active, int x, int y) {
    const bool pan = GetToolSettings().panMode != 0;
    if (!Selected() && active != 4) {
        if (active == 2) return CommonResouce::kCursorTimePan;
        if (active >= 5) return CommonResouce::kCursorDrawing;
        return pan ? CommonResouce::kCursorPan : CommonResouce::kCursorArrow;
    }
    int part = m_editor.m_nPart;
    if (!part && !GetToolSettings().lockDrawLine) HitTestTools(x, y, part);
    if (part == 1 || part == 2) return CommonResouce::kCursorResize;
    if (part == 3) return CommonResouce::kCursorMove;
    return pan ? CommonResouce::kCursorPan : CommonResouce::kCursorArrow;
}

CRecRgnLines* DrawToolOverlay::HitTestTools(int x, int y, int& part) {
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it) {
        const int p = (*it)->HitTest(x, y);
        if (p > 0) {
            part = p;
            return it->get();
        }
    }
    part = 0;
    return nullptr;
}

void DrawToolOverlay::DrawPaneTools(CDC* dc, const std::string& paneName) {
    for (const auto& tool : m_tools)
        if (tool->m_strChart == paneName) tool->Paint(dc, 0);
    CRecRgnLines* selected = Selected();
    if (selected && selected->m_strChart == paneName && Contains(selected))
        selected->PaintHandles(dc);
}

int DrawToolOverlay::AddTool(const std::shared_ptr<CRecRgnLines>& tool) {
    m_tools.push_back(tool);
    return int(m_tools.size()) - 1;
}

bool DrawToolOverlay::Contains(const CRecRgnLines* tool) const {
    return std::any_of(m_tools.begin(), m_tools.end(),
                       [&](const auto& t) { return t.get() == tool; });
}

void DrawToolOverlay::RemoveTool(const CRecRgnLines* tool) {
    if (m_editor.m_pTarget == tool) {
        m_editor.m_pTarget = nullptr;
        m_editor.m_nPart = 0;
        m_editor.m_nDragActive = 0;
    }
    m_tools.erase(std::remove_if(m_tools.begin(), m_tools.end(),
                                 [&](const auto& t) { return t.get() == tool; }),
                  m_tools.end());
}

void DrawToolOverlay::ClearTools() {
    m_editor.m_pTarget = nullptr;
    m_editor.m_nPart = 0;
    m_editor.m_nDragActive = 0;
    m_pPlacing.reset();
    m_tools.clear();
}

bool DrawToolOverlay::LoadTools() {
    ClearTools();
    const std::string path = GetToolFilePath();
    // Another security or period: the previous file is finished before this one is shown.
    if (!m_strSavedPath.empty() && m_strSavedPath != path) {
        GetWriteBehind().Drain(m_strSavedPath);
        m_strSavedPath.clear();
    }
    if (path.empty()) return true;
    std::vector<std::shared_ptr<CRecRgnLines>> tools;
    const ToolFileLoad r = LoadToolFile(path, tools);
    for (auto& tool : tools) {
        tool->m_pOwner = m_pChart;
        AddTool(tool);
    }
    return r != ToolFileLoad::Damaged;
}

bool DrawToolOverlay::SaveTools() {
    const std::string path = GetToolFilePath();
    if (path.empty()) return false;
    const CIndSecuCode code = m_pChart->GetSecurity();
    ToolFileInfo info{code.m_nMarket, code.m_strCode, m_pChart->GetDataType(),
                      m_pChart->GetPeriod()};
    // The flushes of an atomic replace take milliseconds, and this runs after every change
    // on the UI thread: the writing happens behind it.
    SaveToolFileBehind(path, info, m_tools);
    m_strSavedPath = path;
    return true;
}

// ---- default host ----

void DefaultDrawToolHost::ShowCursor(int slot) {
    if (slot < 0) {
        ::SetCursor(nullptr);
        return;
    }
    ::SetCursor(GetCommonResouce()->GetCursorOrArrow(slot));
}

CPoint DefaultDrawToolHost::ClientToScreen(CPoint p) {
    CWnd* wnd = m_pChart ? m_pChart->GetChartWindow() : nullptr;
    if (wnd && wnd->GetSafeHwnd()) wnd->ClientToScreen(&p);
    return p;
}

CSize DefaultDrawToolHost::ScreenSize() {
    return CSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

bool DefaultDrawToolHost::RunTextDialog(TextToolEdit& edit) {
    CDlgTextTool dlg(m_pChart ? m_pChart->GetChartWindow() : nullptr);
    dlg.m_strText = edit.text;
    dlg.m_nX = edit.anchor.x;
    dlg.m_nY = edit.anchor.y;
    dlg.m_clrText = edit.textColor;
    dlg.m_clrSecond = edit.backColor;
    dlg.SetFontFrom(edit.fontHeight, edit.weight, edit.italic, edit.face);
    if (dlg.DoModal() != IDOK) return false;
    edit.text = dlg.m_strText;
    edit.fontHeight = dlg.m_nFontHeight;
    edit.weight = dlg.m_bBold ? 800 : 400;
    edit.italic = dlg.m_bItalic != 0;
    edit.face = dlg.m_strFace;
    edit.textColor = dlg.m_clrText;
    edit.backColor = dlg.m_clrSecond;
    return true;
}

bool DefaultDrawToolHost::RunLineSettings(int& continueDraw, int& lock) {
    CDlgPicLineSetting dlg;
    dlg.m_nContinue = continueDraw;
    dlg.m_nLock = lock;
    if (dlg.DoModal() != IDOK) return false;
    continueDraw = dlg.m_nContinue;
    lock = dlg.m_nLock;
    return true;
}
