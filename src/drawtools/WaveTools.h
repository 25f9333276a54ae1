#pragma once
// Wave patterns grown from one leg the user draws: the three-, five- and eight-wave lines,
// the area ratio, head and shoulders and the W/M pattern; and the wave ruler, which hangs
// Fibonacci levels of its first leg from the end of its second.
//
// A wave tool starts with one leg to place. When it is released the further legs are
// appended, each as wide as the leg before it and moving by a factor of the first leg's
// height; from then on they are ordinary placed legs, stored with the tool.

#include <vector>

#include "drawtools/TriangleLines.h"

class C3LANGTool : public CTriangleLines {
public:
    struct CFormulaItem {
        double factor = 0;
        int32_t reference = 0;  // the leg whose height the factor scales
        int32_t direction = 0;
    };

    C3LANGTool();

    // The legs follow the first one, then the tool is complete.
    void OnMouseUp(CWnd* window) override;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    // Handles are the first leg's start and every leg's end: a later leg's start is the end
    // of the leg before it and is not drawn on its own.
    int HitTest(int x, int y) override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "3LANGTool"; }
    const char* GetDisplayName() const override { return "三浪线"; }

    // Appends one leg per formula item to the legs placed so far.
    virtual void BuildLegs();

    std::vector<CFormulaItem> m_formula;
};

class C5LANGTool : public C3LANGTool {
public:
    C5LANGTool();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "5LANGTool"; }
    const char* GetDisplayName() const override { return "五浪线"; }
};

class C8LANGTool : public C3LANGTool {
public:
    C8LANGTool();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "8LANGTool"; }
    const char* GetDisplayName() const override { return "八浪线"; }
};

// Each later leg with two sides of its box and the box's area over the first leg's.
class CMJBLTool : public C3LANGTool {
public:
    CMJBLTool();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "MJBLTool"; }
    const char* GetDisplayName() const override { return "面积比例"; }

private:
    void AreaLabel(int xa, int ya, int xb, int yb);
};

class CTJXTool : public C3LANGTool {
public:
    CTJXTool();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "TJXTool"; }
    const char* GetDisplayName() const override { return "头肩形"; }
};

class CWTMDTool : public C3LANGTool {
public:
    CWTMDTool();
    std::shared_ptr<CRecRgnLines> Clone() const override;
    const char* GetTypeName() const override { return "WTMDTool"; }
    const char* GetDisplayName() const override { return "W头M底"; }
};

// Two legs placed by the user; the levels (thousandths of the first leg's height) hang
// from the end of the second.
class CBoLangTool : public CTriangleLines {
public:
    CBoLangTool() = default;
    std::shared_ptr<CRecRgnLines> Clone() const override;
    void DrawItem(int index, int final, int placing) override;
    const char* GetTypeName() const override { return "BoLangTool"; }
    const char* GetDisplayName() const override { return "波浪尺"; }

    std::vector<uint32_t> m_levels{0, 382, 618, 1000, 1618, 2618};
};
