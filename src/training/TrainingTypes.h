#pragma once
// Value types of a trend-training session: holdings of a position book, journal items and
// points of the asset curve. Money and prices are doubles in currency units, volumes whole
// shares, dates yyyymmdd and intraday times hhmm.

#include <cstdint>
#include <string>

namespace tinyxml2 {
class XMLElement;
class XMLPrinter;
}  // namespace tinyxml2

// Values of CTrainingRecord::TrainStatus.
inline constexpr int32_t kTrainStatusStart = 0;    // 开始: created, bars not yet built
inline constexpr int32_t kTrainStatusRunning = 1;  // 进行中
inline constexpr int32_t kTrainStatusEnded = 2;    // 已结束

// Shares of one book acquired on one date.
struct PositionHolding {
    int32_t pos = 0;
    int32_t date = 0;

    friend bool operator==(const PositionHolding&, const PositionHolding&) = default;
};

// One executed order of the journal.
struct TradeDetailItem {
    int32_t TradeDate = 0;
    int32_t TradeTime = 0;
    int8_t opdir = 0;  // 1 long book, -1 short book
    int8_t bsdir = 0;  // 1 opening trade, -1 closing trade
    double TradePrice = 0;
    double cost = 0;  // the book's average cost after the trade
    int32_t vol = 0;
    double Turnover = 0;
    double GainLoss = 0;
    double GLPercent = 0;  // a fraction
    int8_t praise = 0;
    std::string comment;
    double commit = 0;  // fee

    void ReadXml(const tinyxml2::XMLElement& element);
    void WriteXml(tinyxml2::XMLPrinter& printer) const;
};

struct AssetPoint {
    uint32_t date = 0;
    double asset = 0;
};
