#include "windowless/Tree.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace WinlessUI {

// ---------------- node ----------------

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* parent)
    : m_pHoriz(new CHorizontalLayoutUI),
      m_pDottedLine(new CLabelUI),
      m_pFolderButton(new CCheckBoxUI),
      m_pCheckBox(new CCheckBoxUI),
      m_pItemButton(new COptionUI) {
    SetFixedHeight(18);
    m_pDottedLine->SetFixedWidth(2);
    m_pDottedLine->SetVisible(false);
    m_pFolderButton->SetFixedWidth(GetFixedHeight());
    m_pCheckBox->SetFixedWidth(GetFixedHeight());
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetAttribute("align", "left");
    m_pItemButton->SetMouseEnabled(false);
    // A parent that is no node is ignored: the row is a top-level one.
    if (parent != nullptr && IsNode(parent)) {
        m_pDottedLine->SetVisible(parent->m_pDottedLine->IsVisible());
        m_pDottedLine->SetFixedWidth(parent->m_pDottedLine->GetFixedWidth() + 16);
        m_pParentTreeNode = parent;
    }
    m_pHoriz->Add(m_pDottedLine);
    m_pHoriz->Add(m_pFolderButton);
    m_pHoriz->Add(m_pCheckBox);
    m_pHoriz->Add(m_pItemButton);
    CContainerUI::AddAt(m_pHoriz, 0);
}

bool CTreeNodeUI::IsNode(CControlUI* c) { return c != nullptr && CUIString(c->GetClassName()).CompareNoCase("TreeNodeUI") == 0; }

void* CTreeNodeUI::GetInterface(const char* name) {
    if (strcmp(name, "TreeNode") == 0) return this;
    return CListContainerElementUI::GetInterface(name);
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int index) const {
    if (index < 0 || index >= m_aTreeNodes.GetSize()) return nullptr;
    return static_cast<CTreeNodeUI*>(m_aTreeNodes[index]);
}

bool CTreeNodeUI::Add(CControlUI* control) {
    if (IsNode(control)) return AddChildNode(static_cast<CTreeNodeUI*>(control));
    return CListContainerElementUI::Add(control);
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index) {
    if (IsNode(control)) return AddChildNodeAt(static_cast<CTreeNodeUI*>(control), index);
    return CListContainerElementUI::AddAt(control, index);
}

bool CTreeNodeUI::Remove(CControlUI* control) {
    if (IsNode(control)) return RemoveAt(static_cast<CTreeNodeUI*>(control));
    return CListContainerElementUI::Remove(control);
}

bool CTreeNodeUI::Select(bool select) {
    bool ok = CListContainerElementUI::Select(select);
    m_pItemButton->SetTextColor(m_bSelected ? m_dwSelItemTextColor : m_dwItemTextColor);
    return ok;
}

void CTreeNodeUI::SetItemTextColor(DWORD c) {
    m_dwItemTextColor = c;
    m_pItemButton->SetTextColor(c);
}
void CTreeNodeUI::SetItemHotTextColor(DWORD c) {
    m_dwItemHotTextColor = c;
    Invalidate();
}
void CTreeNodeUI::SetSelItemTextColor(DWORD c) {
    m_dwSelItemTextColor = c;
    Invalidate();
}
void CTreeNodeUI::SetSelItemHotTextColor(DWORD c) {
    m_dwSelItemHotTextColor = c;
    Invalidate();
}

int CTreeNodeUI::GetIndexInTree() const {
    if (m_pTreeView == nullptr) return -1;
    return m_pTreeView->GetItemIndex(const_cast<CTreeNodeUI*>(this));
}

CTreeNodeUI* CTreeNodeUI::GetLastDescendant() {
    CTreeNodeUI* node = this;
    while (node->HasChildNodes()) node = node->GetChildNode(node->GetChildNodeCount() - 1);
    return node;
}

void CTreeNodeUI::Prepare(CTreeNodeUI* node) {
    node->m_pDottedLine->SetVisible(true);
    node->m_pDottedLine->SetFixedWidth(m_pDottedLine->GetFixedWidth() + 16);
    // A subtree built before it was attached is indented again from its new depth.
    for (int i = 0; i < node->GetChildNodeCount(); i++) node->Prepare(node->GetChildNode(i));
    node->m_pParentTreeNode = this;
    if (!m_pItemButton->GetGroupName().IsEmpty()) node->m_pItemButton->SetGroup(m_pItemButton->GetGroupName());
    node->m_pTreeView = m_pTreeView;
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* node) {
    if (!IsNode(node)) return false;
    Prepare(node);
    if (m_pTreeView != nullptr) {
        CTreeNodeUI* after = HasChildNodes() ? GetChildNode(GetChildNodeCount() - 1)->GetLastDescendant() : this;
        int at = m_pTreeView->GetItemIndex(after);
        if (m_pTreeView->AddAt(node, at + 1) < 0) return false;
        // A leaf that gains a child needs its folder button to open it.
        m_pFolderButton->SetVisible(m_pTreeView->IsFolderButtonShown());
    }
    node->SetVisible(m_pFolderButton->IsSelected());
    return m_aTreeNodes.Add(node);
}

