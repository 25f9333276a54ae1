#pragma once
// The right-hand panel of the trend-training workspace: the revealed bar (quote box), the
// account, the stop levels, the order buttons, "下一根" with the auto-play switch, ending
// and resuming the session, and the journal and review tabs below. It drives the session: it steps
// the training chart (layout leaf 1), runs its auto-play timer, opens the order dialog and
// sends the result when the session ends. The layout places it inside
// TraningAssitWrapper, which gives it a skinned scroll frame.
//
// UI thread only.
#include <functional>
#include <memory>
#include <string>

#include "training/TrainingChartHost.h"
#include "training/TrainingOrder.h"
#include "ui/element/ElementWnd.h"

class CTrainingRecord;
class CBackTraceWnd;
class CTradeDetailWnd;
class CSkinScrollWnd;
class CMyEditCtrl;
class MyButton;
class CLayoutManager;

class CTrainingAssistWnd : public ScrollElementWnd, public ITrainingPanel {
public:
    static constexpr UINT kTabJournal = 100;
    static constexpr UINT kTabReview = 101;
    static constexpr UINT kFirstOrder = 102;  // 102..105
    static constexpr UINT kNextBar = 108;
    static constexpr UINT kStopProfitEdit = 502;
    static constexpr UINT kStopLossEdit = 505;
    static constexpr int kContentHeight = 1080;
    static constexpr int kItemCount = 41;
    static constexpr int kEndItem = 36;

    struct TextItem {
        std::string text;
        int font = 0;
        COLORREF colour = 0;
        CRect rect;
    };

    CTrainingAssistWnd();
    ~CTrainingAssistWnd() override;

    int OnCreate(LPCREATESTRUCT cs) override;
    void RecalcLayout() override;
    void RepositionControls() override;
    void DrawClient(CDC* dc) override;
    int SetContextObject(void* object) override;
    void AttachData() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // --- what the chart hands over ---
    void SetQuote(double open, double high, double low, double close, double preclose,
                  double volume, int16_t dataType, int16_t period, int64_t time) override;
    // Paints what the quote and account boxes changed since the last paint.
    void RepaintPanel() override;
    void OnBarAdvanced() override;
    void UpdateAccountBox() override;
    void StopAutoPlay() override;
    void EnsureAutoPlay() override;
    void OnPeriodEnded() override;

    bool StartAutoPlay();
    void UpdateButtons();
    void UpdateQuoteBox();
    void OnButtonCommand(UINT id);
    // The stop edits' EN_CHANGE.
    void OnStopLevelChange(bool profit);
    // The left button released on the auto-play switch or on item 36.
    void ToggleAutoPlay();
    void EndOrResume();

    // The chart driven by this panel: the one set (tests), else layout leaf 1.
    void SetChart(ITrainingChartControl* chart) { m_pChart = chart; }
    ITrainingChartControl* FindChart();
    // Order maxima in hands, from the record itself (never read back from the texts).
    TrainingOrderMaxima OrderMaxima() const;

    bool IsPlaying() const { return m_bPlaying; }
    CTrainingRecord* GetRecord() const { return m_pRecord; }
    const TextItem& Item(int i) const { return m_items[size_t(i)]; }
    CRect SwitchRect() const;
    MyButton* Button(int i) const { return m_buttons[size_t(i)].get(); }
    CMyEditCtrl* StopEdit(bool profit) const {
        return profit ? m_pStopProfit.get() : m_pStopLoss.get();
    }
    CTradeDetailWnd* Journal() const { return m_pJournal.get(); }
    CBackTraceWnd* Review() const { return m_pReview.get(); }

private:
    void CreateItems();
    void LayoutItems();
    void LayoutButtons();
    void DrawSwitch(CDC* dc);
    // Sets an item's text and colour; an item that changed is marked to be painted again.
    std::string VolumeText(double volume);
    void SetItem(int i, std::string text, COLORREF colour);
    void SetItem(int i, std::string text) { SetItem(i, std::move(text), m_items[size_t(i)].colour); }
    // Marks a content rectangle (not yet scrolled) to be painted again.
    void InvalidateContent(const CRect& rc);
    // Invalidates and paints the whole panel.
    void RepaintAll();
    // The refusal of every command but the tabs once the session has ended.
    void TellEnded();
    void Tell(const char* text);
    // The journal and the review after the record's trades changed.
    void RefreshJournal();
    void SaveRecords();
    void SendResult();
    double CurrentAsset() const;
    int32_t HandUnit() const;

    CTrainingRecord* m_pRecord = nullptr;
    ITrainingChartControl* m_pChart = nullptr;
    bool m_bPlaying = false;
    bool m_bFilling = false;
    std::unique_ptr<MyButton> m_buttons[7];
    std::unique_ptr<CMyEditCtrl> m_pStopProfit;
    std::unique_ptr<CMyEditCtrl> m_pStopLoss;
    std::unique_ptr<CTradeDetailWnd> m_pJournal;
    std::unique_ptr<CBackTraceWnd> m_pReview;
    TextItem m_items[kItemCount];
    CRect m_rcSwitch;
    // What this panel itself marked to be painted since the last paint (client
    // coordinates), and during a paint the part being painted; null: everything.
    CRgn m_dirty;
    CRgn m_painting;
};

class TraningAssitWrapper : public CElementWnd {
public:
    TraningAssitWrapper();
    ~TraningAssitWrapper() override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void RecalcLayout() override;
    void SetLayoutNode(CLayoutManager* node) override;
    void AttachData() override;
    int SetContextObject(void* object) override;

    CTrainingAssistWnd* GetPanel() const { return m_pPanel.get(); }

private:
    std::shared_ptr<CTrainingAssistWnd> m_pPanel;
    std::unique_ptr<CSkinScrollWnd> m_pFrame;
};

// The panel of the workspace that holds `node` (leaf 2), or null.
CTrainingAssistWnd* FindTrainingAssist(CLayoutManager* node);
// What ending a session does next in the main frame (selecting the "特训场" tab of the
// menu bar); the application installs it.
void SetTrainingEndedHook(std::function<void()> hook);
void RegisterTrainingPanelTypes();
