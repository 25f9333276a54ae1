// Elements of one session in the record file; see TotalTrainingRecord.h for the file.

#include <charconv>

#include "training/RecordXml.h"
#include "training/TrainingRecord.h"

using namespace recordxml;
using tinyxml2::XMLElement;

void TradeDetailItem::ReadXml(const XMLElement& e)
{
    TradeDate = ReadInt(e, "TradeDate");
    TradeTime = ReadInt(e, "TradeTime");
    opdir = static_cast<int8_t>(ReadInt(e, "opdir"));
    bsdir = static_cast<int8_t>(ReadInt(e, "bsdir"));
    TradePrice = ReadDouble(e, "TradePrice");
    cost = ReadDouble(e, "cost");
    vol = ReadInt(e, "vol");
    Turnover = ReadDouble(e, "Turnover");
    GainLoss = ReadDouble(e, "GainLoss");
    GLPercent = ReadDouble(e, "GLPercent");
    praise = static_cast<int8_t>(ReadInt(e, "praise"));
    comment = ReadText(e, "comment");
    commit = ReadDouble(e, "commit");
}

void TradeDetailItem::WriteXml(XMLElement& e) const
{
    WriteInt(e, "TradeDate", TradeDate);
    WriteInt(e, "TradeTime", TradeTime);
    WriteInt(e, "opdir", opdir);
    WriteInt(e, "bsdir", bsdir);
    WriteFixed(e, "TradePrice", TradePrice, 3);
    WriteFixed(e, "cost", cost, 3);
    WriteInt(e, "vol", vol);
    WriteFixed(e, "Turnover", Turnover, 3);
    WriteFixed(e, "GainLoss", GainLoss, 3);
    WriteExact(e, "GLPercent", GLPercent, 3);
    WriteInt(e, "praise", praise);
    WriteText(e, "comment", comment);
    WriteFixed(e, "commit", commit, 3);
}

void CFullPositon::ReadXml(const XMLElement& e)
{
    aveCost = ReadDouble(e, "aveCost");
    avehl = ReadDouble(e, "avehl");
    for (const XMLElement* item = e.FirstChildElement("item"); item;
         item = item->NextSiblingElement("item"))
        holdings.push_back(PositionHolding{ReadInt(*item, "pos"), ReadInt(*item, "date")});
}

void CFullPositon::WriteXml(XMLElement& e) const
{
    WriteExact(e, "aveCost", aveCost, 3);
    WriteExact(e, "avehl", avehl, 3);
    for (const PositionHolding& h : holdings) {
        XMLElement* item = e.InsertNewChildElement("item");
        WriteInt(*item, "pos", h.pos);
        WriteInt(*item, "date", h.date);
    }
}

void CTrainingRecord::ReadXml(const XMLElement& e)
{
    if (const XMLElement* d = e.FirstChildElement("TrainingDate")) {
        StartDate = ReadInt(*d, "StartDate");
        EndDate = ReadInt(*d, "EndDate");
        WantDays = ReadInt(*d, "WantDays");
        BeginTrainDate = ReadInt(*d, "BeginTrainDate");
        EndTrainDate = ReadInt(*d, "EndTrainDate");
        EndTrainTime = ReadInt(*d, "EndTrainTime");
        TrainDays = ReadInt(*d, "TrainDays");
        TrainingDate = ReadInt(*d, "TrainingDate");
        TrainingTime = ReadInt(*d, "TrainingTime");
    }
    if (const XMLElement* q = e.FirstChildElement("Quote")) {
        open = ReadDouble(*q, "open");
        high = ReadDouble(*q, "high");
        low = ReadDouble(*q, "low");
        price = ReadDouble(*q, "price");
        preclose = ReadDouble(*q, "preclose");
        volume = static_cast<double>(ReadInt64(*q, "volume"));
        dataType = static_cast<int16_t>(ReadInt(*q, "dataType"));
        period = static_cast<int16_t>(ReadInt(*q, "period"));
        quoteTime = ReadInt64(*q, "quoteTime");
    }
    if (const XMLElement* c = e.FirstChildElement("config")) {
        code.m_nMarket = ReadInt(*c, "market");
        code.m_strCode = ReadText(*c, "code");
        if (code.m_strCode.size() > kMaxCodeLength) {
            size_t cut = kMaxCodeLength;
            while (cut > 0 && (static_cast<unsigned char>(code.m_strCode[cut]) & 0xC0) == 0x80)
                --cut;  // never split a character
            code.m_strCode.resize(cut);
        }
        T0 = ReadInt(*c, "T0");
        CanPut = ReadInt(*c, "CanPut");
        hideDate = ReadInt(*c, "hideDate");
        hideName = ReadInt(*c, "hideName");
        name = ReadText(*c, "name");
        commitrate = ReadDouble(*c, "commitrate");
        TrainPeriodType = ReadInt(*c, "TrainPeriodType");
        TrainStatus = ReadInt(*c, "TrainStatus");
        zy = ReadDouble(*c, "zy");
        zs = ReadDouble(*c, "zs");
    }
    if (const XMLElement* m = e.FirstChildElement("Capital")) {
        leftCapital = ReadDouble(*m, "leftCapital");
        InitCapital = ReadDouble(*m, "InitCapital");
        FrozenCapital = ReadDouble(*m, "FrozenCapital");
    }
    if (const XMLElement* t = e.FirstChildElement("TradeDetail")) {
        for (const XMLElement* item = t->FirstChildElement("TradeDetailItem"); item;
             item = item->NextSiblingElement("TradeDetailItem")) {
            trades.emplace_back().ReadXml(*item);
        }
    }
    if (const XMLElement* a = e.FirstChildElement("Asset")) {
        for (const XMLElement* item = a->FirstChildElement("item"); item;
             item = item->NextSiblingElement("item")) {
            assets.push_back(AssetPoint{static_cast<uint32_t>(ReadInt64(*item, "date")),
                                        ReadDouble(*item, "asset")});
        }
    }
    // A book missing from the file stays an empty book, so orders on it work.
    if (const XMLElement* p = e.FirstChildElement("PutPos")) {
        PutPos = std::make_shared<CFullPositon>();
        PutPos->ReadXml(*p);
    }
    if (const XMLElement* p = e.FirstChildElement("CallPos")) {
        CallPos = std::make_shared<CFullPositon>();
        CallPos->ReadXml(*p);
    }
}

