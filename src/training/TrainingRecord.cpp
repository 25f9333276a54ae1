#include "training/TrainingRecord.h"

#include <algorithm>
#include <cmath>

#include "foundation/DateTime.h"
#include "training/RecordText.h"

namespace {

constexpr double kCashTolerance = 0.01;  // a shortfall up to one cent is accepted
constexpr double kEpsilon = 0.000001;

int32_t OrderDate(int64_t datetime) {
    return static_cast<int32_t>(datetime / 10000);
}
int32_t OrderTime(int64_t datetime) {
    return static_cast<int32_t>(datetime % 10000);
}

// One order as the trade list shows it, with the book's average cost after the order;
// what a closing order earned the caller adds.
TradeDetailItem MakeTrade(int8_t opdir, int8_t bsdir, int64_t datetime, double price, int32_t vol,
                          double fee, const CFullPositon& book, const std::string& comment) {
    TradeDetailItem item;
    item.TradeDate = OrderDate(datetime);
    item.TradeTime = OrderTime(datetime);
    item.opdir = opdir;
    item.bsdir = bsdir;
    item.TradePrice = price;
    item.cost = book.aveCost;
    item.vol = vol;
    item.Turnover = vol * price;
    item.comment = comment;
    item.commit = fee;
    return item;
}

// A closing order's result; "praise" marks a gain.
void SetResult(TradeDetailItem& item, double gainLoss, double percent) {
    item.GainLoss = gainLoss;
    item.GLPercent = percent;
    item.praise = gainLoss > 0 ? 1 : -1;
}

// A bar without trades (close 0) or a damaged price must not trade: shares for nothing,
// or a NaN that would stay in the account and its file for good.
bool IsTradablePrice(double price) {
    return price > 0 && std::isfinite(price);
}

int32_t TruncShares(double shares) {
    if (!(shares > 0)) return 0;
    if (shares >= 2147483647.0) return 2147483647;
    return static_cast<int32_t>(shares);
}

}  // namespace

CTrainingRecord::CTrainingRecord()
    : PutPos(std::make_shared<CFullPositon>()), CallPos(std::make_shared<CFullPositon>()) {}

CTrainingRecord::CTrainingRecord(CSecurity* security_, const CIndSecuCode& code_, int32_t t0,
                                 int32_t canPut, int32_t hideDate_, int32_t hideName_,
                                 int32_t trainPeriodType, double capital, const std::string& name_,
                                 double commitRate)
    : leftCapital(capital),
      InitCapital(capital),
      T0(t0),
      CanPut(canPut),
      security(security_),
      code(code_),
      name(name_),
      commitrate(commitRate),
      hideDate(hideDate_),
      hideName(hideName_),
      TrainPeriodType(trainPeriodType),
      PutPos(std::make_shared<CFullPositon>()),
      CallPos(std::make_shared<CFullPositon>()) {
    const ChinaDateTime now = ChinaNow();
    TrainingDate = static_cast<int32_t>(now.date);
    TrainingTime = static_cast<int32_t>(now.time);
}

// The four order operations differ in the book they work on (long or short) and whether
// the order opens or closes a position; the checks, the refusals and the trade list
// entry go one way for all of them.
bool CTrainingRecord::PlaceOrder(OrderKind kind, int32_t vol, int64_t datetime, std::string& msg,
                                 bool addTrade, const std::string& comment, double price) {
    const bool isLong = kind == OrderKind::Buy || kind == OrderKind::Sell;
    const bool opens = kind == OrderKind::Buy || kind == OrderKind::ShortSell;
    CFullPositon& book = isLong ? *CallPos : *PutPos;
    // The order dialog passes 0 when the user entered no hands or can afford none: no
    // order, and nothing to say about it.
    if (vol <= 0) return false;
    if (!IsTradablePrice(price)) {
        msg = kRefusedPrice;
        return false;
    }
    const int32_t date = OrderDate(datetime);
    const double amount = vol * price;
    const double fee = amount * commitrate;
    if (opens) {
        if (amount + fee - kCashTolerance > leftCapital - FrozenCapital) {
            msg = isLong ? "资金不够" : "剩余资金不够融券!!";
            return false;
        }
        if (!book.CanAddShares(vol, date)) {
            msg = kRefusedBookFull;
            return false;
        }
    } else if (book.GetClosableVolume(date, T0 != 0) < vol) {
        if (isLong)
            msg = T0 ? "仓位不够!您当前正在进行T+0交易,根据全部多单信息设置仓位"
                     : "仓位不够!您当前正在进行T+1交易,根据截止到昨天的多单信息设置仓位";
        else
            msg = T0 ? "仓位不够您当前正在进行T+0交易,根据全部空单信息设置仓位"
                     : "仓位不够您当前正在进行T+1交易,根据截止到昨天的空单信息设置仓位";
        return false;
    }

    const int8_t opdir = isLong ? 1 : -1;
    if (opens) {
        book.AddShares(vol, date, amount);
        if (isLong) {
            leftCapital -= amount + fee;
        } else {
            FrozenCapital += amount;
            leftCapital -= fee;
        }
        if (addTrade) trades.push_back(MakeTrade(opdir, 1, datetime, price, vol, fee, book, comment));
        return true;
    }

    book.RemoveShares(vol);
    const double div = vol * book.avehl;
    TradeDetailItem item = MakeTrade(opdir, -1, datetime, price, vol, fee, book, comment);
    if (isLong) {
        const double net = amount - fee;
        leftCapital += net;
        const double basis = book.aveCost * vol * (1 + commitrate);
        // Shares that cost nothing have no return to speak of.
        SetResult(item, net - basis + div, basis > 0 ? (div + net) / basis - 1 : 0);
    } else {
        const double basis = book.aveCost * vol;
        leftCapital += (book.aveCost - price) * vol - fee - div;
        FrozenCapital -= basis;
        if (book.IsEmpty()) {
            // With no short shares left nothing stays frozen. What the averages left over
            // (rounding, bonus shares cut to whole shares) is the account's own cash.
            leftCapital += FrozenCapital;
            FrozenCapital = 0;
        } else if (FrozenCapital < 0) {
            FrozenCapital = 0;
        }
        const double proceeds = (1 - commitrate) * basis;
        SetResult(item, proceeds - amount - fee - div,
                  proceeds > 0 ? 1 - (div + amount + fee) / proceeds : 0);
    }
    trades.push_back(std::move(item));
    if (book.IsEmpty()) {
        book.aveCost = 0;
        book.avehl = 0;
    }
    return true;
}

