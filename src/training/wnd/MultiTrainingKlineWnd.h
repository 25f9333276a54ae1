#pragma once
// The stock-selection board ("MultiTrainingKlineWnd" in "selstocktraining.xlay"): six small
// K-line charts of candidate securities whose future is hidden. The user frames the one
// expected to rise most, "选择" reveals every chart with its rise, "提示" tells whether the
// chosen one reached the threshold of the set-up page, and two arrows page through the
// candidates the server offers (request 13001).
//
// Threads: the 13001 reply is decoded on the network thread and handed to the board as a UI
// task; a task that finds the board detached or gone does nothing. Everything else runs on
// the UI thread.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "chart/KlineChartWnd.h"
#include "training/wnd/SelStockBoard.h"
#include "training/wnd/TrainingKlineWnd.h"
#include "ui/element/ElementWnd.h"

class CDlgSelStockTip;
class MultiItemKlinePicData;
class MyButton;

namespace wire {
struct CandidatesReply;
}

// Sent by a cell to the board, synchronously: wParam what happened, lParam the cell index.
inline constexpr UINT UM_SELSTOCK_CELL = 0x8073;

// Hover tips over a cell show dates: none while the set-up page hides them.
class MultiItemKlineTipOverlay : public chart::PicTipOverlay {
public:
    using chart::PicTipOverlay::PicTipOverlay;
    bool IsTipEnabled() const override;
};

// One cell of the board: a training chart over a hidden window of days
// (MultiItemKlinePicData). It has no session: the set-up page's flags hide its dates and
// name.
class MultiKlineItemWnd : public TrainingKlineWnd {
public:
    enum CellEvent { kReleased = 0, kMovedOver = 1, kLeft = 2 };
    static constexpr int kNameStrip = 26;

    explicit MultiKlineItemWnd(int index = -1);
    ~MultiKlineItemWnd() override;

    // --- chart window ---
    BOOL Create(CWnd* parent) override;
    void CreateDataLayer() override;
    void CreateChartOverlay() override;
    void CreateTipOverlay() override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementLButtonDblClk(UINT, int, int) override {}
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    void OnElementMouseLeave() override;

    // A candidate of a new page: its chart hidden again, loaded afresh for a new security.
    void ShowCandidate(const CIndSecuCode& code);
    // No candidate: an empty chart.
    void Clear();
    // Shows the window and everything after it, with the rise badge.
    void Reveal();
    // The rise over the hidden window, tenths of a percent.
    double GetRise();
    MultiItemKlinePicData* Layer() const;
    // The security shown, or null.
    CSecurity* Security() const;

    int m_nIndex;
    int m_bRevealed = 0;

private:
    void TellBoard(CellEvent event);
};

class MultiTrainingKlineWnd : public CElementWnd {
public:
    static constexpr int kCells = SelStockBoard::kCells;
    static constexpr UINT kRevealId = 100;
    static constexpr UINT kJudgeId = 101;
    static constexpr COLORREF kBackground = RGB(33, 49, 55);
    static constexpr COLORREF kChosenFrame = RGB(254, 190, 0);
    static constexpr COLORREF kPagingPanel = RGB(70, 59, 99);

    MultiTrainingKlineWnd();
    ~MultiTrainingKlineWnd() override;

    BOOL Create(CWnd* parent) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void SetLayoutNode(CLayoutManager* node) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnDestroying() override;
    void DetachData() override;
    int LoadFromXml(const tinyxml2::XMLElement* element) override;
    void AttachData() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // "选择" (100) and "提示" (101).
    void OnBoardCommand(UINT id);
    // A cell's UM_SELSTOCK_CELL.
    void OnCellNotify(int event, int cell);
    // Asks the server for the page at the current offset; false when offline.
    bool RequestCandidates();
    // A 13001 reply on the UI thread.
    void OnCandidates(const wire::CandidatesReply& reply);

    // Shows the verdict dialog; tests look at the dialog instead (null: modal).
    void SetVerdictShower(std::function<void(CDlgSelStockTip&)> shower) { m_showVerdict = std::move(shower); }

    MultiKlineItemWnd* Cell(int i) const { return m_cells[size_t(i)].get(); }
    const SelStockBoard& Board() const { return m_board; }
    MyButton* Button(int i) const { return m_buttons[size_t(i)].get(); }
    CRect m_rcPrev;
    CRect m_rcNext;

private:
    void Tell(const char* text);
    void RedrawFrames();

    std::array<std::shared_ptr<MultiKlineItemWnd>, kCells> m_cells;
    std::array<std::unique_ptr<MyButton>, 2> m_buttons;
    SelStockBoard m_board;
    std::function<void(CDlgSelStockTip&)> m_showVerdict;
    // Replies hold the board weakly; a detach advances the generation so that a reply
    // already on its way is dropped.
    std::shared_ptr<MultiTrainingKlineWnd*> m_pSelf;
    uint64_t m_nGeneration = 0;
};

void RegisterSelStockBoardTypes();
