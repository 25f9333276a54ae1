#include "ui/element/ElementEnv.h"

#include "ui/CommonResouce.h"
#include "ui/CommonVar.h"

int& ElementDragFlag() {
    return GetCommonVar()->m_nDragFlag;
}

int ElementXorFlag() {
    return GetCommonVar()->m_nFlag;
}

COLORREF ElementColour(int index) {
    return GetCommonVar()->GetColor(index);
}

int CutterSize() {
    return GetCommonVar()->m_nCutterSize;
}

HCURSOR CommonCursor(int slot) {
    if (HCURSOR c = GetCommonResouce()->GetCursor(slot)) return c;
    // Without the cursor resources the system's resize shapes say the same.
    switch (slot) {
        case 0: return LoadCursor(nullptr, IDC_SIZENS);
        case 1: return LoadCursor(nullptr, IDC_SIZEWE);
        default: return LoadCursor(nullptr, IDC_ARROW);
    }
}

CFont* CommonFont(int index) {
    CommonVar* cv = GetCommonVar();
    CFont* font = cv->GetFont(index);
    return font ? font : cv->GetFont(CommonVar::kFontSong14);
}