bool CTrainingRecord::Buy(int32_t vol, int64_t datetime, std::string& msg, bool addTrade,
                          const std::string& comment, double price) {
    return PlaceOrder(OrderKind::Buy, vol, datetime, msg, addTrade, comment, price);
}

bool CTrainingRecord::Sell(int32_t vol, int64_t datetime, std::string& msg,
                           const std::string& comment, double price) {
    return PlaceOrder(OrderKind::Sell, vol, datetime, msg, true, comment, price);
}

bool CTrainingRecord::ShortSell(int32_t vol, int64_t datetime, std::string& msg,
                                const std::string& comment, double price) {
    return PlaceOrder(OrderKind::ShortSell, vol, datetime, msg, true, comment, price);
}

bool CTrainingRecord::CoverShort(int32_t vol, int64_t datetime, std::string& msg,
                                 const std::string& comment, double price) {
    return PlaceOrder(OrderKind::CoverShort, vol, datetime, msg, true, comment, price);
}

int32_t CTrainingRecord::GetPositionVolume(bool isLong) const {
    return isLong ? CallPos->GetVolume() : PutPos->GetVolume();
}

int32_t CTrainingRecord::GetMaxBuyVolume(double price_) const {
    if (price_ <= 0) return 0;
    return TruncShares((leftCapital - FrozenCapital) / (1 + commitrate) / price_);
}

void CTrainingRecord::UpdateAsset(uint32_t date, double price_) {
    const double asset =
        CallPos->GetVolume() * price_ + leftCapital + FrozenCapital - PutPos->GetVolume() * price_;
    auto it = std::lower_bound(assets.begin(), assets.end(), date,
                               [](const AssetPoint& p, uint32_t d) { return p.date < d; });
    if (it != assets.end() && it->date == date)
        it->asset = asset;
    else
        assets.insert(it, AssetPoint{date, asset});
}

void CTrainingRecord::AddStartAssetPoint() {
    assets.push_back(AssetPoint{static_cast<uint32_t>(StartDate), InitCapital});
}

int32_t CTrainingRecord::QuoteOrderDate() const {
    return static_cast<int32_t>(dataType == 3 ? quoteTime / 10000 : quoteTime);
}

int64_t CTrainingRecord::QuoteOrderDateTime() const {
    // A day bar's time is yyyymmdd; a time from a damaged file must not overflow.
    if (dataType != 4) return quoteTime;
    return static_cast<int64_t>(static_cast<uint64_t>(quoteTime) * 10000u);
}

