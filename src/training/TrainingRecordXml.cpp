// Elements of one session in the record file; see TotalTrainingRecord.h for the file.

#include "training/RecordXml.h"
#include "training/TrainingRecord.h"

using namespace recordxml;
using tinyxml2::XMLElement;
using tinyxml2::XMLPrinter;

namespace {

const XMLElement* Child(const XMLElement& e, const char* name) {
    return e.FirstChildElement(name);
}

}  // namespace

void TradeDetailItem::ReadXml(const XMLElement& e) {
    static const char* const kFields[] = {
        "TradeDate", "TradeTime", "opdir",     "bsdir",  "TradePrice", "cost",  "vol",
        "Turnover",  "GainLoss",  "GLPercent", "praise", "comment",    "commit"};
    ReadAttributes(e, kFields, [this](size_t field, std::string_view v) {
        switch (field) {
            case 0:
                TradeDate = Int(v);
                break;
            case 1:
                TradeTime = Int(v);
                break;
            case 2:
                opdir = static_cast<int8_t>(Int(v));
                break;
            case 3:
                bsdir = static_cast<int8_t>(Int(v));
                break;
            case 4:
                TradePrice = ParseDouble(v);
                break;
            case 5:
                cost = ParseDouble(v);
                break;
            case 6:
                vol = Int(v);
                break;
            case 7:
                Turnover = ParseDouble(v);
                break;
            case 8:
                GainLoss = ParseDouble(v);
                break;
            case 9:
                GLPercent = ParseDouble(v);
                break;
            case 10:
                praise = static_cast<int8_t>(Int(v));
                break;
            case 11:
                comment = UnescapeFileText(v);
                break;
            case 12:
                commit = ParseDouble(v);
                break;
        }
    });
}

namespace {

// The element writers serve both the file's own writer and any tinyxml2 printer.
template <class P>
void WriteTrade(P& p, const TradeDetailItem& t) {
    p.OpenElement("TradeDetailItem");
    WriteInt(p, "TradeDate", t.TradeDate);
    WriteInt(p, "TradeTime", t.TradeTime);
    WriteInt(p, "opdir", t.opdir);
    WriteInt(p, "bsdir", t.bsdir);
    WriteFixed(p, "TradePrice", t.TradePrice, 3);
    WriteFixed(p, "cost", t.cost, 3);
    WriteInt(p, "vol", t.vol);
    WriteFixed(p, "Turnover", t.Turnover, 3);
    WriteFixed(p, "GainLoss", t.GainLoss, 3);
    WriteExact(p, "GLPercent", t.GLPercent, 3);
    WriteInt(p, "praise", t.praise);
    WriteText(p, "comment", t.comment);
    WriteFixed(p, "commit", t.commit, 3);
    p.CloseElement();
}

}  // namespace

void TradeDetailItem::WriteXml(XMLPrinter& p) const {
    WriteTrade(p, *this);
}

void CFullPositon::ReadXml(const XMLElement& e) {
    static const char* const kFields[] = {"aveCost", "avehl"};
    ReadAttributes(e, kFields, [this](size_t field, std::string_view v) {
        (field == 0 ? aveCost : avehl) = ParseDouble(v);
    });
    static const char* const kItemFields[] = {"pos", "date"};
    for (const XMLElement* item = e.FirstChildElement("item"); item;
         item = item->NextSiblingElement("item")) {
        PositionHolding& h = holdings.emplace_back();
        ReadAttributes(*item, kItemFields, [&h](size_t field, std::string_view v) {
            (field == 0 ? h.pos : h.date) = Int(v);
        });
    }
}

namespace {

template <class P>
void WriteBook(P& p, const CFullPositon& book, const char* elementName) {
    p.OpenElement(elementName);
    WriteExact(p, "aveCost", book.aveCost, 3);
    WriteExact(p, "avehl", book.avehl, 3);
    for (const PositionHolding& h : book.holdings) {
        p.OpenElement("item");
        WriteInt(p, "pos", h.pos);
        WriteInt(p, "date", h.date);
        p.CloseElement();
    }
    p.CloseElement();
}

}  // namespace

void CFullPositon::WriteXml(XMLPrinter& p, const char* elementName) const {
    WriteBook(p, *this, elementName);
}

