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

void TradeDetailItem::WriteXml(XMLPrinter& p) const {
    p.OpenElement("TradeDetailItem");
    WriteInt(p, "TradeDate", TradeDate);
    WriteInt(p, "TradeTime", TradeTime);
    WriteInt(p, "opdir", opdir);
    WriteInt(p, "bsdir", bsdir);
    WriteFixed(p, "TradePrice", TradePrice, 3);
    WriteFixed(p, "cost", cost, 3);
    WriteInt(p, "vol", vol);
    WriteFixed(p, "Turnover", Turnover, 3);
    WriteFixed(p, "GainLoss", GainLoss, 3);
    WriteExact(p, "GLPercent", GLPercent, 3);
    WriteInt(p, "praise", praise);
    WriteText(p, "comment", comment);
    WriteFixed(p, "commit", commit, 3);
    p.CloseElement();
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

void CFullPositon::WriteXml(XMLPrinter& p, const char* elementName) const {
    p.OpenElement(elementName);
    WriteExact(p, "aveCost", aveCost, 3);
    WriteExact(p, "avehl", avehl, 3);
    for (const PositionHolding& h : holdings) {
        p.OpenElement("item");
        WriteInt(p, "pos", h.pos);
        WriteInt(p, "date", h.date);
        p.CloseElement();
    }
    p.CloseElement();
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

void CTrainingRecord::WriteXml(XMLPrinter& p) const {
    p.OpenElement("TrainingItem");

    p.OpenElement("TrainingDate");
    WriteInt(p, "StartDate", StartDate);
    WriteInt(p, "EndDate", EndDate);
    WriteInt(p, "WantDays", WantDays);
    WriteInt(p, "BeginTrainDate", BeginTrainDate);
    WriteInt(p, "EndTrainDate", EndTrainDate);
    WriteInt(p, "EndTrainTime", EndTrainTime);
    WriteInt(p, "TrainDays", TrainDays);
    WriteInt(p, "TrainingDate", TrainingDate);
    WriteInt(p, "TrainingTime", TrainingTime);
    p.CloseElement();

    p.OpenElement("Quote");
    WriteFixed(p, "open", open, 3);
    WriteFixed(p, "high", high, 3);
    WriteFixed(p, "low", low, 3);
    WriteFixed(p, "price", price, 3);
    WriteFixed(p, "preclose", preclose, 3);
    const bool volumeFits = volume > -9.2e18 && volume < 9.2e18;
    WriteInt(p, "volume", volumeFits ? static_cast<int64_t>(volume) : 0);
    WriteInt(p, "dataType", dataType);
    WriteInt(p, "period", period);
    WriteInt(p, "quoteTime", quoteTime);
    p.CloseElement();

    p.OpenElement("config");
    WriteInt(p, "market", code.m_nMarket);
    WriteText(p, "code", code.m_strCode);
    WriteInt(p, "T0", T0);
    WriteInt(p, "CanPut", CanPut);
    WriteInt(p, "hideDate", hideDate);
    WriteInt(p, "hideName", hideName);
    WriteText(p, "name", name);
    WriteExact(p, "commitrate", commitrate, 6);
    WriteInt(p, "TrainPeriodType", TrainPeriodType);
    WriteInt(p, "TrainStatus", TrainStatus);
    WriteExact(p, "zy", zy, 2);
    WriteExact(p, "zs", zs, 2);
    p.CloseElement();

    p.OpenElement("Capital");
    WriteExact(p, "leftCapital", leftCapital, 2);
    WriteExact(p, "InitCapital", InitCapital, 2);
    WriteExact(p, "FrozenCapital", FrozenCapital, 2);
    p.CloseElement();

    p.OpenElement("TradeDetail");
    for (const TradeDetailItem& item : trades) item.WriteXml(p);
    p.CloseElement();

    p.OpenElement("Asset");
    for (const AssetPoint& point : assets) {
        p.OpenElement("item");
        WriteFixed(p, "asset", point.asset, 2);
        WriteInt(p, "date", point.date);
        p.CloseElement();
    }
    p.CloseElement();

    static const CFullPositon kEmptyBook;
    (PutPos ? *PutPos : kEmptyBook).WriteXml(p, "PutPos");
    (CallPos ? *CallPos : kEmptyBook).WriteXml(p, "CallPos");

    p.CloseElement();
}
