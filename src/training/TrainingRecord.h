#pragma once
// One trend-training session: its period, the bar it has reached, the simulated account and
// its order rules, the two position books, the trade journal and the asset curve.
// Every window of a session shares one record; UI thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/IndSecuCode.h"
#include "training/FullPositon.h"
#include "training/TrainingTypes.h"

class CSecurity;

// Results of GetCloseTradeStats; the percentages are GLPercent × 100.
struct CloseTradeStats {
    int32_t count = 0;
    int32_t winCount = 0;
    double maxGain = 0;
    double maxGainPercent = 0;
    int32_t lossCount = 0;
    double maxLoss = 0;
    double maxLossPercent = 0;
};

class CTrainingRecord {
public:
    // Longest code text a record keeps; longer texts from a file are cut.
    static constexpr size_t kMaxCodeLength = 131;

    CTrainingRecord();
    // A new session on `code`. `security` is the data centre's entry for it (may be null;
    // never owned).
    CTrainingRecord(CSecurity* security, const CIndSecuCode& code, int32_t t0, int32_t canPut,
                    int32_t hideDate, int32_t hideName, int32_t trainPeriodType, double capital,
                    const std::string& name, double commitRate);

    // Order operations. `datetime` is yyyymmddhhmm (a day bar passes yyyymmdd × 10000).
    // A refusal leaves the record unchanged and puts its text into `msg`: too little cash,
    // too few closable shares, a price that is not a positive number (kRefusedPrice), a
    // volume that would take a book past 2,147,483,647 shares (kRefusedBookFull). Only a
    // volume <= 0, which the order dialog passes when there is nothing to order, is
    // refused without a text (`msg` untouched).
    bool Buy(int32_t vol, int64_t datetime, std::string& msg, bool addTrade,
             const std::string& comment, double price);
    bool Sell(int32_t vol, int64_t datetime, std::string& msg, const std::string& comment,
              double price);
    bool ShortSell(int32_t vol, int64_t datetime, std::string& msg, const std::string& comment,
                   double price);
    bool CoverShort(int32_t vol, int64_t datetime, std::string& msg, const std::string& comment,
                    double price);

    int32_t GetPositionVolume(bool isLong) const;
    int32_t GetMaxBuyVolume(double price) const;

    void UpdateAsset(uint32_t date, double price);
    void AddStartAssetPoint();

    // Closes the closable positions when the account's return crosses the stop-profit
    // (isProfit) or stop-loss level. True when it placed orders.
    bool CheckStopProfitLoss(bool isProfit);

    void ApplyCashDividend(int32_t date, double dividend);
    void ApplyShareBonus(double bonus);
    bool BuyRightsIssue(int32_t date, std::string& msg, double sharesPerShare, double price);

    const char* GetStatusText() const;
    void GetCloseTradeStats(CloseTradeStats& stats) const;

    // Reads the children of a "TrainingItem" element; writes one whole element.
    void ReadXml(const tinyxml2::XMLElement& element);
    void WriteXml(tinyxml2::XMLPrinter& printer) const;

    int32_t StartDate = 0;
    int32_t EndDate = 0;
    int32_t WantDays = 0;
    int32_t BeginTrainDate = 0;
    int32_t EndTrainDate = 0;
    int32_t EndTrainTime = 0;
    int32_t TrainDays = 0;

    // The latest revealed bar; `price` is its close, the price of every valuation and of
    // the automatic orders.
    double open = 0;
    double high = 0;
    double low = 0;
    double price = 0;
    double preclose = 0;
    double volume = 0;
    int16_t dataType = 0;  // 3 minute bars, 4 day bars
    int16_t period = 0;
    int64_t quoteTime = 0;  // yyyymmdd for day bars, yyyymmddhhmm for minute bars

    double leftCapital = 0;
    double InitCapital = 0;
    double FrozenCapital = 0;  // margin of the open short positions
    double zy = 0;             // stop-profit level as a fraction, 0 = off
    double zs = 0;             // stop-loss level as a positive fraction, 0 = off
    int32_t T0 = 0;            // 0 = T+1
    int32_t CanPut = 0;

    CSecurity* security = nullptr;
    CIndSecuCode code{-1, ""};

    int32_t TrainingDate = 0;  // wall-clock creation date, China time
    int32_t TrainingTime = 0;  // hhmmss
    std::string name;
    double commitrate = 0;
    int32_t hideDate = 0;
    int32_t hideName = 0;
    int32_t TrainPeriodType = -1;
    int32_t TrainStatus = kTrainStatusStart;

    std::vector<TradeDetailItem> trades;
    std::vector<AssetPoint> assets;

    // Both books always exist, also for records read from a file that lacks them.
    std::shared_ptr<CFullPositon> PutPos;
    std::shared_ptr<CFullPositon> CallPos;

    static constexpr const char* kRefusedPrice = "价格无效,不能交易";
    static constexpr const char* kRefusedBookFull = "持仓数量超出上限,不能交易";

private:
    enum class OrderKind { Buy, Sell, ShortSell, CoverShort };
    bool PlaceOrder(OrderKind kind, int32_t vol, int64_t datetime, std::string& msg,
                    bool addTrade, const std::string& comment, double price);

    // The order date for the T+1 rule and the order datetime of automatic orders.
    int32_t QuoteOrderDate() const;
    int64_t QuoteOrderDateTime() const;
};