void CTrainingRecord::ReadXml(const XMLElement& e) {
    if (const XMLElement* d = Child(e, "TrainingDate")) {
        static const char* const kFields[] = {"StartDate",      "EndDate",      "WantDays",
                                              "BeginTrainDate", "EndTrainDate", "EndTrainTime",
                                              "TrainDays",      "TrainingDate", "TrainingTime"};
        int32_t* const targets[] = {&StartDate,      &EndDate,      &WantDays,
                                    &BeginTrainDate, &EndTrainDate, &EndTrainTime,
                                    &TrainDays,      &TrainingDate, &TrainingTime};
        ReadAttributes(*d, kFields,
                       [&targets](size_t field, std::string_view v) { *targets[field] = Int(v); });
    }
    if (const XMLElement* q = Child(e, "Quote")) {
        static const char* const kFields[] = {"open",     "high",     "low",
                                              "price",    "preclose", "volume",
                                              "dataType", "period",   "quoteTime"};
        double* const prices[] = {&open, &high, &low, &price, &preclose};
        ReadAttributes(*q, kFields, [&](size_t field, std::string_view v) {
            switch (field) {
                case 5:
                    volume = static_cast<double>(ParseInt64(v));
                    break;
                case 6:
                    dataType = static_cast<int16_t>(Int(v));
                    break;
                case 7:
                    period = static_cast<int16_t>(Int(v));
                    break;
                case 8:
                    quoteTime = ParseInt64(v);
                    break;
                default:
                    *prices[field] = ParseDouble(v);
                    break;
            }
        });
    }
    if (const XMLElement* c = Child(e, "config")) {
        static const char* const kFields[] = {"market",      "code",       "T0",
                                              "CanPut",      "hideDate",   "hideName",
                                              "name",        "commitrate", "TrainPeriodType",
                                              "TrainStatus", "zy",         "zs"};
        ReadAttributes(*c, kFields, [this](size_t field, std::string_view v) {
            switch (field) {
                case 0:
                    code.m_nMarket = Int(v);
                    break;
                case 1:
                    code.m_strCode = UnescapeFileText(v);
                    break;
                case 2:
                    T0 = Int(v);
                    break;
                case 3:
                    CanPut = Int(v);
                    break;
                case 4:
                    hideDate = Int(v);
                    break;
                case 5:
                    hideName = Int(v);
                    break;
                case 6:
                    name = UnescapeFileText(v);
                    break;
                case 7:
                    commitrate = ParseDouble(v);
                    break;
                case 8:
                    TrainPeriodType = Int(v);
                    break;
                case 9:
                    TrainStatus = Int(v);
                    break;
                case 10:
                    zy = ParseDouble(v);
                    break;
                case 11:
                    zs = ParseDouble(v);
                    break;
            }
        });
        if (code.m_strCode.size() > kMaxCodeLength) {
            size_t cut = kMaxCodeLength;
            while (cut > 0 && (static_cast<unsigned char>(code.m_strCode[cut]) & 0xC0) == 0x80)
                --cut;  // never split a character
            code.m_strCode.resize(cut);
        }
    }
    if (const XMLElement* m = Child(e, "Capital")) {
        static const char* const kFields[] = {"leftCapital", "InitCapital", "FrozenCapital"};
        double* const targets[] = {&leftCapital, &InitCapital, &FrozenCapital};
        ReadAttributes(*m, kFields, [&targets](size_t field, std::string_view v) {
            *targets[field] = ParseDouble(v);
        });
    }
    if (const XMLElement* t = Child(e, "TradeDetail")) {
        for (const XMLElement* item = t->FirstChildElement("TradeDetailItem"); item;
             item = item->NextSiblingElement("TradeDetailItem")) {
            trades.emplace_back().ReadXml(*item);
        }
    }
    if (const XMLElement* a = Child(e, "Asset")) {
        static const char* const kFields[] = {"asset", "date"};
        for (const XMLElement* item = a->FirstChildElement("item"); item;
             item = item->NextSiblingElement("item")) {
            AssetPoint& point = assets.emplace_back();
            ReadAttributes(*item, kFields, [&point](size_t field, std::string_view v) {
                if (field == 0)
                    point.asset = ParseDouble(v);
                else
                    point.date = static_cast<uint32_t>(ParseInt64(v));
            });
        }
    }
    // A book missing from the file stays an empty book, so orders on it work.
    if (const XMLElement* p = Child(e, "PutPos")) {
        PutPos = std::make_shared<CFullPositon>();
        PutPos->ReadXml(*p);
    }
    if (const XMLElement* p = Child(e, "CallPos")) {
        CallPos = std::make_shared<CFullPositon>();
        CallPos->ReadXml(*p);
    }
}

