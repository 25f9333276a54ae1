#include "training/AssetStatistics.h"

#include <algorithm>
#include <cmath>

#include "training/TrainingRecord.h"

double FinalAsset(const CTrainingRecord& record) {
    return record.assets.empty() ? record.InitCapital : record.assets.back().asset;
}

namespace {

bool HasCapital(const CTrainingRecord& record) {
    return record.InitCapital > 0 && std::isfinite(record.InitCapital);
}

}  // namespace

double RecordReturn(const CTrainingRecord& record) {
    if (!HasCapital(record)) return 0;
    const double rate = (FinalAsset(record) - record.InitCapital) / record.InitCapital;
    return std::isfinite(rate) ? rate : 0;
}

bool EndedWithGain(const CTrainingRecord& record) {
    return FinalAsset(record) - record.InitCapital > 0.01;
}

PeriodStatistics CalcPeriodStatistics(const std::vector<std::shared_ptr<CTrainingRecord>>& records) {
    PeriodStatistics s;
    double capitals = 0;
    bool anyWin = false, anyLoss = false;
    for (const auto& record : records) {
        if (!record) continue;
        const double final = FinalAsset(*record);
        ++s.count;
        s.totalAssets += final;
        const double rate = RecordReturn(*record);
        if (rate > 0) {
            ++s.wins;
            if (!anyWin || rate > s.bestRate) s.bestRate = rate;
            anyWin = true;
        } else {
            ++s.losses;
            if (!anyLoss || rate < s.worstRate) s.worstRate = rate;
            anyLoss = true;
        }
        if (HasCapital(*record)) {
            s.profit += final - record->InitCapital;
            capitals += record->InitCapital;
        }
    }
    s.profitRate = capitals > 0 ? s.profit / capitals : 0;
    return s;
}

bool CalcAssetRange(const std::vector<double>& finalAssets, double& max, double& min) {
    if (finalAssets.empty()) return false;
    double hi = finalAssets[0], lo = finalAssets[0];
    for (double v : finalAssets) {
        hi = std::max(hi, v);
        lo = std::min(lo, v);
    }
    if (hi - lo > -0.0001 && hi - lo < 0.0001) hi = lo + 0.0001;
    // Headroom away from the curve on both sides, also for an account that went below zero.
    max = hi + std::fabs(hi) * 0.05;
    min = lo - std::fabs(lo) * 0.2;
    return true;
}
