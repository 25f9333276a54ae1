#include "training/FullPositon.h"

#include <algorithm>
#include <cstdint>

int32_t CFullPositon::GetVolume() const {
    int64_t total = 0;
    for (const PositionHolding& h : holdings) total += h.pos;
    return static_cast<int32_t>(total);
}

int32_t CFullPositon::GetClosableVolume(int32_t date, bool t0) const {
    int64_t total = 0;
    for (const PositionHolding& h : holdings) {
        if (h.date > date || (!t0 && h.date == date)) break;
        total += h.pos;
    }
    return static_cast<int32_t>(total);
}

bool CFullPositon::CanAddShares(int32_t vol, int32_t date) const {
    constexpr int64_t kMaxShares = INT32_MAX;
    int64_t total = vol;
    for (const PositionHolding& h : holdings) {
        total += h.pos;
        if (h.date == date && int64_t(h.pos) + vol > kMaxShares) return false;
    }
    return total <= kMaxShares;
}

void CFullPositon::AddShares(int32_t vol, int32_t date, double amount) {
    auto it = std::find_if(holdings.begin(), holdings.end(),
                           [date](const PositionHolding& h) { return h.date >= date; });
    // Holdings are never dated after the session's current date, so the ones before `it`
    // (plus a holding of the same date) are what the book held before this order.
    int64_t before = 0;
    for (auto h = holdings.begin(); h != holdings.end() && h->date <= date; ++h) before += h->pos;
    if (it != holdings.end() && it->date == date)
        it->pos += vol;
    else
        holdings.insert(it, PositionHolding{vol, date});
    aveCost = (static_cast<double>(before) * aveCost + amount) / static_cast<double>(before + vol);
    // Shares added after an ex-date never saw its dividend: what the book received (or
    // owes) stays the same in total and is spread over the larger book.
    if (avehl != 0) avehl = avehl * static_cast<double>(before) / static_cast<double>(before + vol);
}

void CFullPositon::RemoveShares(int32_t vol) {
    // Counted in 64 bits: a damaged file may hold negative holdings.
    int64_t left = vol;
    size_t used = 0;
    while (left > 0 && used < holdings.size()) {
        PositionHolding& h = holdings[used];
        if (h.pos <= left) {
            left -= h.pos;
            ++used;
        } else {
            h.pos = static_cast<int32_t>(h.pos - left);
            left = 0;
        }
    }
    holdings.erase(holdings.begin(), holdings.begin() + static_cast<std::ptrdiff_t>(used));
}
