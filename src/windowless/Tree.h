#pragma once
// The tree view: a list whose rows are tree nodes in display order. A node builds its own
// row (indentation, folder button, check box, text) and keeps its child nodes, so the
// hierarchy survives inside the flat list; collapsing hides the descendants' rows.
#include "windowless/Button.h"
#include "windowless/Label.h"
#include "windowless/ListElements.h"

namespace WinlessUI {

class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI {
public:
    explicit CTreeNodeUI(CTreeNodeUI* parent = nullptr);
    const char* GetClassName() const override { return "TreeNodeUI"; }
    void* GetInterface(const char* name) override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const char* name, const char* value) override;
    bool Select(bool select = true) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;

    void SetItemTextColor(DWORD c);
    DWORD GetItemTextColor() const { return m_dwItemTextColor; }
    void SetItemHotTextColor(DWORD c);
    DWORD GetItemHotTextColor() const { return m_dwItemHotTextColor; }
    void SetSelItemTextColor(DWORD c);
    DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }
    void SetSelItemHotTextColor(DWORD c);
    DWORD GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

    void SetParentNode(CTreeNodeUI* parent) { m_pParentTreeNode = parent; }
    CTreeNodeUI* GetParentNode() const { return m_pParentTreeNode; }
    void SetTreeView(CTreeViewUI* view) { m_pTreeView = view; }
    CTreeViewUI* GetTreeView() const { return m_pTreeView; }
    void SetNodeVisibleFlag(bool on) { m_bIsVisable = on; }
    bool GetNodeVisibleFlag() const { return m_bIsVisable; }
    int GetChildNodeCount() const { return m_aTreeNodes.GetSize(); }
    CTreeNodeUI* GetChildNode(int index) const;
    bool HasChildNodes() const { return !m_aTreeNodes.IsEmpty(); }
    CUIPtrArray GetSubtreeNodes() const { return m_aTreeNodes; }
    CUIString GetItemText() const { return m_pItemButton->GetText(); }
    void SetItemText(const char* text) { m_pItemButton->SetText(text); }
    void ShowFolderButton(bool show) { m_pFolderButton->SetVisible(show); }
    void ShowCheckButton(bool show) { m_pCheckBox->SetVisible(show); }
    int GetIndexInTree() const;
    CTreeNodeUI* GetLastDescendant();

    bool AddChildNode(CTreeNodeUI* node);
    bool AddChildNodeAt(CTreeNodeUI* node, int index);
    bool RemoveAt(CTreeNodeUI* node);
    using CListContainerElementUI::RemoveAt;
    // Takes a node out of the child list without touching any view (the view removes rows).
    void ForgetChild(CTreeNodeUI* node);

    CHorizontalLayoutUI* GetTreeNodeHoriznotal() const { return m_pHoriz; }
    CLabelUI* GetDottedLine() const { return m_pDottedLine; }
    CCheckBoxUI* GetFolderButton() const { return m_pFolderButton; }
    CCheckBoxUI* GetCheckBox() const { return m_pCheckBox; }
    COptionUI* GetItemButton() const { return m_pItemButton; }

    static bool IsNode(CControlUI* c);

protected:
    void Prepare(CTreeNodeUI* node);

    bool m_bIsVisable = false;
    DWORD m_dwItemTextColor = 0;
    DWORD m_dwItemHotTextColor = 0;
    DWORD m_dwSelItemTextColor = 0;
    DWORD m_dwSelItemHotTextColor = 0;
    CTreeViewUI* m_pTreeView = nullptr;
    CHorizontalLayoutUI* m_pHoriz;
    CLabelUI* m_pDottedLine;
    CCheckBoxUI* m_pFolderButton;
    CCheckBoxUI* m_pCheckBox;
    COptionUI* m_pItemButton;
    CTreeNodeUI* m_pParentTreeNode = nullptr;
    CUIPtrArray m_aTreeNodes;
};

class CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();
    const char* GetClassName() const override { return "TreeViewUI"; }
    void* GetInterface(const char* name) override;
    void Notify(UINotify&) override {}
    void SetAttribute(const char* name, const char* value) override;

    bool Add(CControlUI* control) override;
    virtual bool AddAt(CTreeNodeUI* node, CTreeNodeUI* indexNode);
    int AddAt(CTreeNodeUI* node, int index);
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;

    virtual bool OnCheckBoxChanged(void* param);
    virtual bool OnFolderChanged(void* param);
    virtual bool OnNodeDoubleClick(void* param);
    virtual bool SetNodeChecked(bool checked, CTreeNodeUI* node = nullptr);
    virtual void SetNodeExpanded(bool expand, CTreeNodeUI* node = nullptr);
    virtual void ShowFolderButton(bool show);
    virtual bool IsFolderButtonShown() const { return m_bVisibleFolderBtn; }
    virtual void ShowCheckButton(bool show);
    virtual bool IsCheckButtonShown() const { return m_bVisibleCheckBtn; }
    virtual void SetNodeMinWidth(int width);
    virtual int GetNodeMinWidth() const { return m_uItemMinWidth; }
    virtual void SetItemTextColor(DWORD c);
    virtual void SetItemHotTextColor(DWORD c);
    virtual void SetSelectedNodeTextColor(DWORD c);
    virtual void SetSelectedNodeHotTextColor(DWORD c);

protected:
    // Hooks a node to the view and prepares its buttons; false for anything but a node.
    bool Hook(CControlUI* control, bool folderByChildren);

    int m_uItemMinWidth = 0;
    bool m_bVisibleFolderBtn = true;
    bool m_bVisibleCheckBtn = false;
};

}  // namespace WinlessUI