namespace {

template <class P>
void WriteRecord(P& p, const CTrainingRecord& r) {
    p.OpenElement("TrainingItem");

    p.OpenElement("TrainingDate");
    WriteInt(p, "StartDate", r.StartDate);
    WriteInt(p, "EndDate", r.EndDate);
    WriteInt(p, "WantDays", r.WantDays);
    WriteInt(p, "BeginTrainDate", r.BeginTrainDate);
    WriteInt(p, "EndTrainDate", r.EndTrainDate);
    WriteInt(p, "EndTrainTime", r.EndTrainTime);
    WriteInt(p, "TrainDays", r.TrainDays);
    WriteInt(p, "TrainingDate", r.TrainingDate);
    WriteInt(p, "TrainingTime", r.TrainingTime);
    p.CloseElement();

    p.OpenElement("Quote");
    WriteFixed(p, "open", r.open, 3);
    WriteFixed(p, "high", r.high, 3);
    WriteFixed(p, "low", r.low, 3);
    WriteFixed(p, "price", r.price, 3);
    WriteFixed(p, "preclose", r.preclose, 3);
    const bool volumeFits = r.volume > -9.2e18 && r.volume < 9.2e18;
    WriteInt(p, "volume", volumeFits ? static_cast<int64_t>(r.volume) : 0);
    WriteInt(p, "dataType", r.dataType);
    WriteInt(p, "period", r.period);
    WriteInt(p, "quoteTime", r.quoteTime);
    p.CloseElement();

    p.OpenElement("config");
    WriteInt(p, "market", r.code.m_nMarket);
    WriteText(p, "code", r.code.m_strCode);
    WriteInt(p, "T0", r.T0);
    WriteInt(p, "CanPut", r.CanPut);
    WriteInt(p, "hideDate", r.hideDate);
    WriteInt(p, "hideName", r.hideName);
    WriteText(p, "name", r.name);
    WriteExact(p, "commitrate", r.commitrate, 6);
    WriteInt(p, "TrainPeriodType", r.TrainPeriodType);
    WriteInt(p, "TrainStatus", r.TrainStatus);
    WriteExact(p, "zy", r.zy, 2);
    WriteExact(p, "zs", r.zs, 2);
    p.CloseElement();

    p.OpenElement("Capital");
    WriteExact(p, "leftCapital", r.leftCapital, 2);
    WriteExact(p, "InitCapital", r.InitCapital, 2);
    WriteExact(p, "FrozenCapital", r.FrozenCapital, 2);
    p.CloseElement();

    p.OpenElement("TradeDetail");
    for (const TradeDetailItem& item : r.trades) WriteTrade(p, item);
    p.CloseElement();

    p.OpenElement("Asset");
    for (const AssetPoint& point : r.assets) {
        p.OpenElement("item");
        WriteFixed(p, "asset", point.asset, 2);
        WriteInt(p, "date", point.date);
        p.CloseElement();
    }
    p.CloseElement();

    static const CFullPositon kEmptyBook;
    WriteBook(p, r.PutPos ? *r.PutPos : kEmptyBook, "PutPos");
    WriteBook(p, r.CallPos ? *r.CallPos : kEmptyBook, "CallPos");

    p.CloseElement();
}

}  // namespace

void CTrainingRecord::WriteXml(XMLPrinter& p) const {
    WriteRecord(p, *this);
}

void recordxml::WriteSession(CRecordFileWriter& w, const CTrainingRecord& record) {
    WriteRecord(w, record);
}

void recordxml::WriteSessionKey(CRecordKey& k, const CTrainingRecord& record) {
    WriteRecord(k, record);
}
