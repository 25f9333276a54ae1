#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "marketdata/FakeChannel.h"
#include "marketdata/MarketFixture.h"
#include "marketdata/PicDataLayer.h"
#include "protocol/Bodies.h"

namespace {

class FakeOverlay : public IChartOverlay {
public:
    int32_t GetStartIndex() const override { return start; }
    void SetStartIndex(int32_t i) override { start = i; }
    int32_t GetEndIndex() const override { return end; }
    void SetEndIndex(int32_t i) override { end = i; }
    int32_t GetVisibleCount() const override { return visible; }
    void SetVisibleCount(int32_t n) override { visible = n; }
    // Shows the newest `visible` bars, as a chart scrolled to its end does.
    void Layout() override {
        ++layouts;
        start = std::max(0, end - visible);
    }
    void RelayoutKeepCursor() override { ++relayouts; }
    void RecalcPanes() override { ++recalcs; }
    bool CalcIndicators(int32_t b, int32_t e) override {
        calcBegin = b;
        calcEnd = e;
        return indicatorsChange;
    }
    int32_t IndexAtX(int x) const override { return x / 10; }
    int XOfIndex(int32_t i) const override { return i * 10 + 5; }

    int32_t start = 0, end = 0, visible = 100;
    int layouts = 0, relayouts = 0, recalcs = 0;
    int32_t calcBegin = -1, calcEnd = -1;
    bool indicatorsChange = false;
};

class FakeOwner : public IPicDataOwner {
public:
    void* GetWindowHandle() const override { return const_cast<FakeOwner*>(this); }
    std::shared_ptr<IChartOverlay> GetChartOverlay() override { return overlay; }
    bool GetDrawToolMode(uint16_t& mode) override {
        mode = drawMode;
        return hasDrawTools;
    }
    void ResetSeries() override {
        if (throwOnReset) throw std::runtime_error("indicator results");
        layer->Reserve();
    }
    void OnDataNotify(uint64_t, int64_t) override {
        ++directNotifies;
        layer->OnDataNotify(0, 0);
    }
    void RefreshTipAtCursor() override { ++tips; }
    void Repaint(bool now) override { now ? ++updates : ++invalidates; }
    void ShowIntradayPicture(const CIndSecuCode& code, uint32_t date, const CFloatDayItem& bar,
                             double reference) override {
        shownCode = code;
        shownDate = date;
        shownTime = bar.m_nTime;
        shownReference = reference;
    }

    PicDataLayer* layer = nullptr;
    std::shared_ptr<FakeOverlay> overlay = std::make_shared<FakeOverlay>();
    uint16_t drawMode = 0;
    bool hasDrawTools = true;
    bool throwOnReset = false;
    int directNotifies = 0, tips = 0, updates = 0, invalidates = 0;
    CIndSecuCode shownCode;
    uint32_t shownDate = 99;
    int64_t shownTime = 0;
    double shownReference = 0;
};

// Lets the tests write raw records into the item buffer.
class TestLayer : public PicDataLayer {
public:
    using PicDataLayer::PicDataLayer;
    void Fill(int16_t type, int32_t count, const std::function<void(uint8_t*, int)>& write) {
        SetDataType(type, 1);
        m_nItemCount = count;
        Reserve();
        m_nBegin = 0;
        m_nEnd = count;
        for (int i = 0; i < count; ++i) write(m_items.data() + size_t(i) * RecordSize(), i);
    }
    void SetItemCount(int32_t n) { m_nItemCount = n; }
};

template <class T>
void Put(uint8_t* record, size_t offset, T value) {
    std::memcpy(record + offset, &value, sizeof value);
}

class LayerTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        GetAppInfo()->SetClock(20240615, 100000);
        m_sec = Add(1, "600000");
        m_layer = std::make_unique<TestLayer>(&m_owner);
        m_owner.layer = m_layer.get();
        m_layer->SetCode(CIndSecuCode(1, "600000"));
        SetDataLayerHooks({{}, std::this_thread::get_id()});
    }
    void TearDown() override {
        m_layer.reset();
        SetDataLayerHooks({});
        MarketTest::TearDown();
    }

    // Day bars 20240101 + k with close 10 + k (integer prices at divisor 1000).
    void AddDays(CDayData& series, int from, int count) {
        auto edit = series.Write();
        for (int k = from; k < from + count; ++k) {
            const int32_t c = 10000 + 1000 * k;
            edit.RawBars().Insert(MakeBar(20230101 + k, c - 500, c + 2000, c - 1000, c, 100 + k));
        }
        edit.SetTotalCount(int32_t(edit.RawBars().GetSize()));
    }

    CSecurity* m_sec = nullptr;
    FakeOwner m_owner;
    std::unique_ptr<TestLayer> m_layer;
};

