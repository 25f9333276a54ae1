#pragma once
// The skinned dialog base and the dialog factory.
//
// A CDlgTemplate is a frameless popup dialog that paints its own background, a 1-pixel
// frame, a 34-pixel title band and a close cross, is dragged by its top 30 pixels, and takes
// its look and its child controls from its element of "DlgConfig.xml" (LoadSkinNode). A
// concrete dialog overrides LoadSkin with one LoadSkinNode call for its element and adds
// behaviour; the commands of its buttons arrive as WM_COMMAND with the buttons' ids.
//
// DlgFactory holds the parsed "DlgConfig.xml" for every dialog and creates a few modeless
// dialogs by id. It keeps only weak references to what it creates: the caller owns the
// shared_ptr it gets back and must keep it for as long as the dialog is to live (the main
// frame keeps its value panel and download popup this way).
#include <tinyxml2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "ui/dialog/CtrlLayout.h"

class CMyEditCtrl;

class CDlgTemplate : public CDialog {
public:
    static constexpr UINT kTemplateId = 221;
    static constexpr int kTitleHeight = 34;
    static constexpr int kDragHeight = 30;

    explicit CDlgTemplate(CWnd* parent = nullptr);
    ~CDlgTemplate() override;

    BOOL Create(UINT idTemplate, CWnd* parent = nullptr) override;
    BOOL OnInitDialog() override;

    virtual void OnChartWndClosing(CWnd* window) {}
    virtual void HidePopup() {}
    virtual int InitColors();
    virtual void LoadSkin() {}
    virtual void BuildControls();
    virtual void DrawCloseButton(int state, CDC* dc);
    virtual void DrawBackground(CDC* dc);
    virtual void DrawBorder(CDC* dc);
    virtual void DrawTitle(CDC* dc);
    virtual LRESULT OnMouseLeaveHook(WPARAM, LPARAM) { return 0; }
    virtual void OnLButtonDownHook(UINT flags, CPoint pt) {}
    virtual void OnMouseMoveHook(UINT flags, CPoint pt) {}
    virtual void OnLButtonUpHook(UINT flags, CPoint pt) {}
    virtual LRESULT HitTest(CPoint screenPt) { return CDialog::OnNcHitTest(screenPt); }
    virtual void OnSizeHook() {}

    // Reads the element `name` of the factory's document into this dialog (colours,
    // "text" while the title is empty, "width"/"height" while 0, "titleAlign", "titlebk")
    // and its controls into the layout. Null when there is no such element.
    tinyxml2::XMLElement* LoadSkinNode(const std::string& name);
    // Everything a paint draws, on any DC (screenshots, tests).
    void PaintAll(CDC* dc);
    bool IsTitleLeft() const;

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnMouseMove(UINT flags, CPoint pt) override;
    void OnLButtonDown(UINT flags, CPoint pt) override;
    void OnLButtonUp(UINT flags, CPoint pt) override;
    LRESULT OnNcHitTest(CPoint screenPt) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CRect m_rcClient;
    CRect m_rcTitle;
    COLORREF m_clrBk = 0;
    COLORREF m_clrBk2 = 0;
    COLORREF m_clrSeparator = 0;
    COLORREF m_clrBorder = 0;
    COLORREF m_clrClose = 0;
    COLORREF m_clrTitle = 0;
    COLORREF m_clrTitleBk = 0;
    std::string m_strTitle;
    int m_nWidth = 0, m_nHeight = 0;
    std::string m_strTitleAlign;
    std::shared_ptr<CtrlLayout> m_pLayout;
    CRect m_rcClose;

private:
    void PlaceClose(int cx);
};

class DlgFactory {
public:
    using Creator = CDlgTemplate* (*)(CWnd* parent);

    // "DlgConfig.xml" of the program directory; a missing or malformed file leaves no root.
    void LoadDlgConfig();
    bool LoadDlgConfigFile(const std::string& path);
    tinyxml2::XMLElement* GetRoot() const { return m_pRoot; }

    // The dialog of that id, its modeless window already created; empty for an unknown id.
    std::shared_ptr<CDlgTemplate> CreateDlg(int id, CWnd* parent);
    // Destroys the window of every recorded dialog still alive and forgets them all.
    void DestroyAll();
    // Registers a creator; an id already present keeps its first creator. False then.
    bool Register(int id, Creator creator);
    // Calls fn on every recorded dialog that is still alive.
    void ForEachDialog(const std::function<void(CDlgTemplate*)>& fn);
    void OnChartWndClosing(CWnd* window);
    void HidePopups();
    size_t RecordCount() const { return m_dialogs.size(); }

private:
    tinyxml2::XMLDocument m_doc;
    tinyxml2::XMLElement* m_pRoot = nullptr;
    std::map<int, Creator> m_creators;
    std::vector<std::weak_ptr<CDlgTemplate>> m_dialogs;
};

DlgFactory* GetDlgFactory();

// Static registration of a dialog class created by id.
class DlgRegister {
public:
    DlgRegister(int id, DlgFactory::Creator creator) { GetDlgFactory()->Register(id, creator); }
};

// The in-place editor of one grid cell: the caller sets width, height, text and screen
// position, runs it modally and reads the text back on IDOK.
class CDlgEditGrid : public CDlgTemplate {
public:
    static constexpr int kEditId = 100;
    explicit CDlgEditGrid(CWnd* parent = nullptr) : CDlgTemplate(parent) {}
    void LoadSkin() override { LoadSkinNode("editGridDlg"); }
    void BuildControls() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CMyEditCtrl* m_pEdit = nullptr;
    std::string m_strText;
    int m_nX = -1, m_nY = -1;
};
