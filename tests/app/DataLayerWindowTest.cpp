// A chart data layer bound to a real element window: a series change on another thread
// reaches the window as a posted 0x8067, and the layer is rebuilt on the UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AppTestSupport.h"
#include "common/ScratchDir.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/PicDataLayer.h"
#include "marketdata/Security.h"

namespace {

static_assert(UM_LAYER_DATA_NOTIFY == UM_DATA_NOTIFY, "the layer posts the element's message");

class CLayerElement : public CElementWnd, public IPicDataOwner {
public:
    CLayerElement() : m_layer(this) {}
    ~CLayerElement() override { m_layer.Detach(); }
    void* GetWindowHandle() const override { return m_hWnd; }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return nullptr; }
    bool GetDrawToolMode(uint16_t&) override { return false; }
    void ResetSeries() override { m_layer.Reserve(); }
    // One override serves both bases: the element's 0x8067 slot and the layer's owner.
    void OnDataNotify(WPARAM, LPARAM) override {
        if (std::this_thread::get_id() != m_ui) ++offThread;
        ++notifies;
        m_layer.OnDataNotify(0, 0);
    }
    void RefreshTipAtCursor() override {}
    void Repaint(bool) override {}
    void ShowIntradayPicture(const CIndSecuCode&, uint32_t, const CFloatDayItem&, double) override {}

    PicDataLayer m_layer;
    std::thread::id m_ui = std::this_thread::get_id();
    int notifies = 0, offThread = 0;
};

TEST(DataLayerWindow, SeriesChangesOnAnotherThreadArriveAsPostedMessages) {
    ScratchDir home;
    GetAppInfo()->SetProgramDir(home.Path().string());
    GetAppInfo()->SetClock(20240615, 100000);
    ASSERT_TRUE(GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath()));
    auto security = std::make_unique<CSecurity>();
    security->SetCode(CIndSecuCode(1, "600000"));
    security->GetValues().SetValue(kQuotePriceDivisor, 1000);
    ASSERT_GE(GetDataCenter()->AddSecurity(security), 0);
    SetDataLayerHooks({[](void* window, uint32_t msg, uint64_t w, int64_t l) {
                           ::PostMessage(static_cast<HWND>(window), msg, (WPARAM)w, (LPARAM)l);
                       },
                       std::this_thread::get_id()});
    {
        CTestHost host;
        CLayerElement e;
        e.m_pOwner = &host;
        ASSERT_TRUE(e.Create(&host));
        e.m_layer.SetCode(CIndSecuCode(1, "600000"));
        e.m_layer.SetDataType(PicDataLayer::kDay, 1);
        e.m_layer.RequestData();  // offline: answered at once, on this thread, directly
        EXPECT_EQ(e.notifies, 1);
        std::shared_ptr<CDayData> series = e.m_layer.GetSeries();
        ASSERT_TRUE(series);
        series->Subscribe(OwnerTag(&e.m_layer), [&e] { e.m_layer.NotifyOwner(); });

        std::thread network([&] {
            {
                auto edit = series->Write();
                for (int k = 0; k < 30; ++k)
                    edit.RawBars().Insert(CDayItem{20240101 + k, 1000, 1100, 900, 1000 + k, 5});
                edit.SetTotalCount(30);
            }
            series->Notify();
        });
        network.join();
        EXPECT_EQ(e.notifies, 1);  // nothing ran on the network thread
        ASSERT_TRUE(platform::PumpUntil([&] { return e.notifies == 2; }, 5000));
        EXPECT_EQ(e.offThread, 0);
        EXPECT_EQ(e.m_layer.GetEnd(), 30);
        EXPECT_DOUBLE_EQ(e.m_layer.GetClose(29), 1.029);
    }
    SetDataLayerHooks({});
    ResetDataCenter();
}

}  // namespace
