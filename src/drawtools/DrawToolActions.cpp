#include "drawtools/DrawToolActions.h"

#include <cmath>
#include <cstring>

#include "drawtools/TextTools.h"
#include "drawtools/ToolCatalogue.h"
#include "drawtools/ToolSettings.h"
#include "drawtools/TriangleLines.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"
#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"

namespace {

constexpr int kPanCommand = 45601;
constexpr int kEraserCommand = 50104;
constexpr int kLineSettingsCommand = 50116;
constexpr uint32_t kCommandStateQuery = 0x8068;
constexpr uint32_t kButtonReleased = 0x465;
constexpr int kKeyEscape = 27;
constexpr int kKeyF5 = 116;
constexpr int kKeyDelete = 46;

bool DragFlag() {
    return GetCommonVar()->m_nDragFlag != 0;
}

bool IsToolCommand(int64_t command) {
    return command >= kFirstToolCommand && command <= kLastToolCommand;
}

bool ModeIsPlainTool(int mode) {
    return mode >= 5 && mode <= 64;
}

// The selection editor forgets its target.
void Deselect(DrawToolOverlay& o) {
    o.m_editor.m_pTarget = nullptr;
    o.m_editor.m_nPart = 0;
    o.m_editor.m_nDragActive = 0;
}

void ReleaseButton(DrawToolOverlay& o, int command) {
    if (o.Host()->IsToolBarVisible()) o.Host()->ReleaseToolButton(command);
}

// Paints on the chart window at once (handles, the grab flash); nothing without a window.
template <class F>
void WithClientDC(DrawToolOverlay& o, F&& f) {
    CWnd* wnd = o.Window();
    if (!wnd || !wnd->GetSafeHwnd()) return;
    CClientDC dc(wnd);
    f(&dc);
}

// The screen point a text tool's dialog hangs from: anchor 2 plus 100 pixels down, kept
// on the screen.
CPoint TextDialogAnchor(DrawToolOverlay& o, const CTextAssistor& tool) {
    CPoint p = o.Host()->ClientToScreen(CPoint(tool.x2, tool.y2 + 100));
    const CSize screen = o.Host()->ScreenSize();
    if (p.x + 370 > screen.cx - 4) p.x = screen.cx - 374;
    if (p.y + 170 > screen.cy - 4) p.y = screen.cy - 174;
    return p;
}

}  // namespace

TextToolEdit TextEditOf(const CTextAssistor& tool) {
    TextToolEdit edit;
    edit.text = tool.m_strText;
    edit.fontHeight = tool.m_nFontHeight;
    edit.face = tool.GetLogFont().lfFaceName;
    edit.weight = tool.GetLogFont().lfWeight;
    edit.italic = tool.GetLogFont().lfItalic != 0;
    edit.textColor = tool.m_color;
    edit.backColor = tool.m_colorBK;
    return edit;
}

void ApplyTextEdit(CTextAssistor& tool, const TextToolEdit& edit) {
    tool.m_strText = edit.text;
    tool.m_color = edit.textColor;
    tool.m_colorBK = edit.backColor;
    tool.SetFont(edit.fontHeight, edit.face, edit.weight, edit.italic);
}

std::shared_ptr<CRecRgnLines> CreateToolForNumber(DrawToolOverlay& o, int number) {
    std::shared_ptr<CRecRgnLines> tool = CreateToolByNumber(number, ModeVariant(o.m_nMode));
    if (auto* pan = dynamic_cast<CHorizontalMoveAssistor*>(tool.get()))
        pan->m_nStartIndex = o.Chart()->GetFirstVisibleIndex();
    return tool;
}

// ---- Action1: commands, button states, keys, double-click, right button, eraser ----

bool DrawToolOverlayAction1::PlacingFoldLine() const {
    return m_pOverlay->m_pPlacing &&
           std::strcmp(m_pOverlay->m_pPlacing->GetTypeName(), "FoldLineTool") == 0 &&
           !m_pOverlay->m_pPlacing->IsComplete();
}

