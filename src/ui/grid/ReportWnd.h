#pragma once
// The quote-list element a layout can place ("CReportWnd"): a six-column grid over text
// rows. It fills itself with sample rows when created; nothing else feeds it yet.
#include <array>
#include <string>
#include <vector>

#include "ui/element/ElementWnd.h"
#include "ui/grid/GridUI.h"

struct CReportResult {
    std::array<std::string, 6> texts;  // number, code, name, last price, change, last volume
};

class CReportField : public GridTextField {
public:
    CReportField();
    void Draw(CDC* dc) override;  // in one of the shared list fonts
};

class CReportWnd : public CElementWnd {
public:
    CReportWnd();
    int OnCreate(LPCREATESTRUCT cs) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementLButtonDown(UINT flags, int x, int y) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;
    void FillPage();

    CGridUI m_grid;
    std::vector<CReportResult> m_rows;
};

// Registers the toolkit's element types with the window factory.
void RegisterGridElementTypes();
