#include "training/TrainingOrder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "training/TrainingRecord.h"

namespace {
constexpr const char* kTitles[] = {"买入", "卖出", "多开", "多平", "空开", "空平"};
}  // namespace

const char* TrainingOrderTitle(int kind) {
    return kind >= 0 && kind < 6 ? kTitles[kind] : "";
}

int32_t TrainingOrderMaximum(int kind, const TrainingOrderMaxima& maxima) {
    switch (kind) {
        case kOrderBuy:
        case kOrderLongOpen:
        case kOrderShortOpen:
            return maxima.buyable;
        case kOrderSell:
        case kOrderLongClose:
            return maxima.closableLong;
        case kOrderShortClose:
            return maxima.closableShort;
        default:
            return 0;
    }
}

int32_t FractionOfMaximum(int32_t maximum, int fractionIndex) {
    // Divided rather than multiplied by a rounded third, so that 9 × 2 / 3 is exactly 6.
    const double m = maximum;
    double part = m;
    switch (fractionIndex) {
        case 1: part = m * 2 / 3; break;
        case 2: part = m * 0.5; break;
        case 3: part = m / 3; break;
        case 4: part = m * 0.25; break;
        case 5: part = m / 6; break;
        default: break;
    }
    return static_cast<int32_t>(part);  // truncated toward zero
}

int32_t BuyableHands(const CTrainingRecord& record, double price, bool isIndex) {
    return record.GetMaxBuyVolume(price) / SharesPerHand(isIndex);
}

bool IsOrderPriceInRange(const CTrainingRecord& record, double price) {
    return !std::isnan(price) && price <= record.high && price >= record.low;
}

TrainingOrderOutcome PlaceTrainingOrder(CTrainingRecord& record, const TrainingOrderInput& input) {
    TrainingOrderOutcome outcome;
    if (!IsOrderPriceInRange(record, input.price)) {
        outcome.priceRefused = true;
        return outcome;
    }
    const int32_t bound = FractionOfMaximum(TrainingOrderMaximum(input.kind, input.maxima),
                                            input.fractionIndex);
    const int32_t hands = std::min(input.typedHands, bound);
    // Bounded by the maxima, which come from share counts; the clamp only guards a panel
    // that passes nonsense.
    const int64_t shares = std::clamp<int64_t>(int64_t(hands) * SharesPerHand(input.isIndex),
                                               std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max());
    outcome.shares = static_cast<int32_t>(shares);
    const int64_t datetime = record.dataType == 4 ? record.quoteTime * 10000 : record.quoteTime;
    const uint32_t date = static_cast<uint32_t>(datetime / 10000);
    std::string& msg = outcome.message;
    switch (input.kind) {
        case kOrderBuy:
        case kOrderLongOpen:
            outcome.placed = record.Buy(outcome.shares, datetime, msg, true, input.comment, input.price);
            break;
        case kOrderSell:
        case kOrderLongClose:
            outcome.placed = record.Sell(outcome.shares, datetime, msg, input.comment, input.price);
            break;
        case kOrderShortOpen:
            outcome.placed = record.ShortSell(outcome.shares, datetime, msg, input.comment, input.price);
            break;
        case kOrderShortClose:
            outcome.placed = record.CoverShort(outcome.shares, datetime, msg, input.comment, input.price);
            break;
        default:
            return outcome;  // no kind set: nothing to carry out
    }
    // Valued at the bar's close, not at the order price.
    record.UpdateAsset(date, record.price);
    return outcome;
}
