#pragma once
// The selection editor: drags one anchor (part 1 or 2) or the whole body (part 3) of a
// placed tool. The drawing-tool overlay owns one and sets its target and part.

#include "drawtools/AssistLines.h"

class CEncircleLines : public CAssistLines {
public:
    void OnMouseMove(int x, int y, int snapKind) override;
    void BeginPlace(int x, int y, int snapKind) override;
    void DragPlace(int x, int y, int snapKind) override;
    void EndPlace() override;

    CRecRgnLines* m_pTarget = nullptr;  // not owned
    int m_nPart = 0;                   // 1 anchor 1, 2 anchor 2, 3 body
    int m_nStartX = 0, m_nStartY = 0;
    CRect m_rcStart;                   // the target's anchors at drag start
    int m_nDragActive = 0;

private:
    // The target's figure on the shared context, drawn again to erase it.
    void DrawTarget(int placing);
    bool m_bShown = false;
};