bool CTrainingRecord::CheckStopProfitLoss(bool isProfit) {
    const double level = isProfit ? zy : zs;
    if (level >= -kEpsilon && level <= kEpsilon) return false;
    if (!IsTradablePrice(price)) return false;

    const int32_t longShares = CallPos->GetVolume();
    const int32_t shortShares = PutPos->GetVolume();
    if (int64_t{longShares} + shortShares == 0) return false;
    const double p = price;
    const double shortReturn =
        FrozenCapital > kEpsilon ? (FrozenCapital - shortShares * p) / FrozenCapital : 0;
    const double c = CallPos->aveCost;
    const double longReturn = c > kEpsilon ? (p - c) / c : 0;
    const double r = (shortReturn * shortShares + longReturn * longShares) /
                     (static_cast<double>(shortShares) + longShares);
    if (isProfit ? !(r > zy) : !(r < -zs)) return false;

    const int32_t date = QuoteOrderDate();
    const int64_t datetime = QuoteOrderDateTime();
    const int32_t closableLong = CallPos->GetClosableVolume(date, T0 != 0);
    const int32_t closableShort = PutPos->GetClosableVolume(date, T0 != 0);
    // A stop protects short positions as well as long ones.
    if (closableLong == 0 && closableShort == 0) return false;

    const std::string comment = FormatFixed(level * 100, 2) + (isProfit ? "% 止盈" : "% 止损");
    std::string msg;
    if (closableShort > 0) CoverShort(closableShort, datetime, msg, comment, p);
    if (closableLong > 0) Sell(closableLong, datetime, msg, comment, p);
    return true;
}

void CTrainingRecord::ApplyCashDividend(int32_t date, double dividend) {
    if (!std::isfinite(dividend)) return;
    const int32_t longShares = CallPos->GetVolume();
    if (longShares > 0) {
        const int32_t yearAgo = date - 10000;
        const int32_t monthStart = date / 100 * 100;
        double credited = 0;
        for (const PositionHolding& h : CallPos->holdings) {
            if (h.date < yearAgo)
                credited += h.pos * dividend;
            else if (h.date >= monthStart)
                credited += h.pos * dividend * 0.8;
            else
                credited += h.pos * dividend * 0.9;
        }
        leftCapital += credited;
        // The gain of a later sale counts the dividend the account really received.
        CallPos->avehl += credited / longShares;
    }
    if (PutPos->GetVolume() != 0) PutPos->avehl += dividend;
}

namespace {

// Bonus shares follow the shares they were granted on, so their holding date (T+1, the
// dividend brackets) is that of the original shares. Cutting to whole shares is settled
// on the newest holding, which keeps the book's total at trunc(N + N × bonus).
void AddBonusShares(CFullPositon& book, double bonus) {
    const int32_t shares = book.GetVolume();
    const int64_t total = TruncShares(shares + shares * bonus) - static_cast<int64_t>(shares);
    int64_t given = 0;
    for (PositionHolding& h : book.holdings) {
        const int64_t part = TruncShares(h.pos + h.pos * bonus) - static_cast<int64_t>(h.pos);
        h.pos = static_cast<int32_t>(h.pos + part);
        given += part;
    }
    if (!book.holdings.empty()) {
        PositionHolding& newest = book.holdings.back();
        newest.pos = static_cast<int32_t>(
            std::clamp<int64_t>(newest.pos + total - given, INT32_MIN, INT32_MAX));
    }
    book.aveCost /= 1 + bonus;
    book.avehl /= 1 + bonus;
}

}  // namespace

void CTrainingRecord::ApplyShareBonus(double bonus) {
    if (!(bonus > -1.0) || !std::isfinite(bonus)) return;
    if (CallPos->GetVolume() > 0) AddBonusShares(*CallPos, bonus);
    if (PutPos->GetVolume() != 0) AddBonusShares(*PutPos, bonus);
}

bool CTrainingRecord::BuyRightsIssue(int32_t date, std::string& msg, double sharesPerShare,
                                     double price_) {
    const int32_t held = CallPos->GetVolume();
    if (held == 0) return true;
    const int32_t vol = TruncShares(held * sharesPerShare);
    if (vol == 0) return true;
    return Buy(vol, static_cast<int64_t>(date) * 10000, msg, false, std::string(), price_);
}

const char* CTrainingRecord::GetStatusText() const {
    switch (TrainStatus) {
        case kTrainStatusStart:
            return "开始";
        case kTrainStatusRunning:
            return "进行中";
        case kTrainStatusEnded:
            return "已结束";
        default:
            return "";
    }
}

void CTrainingRecord::GetCloseTradeStats(CloseTradeStats& stats) const {
    bool anyWin = false;
    bool anyLoss = false;
    for (const TradeDetailItem& item : trades) {
        if (item.bsdir != -1) continue;
        ++stats.count;
        if (item.GainLoss > 0) {
            ++stats.winCount;
            if (!anyWin || item.GainLoss > stats.maxGain) {
                anyWin = true;
                stats.maxGain = item.GainLoss;
                stats.maxGainPercent = item.GLPercent;
            }
        } else {
            ++stats.lossCount;
            if (!anyLoss || item.GainLoss < stats.maxLoss) {
                anyLoss = true;
                stats.maxLoss = item.GainLoss;
                stats.maxLossPercent = item.GLPercent;
            }
        }
    }
    stats.maxGainPercent *= 100;
    stats.maxLossPercent *= 100;
}