bool CTreeNodeUI::AddChildNodeAt(CTreeNodeUI* node, int index) {
    if (!IsNode(node)) return false;
    index = std::clamp(index, 0, GetChildNodeCount());
    CTreeNodeUI* noted = GetChildNode(index);
    Prepare(node);
    bool ok;
    if (m_pTreeView == nullptr) {
        ok = m_aTreeNodes.InsertAt(index, node);
    } else if (noted != nullptr) {
        int at = noted->GetIndexInTree();
        ok = at >= 0 && m_pTreeView->AddAt(node, at) >= 0 && m_aTreeNodes.InsertAt(index, node);
    } else {
        const int self = GetIndexInTree();
        int insertAfter = self, childAt = -1;
        for (int i = GetChildNodeCount() - 1; i >= 0; --i) {
            int pos = GetChildNode(i)->GetLastDescendant()->GetIndexInTree();
            if (pos > self) {
                insertAfter = pos;
                childAt = i;
                break;
            }
        }
        ok = m_pTreeView->AddAt(node, insertAfter + 1) >= 0 && m_aTreeNodes.InsertAt(childAt + 1, node);
        if (ok) m_pFolderButton->SetVisible(m_pTreeView->IsFolderButtonShown());
    }
    if (ok) node->SetVisible(m_pFolderButton->IsSelected());
    return ok;
}

void CTreeNodeUI::ForgetChild(CTreeNodeUI* node) {
    int at = m_aTreeNodes.Find(node);
    if (at >= 0) m_aTreeNodes.Remove(at);
}

bool CTreeNodeUI::RemoveAt(CTreeNodeUI* node) {
    int at = m_aTreeNodes.Find(node);
    if (at < 0) return false;
    while (node->HasChildNodes()) node->RemoveAt(node->GetChildNode(0));
    m_aTreeNodes.Remove(at);
    node->m_pParentTreeNode = nullptr;
    if (m_pTreeView != nullptr) m_pTreeView->Remove(node);
    return true;
}

void CTreeNodeUI::SetAttribute(const char* name, const char* value) {
    auto is = [&](const char* x) { return strcmp(name, x) == 0; };
    if (is("text")) m_pItemButton->SetText(value);
    else if (is("horizattr")) m_pHoriz->ApplyAttributeText(value);
    else if (is("dotlineattr")) m_pDottedLine->ApplyAttributeText(value);
    else if (is("folderattr")) m_pFolderButton->ApplyAttributeText(value);
    else if (is("checkboxattr")) m_pCheckBox->ApplyAttributeText(value);
    else if (is("itemattr")) m_pItemButton->ApplyAttributeText(value);
    else if (is("itemtextcolor")) SetItemTextColor(ParseColor(value));
    else if (is("itemhottextcolor")) SetItemHotTextColor(ParseColor(value));
    else if (is("selitemtextcolor")) SetSelItemTextColor(ParseColor(value));
    else if (is("selitemhottextcolor")) SetSelItemHotTextColor(ParseColor(value));
    else if (is("defaultexpand")) m_pFolderButton->SetSelected(ParseBool(value));
    else CListContainerElementUI::SetAttribute(name, value);
}

void CTreeNodeUI::HandleEvent(UIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEventType(event.Type)) {
        if (m_pOwner) m_pOwner->HandleEvent(event);
        else CContainerUI::HandleEvent(event);
        return;
    }
    CListContainerElementUI::HandleEvent(event);
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled()) {
        if (m_pManager) m_pManager->SendNotification(this, "itemdbclick");
        Invalidate();
    } else if (event.Type == UIEVENT_MOUSEENTER) {
        if (IsEnabled())
            m_pItemButton->SetTextColor(m_bSelected && m_dwSelItemHotTextColor ? m_dwSelItemHotTextColor
                                                                               : m_dwItemHotTextColor);
        else m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
    } else if (event.Type == UIEVENT_MOUSELEAVE) {
        if (!IsEnabled()) m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        else if (!m_bSelected) m_pItemButton->SetTextColor(m_dwItemTextColor);
        else if (m_dwSelItemTextColor != 0) m_pItemButton->SetTextColor(m_dwSelItemTextColor);
    }
}

