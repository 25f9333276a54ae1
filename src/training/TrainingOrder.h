#pragma once
// The rules of one order typed into the trend-training order dialog, apart from the dialog:
// the six order kinds and the maximum each is bounded by, the fraction buttons, the hands the
// price allows, the price check against the revealed bar and the order carried out on the
// record. UI thread only, like the record.
#include <cstdint>
#include <string>

class CTrainingRecord;

enum TrainingOrderKind : int {
    kOrderBuy = 0,        // "买入"
    kOrderSell = 1,       // "卖出"
    kOrderLongOpen = 2,   // "多开"
    kOrderLongClose = 3,  // "多平"
    kOrderShortOpen = 4,  // "空开"
    kOrderShortClose = 5  // "空平"
};

// The three maxima the panel shows in its account box, in hands.
struct TrainingOrderMaxima {
    int32_t buyable = 0;
    int32_t closableLong = 0;
    int32_t closableShort = 0;
};

// "" for a kind outside 0..5.
const char* TrainingOrderTitle(int kind);
// The maximum that bounds an order of this kind (0 for an unknown kind).
int32_t TrainingOrderMaximum(int kind, const TrainingOrderMaxima& maxima);
// Fraction buttons 0..5: all, 2/3, 1/2, 1/3, 1/4, 1/6 of the maximum, truncated to whole
// hands. An index outside 0..5 counts as "all".
int32_t FractionOfMaximum(int32_t maximum, int fractionIndex);
// Shares per hand: 100, or 1 for an index, whose "hands" are single units.
inline int32_t SharesPerHand(bool isIndex) {
    return isIndex ? 1 : 100;
}
// Hands the account can buy at `price`.
int32_t BuyableHands(const CTrainingRecord& record, double price, bool isIndex);
// The price must lie within the revealed bar's low..high, both ends included.
bool IsOrderPriceInRange(const CTrainingRecord& record, double price);

struct TrainingOrderInput {
    int kind = -1;
    double price = 0;
    int32_t typedHands = 0;  // what the hands edit holds
    int fractionIndex = 0;
    TrainingOrderMaxima maxima;
    bool isIndex = false;
    std::string comment;
};

struct TrainingOrderOutcome {
    bool priceRefused = false;  // the dialog stays open
    bool placed = false;        // the record took the order
    int32_t shares = 0;         // what was ordered
    std::string message;        // the record's refusal text, if any
};

// The dialog's OK: price check, hands bounded by the chosen fraction of the maximum, the
// kind's operation dated at the revealed bar, then the asset curve at the bar's close.
TrainingOrderOutcome PlaceTrainingOrder(CTrainingRecord& record, const TrainingOrderInput& input);
