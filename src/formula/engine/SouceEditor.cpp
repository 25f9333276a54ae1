#include "formula/engine/SouceEditor.h"

CSouceEditor::FindIndFn CSouceEditor::m_pfFindInd = nullptr;
CSouceEditor::CheckSecuFn CSouceEditor::m_pfCheckSecu = nullptr;

void CSouceEditor::Prepare(int depth, int count) {
    if (static_cast<int>(m_aStack.size()) < depth) m_aStack.resize(static_cast<size_t>(depth));
    for (auto& r : m_aStack) r.Reserve(count > 0 ? count : 1);
    size_t need = static_cast<size_t>(count > 0 ? count : 1) * 2 + 2;
    if (m_vScratch.size() < need) m_vScratch.resize(need);
    m_pScratch = m_vScratch.data();
    m_nTop = -1;
}

std::vector<double> CSouceEditor::TakeSpare(int count) {
    const size_t n = static_cast<size_t>(count > 0 ? count : 1);
    std::vector<double> data;
    if (!m_vSpares.empty()) {
        data = std::move(m_vSpares.back());
        m_vSpares.pop_back();
    }
    if (data.size() < n) data.resize(n);
    return data;
}

void CSouceEditor::GiveSpare(std::vector<double>&& data) {
    // A few arrays are enough: one per series a formula fetches.
    if (!data.empty() && m_vSpares.size() < 16) m_vSpares.push_back(std::move(data));
}