// --- zoom ---

struct ZoomCase {
    const char* name;
    bool zoomIn;
    int steps;
    int32_t items;
    int32_t visible;
    int32_t expected;
};

class ZoomTest : public LayerTest, public testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomTest, VisibleCountFollowsTheRules) {
    const ZoomCase& c = GetParam();
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->SetItemCount(c.items);
    m_owner.overlay->visible = c.visible;
    m_owner.overlay->end = c.items;
    m_layer->OnDataChanged(c.zoomIn, c.steps);
    EXPECT_EQ(m_owner.overlay->visible, c.expected);
    // The chart is laid out and repainted only when the count changed.
    const int changed = c.expected != c.visible ? 1 : 0;
    EXPECT_EQ(m_owner.overlay->layouts, changed);
    EXPECT_EQ(m_owner.updates, changed);
    EXPECT_EQ(m_owner.tips, changed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoomTest,
    testing::Values(ZoomCase{"In30Becomes20AndStops", true, 3, 1000, 30, 20},
                    ZoomCase{"InTwoSteps", true, 2, 1000, 100, 44},
                    ZoomCase{"InStopsAt25", true, 5, 1000, 25, 25},
                    ZoomCase{"InFrom26", true, 5, 1000, 26, 17},
                    ZoomCase{"Out950CappedAt1100", false, 1, 1000, 950, 1100},
                    ZoomCase{"OutManySteps", false, 5, 100, 20, 110},
                    ZoomCase{"OutNeverShrinks", false, 1, 100, 200, 200},
                    ZoomCase{"NoItemsNoZoom", false, 3, 0, 100, 100}),
    [](const testing::TestParamInfo<ZoomCase>& info) { return info.param.name; });

TEST_F(LayerTest, ZoomWithoutOverlayDoesNothing) {
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->SetItemCount(1000);
    m_owner.overlay.reset();
    m_layer->OnDataChanged(true, 3);
    EXPECT_EQ(m_owner.updates, 0);
}

TEST_F(LayerTest, ZoomThatMovesTheRangeAsksForOlderBars) {
    FakeChannel channel;
    auto series = GetDayData(4, m_sec->GetCode(), 1);
    AddDays(*series, 0, 300);
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->RequestData();
    channel.m_sent.clear();
    m_owner.overlay->end = 300;
    m_owner.overlay->start = 200;
    m_owner.overlay->visible = 100;

    m_layer->OnDataChanged(false, 1);  // 150 visible: start moves to 150
    EXPECT_EQ(m_owner.overlay->start, 150);
    ASSERT_EQ(channel.m_sent.size(), 1u);
    EXPECT_EQ(channel.m_sent[0].head.m_wCommand, wire::kUpdate);
    CBuffer body;
    body.Write(channel.m_sent[0].body.data(), uint32_t(channel.m_sent[0].body.size()));
    wire::UpdateRequest request;
    request.Decode(body);
    EXPECT_EQ(request.barsWanted, 150u);  // max(300 - 150, 150)
    EXPECT_EQ(m_owner.overlay->recalcs, 1);
}

// --- bars needed ---

TEST_F(LayerTest, BarsNeededRules) {
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->SetItemCount(500);
    m_owner.overlay->start = 300;
    m_owner.overlay->visible = 100;
    EXPECT_EQ(m_layer->GetStartIndex(), 200);  // from the start to the newest
    m_owner.overlay->visible = 250;
    EXPECT_EQ(m_layer->GetStartIndex(), 250);  // at least a screenful
    m_layer->SetItemCount(0);
    m_owner.overlay->start = 50;
    EXPECT_EQ(m_layer->GetStartIndex(), 250);  // nothing held: a screenful
    for (int16_t type : {PicDataLayer::kIntraday, PicDataLayer::kHistoryIntraday}) {
        m_layer->SetDataType(type, 0);
        EXPECT_EQ(m_layer->GetStartIndex(), 0);
    }
    m_layer->SetDataType(PicDataLayer::kMinute, 1);
    m_owner.overlay.reset();
    EXPECT_EQ(m_layer->GetStartIndex(), 0);
}

// --- requests ---

struct Sent {
    uint16_t command;
    std::vector<uint32_t> years;
    uint32_t barsWanted;
    uint32_t upperDate;
};

Sent Decode(const FakeChannel::Sent& s) {
    CBuffer body;
    body.Write(s.body.data(), uint32_t(s.body.size()));
    Sent out{s.head.m_wCommand, {}, 0, 0};
    if (s.head.m_wCommand == wire::kUpdate) {
        wire::UpdateRequest r;
        r.Decode(body);
        out.barsWanted = r.barsWanted;
    } else {
        wire::HistoryRequest r;
        r.Decode(body, s.head.m_wCommand);
        for (auto& y : r.years) out.years.push_back(y.year);
        out.barsWanted = r.barsWanted;
        out.upperDate = r.upperDate;
    }
    return out;
}

TEST_F(LayerTest, RequestChoiceByTypeAndPeriod) {
    FakeChannel channel;
    m_owner.overlay->visible = 120;
    struct Case {
        int16_t type, period;
        uint16_t command;
        std::vector<uint32_t> years;
    } cases[] = {
        {4, 1, wire::kUpdate, {}},
        {4, 2, wire::kUpdate, {}},
        {3, 1, wire::kHistoryPlain, {2024}},
        {3, 5, wire::kHistoryPlain, {2023, 2024}},
        {3, 15, wire::kHistoryPlain, {2023, 2024}},
        {3, 3, wire::kHistoryPlain, {2023, 2024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.period);
        channel.m_sent.clear();
        TestLayer layer(&m_owner);
        layer.SetCode(m_sec->GetCode());
        layer.SetDataType(c.type, c.period);
        layer.RequestData();
        ASSERT_EQ(channel.m_sent.size(), 1u);
        Sent s = Decode(channel.m_sent[0]);
        EXPECT_EQ(s.command, c.command);
        EXPECT_EQ(s.years, c.years);
        EXPECT_EQ(s.barsWanted, 120u);
        if (c.type == 3) {
            EXPECT_EQ(s.upperDate, 20249999u);
        }
        ASSERT_TRUE(layer.GetSeries());
        EXPECT_TRUE(layer.GetSeries()->IsSubscribed(OwnerTag(&layer)));
    }
    // Intraday layers have no pooled series and ask for nothing.
    channel.m_sent.clear();
    m_layer->SetDataType(PicDataLayer::kIntraday, 0);
    m_layer->RequestData();
    EXPECT_TRUE(channel.m_sent.empty());
    EXPECT_FALSE(m_layer->GetSeries());
}

TEST_F(LayerTest, SecondRequestSendsOnlyWhenTheModeChanged) {
    FakeChannel channel;
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->RequestData();
    auto first = m_layer->GetSeries();
    ASSERT_EQ(channel.m_sent.size(), 1u);
    m_layer->RequestData();
    EXPECT_EQ(channel.m_sent.size(), 1u);

    m_layer->SetAdjustMode(0);
    m_layer->RequestData();
    EXPECT_EQ(channel.m_sent.size(), 2u);
    EXPECT_EQ(m_layer->GetSeries(), first);  // kept, not detached
    EXPECT_EQ(first->Read().AdjustMode(), 0);
    EXPECT_TRUE(first->IsSubscribed(OwnerTag(m_layer.get())));

    // Another period: the old series is given back.
    const std::string oldKey = first->GetName();
    first.reset();
    m_layer->SetDataType(PicDataLayer::kDay, 2);
    m_layer->RequestData();
    EXPECT_FALSE(GetDataCenter()->GetPool().IsListed(oldKey));
}

TEST_F(LayerTest, DetachAndDestructionGiveTheSeriesBack) {
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->RequestData();
    const std::string key = m_layer->GetSeries()->GetName();
    m_layer->OnDataNotify(0, 0);
    EXPECT_TRUE(m_layer->IsFirstLoadDone());
    m_layer->Detach();
    EXPECT_FALSE(m_layer->GetSeries());
    EXPECT_FALSE(m_layer->IsFirstLoadDone());
    EXPECT_FALSE(GetDataCenter()->GetPool().IsListed(key));

    // A layer destroyed while it holds its series unsubscribes: the series must never
    // call back into freed memory.
    FakeChannel channel;
    m_layer->RequestData();
    auto series = m_layer->GetSeries();
    const OwnerTag tag(m_layer.get());
    ASSERT_TRUE(series->IsSubscribed(tag));
    m_layer.reset();
    EXPECT_FALSE(series->IsSubscribed(tag));
}

// --- notification ---

TEST_F(LayerTest, NotificationLoadsDayBarsAndPositionsTheChart) {
    m_sec->GetValues().SetValue(kQuoteMinPriceUnit, 10);
    m_sec->GetValues().SetBlobU32(kQuoteReplyBlock, 1, 12340);
    m_sec->GetValues().SetBlobU32(kQuoteReplyBlock, 2, 0xFFFFFFFFu);
    auto series = GetDayData(4, m_sec->GetCode(), 1);
    AddDays(*series, 0, 150);
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->SetAdjustMode(0);
    m_layer->RequestData();  // offline: answers at once on this (UI) thread
    EXPECT_GE(m_owner.directNotifies, 1);

    EXPECT_DOUBLE_EQ(m_layer->GetPriceStep(), 0.01);
    EXPECT_DOUBLE_EQ(m_layer->GetReferencePrice1(), 12.34);
    EXPECT_DOUBLE_EQ(m_layer->GetReferencePrice2(), 4294967.295);  // read unsigned
    EXPECT_EQ(m_layer->GetItemCount(), 150);
    EXPECT_EQ(m_layer->GetBegin(), 0);
    EXPECT_EQ(m_layer->GetEnd(), 150);
    EXPECT_EQ(m_layer->GetCapacity(), 250);
    EXPECT_EQ(m_owner.overlay->end, 150);
    EXPECT_DOUBLE_EQ(m_layer->GetClose(149), 159.0);
    EXPECT_DOUBLE_EQ(m_layer->GetOpen(0), 9.5);
    EXPECT_DOUBLE_EQ(m_layer->GetHigh(0), 12.0);
    EXPECT_DOUBLE_EQ(m_layer->GetLow(0), 9.0);
    EXPECT_DOUBLE_EQ(m_layer->GetTime(3), 20230104.0);
    EXPECT_DOUBLE_EQ(m_layer->GetAvgPrice(3), 0.0);
    EXPECT_GT(m_layer->GetVolume(3), 0.0);
    // Outside the loaded range: 0, never a read past the buffer.
    for (int32_t i : {-1, 150, 249, 250, 100000}) {
        EXPECT_EQ(m_layer->GetClose(i), 0.0) << i;
        EXPECT_EQ(m_layer->GetTime(i), 0.0) << i;
    }
    EXPECT_EQ(m_owner.overlay->calcBegin, 0);
    EXPECT_EQ(m_owner.overlay->calcEnd, 150);

    // New bars while the chart shows the newest: the end follows and the chart is laid
    // out again; the indicators changing repaints the window.
    m_owner.overlay->start = 50;
    m_owner.overlay->indicatorsChange = true;
    AddDays(*series, 150, 10);
    m_layer->OnDataNotify(0, 0);
    EXPECT_EQ(m_owner.overlay->end, 160);
    EXPECT_EQ(m_owner.overlay->relayouts, 1);
    EXPECT_EQ(m_owner.invalidates, 1);
    EXPECT_DOUBLE_EQ(m_layer->GetClose(159), 169.0);

    // A chart scrolled back keeps its place, and nothing is laid out while a drawing
    // tool is being placed.
    m_owner.overlay->end = 100;
    m_owner.overlay->start = 0;
    AddDays(*series, 160, 1);
    m_layer->OnDataNotify(0, 0);
    EXPECT_EQ(m_owner.overlay->end, 100);
    EXPECT_EQ(m_owner.overlay->relayouts, 1);
    m_owner.overlay->end = 161;
    m_owner.drawMode = 2;
    AddDays(*series, 161, 1);
    m_layer->OnDataNotify(0, 0);
    EXPECT_EQ(m_owner.overlay->end, 162);
    EXPECT_EQ(m_owner.overlay->relayouts, 1);
}

TEST_F(LayerTest, NotificationWithoutSecurityOrSeries) {
    m_layer->SetCode(CIndSecuCode(2, "000001"));  // not in the table
    m_layer->OnDataNotify(0, 0);
    EXPECT_EQ(m_layer->GetSecurity(), nullptr);
    m_layer->SetCode(m_sec->GetCode());
    m_sec->GetValues().SetValue(kQuoteMinPriceUnit, 5);
    m_layer->OnDataNotify(0, 0);  // no series: prices only
    EXPECT_EQ(m_layer->GetSecurity(), m_sec);
    EXPECT_DOUBLE_EQ(m_layer->GetPriceStep(), 0.005);
    EXPECT_EQ(m_owner.overlay->calcEnd, -1);
}

TEST_F(LayerTest, MinuteNotificationCountsOneOrTwoYears) {
    for (int16_t period : {1, 5}) {
        SCOPED_TRACE(period);
        auto series = GetDayData(3, m_sec->GetCode(), period);
        {
            auto edit = series->Write();
            edit.RawBars().Insert(MakeBar(202312291455, 1000, 1000, 1000, 1000));
            edit.RawBars().Insert(MakeBar(202401021000, 2000, 2000, 2000, 2000));
            edit.RawBars().Insert(MakeBar(202401021005, 3000, 3000, 3000, 3000));
        }
        TestLayer layer(&m_owner);
        m_owner.layer = &layer;
        layer.SetCode(m_sec->GetCode());
        layer.SetDataType(3, period);
        layer.SetAdjustMode(0);
        layer.RequestData();
        const int32_t expected = period == 5 ? 3 : 2;
        EXPECT_EQ(layer.GetItemCount(), expected);
        EXPECT_EQ(layer.GetEnd() - layer.GetBegin(), expected);
        EXPECT_DOUBLE_EQ(layer.GetClose(layer.GetEnd() - 1), 3.0);
        layer.Detach();
        m_owner.layer = m_layer.get();
    }
}

TEST_F(LayerTest, ExceptionInsideNotificationLeavesNoLockHeld) {
    auto series = GetDayData(4, m_sec->GetCode(), 1);
    AddDays(*series, 0, 5);
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_owner.throwOnReset = true;
    m_layer->RequestData();  // notifies at once; the owner throws inside
    EXPECT_TRUE(series->TryWrite().has_value());
    m_owner.throwOnReset = false;
    m_layer->OnDataNotify(0, 0);
    EXPECT_EQ(m_layer->GetEnd(), 5);
}

// --- small records ---

TEST_F(LayerTest, SmallRecordsAreReadByteExact) {
    // 61-byte intraday records: most fields sit off any natural alignment.
    m_layer->Fill(PicDataLayer::kIntraday, 3, [](uint8_t* r, int i) {
        Put<uint32_t>(r, 0, 930 + i);
        Put<double>(r, 8, 10.5 + i);
        Put<double>(r, 16, 10.25 + i);
        Put<double>(r, 24, 1000.0 * (i + 1));
    });
    EXPECT_EQ(m_layer->RecordSize(), 61);
    EXPECT_DOUBLE_EQ(m_layer->GetTime(1), 931.0);
    EXPECT_DOUBLE_EQ(m_layer->GetClose(1), 11.5);
    EXPECT_DOUBLE_EQ(m_layer->GetHigh(2), 12.5);
    EXPECT_DOUBLE_EQ(m_layer->GetAvgPrice(1), 11.25);
    EXPECT_DOUBLE_EQ(m_layer->GetVolume(2), 3000.0);
    EXPECT_EQ(m_layer->GetClose(3), 0.0);

    m_layer->Fill(PicDataLayer::kHistoryIntraday, 2, [](uint8_t* r, int i) {
        Put<uint32_t>(r, 0, 1300 + i);
        Put<double>(r, 4, 7.5);
        Put<double>(r, 12, 7.25);
    });
    EXPECT_DOUBLE_EQ(m_layer->GetOpen(1), 7.5);
    EXPECT_DOUBLE_EQ(m_layer->GetAvgPrice(1), 7.25);
    EXPECT_EQ(m_layer->GetVolume(1), 0.0);
    EXPECT_TRUE(m_layer->IsIntraday());

    m_layer->Fill(PicDataLayer::kTicks, 2, [](uint8_t* r, int i) {
        Put<uint32_t>(r, 0, 93001 + i);
        Put<double>(r, 8, 5.5);
        Put<double>(r, 16, 300.0);
    });
    EXPECT_DOUBLE_EQ(m_layer->GetLow(0), 5.5);
    EXPECT_DOUBLE_EQ(m_layer->GetVolume(0), 300.0);
    EXPECT_EQ(m_layer->GetAvgPrice(0), 0.0);
    EXPECT_DOUBLE_EQ(m_layer->GetTime(1), 93002.0);
}

TEST_F(LayerTest, TimeAndXMapping) {
    m_layer->Fill(PicDataLayer::kTicks, 4, [](uint8_t* r, int i) {
        Put<uint32_t>(r, 0, 100 * (i + 1));
    });
    int32_t index = 7;
    EXPECT_EQ(m_layer->TimeToX(250, index), 25);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(m_layer->TimeToX(100, index), 5);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m_layer->TimeToX(401, index), 0);
    EXPECT_EQ(index, -1);

    EXPECT_EQ(m_layer->GetTimeAtX(25), 300);
    EXPECT_EQ(m_layer->GetTimeAtX(1000), 400);  // clamped to the last item
    EXPECT_EQ(m_layer->GetTimeAtX(-20), 0);     // negative index
}

TEST_F(LayerTest, RegressionChannel) {
    // Closes on the line 10 + k; highs +2 except bar 2 (+5), lows -1 except bar 3 (-4).
    m_layer->Fill(PicDataLayer::kDay, 6, [](uint8_t* r, int i) {
        CFloatDayItem b;
        b.m_nTime = 20240101 + i;
        b.m_fClose = 10 + i;
        b.m_fOpen = 10 + i;
        b.m_fHigh = 10 + i + (i == 2 ? 5 : 2);
        b.m_fLow = 10 + i - (i == 3 ? 4 : 1);
        std::memcpy(r, &b, sizeof b);
    });
    double l0 = 0, l1 = 0, above = 0, below = 0;
    int32_t hi = -1, lo = -1;
    ASSERT_TRUE(m_layer->CalcRegressionChannel(4, 1, l0, l1, above, below, hi, lo));
    EXPECT_NEAR(l0, 11.0, 1e-9);
    EXPECT_NEAR(l1, 14.0, 1e-9);
    EXPECT_NEAR(above, 5.0, 1e-9);
    EXPECT_NEAR(below, -4.0, 1e-9);
    EXPECT_EQ(hi, 2);  // 17
    EXPECT_EQ(lo, 3);  // 9

    ASSERT_TRUE(m_layer->CalcRegressionChannel(3, 3, l0, l1, above, below, hi, lo));
    EXPECT_NEAR(above, 2.0, 1e-9);
    EXPECT_NEAR(below, -4.0, 1e-9);
    EXPECT_EQ(hi, 3);
    EXPECT_EQ(lo, 3);
    EXPECT_FALSE(m_layer->CalcRegressionChannel(6, 1, l0, l1, above, below, hi, lo));
    EXPECT_FALSE(m_layer->CalcRegressionChannel(2, -1, l0, l1, above, below, hi, lo));
}

TEST_F(LayerTest, IntradayPopupForDayBars) {
    m_sec->GetValues().SetValue(1, 20240103);
    m_layer->Fill(PicDataLayer::kDay, 3, [](uint8_t* r, int i) {
        CFloatDayItem b;
        b.m_nTime = 20240101 + i;
        b.m_fOpen = 20 + i;
        b.m_fClose = 30 + i;
        std::memcpy(r, &b, sizeof b);
    });
    EXPECT_TRUE(m_layer->ShowIntradayPopup(0));
    EXPECT_EQ(m_owner.shownDate, 20240101u);
    EXPECT_DOUBLE_EQ(m_owner.shownReference, 20.0);  // first bar: its open
    EXPECT_TRUE(m_layer->ShowIntradayPopup(2));
    EXPECT_EQ(m_owner.shownDate, 0u);  // the latest trading day is today
    EXPECT_DOUBLE_EQ(m_owner.shownReference, 31.0);
    EXPECT_EQ(m_owner.shownCode, m_sec->GetCode());
    EXPECT_FALSE(m_layer->ShowIntradayPopup(3));
    m_layer->SetDataType(PicDataLayer::kDay, 2);
    EXPECT_FALSE(m_layer->ShowIntradayPopup(1));
}

// --- threads ---

// Merges on a "network" thread reach the layer only as posts; the UI thread rebuilds
// from them while more merges run.
TEST_F(LayerTest, MergesOnAnotherThreadArriveAsPosts) {
    std::mutex lock;
    std::condition_variable posted;
    std::deque<void*> queue;
    std::atomic<int> posts{0};
    SetDataLayerHooks({[&](void* window, uint32_t msg, uint64_t, int64_t) {
                           EXPECT_EQ(msg, UM_LAYER_DATA_NOTIFY);
                           std::lock_guard g(lock);
                           queue.push_back(window);
                           ++posts;
                           posted.notify_one();
                       },
                       std::this_thread::get_id()});
    FakeChannel channel;  // connected: the request subscribes the layer
    auto series = GetDayData(4, m_sec->GetCode(), 1);
    m_layer->SetDataType(PicDataLayer::kDay, 1);
    m_layer->RequestData();
    const int direct = m_owner.directNotifies;

    constexpr int kMerges = 200;
    std::thread network([&] {
        for (int k = 0; k < kMerges; ++k) {
            AddDays(*series, k, 1);
            series->Notify();
        }
    });
    int handled = 0;
    for (;;) {
        void* window = nullptr;
        {
            std::unique_lock g(lock);
            if (!posted.wait_for(g, std::chrono::seconds(20), [&] { return !queue.empty(); }))
                break;
            window = queue.front();
            queue.pop_front();
        }
        EXPECT_EQ(window, &m_owner);
        m_layer->OnDataNotify(0, 0);
        for (int32_t i = m_layer->GetBegin(); i < m_layer->GetEnd(); ++i)
            ASSERT_GT(m_layer->GetClose(i), 0.0);
        if (++handled == kMerges) break;
    }
    network.join();
    EXPECT_EQ(handled, kMerges);
    EXPECT_EQ(posts.load(), kMerges);
    EXPECT_EQ(m_owner.directNotifies, direct);  // nothing ran the owner off its thread
    EXPECT_EQ(m_layer->GetEnd(), kMerges);
}

}  // namespace