void DrawToolOverlayAction1::FinishFoldLine() {
    DrawToolOverlay& o = *m_pOverlay;
    std::shared_ptr<CRecRgnLines> tool = o.m_pPlacing;
    if (auto* fold = dynamic_cast<CPolygonLines*>(tool.get())) fold->FinishPolyline();
    tool->OnMouseUp(o.Window());
    o.m_pPlacing.reset();
    auto* fold = dynamic_cast<CPolygonLines*>(tool.get());
    if (fold && fold->m_items.empty()) {
        // Nothing was fixed yet: nothing to keep.
        o.RemoveTool(tool.get());
    } else {
        if (!o.Contains(tool.get())) o.AddTool(tool);
        o.Select(tool.get());
    }
    o.SaveTools();
    o.m_nMode = kModeSelect;
    o.Repaint();
}

void DrawToolOverlayAction1::EditText(CTextAssistor* tool) {
    DrawToolOverlay& o = *m_pOverlay;
    TextToolEdit edit = TextEditOf(*tool);
    tool->DataToPixels(0);
    edit.anchor = o.Host()->ClientToScreen(CPoint(tool->x2, tool->y2 + 100));
    if (!o.Host()->RunTextDialog(edit)) return;
    ApplyTextEdit(*tool, edit);
    o.SaveTools();
    o.Repaint();
}

int DrawToolOverlayAction1::OnMsg(int type, DrawMsg& block) {
    DrawToolOverlay& o = *m_pOverlay;
    ToolSettings& s = GetToolSettings();
    switch (type) {
    case DrawToolOverlay::kPress: {
        if (!s.eraser) {
            return o.Selected() && o.m_editor.m_nPart >= 1 && DragFlag() ? 1 : 0;
        }
        int part = 0;
        if (CRecRgnLines* hit = o.HitTestTools(block.X(), block.Y(), part)) {
            o.RemoveTool(hit);
            Deselect(o);
            o.m_nMode = kModeSelect;
            o.SaveTools();
            o.Repaint();
        }
        if (o.Tools().empty()) s.eraser = 0;
        return 1;
    }
    case DrawToolOverlay::kDoubleClick: {
        int part = 0;
        CRecRgnLines* hit = o.HitTestTools(block.X(), block.Y(), part);
        auto* text = dynamic_cast<CTextAssistor*>(hit);
        if (!text) return 0;
        EditText(text);
        return 1;
    }
    case DrawToolOverlay::kRightUp:
        if (DragFlag() && PlacingFoldLine()) {
            FinishFoldLine();
            return 1;
        }
        if (s.continueDraw && ModeNumber(o.m_nMode) >= 5) {
            o.m_nMode = kModeSelect;
            return 1;
        }
        return 0;
    case DrawToolOverlay::kKeyDown:
        return OnKey(block);
    case DrawToolOverlay::kCommand:
        return OnCommand(block);
    case DrawToolOverlay::kUserMessage:
        return OnUserMessage(block);
    default:
        return 0;
    }
}

int DrawToolOverlayAction1::OnKey(DrawMsg& block) {
    DrawToolOverlay& o = *m_pOverlay;
    ToolSettings& s = GetToolSettings();
    const int key = int(block.a0);
    if (key == kKeyEscape || key == kKeyF5) {
        if (DragFlag()) {
            if (PlacingFoldLine()) {
                FinishFoldLine();
            } else if (o.m_pPlacing) {
                std::shared_ptr<CRecRgnLines> tool = o.m_pPlacing;
                tool->OnMouseUp(o.Window());
                CAssistLines::AbandonPlacing(o.Window());
                o.m_pPlacing.reset();
                o.Repaint();
            }
            block.result = 0;
            return 1;
        }
        if (s.eraser) {
            s.eraser = 0;
            o.Host()->ShowCursor(CommonResouce::kCursorArrow);
            ReleaseButton(o, kEraserCommand);
        } else {
            if (!ModeIsPlainTool(o.m_nMode)) return 0;
            ReleaseButton(o, CommandForMode(o.m_nMode));
        }
        if (o.Host()->IsToolBarVisible()) {
            o.Repaint();
            o.Host()->UpdateToolBar();
        }
        o.m_nMode = kModeSelect;
        block.result = 1;
        return 1;
    }
    if (key == kKeyDelete && !DragFlag()) {
        CRecRgnLines* selected = o.Selected();
        if (!selected || !o.Contains(selected)) {
            block.result = 0;
            return 1;
        }
        o.RemoveTool(selected);
        Deselect(o);
        o.SaveTools();
        o.Repaint();
        block.result = 1;
        return 1;
    }
    if (key == kKeyDelete) {
        // Deleting the tool being dragged: the drag ends first.
        CRecRgnLines* selected = o.Selected();
        if (!selected || !o.m_editor.m_nPart) {
            block.result = 0;
            return 1;
        }
        o.m_editor.OnMouseUp(o.Window());
        o.RemoveTool(selected);
        Deselect(o);
        o.SaveTools();
        o.Repaint();
        block.result = 1;
        return 1;
    }
    return 0;
}

