#pragma once
// The figures of the training asset report: every session's final asset, the chart's value
// range over them, and the statistics of the newest session's week, month or year. Each
// session is measured against its own initial capital; a capital that is not positive (a
// damaged record file) yields a return of 0 instead of a division by it.

#include <cstdint>
#include <memory>
#include <vector>

class CTrainingRecord;

// The capital every session starts with; the report's percent axis is based on it.
inline constexpr double BenefitBaseCapital = 1000000.0;

// The asset of the last point of the asset curve; the initial capital for a session never
// stepped.
double FinalAsset(const CTrainingRecord& record);
// (final asset - initial capital) / initial capital; 0 when the capital is not positive.
double RecordReturn(const CTrainingRecord& record);
// Whether a session ended more than a cent above its own initial capital (the report's red
// points; green otherwise).
bool EndedWithGain(const CTrainingRecord& record);

struct PeriodStatistics {
    double totalAssets = 0;  // sum of the final assets
    double profit = 0;       // sum of final asset - initial capital
    double profitRate = 0;   // profit over the summed initial capitals
    int32_t count = 0;
    int32_t wins = 0;        // return above 0
    int32_t losses = 0;      // return 0 or below
    double bestRate = 0;     // the largest winning return; 0 without a win
    double worstRate = 0;    // the smallest losing return; 0 without a loss
};

// Over the sessions given (null entries are skipped). A session without a positive capital
// counts as a loss with return 0 and adds nothing to the profit or the capitals.
PeriodStatistics CalcPeriodStatistics(const std::vector<std::shared_ptr<CTrainingRecord>>& records);

// The report chart's range over the final assets: their extremes (a flat range widened by
// 0.0001), then 5% headroom above and 20% below. False, and max/min left as they were,
// for no assets.
bool CalcAssetRange(const std::vector<double>& finalAssets, double& max, double& min);
