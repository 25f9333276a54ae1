#pragma once
// The record of one security in the data centre's table: identity, name, type mask,
// quote values and keyboard-search abbreviations, with the helpers that read them.
// Created by the security-list parse and never removed while the program runs. Each
// record owns the indicator parameter set of its security, destroyed with it (which
// writes back what changed).
//
// Text is UTF-8. The record's lock guards the name, the abbreviations and the quote
// values: the code-table worker and the network thread write them while the UI reads.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "marketdata/SecurityIndParam.h"
#include "foundation/DateTime.h"
#include "foundation/IndSecuCode.h"
#include "marketdata/IndValueArray.h"

// Value ids of the quote block that this module gives a meaning.
enum : int {
    kQuoteMinPriceUnit = 0,
    kQuoteSessions = 6,      // 34-byte blob: u8 count, u8, i16 start[8], i16 end[8] (hhmm)
    kQuotePriceDivisor = 7,  // integer price / divisor = price
    kQuoteTimeZone = 10,     // minutes east of UTC, foreign markets
    kQuoteFlags13 = 13,      // 2-byte blob
    kQuoteVolumeDivisor = 14,
    kQuoteReplyBlock = 1000,  // four u32 of the series replies
};

bool IsIndexSecurity(const CIndSecuCode& code);

class CSecurity {
public:
    CSecurity();
    virtual ~CSecurity() = default;
    CSecurity(const CSecurity&) = delete;
    CSecurity& operator=(const CSecurity&) = delete;

    // Identity is fixed once the record is in the data centre's table. The parameter set
    // names its files after it.
    const CIndSecuCode& GetCode() const { return m_code; }
    void SetCode(const CIndSecuCode& code) {
        m_code = code;
        m_indParam.m_Owner = code;
    }

    std::string GetName() const;
    void SetName(const std::string& name);
    std::vector<std::string> GetAbbreviations() const;
    void SetAbbreviations(std::vector<std::string> abbreviations);

    uint64_t GetTypeMask() const { return m_nTypeMask; }
    void SetSecurityType();

    int64_t VolumeToHands(int64_t volume) const;
    std::string GetMarketPrefix() const;

    // Session helpers over the quote block's session table (id 6).
    TradingSessions GetSessions() const;
    void SetSessions(const TradingSessions& sessions);
    int16_t GetDayOpenTime() const;
    bool IsSessionEndTime(int16_t hhmm) const;
    uint16_t GetBarMinute(uint32_t hhmmss) const;
    int32_t TimeToMinuteIndex(int16_t hhmm) const;
    uint16_t MinuteIndexToTime(uint16_t index) const;
    uint32_t ToLocalTime(uint32_t yymmddhhmm) const;

    // Quote values by id, including the derived ratio ids -149 .. -100.
    int64_t GetQuoteValue(int16_t id) const;
    bool IsAtPriceLimit(bool upper) const;
    // Price divisor as a double; 1000 when the block holds none (never 0).
    double GetPriceDivisor() const;

    // The four u32 that the series replies carry; the fourth is also the inline value 0.
    void SetReplyQuote(uint32_t q1, uint32_t q2, uint32_t q3, uint32_t q4);

    // The lock of the quote values: readers beside the network thread hold it while they
    // take several values that belong together. Recursive, so the accessors above may be
    // called under it.
    std::recursive_mutex& GetLock() const { return m_lock; }
    IndValueArray& GetValues() { return m_values; }
    const IndValueArray& GetValues() const { return m_values; }

    // The security's own indicator parameter values and line settings.
    SecurityIndParam& GetSecurityIndParam() { return m_indParam; }

private:
    std::string m_strName;
    CIndSecuCode m_code;
    mutable std::recursive_mutex m_lock;
    uint64_t m_nTypeMask = 0;
    IndValueArray m_values;
    std::vector<std::string> m_abbreviations;
    SecurityIndParam m_indParam;
};
