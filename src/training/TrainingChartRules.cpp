#include "training/TrainingChartRules.h"

#include <cstdio>

#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"
#include "training/TrainingStepping.h"

std::string TrainingToolFilePath(const CTrainingRecord* record, int32_t market,
                                 const std::string& code, int16_t dataType, int16_t period) {
    if (!record || record->TrainStatus == kTrainStatusEnded) return "toolerr.xml";
    char name[320];
    std::snprintf(name, sizeof name, "trainRecord_%d_%d_%d_%s_%d.xml", record->TrainingDate,
                  record->TrainingTime, market, code.c_str(), dataType * 1000 + period);
    return std::string("Data/Tools/") + name;
}

bool IsTrainingTipEnabled(const CTrainingRecord* record) {
    return record && (record->hideDate == 0 || record->TrainStatus == kTrainStatusEnded);
}

bool AreTrainingTimeLabelsHidden(const CTrainingRecord* record) {
    return record && record->hideDate != 0 && record->TrainStatus != kTrainStatusEnded;
}

bool OnAutoPlayTick(TrainingPicData& layer) {
    if (StepNextBar(layer, true)) return true;
    ITrainingChartOwner* owner = layer.GetTrainingOwner();
    if (ITrainingPanel* panel = owner ? owner->FindTrainingPanel() : nullptr) panel->StopAutoPlay();
    return false;
}
