#include "ui/element/ElementEnv.h"

#include <map>
#include <memory>

namespace {
int g_dragFlag = 0;
int g_xorFlag = 0;
CElementWnd* g_currentElement = nullptr;
int g_cutterSize = 6;

const CommonColorTable& DefaultColours() {
    static const CommonColorTable table = [] {
        CommonColorTable t{};
        SetDefaultCommonColours(t);
        return t;
    }();
    return table;
}

ElementEnv& Env() {
    static ElementEnv env;
    return env;
}
}  // namespace

ElementEnv& GetElementEnv() {
    return Env();
}

void ResetElementEnv() {
    Env() = ElementEnv{};
    g_dragFlag = 0;
    g_xorFlag = 0;
    g_currentElement = nullptr;
    g_cutterSize = 6;
}

int& ElementDragFlag() {
    return Env().dragFlag ? *Env().dragFlag : g_dragFlag;
}

int ElementXorFlag() {
    return Env().xorFlag ? *Env().xorFlag : g_xorFlag;
}

CElementWnd*& CurrentElement() {
    return Env().currentElement ? *Env().currentElement : g_currentElement;
}

COLORREF ElementColour(int index) {
    if (index < 0 || index >= kCommonColorCount) return 0;
    return Env().colours ? Env().colours[index] : DefaultColours()[index];
}

int CutterSize() {
    return Env().cutterSize ? *Env().cutterSize : g_cutterSize;
}

HCURSOR CommonCursor(int index) {
    if (Env().cursor) {
        if (HCURSOR c = Env().cursor(index)) return c;
    }
    switch (index) {
        case 0: return LoadCursor(nullptr, IDC_SIZENS);
        case 1: return LoadCursor(nullptr, IDC_SIZEWE);
        default: return LoadCursor(nullptr, IDC_ARROW);
    }
}

CFont* CommonFont(int index) {
    if (Env().font) {
        if (CFont* f = Env().font(index)) return f;
    }
    // The sizes of the common font table, in the program's Chinese face.
    static const int kHeights[16] = {12, 16, 14, 14, 14, 30, 26, 14, 16, 15, 20, 20, 18, 12, 14, 13};
    static std::map<int, std::unique_ptr<CFont>> fonts;
    if (index < 0 || index >= 16) index = 7;
    auto& slot = fonts[index];
    if (!slot) {
        slot = std::make_unique<CFont>();
        slot->CreateFont(kHeights[index], 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0,
                         0x20 /* FF_SWISS */, "宋体");
    }
    return slot.get();
}
