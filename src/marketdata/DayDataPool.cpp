#include "marketdata/DayDataPool.h"

#include "marketdata/DataCenter.h"
#include "marketdata/DayData.h"

CDayDataPool::~CDayDataPool() {
    Clear();
}

std::string CDayDataPool::MakeKey(int16_t dataType, const CIndSecuCode& code, int16_t period) {
    return std::to_string(code.m_nMarket) + ":" + code.m_strCode + ":" + std::to_string(dataType) +
           ":" + std::to_string(period);
}

std::shared_ptr<CDayData> CDayDataPool::GetDayData(int16_t dataType, const CIndSecuCode& code,
                                                   int16_t period) {
    std::string key = MakeKey(dataType, code, period);
    std::lock_guard lock(m_lock);
    if (auto it = m_entries.find(key); it != m_entries.end()) return it->second;
    CSecurity* security = GetDataCenter()->FindSecurity(code);
    if (!security) return nullptr;
    std::shared_ptr<CDayData> series;
    if (dataType == CDayData::kMinuteType || dataType == CDayData::kDayType) {
        series = std::make_shared<CDayData>(key, security, dataType, period);
        // Loaded under the pool's lock: a second window asking meanwhile gets the loaded
        // series, never a half-filled one.
        series->LoadLocal();
    }
    m_entries[key] = series;
    return series;
}

void CDayDataPool::Release(OwnerTag owner, const std::string& key) {
    std::shared_ptr<CDayData> series;
    {
        std::lock_guard lock(m_lock);
        auto it = m_entries.find(key);
        if (it == m_entries.end()) return;
        if (!it->second) {
            m_entries.erase(it);
            return;
        }
        series = it->second;
    }
    // Always: an owner that leaves while others still borrow the series must not be
    // called once it is gone. Outside the pool's lock: Unsubscribe waits for the owner's
    // call in progress, and that call may well ask the pool for a series.
    series->Unsubscribe(owner);
    std::shared_ptr<CDayData> doomed;
    {
        std::lock_guard lock(m_lock);
        auto it = m_entries.find(key);
        // The pool's reference and ours: nobody else borrows it.
        if (it == m_entries.end() || it->second != series || series.use_count() > 2) return;
        doomed = std::move(it->second);
        m_entries.erase(it);
    }
    series.reset();
    if (CRequestChannel* channel = GetRequestChannel())
        channel->CancelPending(OwnerTag(doomed.get()));
    doomed->SaveLocal();
    // Destroyed outside the pool's lock.
}

bool CDayDataPool::IsListed(const std::string& key) {
    std::lock_guard lock(m_lock);
    return m_entries.count(key) != 0;
}

size_t CDayDataPool::GetCount() {
    std::lock_guard lock(m_lock);
    return m_entries.size();
}

void CDayDataPool::Clear() {
    std::map<std::string, std::shared_ptr<CDayData>> entries;
    {
        std::lock_guard lock(m_lock);
        entries.swap(m_entries);
    }
}

std::shared_ptr<CDayData> GetDayData(int16_t dataType, const CIndSecuCode& code, int16_t period) {
    return GetDataCenter()->GetPool().GetDayData(dataType, code, period);
}
