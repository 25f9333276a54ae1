#pragma once
// The intraday popup: one security's intraday trend for one trading day, opened from a
// bar of a day chart. The intraday chart of that day on the left, a 120-pixel panel on the
// right with the day's figures and, while the mouse is over the intraday chart, the query
// box "查价框" with the values at the cursor. "前一日" and "后一日" step through the bars of
// the chart that opened it. It shows without taking the keyboard from that chart.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "marketdata/DayItem.h"
#include "platform/Button.h"
#include "platform/Dialog.h"

class CKlineChartWnd;
class CBlockPicCur;
class CSecurity;

namespace chart {

class CDlgCurPic : public CDialog {
public:
    static constexpr UINT kTemplateId = 222;
    static constexpr UINT kPrevId = 10001;
    static constexpr UINT kNextId = 10002;
    static constexpr int kPanelWidth = 120;
    static constexpr int kQueryHeight = 142;
    static constexpr int kRowPitch = 21;

    struct Row {
        std::string label;
        std::string value;
        int color = 0;  // CommonColor index of the value
    };

    CDlgCurPic();
    ~CDlgCurPic() override;

    // "历史走势-<name>-yy年m月d日", "今日走势-<name>" for date 0; without a security record
    // the name and its dash are left out.
    static std::string TitleFor(int32_t date, const CSecurity* security);

    // Shows bar index of the source chart: its day's intraday chart and figures.
    void ShowDay(CKlineChartWnd* source, int32_t index, int32_t date, double reference, const CIndSecuCode& code,
                 const CFloatDayItem& bar);
    // The intraday chart's cursor moved over a minute (28-byte record: time hhmm, price,
    // average, volume).
    void SetQuery(double reference, const uint8_t* record, int16_t dataType, CSecurity* security);

    std::vector<Row> DayRows() const;
    std::vector<Row> QueryRows() const;
    void PaintPanel(CDC* dc);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CKlineChartWnd* m_pSource = nullptr;
    std::unique_ptr<CBlockPicCur> m_pChart;
    int32_t m_nIndex = -1;
    int32_t m_nDate = 0;
    CFloatDayItem m_bar{};
    CIndSecuCode m_code{-1, ""};
    CSecurity* m_pSecurity = nullptr;
    double m_fReference = 0;
    uint8_t m_query[28] = {};
    int16_t m_nQueryType = 0;
    CSecurity* m_pQuerySecurity = nullptr;
    bool m_bQueryShown = false;
    CButton m_prev, m_next;

private:
    void PlaceChildren();
    CRect PanelRect() const;
};

// The application's one popup, made on first use. create false: null while none exists.
CDlgCurPic* GetIntradayPopup(bool create = true);

}  // namespace chart
