#pragma once
// The data layer of one cell of the stock-selection board. It loads the day bars of the
// cell's security around a hidden window of days (one the server draws, or one drawn among
// the stored bars offline) with the days before it, shows the chart up to the window's
// first day, keeps the window's dates once known, and measures the rise over the window
// for judging the pick.
// A cell has no session record, so nothing of a session runs here.
//
// Threads: as its base; the series callbacks post (or, on the UI thread, call) the owner
// with the code of the request, and everything else runs on the UI thread.
#include <cstdint>

#include "training/TrainingPicData.h"

class MultiItemKlinePicData : public TrainingPicData {
public:
    explicit MultiItemKlinePicData(ITrainingChartOwner* owner);

    void RequestData() override;
    void OnDataNotify(uint64_t flag, int64_t code) override;
    void Reset() override;

    // The rise over the window in tenths of a percent; 0 when it cannot be priced.
    double GetWindowRise();
    // Shows the window and everything after it.
    void RevealWindow();

    uint32_t GetWindowStart() const { return m_nWindowStart; }
    uint32_t GetWindowEnd() const { return m_nWindowEnd; }
    // One past the window's last item (0 before the window is placed).
    int32_t GetWindowLimit() const { return m_nWindowLimit; }

private:
    uint32_t m_nWindowStart = 0;
    uint32_t m_nWindowEnd = 0;
    int32_t m_nWindowLimit = 0;
    int32_t m_nCellEnd = 0;  // one past the last loaded item
    CIndSecuCode m_windowCode;  // the security the window was drawn for
    bool m_bHistoryAsked = false;  // the days before the window, once per series
};
