#include "training/wnd/SelStockBoard.h"

#include <algorithm>
#include <cstdint>

#include "protocol/Bodies.h"

bool SelStockBoard::PreviousPage(int16_t& offset) const {
    if (m_nTotal <= 0) return false;
    offset = int16_t(std::max(0, m_nOffset - kCells));
    return offset != m_nOffset;
}

bool SelStockBoard::NextPage(int16_t& offset) const {
    if (m_nTotal <= 0) return false;
    // Fewer candidates than a page would give a negative offset: the first page it is.
    offset = int16_t(std::clamp(m_nOffset + kCells, 0, std::max(0, m_nTotal - kCells)));
    return offset != m_nOffset;
}

bool SelStockBoard::ApplyCandidates(const wire::CandidatesReply& reply) {
    m_nTotal = int16_t(std::min<uint16_t>(reply.total, INT16_MAX));
    m_nOffset = int16_t(std::min<uint16_t>(reply.offset, INT16_MAX));
    m_candidates.clear();
    for (const auto& e : reply.entries) m_candidates.emplace_back(int32_t(e.market), e.code);
    if (m_candidates.empty()) return false;
    m_nShown = std::min<int>(int(m_candidates.size()), kCells);
    for (int i = 0; i < kCells; ++i) m_cells[i] = i < m_nShown ? m_candidates[size_t(i)] : CIndSecuCode();
    m_bRevealed = false;
    m_nSelected = m_nHovered = -1;
    return true;
}

const CIndSecuCode& SelStockBoard::CellSecurity(int cell) const {
    static const CIndSecuCode kNone;
    return cell >= 0 && cell < kCells ? m_cells[cell] : kNone;
}

bool SelStockBoard::Select(int cell) {
    if (m_bRevealed || cell < 0 || cell >= m_nShown || cell == m_nSelected) return false;
    m_nSelected = cell;
    return true;
}

bool SelStockBoard::Hover(int cell) {
    if (cell < 0 || cell >= kCells || cell == m_nHovered) return false;
    m_nHovered = cell;
    return true;
}

bool SelStockBoard::Leave() {
    if (m_nHovered < 0) return false;
    m_nHovered = -1;
    return true;
}

std::string SelStockBoard::Reveal() {
    if (m_nSelected < 0) return "请用鼠标选中您看中的股票";
    m_bRevealed = true;
    return {};
}

std::string SelStockBoard::CanJudge() const {
    // The verdict comes after the choice is handed in, never before the charts show it.
    if (m_nSelected < 0 || !m_bRevealed) return "请先提交您选中的股票";
    return {};
}