// ---------------- view ----------------

CTreeViewUI::CTreeViewUI() { m_pHeader->SetVisible(false); }

void* CTreeViewUI::GetInterface(const char* name) {
    if (strcmp(name, "TreeView") == 0) return this;
    return CListUI::GetInterface(name);
}

static CTreeNodeUI* NodeOf(CControlUI* c) {
    return c ? static_cast<CTreeNodeUI*>(c->GetInterface("TreeNode")) : nullptr;
}

bool CTreeViewUI::Hook(CControlUI* control, bool folderByChildren) {
    if (!CTreeNodeUI::IsNode(control)) return false;
    CTreeNodeUI* node = static_cast<CTreeNodeUI*>(control);
    node->OnNotify += MakeDelegate(this, &CTreeViewUI::OnNodeDoubleClick);
    node->GetFolderButton()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnFolderChanged);
    node->GetCheckBox()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
    node->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
    node->GetFolderButton()->SetVisible(folderByChildren ? node->HasChildNodes() && m_bVisibleFolderBtn
                                                         : m_bVisibleFolderBtn);
    if (m_uItemMinWidth != 0) node->SetMinWidth(m_uItemMinWidth);
    return true;
}

bool CTreeViewUI::Add(CControlUI* control) {
    if (!Hook(control, true)) return false;
    CTreeNodeUI* node = static_cast<CTreeNodeUI*>(control);
    if (!CListUI::Add(node)) return false;
    node->SetTreeView(this);
    for (int i = 0; i < node->GetChildNodeCount(); i++) Add(node->GetChildNode(i));
    return true;
}

int CTreeViewUI::AddAt(CTreeNodeUI* node, int index) {
    if (!Hook(node, false)) return -1;
    index = std::clamp(index, 0, GetCount());
    if (!CListUI::AddAt(node, index)) return -1;
    node->SetTreeView(this);
    int pos = index + 1;
    for (int i = 0; i < node->GetChildNodeCount(); i++) {
        pos = AddAt(node->GetChildNode(i), pos);
        if (pos < 0) return -1;
    }
    return pos;
}

bool CTreeViewUI::AddAt(CControlUI* control, int index) {
    CTreeNodeUI* node = NodeOf(control);
    if (node == nullptr) return false;
    return AddAt(node, index) >= 0;
}

bool CTreeViewUI::AddAt(CTreeNodeUI* node, CTreeNodeUI* indexNode) {
    if (node == nullptr || indexNode == nullptr) return false;
    int at = GetItemIndex(indexNode);
    if (at < 0) return false;
    return AddAt(node, at) >= 0;
}

bool CTreeViewUI::Remove(CControlUI* control) {
    CTreeNodeUI* node = NodeOf(control);
    if (node == nullptr || GetItemIndex(node) < 0) return false;
    CUIPtrArray children = node->GetSubtreeNodes();
    for (int i = 0; i < children.GetSize(); i++) Remove(static_cast<CTreeNodeUI*>(children[i]));
    // The parent must not keep a node whose row goes.
    if (CTreeNodeUI* parent = node->GetParentNode()) parent->ForgetChild(node);
    node->SetParentNode(nullptr);
    return CListUI::RemoveAt(GetItemIndex(node));
}

bool CTreeViewUI::RemoveAt(int index) {
    // Leaves go too: a removal that reported success must have removed the row.
    CTreeNodeUI* node = NodeOf(GetItemAt(index));
    if (node == nullptr) return false;
    return Remove(node);
}

bool CTreeViewUI::OnCheckBoxChanged(void* param) {
    auto* msg = static_cast<UINotify*>(param);
    if (msg->sType != "selectchanged") return true;
    auto* box = static_cast<CCheckBoxUI*>(msg->pSender);
    CControlUI* horiz = box->GetParent();
    CTreeNodeUI* node = horiz ? NodeOf(horiz->GetParent()) : nullptr;
    if (node == nullptr) return true;
    SetNodeChecked(box->IsSelected(), node);
    CTreeNodeUI* parent = node->GetParentNode();
    if (parent == nullptr) return true;
    int checked = 0;
    for (int i = 0; i < parent->GetChildNodeCount(); i++) checked += parent->GetChildNode(i)->GetCheckBox()->IsSelected();
    CCheckBoxUI* parentBox = parent->GetCheckBox();
    if (checked == parent->GetChildNodeCount() && !parentBox->IsSelected()) parentBox->SetSelected(true);
    else if (checked == 0 && parentBox->IsSelected()) parentBox->SetSelected(false);
    return true;
}