int DrawToolOverlayAction1::OnCommand(DrawMsg& block) {
    DrawToolOverlay& o = *m_pOverlay;
    ToolSettings& s = GetToolSettings();
    const int command = int(block.a0);
    if (command >= kFirstToolCommand && command <= kLastToolCommand) {
        o.m_nMode = ModeForCommand(command);
        s.eraser = 0;
        o.Host()->ShowCursor(CommonResouce::kCursorArrow);
        ReleaseButton(o, kEraserCommand);
        block.result = 1;
        return 1;
    }
    if (command == kPanCommand) {
        s.panMode = 1;
        block.result = 1;
        return 1;
    }
    if (command == kEraserCommand) {
        s.eraser = 1;
        o.Host()->ShowCursor(CommonResouce::kCursorEraser);
        block.result = 1;
        return 1;
    }
    if (command == kLineSettingsCommand) {
        int continueDraw = s.continueDraw;
        int lock = s.lockDrawLine;
        if (o.Host()->RunLineSettings(continueDraw, lock)) {
            s.continueDraw = continueDraw;
            s.lockDrawLine = lock;
            saveLineSettings();
        }
        ReleaseButton(o, kLineSettingsCommand);
        block.result = 1;
        return 1;
    }
    return 0;
}

int DrawToolOverlayAction1::OnUserMessage(DrawMsg& block) {
    DrawToolOverlay& o = *m_pOverlay;
    ToolSettings& s = GetToolSettings();
    const uint32_t message = uint32_t(block.a0);
    const int64_t command = block.a1;
    if (message == kCommandStateQuery) {
        if (command == kPanCommand) {
            block.result = s.panMode ? 3 : 1;
        } else if (command == kEraserCommand) {
            block.result = s.eraser ? 3 : 1;
        } else if (IsToolCommand(command)) {
            block.result = CommandForMode(o.m_nMode) == command ? 3 : 1;
        } else {
            return 0;
        }
        return 1;
    }
    if (message == kButtonReleased) {
        if (command == kPanCommand) {
            s.panMode = 0;
            return 1;
        }
        if (command == kEraserCommand) {
            s.eraser = 0;
            o.Host()->ShowCursor(CommonResouce::kCursorArrow);
            return 1;
        }
        if (IsToolCommand(command) && ModeIsPlainTool(o.m_nMode)) {
            ReleaseButton(o, CommandForMode(o.m_nMode));
            o.Repaint();
            o.Host()->UpdateToolBar();
            o.m_nMode = kModeSelect;
            return 1;
        }
    }
    return 0;
}

// ---- Action2: presses and releases ----

int DrawToolOverlayAction2::OnMsg(int type, DrawMsg& block) {
    if (!m_pOverlay->Chart()) return 0;
    if (type == DrawToolOverlay::kPress) return OnPress(block.X(), block.Y());
    if (type == DrawToolOverlay::kRelease) return OnRelease(block.X(), block.Y());
    return 0;
}

