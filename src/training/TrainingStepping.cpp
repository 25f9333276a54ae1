#include "training/TrainingStepping.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "marketdata/CQData.h"
#include "training/TrainingPicData.h"
#include "training/TrainingRecord.h"

void ClampTrainingRange(TrainingViewRange& range, const TrainingReveal& reveal) {
    if (range.start >= reveal.revealedCount - 1) range.start = reveal.revealedCount - 2;
    if (range.start < 0) range.start = 0;
    range.end = std::min(range.start + range.visible, reveal.revealedCount);
    if (range.cursor >= 0)
        range.cursor = std::clamp(range.cursor, range.start, std::max(range.start, range.end - 1));
}

void LayoutTrainingRange(TrainingViewRange& range, const TrainingReveal& reveal,
                         int32_t dataFirst, int32_t dataEnd) {
    if (range.cursor >= 0 && range.cursor >= dataFirst && range.cursor < dataEnd)
        range.end = range.cursor + range.visible / 2;
    range.end = std::min(range.end, reveal.revealedCount);
    const int32_t margin =
        range.end == reveal.revealLimit ? std::max(range.visible / 20, 2) : 0;
    range.start = range.end + margin - range.visible;
    if (range.start < reveal.dataBegin) {
        range.start = reveal.dataBegin;
        range.end = std::min(range.start + range.visible, reveal.revealedCount);
    }
    if (range.cursor >= 0)
        range.cursor = std::clamp(range.cursor, range.start, std::max(range.start, range.end - 1));
}

namespace {
void EndPeriod(TrainingPicData& layer, CTrainingRecord* record) {
    if (record) record->TrainStatus = kTrainStatusEnded;
    ITrainingChartOwner* owner = layer.GetTrainingOwner();
    owner->ShowPrompt("训练周期结束", ITrainingChartOwner::Prompt::Info);
    if (ITrainingPanel* panel = owner->FindTrainingPanel()) panel->OnPeriodEnded();
}

// Settles the ex-rights events between two revealed dates; false stops the step.
bool SettleEvents(TrainingPicData& layer, uint32_t oldDate, uint32_t newDate) {
    if (oldDate == newDate || !layer.GetSeries()) return true;
    CSingleCQDataPerSecu event;
    if (layer.FirstEventFrom(oldDate, event) && event.m_nDate > oldDate &&
        event.m_nDate <= newDate)
        return layer.CheckRightsIssue(event.m_nDate, newDate);
    return true;
}

void Reveal(TrainingPicData& layer, int32_t index) {
    layer.SyncVisibleEnd();
    ITrainingChartOwner* owner = layer.GetTrainingOwner();
    if (std::shared_ptr<IChartOverlay> overlay = owner->GetChartOverlay()) {
        if (overlay->CalcIndicators(layer.GetBegin(), layer.GetEnd())) owner->Repaint(false);
    }
    owner->Repaint(true);
    CFloatDayItem bar;
    if (!layer.LoadedBar(index, bar)) return;
    if (layer.GetDataType() == PicDataLayer::kDay &&
        uint32_t(bar.m_nTime / 10000) != layer.GetTrainingYear())
        layer.SetTrainingYear(uint32_t(bar.m_nTime / 10000));
    layer.SetCurrentBar(layer.GetPeriod(), bar, layer.GetDataType(), true);
    layer.HandBarToPanel(bar, layer.PreCloseOf(index), true);
}
}  // namespace

bool StepNextBar(TrainingPicData& layer, bool autoPlay) {
    ITrainingChartOwner* owner = layer.GetTrainingOwner();
    TrainingReveal* reveal = owner ? owner->GetReveal() : nullptr;
    std::shared_ptr<IChartOverlay> overlay = owner ? owner->GetChartOverlay() : nullptr;
    if (!reveal || !overlay) return false;
    const int32_t end = overlay->GetEndIndex();
    if (reveal->revealedCount < 1 || end < 1 || end < reveal->revealedCount) return false;
    CTrainingRecord* record = layer.GetRecord();
    if (record && record->TrainStatus == kTrainStatusEnded) return false;
    if (!layer.IsNative() && !layer.CompleteCurrentBar()) return false;

    const bool minute = layer.GetDataType() == PicDataLayer::kMinute;
    if (end < reveal->revealLimit) {
        if (!layer.IsNative()) {
            // The completed bar becomes the current bar; the clock stays on its day.
            layer.SetNative(true);
        } else {
            CFloatDayItem next, old;
            if (!layer.LoadedBar(reveal->revealedCount, next) ||
                !layer.LoadedBar(reveal->revealedCount - 1, old))
                return false;
            if (!SettleEvents(layer, layer.KeyDate(old.m_nTime), layer.KeyDate(next.m_nTime)))
                return false;
            layer.SyncDayBar(reveal->revealedCount);
            overlay->SetEndIndex(end + 1);
            reveal->revealedCount = end + 1;
            overlay->Layout();
        }
        Reveal(layer, reveal->revealedCount - 1);
        return true;
    }

    // The period is revealed up to its limit.
    CFloatDayItem last;
    const bool hasLast = layer.LoadedBar(reveal->revealLimit - 1, last);
    if (!minute) {
        if (!layer.IsNative() && hasLast && record &&
            layer.KeyDate(last.m_nTime) != uint32_t(record->EndTrainDate) && layer.GetSeries()) {
            if (!SettleEvents(layer, uint32_t(record->EndTrainDate), layer.KeyDate(last.m_nTime)))
                return false;
            Reveal(layer, reveal->revealLimit - 1);
            record->EndTrainDate = int32_t(layer.KeyDate(last.m_nTime));
            record->EndTrainTime = 0;
        }
        EndPeriod(layer, record);
        return false;
    }
    if (!hasLast || !record) return false;
    const uint32_t lastDate = uint32_t(last.m_nTime / 10000);
    if (lastDate == uint32_t(record->EndDate)) {
        EndPeriod(layer, record);
        return false;
    }
    const uint32_t year = lastDate / 10000;
    if (year == uint32_t(record->EndDate) / 10000) {
        owner->ShowPrompt(layer.GetPeriod() == 1 ? "当前时间区间内没有1分钟k线数据"
                                                 : "当前时间区间内没有5分钟k线数据",
                          ITrainingChartOwner::Prompt::Info);
        return false;
    }
    // The clock ran out of this year's minute bars: fetch the next year and go on when
    // they arrive.
    layer.SetPeriod(layer.GetDataType(), layer.GetPeriod());
    reveal->Reset();
    layer.Reset();
    std::vector<uint32_t> years;
    if (layer.GetPeriod() % 5 == 0) years.push_back(year);
    years.push_back(year + 1);
    layer.RequestNextYear(years, year * 10000 + 10101, autoPlay);
    return false;
}
