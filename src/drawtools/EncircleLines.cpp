#include "drawtools/EncircleLines.h"

#include "ui/CommonVar.h"


void CEncircleLines::OnMouseMove(int x, int y, int snapKind) {
    if (m_pTarget && m_pTarget->InPane(x, y)) DragPlace(x, y, snapKind);
}

void CEncircleLines::BeginPlace(int x, int y, int snapKind) {
    if (!m_pTarget) return;
    m_nStartX = x;
    m_nStartY = y;
    m_rcStart = m_pTarget->GetAnchorRect(x, y);
    m_bShown = false;
}

void CEncircleLines::DrawTarget(int placing) {
    m_pTarget->ShowRubberBand(0, placing);
    m_bShown = true;
}

void CEncircleLines::DragPlace(int x, int y, int snapKind) {
    if (!m_pTarget) return;
    if (m_bShown) m_pTarget->HideRubberBand();
    if (m_nPart == 1 || m_nPart == 2) {
        m_pTarget->SetAnchor(x, y, m_nPart, m_rcStart.left, m_rcStart.top, m_rcStart.right,
                             m_rcStart.bottom, 0, 0);
        m_pTarget->SetSnapKind(m_nPart, snapKind);
        m_pTarget->PixelsToData(m_nPart);
        m_pTarget->DataToPixels(m_nPart);
    } else {
        m_pTarget->SetSnapKind(3, snapKind);
        m_pTarget->SetAnchor(x, y, 3, m_rcStart.left, m_rcStart.top, m_rcStart.right,
                             m_rcStart.bottom, x - m_nStartX, y - m_nStartY);
        m_pTarget->PixelsToData(0);
        m_pTarget->DataToPixels(0);
    }
    DrawTarget(m_nPart == 2);
}

void CEncircleLines::EndPlace() {
    if (!m_pTarget) return;
    if (m_bShown) m_pTarget->HideRubberBand();
    m_bShown = false;
    m_pTarget->m_rcLabel.SetRectEmpty();
}