bool CTreeViewUI::OnFolderChanged(void* param) {
    auto* msg = static_cast<UINotify*>(param);
    if (msg->sType != "selectchanged") return true;
    auto* button = static_cast<CCheckBoxUI*>(msg->pSender);
    CControlUI* horiz = button->GetParent();
    CTreeNodeUI* node = horiz ? NodeOf(horiz->GetParent()) : nullptr;
    if (node == nullptr) return true;
    node->SetNodeVisibleFlag(button->IsSelected());
    SetNodeExpanded(button->IsSelected(), node);
    return true;
}

bool CTreeViewUI::OnNodeDoubleClick(void* param) {
    auto* msg = static_cast<UINotify*>(param);
    if (msg->sType != "itemdbclick") return true;
    CTreeNodeUI* node = NodeOf(msg->pSender);
    if (node == nullptr) return true;
    CCheckBoxUI* folder = node->GetFolderButton();
    folder->SetSelected(!folder->IsSelected());
    return true;
}

static void ForEachDescendant(CTreeNodeUI* node, const std::function<void(CTreeNodeUI*)>& fn) {
    for (int i = 0; i < node->GetChildNodeCount(); i++) {
        CTreeNodeUI* child = node->GetChildNode(i);
        fn(child);
        ForEachDescendant(child, fn);
    }
}

bool CTreeViewUI::SetNodeChecked(bool checked, CTreeNodeUI* node) {
    if (node != nullptr) {
        ForEachDescendant(node, [&](CTreeNodeUI* n) { n->GetCheckBox()->SetSelected(checked); });
        return true;
    }
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* n = NodeOf(GetItemAt(i))) n->GetCheckBox()->SetSelected(checked);
    return true;
}

void CTreeViewUI::SetNodeExpanded(bool expand, CTreeNodeUI* node) {
    if (node != nullptr) {
        ForEachDescendant(node, [&](CTreeNodeUI* n) { n->SetVisible(expand); });
        return;
    }
    for (int i = 0; i < GetCount(); i++) GetItemAt(i)->SetVisible(expand);
}

void CTreeViewUI::ShowFolderButton(bool show) {
    m_bVisibleFolderBtn = show;
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* n = NodeOf(GetItemAt(i))) n->ShowFolderButton(show);
}

void CTreeViewUI::ShowCheckButton(bool show) {
    m_bVisibleCheckBtn = show;
    for (int i = 0; i < GetCount(); i++)
        if (CTreeNodeUI* n = NodeOf(GetItemAt(i))) n->ShowCheckButton(show);
}

void CTreeViewUI::SetNodeMinWidth(int width) {
    m_uItemMinWidth = width;
    for (int i = 0; i < GetCount(); i++) GetItemAt(i)->SetMinWidth(width);
    Invalidate();
}

#define UI_TREE_COLOUR(fn, nodeFn)                                  \
    void CTreeViewUI::fn(DWORD c) {                                 \
        for (int i = 0; i < GetCount(); i++)                        \
            if (CTreeNodeUI* n = NodeOf(GetItemAt(i))) n->nodeFn(c); \
    }
UI_TREE_COLOUR(SetItemTextColor, SetItemTextColor)
UI_TREE_COLOUR(SetItemHotTextColor, SetItemHotTextColor)
UI_TREE_COLOUR(SetSelectedNodeTextColor, SetSelItemTextColor)
UI_TREE_COLOUR(SetSelectedNodeHotTextColor, SetSelItemHotTextColor)
#undef UI_TREE_COLOUR

void CTreeViewUI::SetAttribute(const char* name, const char* value) {
    auto is = [&](const char* x) { return strcmp(name, x) == 0; };
    if (is("visiblefolderbtn")) ShowFolderButton(ParseBool(value));
    else if (is("visiblecheckbtn")) ShowCheckButton(ParseBool(value));
    else if (is("itemminwidth")) SetNodeMinWidth(atoi(value));
    else if (is("itemtextcolor")) SetItemTextColor(ParseColor(value));
    else if (is("itemhottextcolor")) SetItemHotTextColor(ParseColor(value));
    else if (is("selitemtextcolor")) SetSelectedNodeTextColor(ParseColor(value));
    else if (is("selitemhottextcolor")) SetSelectedNodeHotTextColor(ParseColor(value));
    else CListUI::SetAttribute(name, value);
}

}  // namespace WinlessUI
