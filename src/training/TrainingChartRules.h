#pragma once
// What a training chart window decides from its session alone: where its drawings are
// kept, whether hover tips and time labels may show a date, and what an auto-play tick
// does. The window calls these; they need no window.

#include <cstdint>
#include <string>

class CTrainingRecord;
class TrainingPicData;

// Timer ids of the training chart window.
inline constexpr uint32_t kAutoPlayTimerId = 20000;   // every 1000 ms while auto-play runs
inline constexpr uint32_t kAutoPlayTimerMs = 1000;
inline constexpr uint32_t kHoverRepaintTimerId = 10000;  // one shot, 200 ms

// The drawing file of the chart, relative to the application directory: one per running
// session and chart period ("Data/Tools/trainRecord_<created date>_<created time>_<market>_
// <code>_<type × 1000 + period>.xml"), "toolerr.xml" without a session or once it ended.
std::string TrainingToolFilePath(const CTrainingRecord* record, int32_t market,
                                 const std::string& code, int16_t dataType, int16_t period);
// Hover tips show dates: on only with a session whose dates are not hidden, or ended.
bool IsTrainingTipEnabled(const CTrainingRecord* record);
// Time-axis labels stay hidden while a session with hidden dates runs.
bool AreTrainingTimeLabelsHidden(const CTrainingRecord* record);
// One auto-play tick: steps a bar; a step that moves nothing stops auto-play on the panel
// (the step has shown any message already). True when a bar moved.
bool OnAutoPlayTick(TrainingPicData& layer);
