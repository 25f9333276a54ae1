#include "formula/wnd/DlgMostUsedInd.h"

#include <tinyxml2.h>

#include <algorithm>
#include <strings.h>

#include "ui/dialog/CtrlLayout.h"
#include "ui/dialog/ScrollControlWnd.h"

CDlgMostUsedInd::CDlgMostUsedInd(CWnd* parent) : CDlgTemplate(parent) {
    for (int i = 0; i < 100; ++i) m_titles.push_back(std::to_string(i));
}

CDlgMostUsedInd::~CDlgMostUsedInd() = default;

void CDlgMostUsedInd::LoadSkin() {
    tinyxml2::XMLElement* node = LoadSkinNode("mostUsedInd");
    if (!node) return;
    for (int id = kFirstCategoryId; id < kFirstCategoryId + kCategoryCount && m_pLayout; ++id)
        if (auto* b = dynamic_cast<MyButton*>(m_pLayout->GetControl(id).get())) m_categories.push_back(b);
    if (const tinyxml2::XMLElement* result = node->FirstChildElement("mostUsedIndResult")) {
        m_pResult = std::make_shared<CScrollControlWnd>();
        m_pResult->LoadSkin(result);
    }
    const tinyxml2::XMLElement* group = node->FirstChildElement("IndGroup");
    for (size_t i = 0; i < m_categories.size(); ++i) {
        auto page = std::make_shared<CScrollControlWnd>();
        if (group) page->LoadSkin(group);
        m_pages.push_back(page);
    }
}

void CDlgMostUsedInd::BuildControls() {
    CDlgTemplate::BuildControls();
    if (m_pResult) m_pResult->Create(this);
    for (auto& page : m_pages) page->Create(this);
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    CWnd topMost;
    topMost.m_hWnd = HWND_TOPMOST;
    SetWindowPos(&topMost, (cx - m_nWidth) / 2, m_nHeight / 2, m_nWidth, m_nHeight,
                 SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    topMost.m_hWnd = nullptr;
    if (!m_categories.empty()) {
        if (m_categories[0]->m_hWnd) m_categories[0]->SendMessage(BM_SETCHECK, 1, 0);
        SelectCategory(0);
    }
}

void CDlgMostUsedInd::SelectCategory(int index) {
    if (index == m_nCategory) return;
    m_nCategory = index;
    for (int i = 0; i < int(m_pages.size()); ++i) {
        CScrollControlWnd& page = *m_pages[size_t(i)];
        if (i == index) {
            page.CreateButtons(m_titles, m_picked);
            if (page.m_hWnd) page.ShowWindow(SW_SHOW);
        } else if (page.m_hWnd) {
            page.ShowWindow(SW_HIDE);
        }
    }
}

void CDlgMostUsedInd::OnItemToggled(int controlId, int state) {
    const int item = controlId - 1000;
    if (item < 0 || item >= int(m_titles.size())) return;
    const std::string& title = m_titles[size_t(item)];
    if (state == 1) {
        m_picked.push_back(title);
    } else {
        auto it = std::find_if(m_picked.begin(), m_picked.end(), [&](const std::string& p) {
            return ::strcasecmp(p.c_str(), title.c_str()) == 0;
        });
        if (it != m_picked.end()) m_picked.erase(it);
    }
    if (m_pResult) m_pResult->SetItems(m_picked);
}

void CDlgMostUsedInd::OnPickRemoved(int index) {
    if (index < 0 || index >= int(m_picked.size())) return;
    const std::string removed = m_picked[size_t(index)];
    m_picked.erase(m_picked.begin() + index);
    if (m_pResult) m_pResult->SetItems(m_picked);
    if (m_nCategory >= 0 && m_nCategory < int(m_pages.size()))
        m_pages[size_t(m_nCategory)]->UncheckButton(removed);
}

BOOL CDlgMostUsedInd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id >= kFirstCategoryId && id < kFirstCategoryId + kCategoryCount) {
        SelectCategory(id - kFirstCategoryId);
        return TRUE;
    }
    return CDlgTemplate::OnCommand(wParam, lParam);
}

LRESULT CDlgMostUsedInd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_STRIP_CHECK) {
        OnItemToggled(int(wParam), int(lParam));
        return 0;
    }
    if (msg == UM_STRIP_REMOVE) {
        OnPickRemoved(int(wParam));
        return 0;
    }
    return CDlgTemplate::WindowProc(msg, wParam, lParam);
}
