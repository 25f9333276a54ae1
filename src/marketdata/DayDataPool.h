#pragma once
// Shares one K-line series among every window that charts the same security, data type
// and period. A window borrows the series and gives it back when it closes; the series
// is saved and destroyed when the last borrower has given it back.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/IndSecuCode.h"
#include "marketdata/RequestChannel.h"

class CDayData;

class CDayDataPool {
public:
    CDayDataPool() = default;
    ~CDayDataPool();

    // The pool key, also the series' name: market, code, data type and period, joined by
    // ':' so that no two securities or periods can share a key.
    static std::string MakeKey(int16_t dataType, const CIndSecuCode& code, int16_t period);

    // The listed series, or a new one loaded from its store; empty for a security the
    // data centre does not know, and for data types other than 3 (minute) and 4 (day).
    std::shared_ptr<CDayData> GetDayData(int16_t dataType, const CIndSecuCode& code,
                                         int16_t period);

    // Gives a series back. The owner is unsubscribed in every case. When the pool's
    // reference is then the last one, the series' pending replies are cancelled, it is
    // saved and destroyed. Borrowers drop their own reference before calling this.
    void Release(OwnerTag owner, const std::string& key);

    bool IsListed(const std::string& key);
    size_t GetCount();
    // Drops every series without saving (exit: every merged reply is saved already).
    void Clear();

private:
    std::mutex m_lock;
    std::map<std::string, std::shared_ptr<CDayData>> m_entries;
};

// The data centre's pool.
std::shared_ptr<CDayData> GetDayData(int16_t dataType, const CIndSecuCode& code, int16_t period);
