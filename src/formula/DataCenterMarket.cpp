// The formula bridge's view of the market-data core: the data centre's security table,
// its period bars and the program's clock.

#include <cstring>
#include <string>

#include "formula/FormulaMarket.h"
#include "formula/engine/IndCommonSpace.h"
#include "marketdata/SecurityIndParam.h"
#include "marketdata/AppInfo.h"
#include "marketdata/DataCenter.h"
#include "marketdata/PeriodBars.h"
#include "marketdata/Security.h"

namespace {

class DataCenterMarket : public IFormulaMarket {
public:
    bool HasSecurity(const CIndSecuCode& code) override {
        return GetDataCenter()->FindSecurity(code) != nullptr;
    }

    bool GetSecurityName(const CIndSecuCode& code, std::string& name) override {
        CSecurity* s = GetDataCenter()->FindSecurity(code);
        if (!s) return false;
        name = s->GetName();
        return true;
    }

    uint32_t GetQuoteDate(const CIndSecuCode&) override { return GetAppInfo()->GetToday(); }

    // The security record's own set: it lives as long as the record, which stays in the
    // table for the rest of the run.
    SecurityIndParam* GetParamSet(const CIndSecuCode& code) override {
        CSecurity* s = GetDataCenter()->FindSecurity(code);
        if (!s) return nullptr;
        SecurityIndParam::s_strProgramDir = GetAppInfo()->GetProgramDir();
        return &s->GetSecurityIndParam();
    }

    int TimeToMinuteIndex(const CIndSecuCode& code, int hhmm) override {
        CSecurity* s = GetDataCenter()->FindSecurity(code);
        return s ? s->TimeToMinuteIndex(static_cast<int16_t>(hhmm)) : 0;
    }

    CFloatDayItem* GetPeriodBars(int16_t sourceType, int& count, const CIndSecuCode& code,
                                 const CFloatDayItem* sourceBars, int sourceCount, int sourceFirst,
                                 int sourceEnd, int16_t dataType, int16_t period) override {
        count = 0;
        CSecurity* s = GetDataCenter()->FindSecurity(code);
        if (!s) return nullptr;
        std::vector<CFloatDayItem> bars = ::GetPeriodBars(sourceType, s, sourceBars, sourceCount,
                                                          sourceFirst, sourceEnd, dataType, period);
        if (bars.empty()) return nullptr;
        auto* out =
            static_cast<CFloatDayItem*>(IndCommonSpace::Alloc(sizeof(CFloatDayItem) * bars.size()));
        if (!out) return nullptr;
        std::memcpy(out, bars.data(), sizeof(CFloatDayItem) * bars.size());
        count = static_cast<int>(bars.size());
        return out;
    }

    uint32_t GetToday() override { return GetAppInfo()->GetToday(); }
    uint32_t GetStartTime() override { return GetAppInfo()->GetNow(); }
    uint32_t GetCurrentDayDate() override { return GetAppInfo()->GetToday(); }
};

}  // namespace

IFormulaMarket* GetDataCenterMarket() {
    static DataCenterMarket market;
    return &market;
}
