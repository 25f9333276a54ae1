#pragma once
// The state of a stock-selection board apart from its charts: the page of candidates the
// server sent, paging, the selected and hovered cells, whether the board is revealed, and
// what its two buttons ("选择", "提示") answer. UI thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"

namespace wire {
struct CandidatesReply;
}

class SelStockBoard {
public:
    static constexpr int kCells = 6;  // also the page size of every request

    // The paging arrows: the new offset to ask for, or false when it would not change
    // (nothing before the first reply; never below 0, never past the last full page).
    bool PreviousPage(int16_t& offset) const;
    bool NextPage(int16_t& offset) const;
    // The page asked for; the reply confirms it.
    void SetOffset(int16_t offset) { m_nOffset = offset < 0 ? int16_t(0) : offset; }

    // A 13001 reply. An empty page only empties the candidates; otherwise the cells below
    // the page's size show its candidates, the cells past it show nothing, and the board
    // is hidden again with nothing selected or hovered. True when the cells changed.
    bool ApplyCandidates(const wire::CandidatesReply& reply);
    // The security of a cell, empty when it shows none.
    const CIndSecuCode& CellSecurity(int cell) const;
    int ShownCells() const { return m_nShown; }

    // A click on a cell. Once the board is revealed the choice is made and stays.
    bool Select(int cell);
    bool Hover(int cell);
    bool Leave();

    // The same page shown again: hidden, nothing selected or hovered.
    void Rehide() {
        m_bRevealed = false;
        m_nSelected = m_nHovered = -1;
    }
    // "选择": the message to show, or empty when the board is revealed now.
    std::string Reveal();
    // "提示": the message to show, or empty when the verdict on the selected cell may be shown.
    std::string CanJudge() const;
    // The verdict: a rise (tenths of a percent) passes when it reaches the threshold.
    static bool Passes(double riseTenths, int thresholdTenths) { return riseTenths >= thresholdTenths; }

    int16_t Offset() const { return m_nOffset; }
    int16_t Total() const { return m_nTotal; }
    int Selected() const { return m_nSelected; }
    int Hovered() const { return m_nHovered; }
    bool Revealed() const { return m_bRevealed; }
    const std::vector<CIndSecuCode>& Candidates() const { return m_candidates; }

private:
    std::vector<CIndSecuCode> m_candidates;  // the page as the server sent it
    CIndSecuCode m_cells[kCells];
    int m_nShown = 0;
    int16_t m_nOffset = 0;
    int16_t m_nTotal = 0;
    int m_nSelected = -1;
    int m_nHovered = -1;
    bool m_bRevealed = false;
};