void CTrainingRecord::WriteXml(XMLElement& e) const
{
    XMLElement* d = e.InsertNewChildElement("TrainingDate");
    WriteInt(*d, "StartDate", StartDate);
    WriteInt(*d, "EndDate", EndDate);
    WriteInt(*d, "WantDays", WantDays);
    WriteInt(*d, "BeginTrainDate", BeginTrainDate);
    WriteInt(*d, "EndTrainDate", EndTrainDate);
    WriteInt(*d, "EndTrainTime", EndTrainTime);
    WriteInt(*d, "TrainDays", TrainDays);
    WriteInt(*d, "TrainingDate", TrainingDate);
    WriteInt(*d, "TrainingTime", TrainingTime);

    XMLElement* q = e.InsertNewChildElement("Quote");
    WriteFixed(*q, "open", open, 3);
    WriteFixed(*q, "high", high, 3);
    WriteFixed(*q, "low", low, 3);
    WriteFixed(*q, "price", price, 3);
    WriteFixed(*q, "preclose", preclose, 3);
    const bool volumeFits = volume > -9.2e18 && volume < 9.2e18;
    WriteInt(*q, "volume", volumeFits ? static_cast<int64_t>(volume) : 0);
    WriteInt(*q, "dataType", dataType);
    WriteInt(*q, "period", period);
    WriteInt(*q, "quoteTime", quoteTime);

    XMLElement* c = e.InsertNewChildElement("config");
    WriteInt(*c, "market", code.m_nMarket);
    WriteText(*c, "code", code.m_strCode);
    WriteInt(*c, "T0", T0);
    WriteInt(*c, "CanPut", CanPut);
    WriteInt(*c, "hideDate", hideDate);
    WriteInt(*c, "hideName", hideName);
    WriteText(*c, "name", name);
    WriteExact(*c, "commitrate", commitrate, 6);
    WriteInt(*c, "TrainPeriodType", TrainPeriodType);
    WriteInt(*c, "TrainStatus", TrainStatus);
    WriteExact(*c, "zy", zy, 2);
    WriteExact(*c, "zs", zs, 2);

    XMLElement* m = e.InsertNewChildElement("Capital");
    WriteExact(*m, "leftCapital", leftCapital, 2);
    WriteExact(*m, "InitCapital", InitCapital, 2);
    WriteExact(*m, "FrozenCapital", FrozenCapital, 2);

    XMLElement* t = e.InsertNewChildElement("TradeDetail");
    for (const TradeDetailItem& item : trades)
        item.WriteXml(*t->InsertNewChildElement("TradeDetailItem"));

    XMLElement* a = e.InsertNewChildElement("Asset");
    for (const AssetPoint& p : assets) {
        XMLElement* item = a->InsertNewChildElement("item");
        WriteFixed(*item, "asset", p.asset, 2);
        WriteInt(*item, "date", p.date);
    }

    static const CFullPositon kEmptyBook;
    (PutPos ? *PutPos : kEmptyBook).WriteXml(*e.InsertNewChildElement("PutPos"));
    (CallPos ? *CallPos : kEmptyBook).WriteXml(*e.InsertNewChildElement("CallPos"));
}
