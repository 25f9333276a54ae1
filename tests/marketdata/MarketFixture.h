#pragma once
// A data centre over scratch block files, with a few securities, torn down after each
// test (the data centre, application info and ex-rights table are process-wide).

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/ScratchDir.h"
#include "foundation/Buffer.h"
#include "marketdata/AppInfo.h"
#include "marketdata/CQData.h"
#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"
#include "marketdata/MarketHooks.h"
#include "marketdata/Security.h"

// Little-endian bytes written by hand, independent of CBuffer, for golden comparisons.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint8_t x) {
        v.push_back(x);
        return *this;
    }
    Bytes& u16(uint16_t x) { return raw(&x, 2); }
    Bytes& u32(uint32_t x) { return raw(&x, 4); }
    Bytes& i64(int64_t x) { return raw(&x, 8); }
    Bytes& str(const std::string& s) {
        u16(uint16_t(s.size()));
        return raw(s.data(), s.size());
    }
    Bytes& raw(const void* p, size_t n) {
        auto* b = static_cast<const uint8_t*>(p);
        v.insert(v.end(), b, b + n);
        return *this;
    }
    Bytes& bar(int64_t key, int32_t o, int32_t h, int32_t l, int32_t c, int64_t vol) {
        return i64(key)
            .u32(uint32_t(o))
            .u32(uint32_t(h))
            .u32(uint32_t(l))
            .u32(uint32_t(c))
            .i64(vol);
    }
    CBuffer Buffer() const {
        CBuffer b;
        b.Write(v.data(), uint32_t(v.size()));
        return b;
    }
};

inline CDayItem MakeBar(int64_t key, int32_t o, int32_t h, int32_t l, int32_t c,
                        int64_t vol = 100) {
    CDayItem b;
    b.m_nTime = key;
    b.m_nOpen = o;
    b.m_nHigh = h;
    b.m_nLow = l;
    b.m_nClose = c;
    b.m_nVolume = vol;
    return b;
}

class MarketTest : public testing::Test {
protected:
    void SetUp() override {
        ResetDataCenter();
        GetAllCQData()->Clear();
        GetAppInfo()->SetProgramDir(m_dir.Path().string());
        ASSERT_TRUE(GetDataCenter()->OpenStores(GetAppInfo()->GetDataPath()));
        SetUserNDayCount(10);
        SetUserMinuteCount(3);
    }
    void TearDown() override {
        ResetDataCenter();
        GetAllCQData()->Clear();
        SetMarketUiHooks({});
    }

    CSecurity* Add(int32_t market, const std::string& code, const std::string& name = "") {
        auto s = std::make_unique<CSecurity>();
        s->SetCode(CIndSecuCode(market, code));
        s->SetName(name);
        s->GetValues().SetValue(kQuotePriceDivisor, 1000);
        s->SetSecurityType();
        CSecurity* raw = s.get();
        return GetDataCenter()->AddSecurity(s) >= 0 ? raw : nullptr;
    }

    ScratchDir m_dir;
};
