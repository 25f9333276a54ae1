// Sessions of the record file read from arbitrary bytes (the file may be damaged or
// edited by hand), traded on, and written back: nothing may crash or overflow, and what
// is written reads back to the same text.

#include <tinyxml2.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "training/RecordXml.h"
#include "training/TrainingRecord.h"

namespace {

std::string Print(const CTrainingRecord& record) {
    recordxml::CRecordPrinter printer;
    record.WriteXml(printer);
    return printer.CStr();
}

void Exercise(CTrainingRecord& r) {
    std::string msg;
    r.Buy(100, 202401030000, msg, true, "x", 10);
    r.ShortSell(100, 202401030000, msg, "y", 10);
    r.Sell(50, 202401040000, msg, "", 11);
    r.CoverShort(50, 202401040000, msg, "", 9);
    r.ApplyCashDividend(20240105, 0.5);
    r.ApplyShareBonus(0.3);
    r.BuyRightsIssue(20240105, msg, 0.2, 5);
    r.UpdateAsset(20240105, 10);
    r.GetMaxBuyVolume(r.price);
    r.CheckStopProfitLoss(false);
    r.CheckStopProfitLoss(true);
    CloseTradeStats stats;
    r.GetCloseTradeStats(stats);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinyxml2::XMLDocument doc(/*processEntities*/ false);
    doc.Parse(reinterpret_cast<const char*>(data), size);
    const tinyxml2::XMLElement* root = doc.Error() ? nullptr : doc.RootElement();
    if (!root) return 0;
    for (const tinyxml2::XMLElement* item = root->FirstChildElement("TrainingItem"); item;
         item = item->NextSiblingElement("TrainingItem")) {
        CTrainingRecord record;
        record.ReadXml(*item);
        Exercise(record);

        const std::string written = Print(record);
        tinyxml2::XMLDocument again(/*processEntities*/ false);
        if (again.Parse(written.c_str(), written.size()) != tinyxml2::XML_SUCCESS) std::abort();
        CTrainingRecord reread;
        reread.ReadXml(*again.RootElement());
        if (Print(reread) != written) std::abort();
    }
    return 0;
}