int DrawToolOverlayAction2::OnPress(int x, int y) {
    DrawToolOverlay& o = *m_pOverlay;
    IDrawChart* chart = o.Chart();
    const ToolSettings& s = GetToolSettings();
    if (m_bPan && chart->GetTimeAxisRect().PtInRect(CPoint(x, y))) {
        if (o.m_pPlacing) {
            o.m_pPlacing->OnMouseUp(o.Window());
            CAssistLines::AbandonPlacing(o.Window());
            o.m_pPlacing.reset();
        } else if (chart->GetDataType() != 2 && chart->GetDataType() != 5) {
            auto pan = std::make_shared<CHorizontalMoveAssistor>();
            o.m_pPlacing = pan;
            o.m_nActive = 2;
            pan->m_pOwner = chart;
            pan->OnMouseDown(o.Window(), x, y, o.m_nPendingSnap);
            pan->m_nStartIndex = chart->GetFirstVisibleIndex();
            chart->SetDragFlag(false);
        }
        return 1;
    }
    const int pane = chart->PaneAtPoint(x, y);
    if (pane < 0) return 0;
    if (o.m_pPlacing && o.m_pPlacing->IsMultiClick() && !o.m_pPlacing->IsComplete()) {
        o.m_pPlacing->OnMouseDown(o.Window(), x, y, o.m_nPendingSnap);
        o.m_nPendingSnap = 0;
        return 0;
    }
    if (o.m_pPlacing) {
        CAssistLines::AbandonPlacing(o.Window());
        o.m_pPlacing.reset();
    }
    if (CRecRgnLines* selected = o.Selected()) {
        if (o.Contains(selected)) WithClientDC(o, [&](CDC* dc) { selected->PaintHandles(dc); });
        Deselect(o);
    }
    o.m_nActive = ModeNumber(o.m_nMode);
    if (o.m_nActive == 1 && s.panMode) o.m_nActive = 3;
    if (o.m_nActive == kModeSelect) {
        CRecRgnLines* hit = nullptr;
        int part = 0;
        if (!s.lockDrawLine) hit = o.HitTestTools(x, y, part);
        if (hit && part > 0) {
            o.Select(hit);
            o.m_editor.m_nPart = part;
            WithClientDC(o, [&](CDC* dc) { hit->Paint(dc, 1); });
            o.m_editor.m_strChart = hit->m_strChart;
            o.m_editor.m_nPaneIndex = hit->m_nPaneIndex;
            o.m_editor.m_nDragActive = 1;
            o.m_editor.OnMouseDown(o.Window(), x, y, o.m_nPendingSnap);
            o.m_nPendingSnap = 0;
            chart->SetDragFlag(false);
        } else {
            o.m_nActive = s.panMode ? 3 : 1;
        }
    }
    if (std::shared_ptr<CRecRgnLines> tool = CreateToolForNumber(o, o.m_nActive)) {
        tool->m_pOwner = chart;
        tool->m_strChart = pane == 0 ? std::string() : chart->GetPaneName(pane);
        tool->m_nPaneIndex = pane;
        tool->m_color = GetCommonVar()->m_clrDrawDefault;
        if (auto* pan = dynamic_cast<CHorizontalMoveAssistor*>(tool.get()))
            pan->m_fStartOffset = chart->GetValueOffset(pane);
        o.m_pPlacing = tool;
        tool->OnMouseDown(o.Window(), x, y, o.m_nPendingSnap);
        o.m_nPendingSnap = 0;
        chart->SetDragFlag(false);
    }
    o.Host()->ShowCursor(o.GetCursor(o.m_nActive, x, y));
    return 1;
}

bool DrawToolOverlayAction2::RunNewTextDialog(CTextAssistor* tool) {
    DrawToolOverlay& o = *m_pOverlay;
    TextToolEdit edit = TextEditOf(*tool);
    edit.anchor = TextDialogAnchor(o, *tool);
    if (!o.Host()->RunTextDialog(edit)) return false;
    ApplyTextEdit(*tool, edit);
    return true;
}

