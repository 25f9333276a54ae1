#pragma once
// The hover tips of a chart: two small labels drawn straight onto the window - the time of
// the bar under the mouse on the time band and the value of the row under the mouse on the
// value-axis column - and the main window's multi-line tip filled with what the pane under
// the mouse has to say. A label keeps a copy of the chart pixels it covers and puts them
// back when it moves or goes, so moving the mouse never repaints the chart.

#include <cstdint>
#include <string>

#include "chart/PicOverlay.h"
#include "platform/Gdi.h"

class CWnd;
class PicDataLayer;
struct CFloatDayItem;

namespace chart {

class ChartOverlay;
struct CTipArray;

// The hover label's time text for a bar's time key, by data type: 2 "hh:mm", 3
// "mm/dd/hh:mm", 4 "yyyy/mm/dd,<weekday>", 5 "dd/hh:mm", 13 "hh:mm:ss". A day whose date
// is not a calendar date has no weekday to show: the date alone. Empty for other types.
std::string FormatTipTime(int16_t dataType, int64_t key);

// Width of a text in chart characters as the chart's fonts set it: a Chinese character is
// two columns, anything else one.
int TextColumns(const std::string& text);

// Record i of a layer's item buffer, null outside its loaded items; bar i copied out of a
// 124-byte buffer (false otherwise).
const uint8_t* LayerRecord(const PicDataLayer& layer, int32_t i);
bool LayerBar(const PicDataLayer& layer, int32_t i, CFloatDayItem& bar);

// One label drawn over the chart with the pixels under it saved.
class ChartSnapshotLayer {
public:
    explicit ChartSnapshotLayer(CWnd* owner = nullptr) : m_pOwner(owner) {}
    ChartSnapshotLayer(const ChartSnapshotLayer&) = delete;
    ChartSnapshotLayer& operator=(const ChartSnapshotLayer&) = delete;

    void SetOwner(CWnd* owner) { m_pOwner = owner; }
    void SetText(const std::string& text) { m_strText = text; }
    const std::string& GetText() const { return m_strText; }
    // Puts back what the previous label covered, then saves the pixels under rc and draws
    // the label there. An empty rc only puts back. dc null: the owner window's.
    void Update(CDC* dc, const CRect& rc);
    // Puts the pixels back but keeps the place asked for (the chart is about to draw).
    void Lift(CDC* dc);
    // Saves and draws at the place asked for, when there is one and nothing is shown.
    void Place(CDC* dc);
    // Only asks for a place (drawn by the next Place).
    void Request(const CRect& rc) { m_rcRequested = rc; }
    // What was saved is about to be painted over: forget it without putting it back.
    void Forget() { m_rcSaved.SetRectEmpty(); }
    bool IsShown() const { return !m_rcSaved.IsRectEmpty(); }
    const CRect& GetSavedRect() const { return m_rcSaved; }
    const CRect& GetRequestedRect() const { return m_rcRequested; }

private:
    void Save(CDC* dc, const CRect& rc);
    void DrawLabel(CDC* dc, const CRect& rc);

    CWnd* m_pOwner;
    std::string m_strText;
    CBitmap m_image;
    CDC m_memDC;
    bool m_bMemDC = false;
    CSize m_imageSize;
    CRect m_rcSaved;
    CRect m_rcRequested;
};

// Overlay 2 of every chart window.
class PicTipOverlay : public PicOverlay {
public:
    explicit PicTipOverlay(CKlineChartWnd* owner);
    void CreateActions() override;
    // Subclasses may refuse tips (training charts while the dates are hidden).
    virtual bool IsTipEnabled() const { return true; }

    // Places or removes both labels for the point (client coordinates). dc null: the
    // window's.
    void UpdateTip(bool show, CPoint pt, CDC* dc = nullptr);
    // The chart's keyboard cursor moved: the labels follow the cursor bar.
    void OnCursorMoved();
    // Fills the main window's multi-line tip with what the pane under pt offers.
    void CollectTips(CPoint pt);
    // Removes both labels (mouse leave, another security).
    void HideLabels(CDC* dc = nullptr);
    // Around a paint of the whole chart: the saved copies are void (everything under them
    // is drawn anew), nothing is lifted or placed meanwhile, and the labels go on top of the
    // new picture at the end.
    void BeginPaint();
    void EndPaint(CDC* dc);
    // Around anything that may draw on the chart in place (the crosshair is XORed): the
    // labels come off first and go back on top after, so no label ever keeps a copy of
    // pixels that changed under it. Nests; labels asked for meanwhile wait for the end.
    void BeginChartChange();
    void EndChartChange();

    ChartSnapshotLayer m_timeLayer;
    ChartSnapshotLayer m_valueLayer;

private:
    ChartOverlay* Chart() const;
    int m_nChanging = 0;
};

// The lines a pane offers the hover tip at pt: the flag texts within 8 rows of the point,
// and the training trade mark under the point as the single line
// "买卖记录-<data type>-<key>-<direction>", the key yyyymmdd for day data and
// yyyymmddhhmm otherwise. 1 when it added lines.
int GetPaneTipText(const ChartOverlay& chart, int paneIndex, CTipArray& tips, CPoint pt);

}  // namespace chart
