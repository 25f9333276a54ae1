#pragma once
// The parameter table of one indicator ("FormulaParam" of DlgConfig.xml): name, default,
// minimum, maximum and step of each parameter in a grid, each cell but the row number
// edited in place on a double-click. The opener copies its rows in, runs the dialog, and
// takes them back after OK; Cancel throws every edit away.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formula/engine/IndicatorParam.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/grid/GridUI.h"

class CFormulaParamGridTitle : public GridTitle {
public:
    using GridTitle::GridTitle;
    void Draw(CDC* dc) override;
};

class CFormulaParamGridField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
};

// The texts of parameter row `index` as the grid shows them (six columns).
std::vector<std::string> FormulaParamRowTexts(const CIndicatorParam& param, int index);
// Stores an edited text of column 1..5 into the parameter; a change of minimum, maximum or
// step recounts the steps. Numbers are read the way atof reads them (letters give 0).
void ApplyFormulaParamEdit(CIndicatorParam& param, int column, const std::string& text);

class CDlgFormulaParam : public CDlgTemplate {
public:
    static constexpr int kColumns = 6;

    explicit CDlgFormulaParam(CWnd* parent = nullptr);
    ~CDlgFormulaParam() override;

    void LoadSkin() override;
    void BuildControls() override;
    void DrawBackground(CDC* dc) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void FillPage();
    // The double-click at p (client coordinates): true when a cell was edited.
    bool EditCellAt(CPoint p);

    std::vector<CIndicatorParam> m_params;
    CGridUI m_grid;
    // Runs the one-cell editor at a screen point; false when it was cancelled. The
    // in-place editor dialog unless replaced.
    std::function<bool(std::string& text, CPoint screen)> m_editCell;
};