int DrawToolOverlayAction2::OnRelease(int x, int y) {
    DrawToolOverlay& o = *m_pOverlay;
    IDrawChart* chart = o.Chart();
    const ToolSettings& s = GetToolSettings();
    o.Host()->ShowCursor(CommonResouce::kCursorArrow);
    if (std::shared_ptr<CRecRgnLines> tool = o.m_pPlacing) {
        const int active = o.m_nActive;
        tool->OnMouseUp(o.Window());
        if (active == 1) o.m_rcMarquee = tool->GetAnchorRect(x, y);
        Deselect(o);
        bool keep = false;
        bool stillPlacing = false;
        if (active > 3 && tool->IsBigEnough()) {
            keep = true;
            if (active == kTextTool) {
                keep = RunNewTextDialog(static_cast<CTextAssistor*>(tool.get()));
            } else if (tool->IsMultiClick() && !tool->IsComplete()) {
                stillPlacing = true;
            }
        }
        if (keep) {
            if (!o.Contains(tool.get())) {
                o.AddTool(tool);
            }
            o.Select(tool.get());
            o.SaveTools();
            if (!stillPlacing) {
                if (s.continueDraw) {
                    Deselect(o);
                } else {
                    ReleaseButton(o, CommandForMode(o.m_nMode));
                    o.m_nMode = kModeSelect;
                }
            }
        }
        if (!stillPlacing) o.m_pPlacing.reset();
        chart->SetDragFlag(true);
        o.Repaint();
        if (active == 2 || active == 3) o.m_nActive = 1;
        if (active == 1 && std::abs(o.m_rcMarquee.right - o.m_rcMarquee.left) <= 10) return 0;
        return 1;
    }
    if (o.Selected() && o.m_editor.m_nPart > 0) {
        o.m_editor.OnMouseUp(o.Window());
        o.SaveTools();
        chart->SetDragFlag(true);
        o.Repaint();
        o.m_editor.m_nPart = 0;
        o.m_editor.m_nDragActive = 0;
        return 1;
    }
    return 0;
}

// ---- Action3: moves while placing or dragging ----

int DrawToolOverlayAction3::OnMsg(int type, DrawMsg& block) {
    DrawToolOverlay& o = *m_pOverlay;
    IDrawChart* chart = o.Chart();
    if (type == DrawToolOverlay::kPress || type == DrawToolOverlay::kRelease) {
        if (!GetToolSettings().eraser) return 0;
        o.Host()->ShowCursor(CommonResouce::kCursorEraser);
        return 1;
    }
    if (type != DrawToolOverlay::kMove || !chart) return 0;
    const int x = block.X(), y = block.Y();
    if (std::shared_ptr<CRecRgnLines> tool = o.m_pPlacing) {
        o.Host()->ShowCursor(o.GetCursor(o.m_nActive, x, y));
        tool->OnMouseMove(x, y, o.m_nPendingSnap);
        o.m_nPendingSnap = 0;
        auto* pan = dynamic_cast<CHorizontalMoveAssistor*>(tool.get());
        if (pan && (o.m_nActive == 2 || o.m_nActive == 3)) {
            // Pan mode also moves the pane's values with the pointer's vertical travel.
            bool offsetMoved = false;
            if (o.m_nActive == 3 && pan->m_nPaneIndex >= 0) {
                const int paneIndex = pan->m_nPaneIndex;
                const double offset = pan->m_fStartOffset +
                                      chart->YToValue(paneIndex, pan->m_strChart, pan->y1) -
                                      chart->YToValue(paneIndex, pan->m_strChart, pan->y2);
                if (std::isfinite(offset) && offset != chart->GetValueOffset(paneIndex)) {
                    chart->SetValueOffset(paneIndex, offset);
                    offsetMoved = true;
                }
            }
            const double width = chart->GetBarWidth();
            int bars = width > 0 ? int((pan->x2 - pan->x1) / width) : 0;
            if (bars == 0) bars = chart->GetVisibleCount() > 400 ? 6 : 4;
            const int32_t first = pan->m_nStartIndex - bars;
            if (first != chart->GetFirstVisibleIndex()) {
                chart->ScrollToFirstIndex(first);
                o.Repaint();
            } else if (offsetMoved) {
                o.Repaint();
            }
        }
        return 1;
    }
    if (o.Selected() && o.m_editor.m_nPart > 0) {
        o.m_editor.OnMouseMove(x, y, o.m_nPendingSnap);
        o.m_nPendingSnap = 0;
        o.Host()->ShowCursor(-1);
        return 1;
    }
    return 0;
}

// ---- Action4: the eraser cursor ----

int DrawToolOverlayAction4::OnMsg(int type, DrawMsg&) {
    if (type != DrawToolOverlay::kMove || !GetToolSettings().eraser) return 0;
    m_pOverlay->Host()->ShowCursor(CommonResouce::kCursorEraser);
    return 1;
}
