#pragma once
// What the formula bridge needs of the market-data core: whether a security is listed, its
// name, parameter set and trading minutes, its bars in a period, and the program's dates.
// Tests install their own; the engine set-up installs the data centre's.

#include <cstdint>
#include <string>

#include "formula/engine/IndSecuCode.h"

struct CFloatDayItem;
class SecurityIndParam;

class IFormulaMarket {
public:
    virtual ~IFormulaMarket() = default;
    // Lookups compare the code without regard to case.
    virtual bool HasSecurity(const CIndSecuCode& code) = 0;
    virtual bool GetSecurityName(const CIndSecuCode& code, std::string& name) = 0;
    // The trading date of the security's quote block (yyyymmdd); 0 when unknown.
    virtual uint32_t GetQuoteDate(const CIndSecuCode& code) = 0;
    virtual SecurityIndParam* GetParamSet(const CIndSecuCode& code) = 0;
    // 0-based trading minutes of the security's sessions before hhmm.
    virtual int TimeToMinuteIndex(const CIndSecuCode& code, int hhmm) = 0;
    // Bars of the security in (dataType, period), built from sourceBars[first, end) when
    // given, else from the security's cached bars. The array comes from
    // IndCommonSpace::Alloc (the caller frees it with IndCommonSpace::Free); null and a
    // count of 0 when nothing can be built.
    virtual CFloatDayItem* GetPeriodBars(int16_t sourceType, int& count, const CIndSecuCode& code,
                                         const CFloatDayItem* sourceBars, int sourceCount,
                                         int sourceFirst, int sourceEnd, int16_t dataType,
                                         int16_t period) = 0;
    // Today's date (yyyymmdd) and the time of day at start-up (hhmmss), China time.
    virtual uint32_t GetToday() = 0;
    virtual uint32_t GetStartTime() = 0;
    // The trading day intraday bars currently belong to (yyyymmdd).
    virtual uint32_t GetCurrentDayDate() = 0;
};

void SetFormulaMarket(IFormulaMarket* market);
IFormulaMarket* GetFormulaMarket();
// The market-data core's data centre seen through this interface; the engine set-up
// installs it when nothing else is installed.
IFormulaMarket* GetDataCenterMarket();
