#pragma once
// The drawing-tool overlay's four message actions. The chart asks every overlay's first
// action before any second one, so Action1 sees each message before the chart's own
// navigation; Action2 handles presses and releases (placing, selecting, dragging, the
// time-axis pan); Action3 mouse moves while placing or dragging; Action4 the eraser cursor.

#include "drawtools/DrawToolOverlay.h"

class DrawToolAction {
public:
    explicit DrawToolAction(DrawToolOverlay* overlay) : m_pOverlay(overlay) {}
    virtual ~DrawToolAction() = default;
    // Non-zero claims the message.
    virtual int OnMsg(int type, DrawMsg& block) = 0;

protected:
    DrawToolOverlay* m_pOverlay;
};

class DrawToolOverlayAction1 : public DrawToolAction {
public:
    using DrawToolAction::DrawToolAction;
    int OnMsg(int type, DrawMsg& block) override;

private:
    int OnKey(DrawMsg& block);
    int OnCommand(DrawMsg& block);
    int OnUserMessage(DrawMsg& block);
    // Ends a fold line with the points placed so far and keeps it.
    void FinishFoldLine();
    bool PlacingFoldLine() const;
    void EditText(class CTextAssistor* tool);
};

class DrawToolOverlayAction2 : public DrawToolAction {
public:
    DrawToolOverlayAction2(DrawToolOverlay* overlay, bool timeAxisPan)
        : DrawToolAction(overlay), m_bPan(timeAxisPan) {}
    int OnMsg(int type, DrawMsg& block) override;

private:
    int OnPress(int x, int y);
    int OnRelease(int x, int y);
    // The text dialog for a text tool just placed; false when it was cancelled.
    bool RunNewTextDialog(class CTextAssistor* tool);
    bool m_bPan;
};

// The press and release action without the time-axis pan (training charts).
class DrawToolOverlayAction2Ex : public DrawToolOverlayAction2 {
public:
    explicit DrawToolOverlayAction2Ex(DrawToolOverlay* overlay)
        : DrawToolOverlayAction2(overlay, false) {}
};

class DrawToolOverlayAction3 : public DrawToolAction {
public:
    using DrawToolAction::DrawToolAction;
    int OnMsg(int type, DrawMsg& block) override;
};

class DrawToolOverlayAction4 : public DrawToolAction {
public:
    using DrawToolAction::DrawToolAction;
    int OnMsg(int type, DrawMsg& block) override;
};

// The tool a press starts for a tool number: the catalogue's class, the pan tool with the
// chart's first visible bar, the symbol tool with the mode's variant.
std::shared_ptr<CRecRgnLines> CreateToolForNumber(DrawToolOverlay& overlay, int number);

// Text dialog placement and what a text tool takes back from it.
TextToolEdit TextEditOf(const class CTextAssistor& tool);
void ApplyTextEdit(class CTextAssistor& tool, const TextToolEdit& edit);
