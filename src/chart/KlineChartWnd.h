#pragma once
// The K-line chart panel a workspace layout places ("CKlineChartWnd"). It owns one data
// layer and three overlays in a fixed order: [0] the drawing tools, [1] the chart, [2] the
// hover tip. Every mouse, key, text, command and user-message event becomes an overlay
// message and goes through the dispatch rule (chart/PicOverlay.h); the window's own
// behaviour runs only when no action claimed the message.
//
// Seams for other modules:
//  - Derived windows (training charts, the intraday chart) override the four factories
//    CreateDataLayer, CreateDrawToolOverlay, CreateChartOverlay, CreateTipOverlay.
//  - The drawing tools install their overlay with SetDrawToolOverlayFactory; until then
//    slot 0 holds an empty DrawToolOverlay that claims nothing and draws nothing. The
//    chart calls DrawToolOverlay::DrawPane for every pane at paint step 12.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartOverlay.h"
#include "chart/DrawToolPicker.h"
#include "chart/IndicatorBar.h"
#include "chart/PicOverlay.h"
#include "chart/PicTipOverlay.h"
#include "marketdata/HistoryIntradayPicData.h"
#include "marketdata/PicDataLayer.h"
#include "ui/element/ElementWnd.h"

namespace chart {

// The drawing-tool overlay's slot. This base claims nothing and draws nothing; the
// drawing-tool module derives its overlay from it.
class DrawToolOverlay : public PicOverlay {
public:
    explicit DrawToolOverlay(CKlineChartWnd* owner) : PicOverlay(owner, kOverlayDrawTool) {}
    // Step 12 of a pane's paint: the tools placed on the pane of that indicator name.
    virtual void DrawPane(CDC* dc, const std::string& paneName) {}
    // The cursor over the plot area; null keeps the chart's.
    virtual HCURSOR GetCursor(CPoint pt) { return nullptr; }
    // Reloads the tools of the window's security and period.
    virtual void LoadTools() {}
    // The placing mode (above 4 while a tool is being placed).
    virtual uint16_t GetMode() const { return 0; }
    // Snap of the pointer to a price while a tool is placed (Up/Down keys).
    int m_nSnapY = -1;
    int m_nSnapKind = 0;  // 1 close, 2 high, 3 low, 4 open
};

using DrawToolOverlayFactory = std::function<std::shared_ptr<DrawToolOverlay>(CKlineChartWnd*)>;
// Installs the drawing-tool overlay every new chart window makes (null: the empty one).
void SetDrawToolOverlayFactory(DrawToolOverlayFactory factory);

}  // namespace chart

class CKlineChartWnd : public CElementWnd, public IPicDataOwner {
public:
    CKlineChartWnd();
    ~CKlineChartWnd() override;

    // --- factories and getters (derived windows override the factories) ---
    virtual void CreateDataLayer();
    virtual void CreateDrawToolOverlay();
    virtual void CreateChartOverlay();
    virtual void CreateTipOverlay();
    virtual std::shared_ptr<chart::ChartOverlay> GetChartOverlayPtr();
    virtual std::shared_ptr<PicDataLayer> GetDataLayer();
    virtual std::shared_ptr<chart::DrawToolOverlay> GetDrawToolOverlay();
    virtual std::shared_ptr<chart::PicOverlay> GetTipOverlay();
    // The tip overlay when slot 2 holds one (null before the overlays exist).
    std::shared_ptr<chart::PicTipOverlay> TipOverlay() const;

    // --- CElementWnd ---
    BOOL Create(CWnd* parent) override;
    void DrawClient(CDC* dc) override;
    void RecalcLayout() override;
    void OnElementLButtonDown(UINT flags, int x, int y) override;
    void OnElementLButtonDblClk(UINT flags, int x, int y) override;
    void OnElementLButtonUp(UINT flags, int x, int y) override;
    void OnElementMouseMove(UINT flags, int x, int y) override;
    void OnElementMouseHover() override;
    void OnElementMouseLeave() override;
    // The chart draws its own labels and fills the multi-line tip from its panes.
    bool HasOwnTipLayer() const override { return true; }
    void OnElementRButtonUp(UINT flags, int x, int y) override;
    int OnElementMouseWheel(UINT flags, int delta, int x, int y) override;
    void OnDataChanged() override;
    void OnDestroying() override;
    int OnTypedText(int kind, const std::string& text) override;
    int OnElementKeyDown(UINT key, UINT count, UINT flags) override;
    void GetTitle(std::string& title) override { title.clear(); }
    int OnLayoutCommand(UINT id, UINT code) override;
    int OnUpdateLayoutCommand(CCmdUI* cmdUI) override;
    int SetSecurity(const CIndSecuCode& code, const CGroup* group) override;
    void DetachData() override;
    int LoadFromXml(const tinyxml2::XMLElement* element) override;
    void SaveToXml(tinyxml2::XMLElement* element) override;
    void AttachData() override;
    LRESULT OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Also the data layer's notification slot (WPARAM and LPARAM are its 64-bit pair).
    void OnDataNotify(WPARAM wParam, LPARAM lParam) override;
    void RecreateElementBar() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // --- IPicDataOwner ---
    void* GetWindowHandle() const override { return m_hWnd; }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override;
    bool GetDrawToolMode(uint16_t& mode) override;
    void ResetSeries() override;
    void RefreshTipAtCursor() override;
    void Repaint(bool updateNow) override;
    void ShowIntradayPicture(const CIndSecuCode& code, uint32_t date, const CFloatDayItem& bar,
                             double referencePrice) override;

    // --- chart operations ---
    void SetPeriod(int16_t dataType, int16_t period);
    void SetRightsMode(uint8_t mode);
    void ResetLayers();
    void CreateOverlays();
    // Offers a message to the overlays; true when claimed (args.result is the answer).
    bool Dispatch(int type, chart::OverlayMsgArgs& args);
    // The price, volume and MACD panes of a chart without settings.
    void AddDefaultPanes();

    // --- fields ---
    int m_nSplitDragState = 0;
    int m_bShowPicMenuBar = 0;
    int m_bShowBarInd = 0;
    int m_bDrawLineMode = 0;
    ElementBarDrawTool m_drawToolBar;
    ElementBarInd m_indicatorBar;
    int m_nHoverTimer = -1;
    int m_bIndependentBlock = 0;
    std::vector<std::shared_ptr<chart::PicOverlay>> m_aOverlays;
    std::shared_ptr<PicDataLayer> m_pDataLayer;
    int m_bShowTitleBar = 1;

    static constexpr UINT kHoverTimerId = 10000;
};

// The intraday minute chart of one day (historical intraday, two panes).
class CBlockPicCur : public CKlineChartWnd {
public:
    CBlockPicCur();
    void CreateDataLayer() override;
    // The layer that cuts the shown day out of the 1-minute series.
    HistoryIntradayPicData* GetDayLayer() const;
    // A day the data have no minutes for says so in the price pane.
    void DrawClient(CDC* dc) override;
    static constexpr const char* kNoMinutesText = "该日没有分时数据";
    void CreateChartOverlay() override;
    void OnDataChanged() override;
    int SetSecurity(const CIndSecuCode& code, const CGroup* group) override;
};

// Registers "CKlineChartWnd" with the layout's window factory.
void RegisterChartElementTypes();
