#pragma once
// The function reference of the formula editor ("insertfunc" of DlgConfig.xml): the thirteen
// function groups on the left, the functions of the chosen group (name and remark) in the
// middle, the description of the chosen function on the right. Nothing is inserted anywhere.
#include <memory>
#include <string>
#include <vector>

#include "formula/Func.h"
#include "ui/dialog/DlgTemplate.h"
#include "ui/grid/GridUI.h"

class MyRichEditCtrl;

class CFuncGroupLine : public GridLine {
public:
    void Draw(CDC* dc, BOOL highlighted) override;
    std::string m_strText;
};

class CFuncField : public GridField {
public:
    void Draw(CDC* dc) override;
    std::string m_strText;
};

class CDlgInsertFunc : public CDlgTemplate {
public:
    static constexpr int kDescriptionId = 101;

    explicit CDlgInsertFunc(CWnd* parent = nullptr);
    ~CDlgInsertFunc() override;

    void LoadSkin() override;
    void BuildControls() override;
    void DrawBackground(CDC* dc) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Fills the list with the group's functions (every one for "全部函数").
    void SelectGroup(const std::string& name);
    void ShowDescription(const CFunc& func);
    void OnClick(CPoint pt);
    void OnHover(CPoint pt);
    void FillGroups();
    void FillFunctions();

    int m_nGroup = -1;
    int m_nFunction = -1;
    std::vector<CFunc> m_list;
    CGridUI m_groups;
    CGridUI m_functions;
    MyRichEditCtrl* m_pDescription = nullptr;
    std::string m_strDescription;  // what the box shows
    CPoint m_lastMouse{-1, -1};
};
